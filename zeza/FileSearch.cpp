#include "FileSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "AsciiCase.h"

bool matchesWildcard(const std::string& pattern, const std::string& name) {
  // Greedy scan that goes back to the last "*" on a mismatch: linear in
  // practice, never exponential.
  std::size_t p = 0, n = 0;
  std::size_t star = std::string::npos, nameAtStar = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      nameAtStar = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++nameAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

FileSearch findFiles(const std::string& argument) {
  namespace fs = std::filesystem;
  const auto slash = argument.rfind('/');
  const std::string pattern = slash == std::string::npos ? argument : argument.substr(slash + 1);
  const std::string folderPart = slash == std::string::npos ? "" : argument.substr(0, slash + 1);

  FileSearch search;
  std::error_code error;
  fs::path folder = fs::absolute(folderPart.empty() ? fs::path(".") : fs::path(folderPart), error)
                        .lexically_normal();
  search.folder = folder.string();
  if (search.folder.empty() || search.folder.back() != '/') search.folder += '/';
  if (error || pattern.empty()) return search;

  for (fs::directory_iterator it(search.folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (!matchesWildcard(pattern, name)) continue;
    struct stat info;
    const bool known = ::stat((search.folder + name).c_str(), &info) == 0;
    search.matches.push_back(
        {std::move(name), known ? static_cast<std::uint64_t>(info.st_size) : 0});
  }
  std::sort(search.matches.begin(), search.matches.end(),
            [](const FileMatch& a, const FileMatch& b) { return a.name < b.name; });
  return search;
}
