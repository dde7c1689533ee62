#include "InfoCommand.h"

#include <algorithm>

#include "ImageFileIo.h"

VeskInfoResult identifyFile(const std::string& file, const VeskOptions& options,
                            const RomReferences& references, Messages& messages) {
  VeskInfoResult result{.file = file};
  const Expected<LoadedImage> loaded =
      loadImageFile(file, std::nullopt, options.imageFile, messages);
  if (!loaded) {
    result.failure = FileFailure{FileProblem::Unreadable, file, loaded.error()};
    return result;
  }
  MemoryImage image(static_cast<std::int32_t>(loaded->bytes.size()));
  std::copy(loaded->bytes.begin(), loaded->bytes.end(), image.data());
  result.dump = dumpFacts(image, options, references);
  return result;
}
