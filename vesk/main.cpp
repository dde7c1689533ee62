// vesk: the programmer on the command line, on the parallel port or on the
// board simulator. The same core as VeskEprom's window; no Qt.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PortSourceFactory.h"
#include "StandardOutput.h"
#include "StatusLine.h"
#include "TerminalMessages.h"
#include "TerminalProgress.h"
#include "TerminationSignals.h"
#include "VeskCommands.h"
#include "VeskOptions.h"
#include "WriteSignals.h"

namespace {

constexpr int kUsageError = static_cast<int>(VeskStatus::Failed);

// The command line run, to its exit status.
int runVesk(int argc, char** argv) {
  TerminationSignals termination;

  const VeskArguments arguments =
      parseVeskArguments(std::vector<std::string>(argv + 1, argv + argc));
  switch (arguments.ask) {
    case VeskArguments::Ask::Help:
      std::fputs(arguments.help.c_str(), stdout);
      return 0;
    case VeskArguments::Ask::Version:
      std::puts("vesk " VESK_VERSION);
      return 0;
    case VeskArguments::Ask::Error:
      std::fprintf(stderr, "vesk: %s\nTry 'vesk --help'.\n", arguments.error.c_str());
      return kUsageError;
    case VeskArguments::Ask::Run:
      break;
  }
  const VeskOptions& options = arguments.options;

  StatusLine line(stderr);
  TerminalMessages messages(line, options.quiet);
  TerminalProgress bar(line, &termination);
  SilentProgress silent;
  const bool showBar = !options.quiet && ::isatty(STDERR_FILENO) == 1;
  Progress& progress = showBar ? static_cast<Progress&>(bar) : silent;

  // A chip file is refused before any work: a folder that is missing or
  // read-only, a special file, a file another program is using.
  RealTiming timing;
  Expected<MadePortSource> board = makePortSource(
      {.simulate = options.simulate, .chipFile = options.chipFile, .faults = options.faults},
      " with --port", timing);
  if (!board) {
    line.writeLine("vesk: " + board.error());
    return kUsageError;
  }

  CommandContext context{.ports = *board->ports,
                         .timing = timing,
                         .messages = messages,
                         .progress = progress,
                         .stop = &termination,
                         .chipFile = board->chipFile.get()};
  const VeskStatus status = runVeskCommand(options, context);
  // A signal ends the program at the next safe point, whatever that was.
  if (status == VeskStatus::Stopped || termination.requested()) return termination.exitStatus();
  return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
  ignoreWriteSignals();
  return checkedOutputStatus("vesk", runVesk(argc, argv));
}
