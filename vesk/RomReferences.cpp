#include "RomReferences.h"

#include <cstdlib>

#include "SourceIndex.h"

Expected<RomReferences> loadReferences(const VeskOptions& options) {
  RomReferences references{.asked = !options.against.empty()};
  const IndexSettings settings{
      .use = !options.noCache,
      .folder = defaultIndexFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"))};
  for (const std::string& path : options.against) {
    Expected<LoadedSource> source = loadSource(path, settings);
    if (!source) return Failure{source.error()};
    references.sources.push_back(std::move(*source));
  }
  return references;
}

DumpFacts dumpFacts(const MemoryImage& image, const VeskOptions& options,
                    const RomReferences& references, std::span<const UnstableLocation> unstable) {
  DumpFacts facts{identifyImage(image), {options.mame, options.dat}};
  if (!references.asked) return facts;
  std::vector<bool> stable;
  if (!unstable.empty()) {
    stable.assign(static_cast<std::size_t>(image.size()), true);
    for (const UnstableLocation& location : unstable)
      stable[static_cast<std::size_t>(location.address)] = false;
  }
  KnownRoms known{identifyDump({image.data(), static_cast<std::size_t>(image.size())},
                               references.sources, stable)};
  for (const LoadedSource& source : references.sources) known.sources.push_back(source.summary);
  facts.known = std::move(known);
  return facts;
}
