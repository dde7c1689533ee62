#pragma once

#include <cstdint>
#include <string>
#include <vector>

// True when `name` matches `pattern`, where "*" stands for any run of
// characters (none included) and "?" for exactly one; letters match
// regardless of case (ASCII letters only): "*.bin" finds A.BIN too.
bool matchesWildcard(const std::string& pattern, const std::string& name);

struct FileMatch {
  std::string name;    // without folder
  std::uint64_t size;  // 0 when the system cannot tell
};

struct FileSearch {
  std::string folder;  // absolute, normalised, ending with "/"
  std::vector<FileMatch> matches;
};

// The entries (folders included) of the argument's folder whose names match
// its last component, in name order. The folder is the argument resolved
// against the current folder with its last component cut off. A folder that
// cannot be listed has no matches.
FileSearch findFiles(const std::string& argument);
