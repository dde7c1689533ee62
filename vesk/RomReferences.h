#pragma once
// The reference sources of --against, read once per run before the board
// is touched: a source that cannot be read ends the run before anything is
// made or written (not even a read's image, nor a simulated chip's file).
// Then, for each dump, the known ROMs it is.

#include <span>
#include <vector>

#include "Expected.h"
#include "MemoryImage.h"
#include "ReadPasses.h"
#include "ReferenceSources.h"
#include "VeskOptions.h"
#include "VeskResults.h"

struct RomReferences {
  bool asked = false;                      // --against was given
  std::vector<LoadedSource> sources = {};  // in the order given
};

// Every source of options.against, through its index under $XDG_CACHE_HOME/vesk
// (~/.cache/vesk) unless options.noCache. The first that cannot be read is
// the failure, naming it (and the line, in a list).
[[nodiscard]] Expected<RomReferences> loadReferences(const VeskOptions& options);

// What a dump is: its identity, the ROM list lines asked for, and against
// the references the known ROMs it is or comes nearest to, with the
// `unstable` locations of a read left out of the nearest comparisons.
DumpFacts dumpFacts(const MemoryImage& image, const VeskOptions& options,
                    const RomReferences& references,
                    std::span<const UnstableLocation> unstable = {});
