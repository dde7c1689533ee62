#include "VeskCommands.h"

#include <string>

#include "ChipCommands.h"
#include "InfoCommand.h"
#include "ResultText.h"
#include "SplitMerge.h"
#include "VeskReport.h"

namespace {

// Where a result's text goes: all of it, or with --json only its messages,
// the object taking the place of the results.
TextOutput textOutput(const VeskOptions& options, Messages& messages, std::FILE* results) {
  if (options.json) return {messages};
  return {messages, results, stderr};
}

void putReport(const nlohmann::ordered_json& report, std::FILE* to) {
  std::fputs(reportLine(report).c_str(), to);
  std::fflush(to);
}

// The result shown as text, or with --json as its messages and its object,
// which a command ended by a signal does not give: its exit status is not
// known yet. `text` is what the text of the result takes besides it.
template <class Result, class... Text>
VeskStatus present(const Result& result, const VeskOptions& options, const CommandContext& context,
                   std::FILE* results, Text... text) {
  showText(result, textOutput(options, context.messages, results), text...);
  const VeskStatus status = statusOf(result);
  const bool stopping = context.stop != nullptr && context.stop->requested();
  if (options.json && status != VeskStatus::Stopped && !stopping)
    putReport(reportOf(result), results);
  return status;
}

// Each file in turn, shown as soon as it is identified; a file that cannot
// be read fails the command, and the others are still done.
VeskStatus runInfo(const VeskOptions& options, const RomReferences& references,
                   const CommandContext& context, std::FILE* results) {
  VeskStatus status = VeskStatus::Done;
  bool parted = false;  // the text blocks are parted by an empty line
  for (const std::string& file : options.infoFiles) {
    const VeskInfoResult result = identifyFile(file, options, references, context.messages);
    if (present(result, options, context, results, parted) != VeskStatus::Done)
      status = VeskStatus::Failed;
    parted = parted || result.dump.has_value();
  }
  return status;
}

}  // namespace

VeskStatus runVeskCommand(const VeskOptions& options, const RomReferences& references,
                          CommandContext& context, std::FILE* results) {
  switch (options.command) {
    case VeskCommand::Read:
      return present(runRead(options, references, context), options, context, results);
    case VeskCommand::Blank:
      return present(runBlank(options, context), options, context, results);
    case VeskCommand::Write:
      return present(runWrite(options, context), options, context, results);
    case VeskCommand::Verify:
      return present(runVerify(options, context), options, context, results);
    case VeskCommand::Info:
      return runInfo(options, references, context, results);
    case VeskCommand::Split:
      return present(splitImageFile(options, context.messages), options, context, results);
    case VeskCommand::Merge:
      return present(mergeImageFiles(options, context.messages), options, context, results);
    case VeskCommand::Types:
      return present(VeskTypesResult{chipParts(), makerPrefixes()}, options, context, results);
  }
  return VeskStatus::Failed;
}
