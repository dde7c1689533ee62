#pragma once

#include <cstddef>
#include <string>

#include "Expected.h"
#include "RomCatalogue.h"
#include "SourceIndex.h"
#include "SourceKind.h"

// A reference source, recognised by its content and read through its index.

// Whether and where indexes are kept. An empty folder keeps none; `use`
// false reads every source directly (vesk's --no-cache).
struct IndexSettings {
  bool use = true;
  std::string folder;
};

// What became of the source's index on this use: for a note on standard
// error when it was damaged or could not be written.
struct IndexReport {
  IndexFound found = IndexFound::Bypassed;
  std::string damage = {};      // Damaged: which check it failed ("bad checksum")
  bool written = false;         // a new index was written
  std::string notWritten = {};  // why a new index could not be written; "" otherwise
};

struct SourceSummary {
  std::string path = {};  // as it was given
  SourceKind kind = SourceKind::MameListXml;
  std::size_t listed = 0;  // ROMs it lists ("Not among the 336,504 ROMs of mame.xml")
  std::size_t roms = 0;    // those that can be matched: with a CRC32, not nodump
  std::size_t images = 0;  // images it holds, to find the nearest among
  IndexReport index = {};
};

struct LoadedSource {
  SourceSummary summary;
  std::string location;  // absolute, where its images are read again
  RomCatalogue catalogue;
};

// Reads the source at `path` (a file or a folder), from its index when that
// is current. A source that cannot be read is a failure naming it, and the
// line for a list ("mame.xml: line 12: not well-formed (invalid token)");
// an index that cannot be read or written never is.
Expected<LoadedSource> loadSource(const std::string& path, const IndexSettings& settings);
