#pragma once

#include <string>

#include "Expected.h"
#include "RomCatalogue.h"
#include "SourceKind.h"

// The index of a source: its catalogue kept in a file under the cache
// folder, so that the next use reads a few tens of MiB instead of the whole
// source. One file per source, named after a hash of its absolute path and
// keyed by what says whether it changed (a file's size and modification
// time; a folder's files, each with its size and modification time). An
// index is a cache: written safely (a temporary file, flushed, renamed over
// the old one), checked whole when read (magic, version, sizes, a CRC32 of
// the whole file, every reference in range), and never trusted when any
// check fails.

// Where the indexes live: $XDG_CACHE_HOME/vesk, or ~/.cache/vesk when that
// is unset or not an absolute path; "" (no index) when neither can be had.
std::string defaultIndexFolder(const char* xdgCacheHome, const char* home);

// The index file of the source at `absolutePath`.
std::string indexFilePath(const std::string& folder, const std::string& absolutePath);

// What the last use found of a source's index.
enum class IndexFound {
  Current,   // read and used
  None,      // there was none
  Stale,     // the source changed since (or another version wrote it): rebuilt
  Damaged,   // it failed a check, or belongs to another source: rebuilt
  Bypassed,  // not looked at (no index wanted, or no folder for it)
};

struct IndexRead {
  IndexFound found = IndexFound::None;
  std::string damage;  // Damaged: which check failed
  SourceKind kind = SourceKind::MameListXml;
  RomCatalogue catalogue;
};

// Reads the index file of the source, whose key (a hex digest) is `key`.
IndexRead readIndex(const std::string& file, const std::string& absolutePath,
                    const std::string& key);

Expected<> writeIndex(const std::string& file, const std::string& absolutePath,
                      const std::string& key, SourceKind kind, const RomCatalogue& catalogue);
