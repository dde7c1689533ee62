// vesk: the programmer on the command line, on the parallel port or on the
// board simulator. The same core as VeskEprom's window; no Qt.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PortSourceFactory.h"
#include "ResultText.h"
#include "RomReferences.h"
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

// A command line that asks for no run: the help, the version, or one that
// was not understood; its exit status.
int answer(const VeskArguments& arguments) {
  switch (arguments.ask) {
    case VeskArguments::Ask::Help:
      std::fputs(arguments.help.c_str(), stdout);
      return 0;
    case VeskArguments::Ask::Version:
      std::puts("vesk " VESK_VERSION);
      return 0;
    case VeskArguments::Ask::Error:
    case VeskArguments::Ask::Run:
      break;
  }
  std::fprintf(stderr, "vesk: %s\nTry 'vesk --help'.\n", arguments.error.c_str());
  return kUsageError;
}

// Standard error as a run shows on it: the messages, and the progress bar
// when it is a terminal and vesk is not quiet.
class Terminal {
 public:
  Terminal(bool quiet, const TerminationSignals& termination)
      : messages_(line_, quiet),
        bar_(line_, &termination),
        showBar_(!quiet && ::isatty(STDERR_FILENO) == 1) {}

  StatusLine& line() { return line_; }
  Messages& messages() { return messages_; }
  Progress& progress() { return showBar_ ? static_cast<Progress&>(bar_) : silent_; }

 private:
  StatusLine line_{stderr};
  TerminalMessages messages_;
  TerminalProgress bar_;
  SilentProgress silent_;
  bool showBar_;
};

// The command run on the board the options name, to its exit status.
int runCommand(const VeskOptions& options, TerminationSignals& termination) {
  Terminal terminal(options.quiet, termination);
  // The reference sources first: one that cannot be read ends the run
  // before a chip file is made, the board touched or an image written, and
  // so does a signal that came while they were read.
  const Expected<RomReferences> references = loadReferences(options);
  if (!references) {
    terminal.line().writeLine("vesk: " + references.error());
    return kUsageError;
  }
  if (termination.requested()) return termination.exitStatus();
  showIndexes(*references, terminal.messages());
  // A chip file is refused before any work: a folder that is missing or
  // read-only, a special file, a file another program is using.
  RealTiming timing;
  Expected<MadePortSource> board = makePortSource({.simulate = options.simulate,
                                                   .chipFile = options.chipFile,
                                                   .latency = options.latency,
                                                   .faults = options.faults},
                                                  " with --port", timing);
  if (!board) {
    terminal.line().writeLine("vesk: " + board.error());
    return kUsageError;
  }
  CommandContext context{.ports = *board->ports,
                         .timing = timing,
                         .messages = terminal.messages(),
                         .progress = terminal.progress(),
                         .stop = &termination,
                         .chipFile = board->chipFile.get()};
  const VeskStatus status = runVeskCommand(options, *references, context);
  // A signal ends the program at the next safe point, whatever that was.
  if (status == VeskStatus::Stopped || termination.requested()) return termination.exitStatus();
  return static_cast<int>(status);
}

// The command line run, to its exit status.
int runVesk(int argc, char** argv) {
  TerminationSignals termination;
  const VeskArguments arguments =
      parseVeskArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (arguments.ask != VeskArguments::Ask::Run) return answer(arguments);
  return runCommand(arguments.options, termination);
}

}  // namespace

int main(int argc, char** argv) {
  ignoreWriteSignals();
  return checkedOutputStatus("vesk", runVesk(argc, argv));
}
