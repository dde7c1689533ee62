// zeza: converts raw binary EPROM images to Intel HEX and back.
#include <exception>
#include <string>
#include <vector>

#include "converter/Zeza.h"
#include "converter/ZezaMessageOutput.h"

int main(int argc, char** argv) {
  ZezaMessageOutput messages(argc > 0 ? argv[0] : nullptr);
  try {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    RunZeza(arguments, messages);
  } catch (const std::exception& error) {
    // Out of memory while putting paths together, or the like: say so
    // rather than die, and keep the promised exit code.
    messages.ShowMessage(error.what());
  }
  return 0;  // whatever happened, as callers of zeza expect
}
