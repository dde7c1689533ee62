#include "FileNames.h"

#include <sys/stat.h>

#include "AsciiCase.h"

SplitName SplitExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return {name, ""};
  SplitName split{name.substr(0, dot), name.substr(dot + 1)};
  split.extension = asciiLower(split.extension);
  return split;
}

namespace {

bool nameIsTaken(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;  // a dangling link takes the name too
}

}  // namespace

std::string MakeUniqueName(const std::string& target, std::uint64_t& counter) {
  for (;; ++counter) {
    std::string candidate = counter == 0 ? target : target + std::to_string(counter);
    if (!nameIsTaken(candidate)) return candidate;
  }
}
