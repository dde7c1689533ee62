// zeza: converts raw binary EPROM images to Intel HEX and back.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "MessageTexts.h"
#include "StandardOutput.h"
#include "WriteSignals.h"
#include "Zeza.h"
#include "ZezaMessageOutput.h"

namespace {

// The message-box module lies beside zeza in the build tree, and in the
// library folder of the installation.
std::vector<std::string> moduleFolders() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const auto folder = self.parent_path();
  return {folder.string(), (folder / ZEZA_MODULE_FROM_BIN).lexically_normal().string()};
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit or a reader that went away (zeza x.hex 2>&1 | head)
  // become failed writes, reported or dropped, instead of killing zeza with
  // a half-written output.
  ignoreWriteSignals();
  // GNU's two options, each alone; any other argument is a file name or a
  // pattern, as always.
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(kHelpText, stdout);
    return checkedOutputStatus("zeza", 0);
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::fputs(versionText(ZEZA_VERSION).c_str(), stdout);
    return checkedOutputStatus("zeza", 0);
  }
  ZezaMessageOutput messages(argc > 0 ? argv[0] : "zeza", moduleFolders());
  try {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    runZeza(arguments, messages);
  } catch (const std::exception& error) {
    // Out of memory while putting paths together, or the like: say so
    // rather than die, and keep the promised exit code.
    messages.ShowMessage(error.what());
  }
  return 0;  // whatever happened, as callers of zeza expect
}
