#pragma once

#include <cstdint>
#include <string>

// A file name cut at its last ".": the base keeps its case, the extension is
// turned to lower case (ASCII letters only). A name without "." has no
// extension: "a.b.BIN" -> {"a.b", "bin"}, "README" -> {"README", ""}.
struct SplitName {
  std::string base;
  std::string extension;
};
SplitName SplitExtension(const std::string& name);

// The first of target, target + "1", target + "2", ... (counting from
// `counter`, 0 standing for the target itself) that names no file, folder or
// link on disk. `counter` is left at the one taken, so that a caller whose
// exclusive create loses a race can go on from counter + 1.
std::string MakeUniqueName(const std::string& target, std::uint64_t& counter);
