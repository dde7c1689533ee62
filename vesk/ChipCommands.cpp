#include "ChipCommands.h"

#include <algorithm>
#include <span>

#include "ImageFileIo.h"
#include "RepeatedImage.h"
#include "ResultText.h"
#include "RomReferences.h"

namespace {

// The compared locations that read unstable against `file`: those that
// differ from it in some passes only, and those that differ in every pass
// though each bit's majority is the file's byte, which can only come of
// passes that disagree.
std::vector<UnstableLocation> unstableAgainst(std::span<const MemoryImage> passes,
                                              const MergedPasses& merged, const MemoryImage& file,
                                              const std::vector<bool>& compared) {
  PassedComparison comparison = comparePasses(passes, file);
  const auto uncompared = [&](const UnstableLocation& at) {
    return !compared[static_cast<std::size_t>(at.address)];
  };
  std::erase_if(comparison.unstable, uncompared);
  for (const PassedDifference& difference : comparison.differences)
    if (difference.chip == difference.file &&
        compared[static_cast<std::size_t>(difference.address)])
      comparison.unstable.push_back(*std::ranges::lower_bound(merged.unstable, difference.address,
                                                              {}, &UnstableLocation::address));
  std::ranges::sort(comparison.unstable, {}, &UnstableLocation::address);
  return comparison.unstable;
}

// The chip in the socket, as the options give it, and the context of its runs.
struct Board {
  const VeskOptions& options;
  CommandContext& context;

  std::int32_t size() const { return options.type->size; }
  ChipRun chip() const { return {.type = options.type->caption, .size = size()}; }
  std::span<const std::uint8_t> bytes(const MemoryImage& image) const {
    return {image.data(), static_cast<std::size_t>(size())};
  }
  bool stopping() const { return context.stop != nullptr && context.stop->requested(); }

  // The chip read in `passes` passes under one announcement; the bar goes
  // at once, there is no view to fill first.
  ReadPassesCommandResult read(int passes) const {
    ReadPassesCommandResult read =
        readPassesCommand(context, options.settings, options.type->key, size(), passes);
    read.indicators.end();
    return read;
  }

  // options.file placed in the chip's image. Unlike the window's Open, a
  // missing file is an error, and so is a broken one.
  std::optional<LoadedImage> load(std::optional<FileFailure>& failure,
                                  std::optional<std::size_t>& repeated) const {
    if (options.repeat) return loadRepeated(failure, repeated);
    Expected<LoadedImage> loaded = loadImageFile(options.file, static_cast<std::size_t>(size()),
                                                 options.imageFile, context.messages);
    if (loaded) return std::move(*loaded);
    failure = FileFailure{FileProblem::Unreadable, options.file, loaded.error()};
    return std::nullopt;
  }

  // With --repeat: the file's own image, as many times as fill the chip.
  std::optional<LoadedImage> loadRepeated(std::optional<FileFailure>& failure,
                                          std::optional<std::size_t>& repeated) const {
    Expected<LoadedImage> loaded =
        loadImageFile(options.file, std::nullopt, options.imageFile, context.messages);
    Expected<RepeatedImage> filled = loaded
                                         ? repeatToFill(*loaded, static_cast<std::size_t>(size()))
                                         : Expected<RepeatedImage>(Failure{loaded.error()});
    if (!filled) {
      failure = FileFailure{FileProblem::Unreadable, options.file, filled.error()};
      return std::nullopt;
    }
    repeated = filled->copies;
    return std::move(filled->image);
  }
};

MemoryImage imageOf(const LoadedImage& file) {
  MemoryImage image(static_cast<std::int32_t>(file.bytes.size()));
  std::copy(file.bytes.begin(), file.bytes.end(), image.data());
  return image;
}

// How the core's run ended, and where a signal stopped it.
void endRun(ChipRun& chip, CommandOutcome outcome, const StopPoint& stopped, RunStep step) {
  chip.outcome = outcome;
  if (outcome == CommandOutcome::Stopped) chip.stop = RunStop{step, stopped.location, stopped.pass};
}

// A signal that came once the core's run was done stops the command there.
bool stoppedAfter(ChipRun& chip, const Board& board) {
  if (!board.stopping()) return false;
  chip.outcome = CommandOutcome::Stopped;
  return true;
}

// One read of the chip after its refusal, to see what it holds; none when
// the port failed (reported) or a signal stopped it, which stops the command.
std::optional<MemoryImage> reread(const Board& board, ChipRun& chip) {
  ReadCommandResult read = rereadCommand(board.context, board.options.settings, board.size());
  if (read.outcome == CommandOutcome::Stopped) chip.outcome = CommandOutcome::Stopped;
  if (read.outcome != CommandOutcome::Done) return std::nullopt;
  return std::move(read.image);
}

std::optional<NotBlankChip> readNotBlank(const Board& board, ChipRun& chip) {
  const std::optional<MemoryImage> read = reread(board, chip);
  if (!read) return std::nullopt;
  return describeNotBlank(board.bytes(*read));
}

// After Bad Eprom: the chip against what it should hold by now (BadEpromRead).
std::optional<BadEpromRead> readAfterBad(const Board& board, const MemoryImage& image,
                                         std::span<const std::uint8_t> held, const BadLocation& bad,
                                         ChipRun& chip) {
  const std::optional<MemoryImage> read = reread(board, chip);
  if (!read) return std::nullopt;
  const std::span<const std::uint8_t> programmed = board.bytes(image);
  std::vector<std::uint8_t> wanted(programmed.begin(), programmed.end());
  std::vector<bool> compared(wanted.size(), true);
  const bool blankBefore = held.empty() && board.options.settings.VerifyEmpty;
  for (std::size_t at = static_cast<std::size_t>(bad.location) + 1; at < wanted.size(); ++at) {
    if (!held.empty())
      wanted[at] = held[at];
    else if (blankBefore)
      wanted[at] = 0xFF;
    else
      compared[at] = false;
  }
  BadEpromRead found{compareChip(board.bytes(*read), wanted, compared)};
  for (const DifferencePattern& pattern : found.comparison.patterns) {
    const std::int32_t line = std::int32_t{1} << pattern.line;
    if (pattern.kind != DifferencePatternKind::AddressLine || (bad.location & line) == 0) continue;
    const std::int32_t twin = bad.location & ~line;
    found.overwrote = ChipDifference{twin, read->at(twin), wanted[static_cast<std::size_t>(twin)]};
  }
  return found;
}

ProgrammedKeeper keeperOf(const Board& board) {
  if (board.context.chipFile != nullptr) return ProgrammedKeeper::ChipFile;
  return board.options.simulate ? ProgrammedKeeper::Nothing : ProgrammedKeeper::Chip;
}

// Every write ends with one read of the whole chip, compared with the whole
// image the write meant: an open address line, which sends a location's
// pulses to another that reads back right, shows only there.
void verifyWholeChip(const Board& board, const MemoryImage& image, VeskWriteResult& result) {
  const ReadCommandResult read = rereadCommand(board.context, board.options.settings, board.size());
  endRun(result.chip, read.outcome, read.stopped, RunStep::Verifying);
  if (read.outcome == CommandOutcome::Done)
    result.verify = compareChip(board.bytes(read.image), board.bytes(image));
}

// The board's context with `messages` in place of its own.
CommandContext withMessages(const CommandContext& context, Messages& messages) {
  return {.ports = context.ports,
          .timing = context.timing,
          .messages = messages,
          .progress = context.progress,
          .busy = context.busy,
          .stop = context.stop,
          .chipFile = context.chipFile};
}

// The image programmed, over what the chip holds when `held` is given; on a
// chip that its blank check found blank, the FFh locations are stepped over.
// The part's voltages announced once the write is.
void program(const Board& board, const MemoryImage& image, std::span<const std::uint8_t> held,
             VeskWriteResult& result) {
  VoltageAnnouncing announcing(board.context.messages, result);
  CommandContext context = withMessages(board.context, announcing);
  const WriteCommandResult written =
      writeCommand(context, board.options.settings, board.options.type->key, board.size(), image,
                   board.options.method, held, ErasedLocations::SteppedOver);
  // A write that checks the chip first has the check as its first pass; over
  // a programmed chip there is no check. A stop that came once the check had
  // read every location came before the first location was programmed.
  const bool checking = board.options.settings.VerifyEmpty && held.empty();
  StopPoint stopped = written.stopped;
  if (checking && stopped.pass == 0 && stopped.location == board.size()) stopped = {1, 0};
  const bool inCheck = checking && stopped.pass == 0;
  endRun(result.chip, written.outcome, stopped,
         inCheck ? RunStep::BlankCheck : RunStep::Programming);
  if (written.outcome == CommandOutcome::NotBlank) {
    result.notBlank = written.write.blankCheck;
    result.notBlankRead = readNotBlank(board, result.chip);
  }
  if (written.outcome == CommandOutcome::BadEprom) {
    result.bad = written.write.bad;
    result.badRead = readAfterBad(board, image, held, written.write.bad, result.chip);
  }
  const bool pulsing = written.outcome == CommandOutcome::Done ||
                       written.outcome == CommandOutcome::BadEprom ||
                       written.outcome == CommandOutcome::ChipFileFailed ||
                       (written.outcome == CommandOutcome::Stopped && !inCheck);
  if (pulsing) result.pulses = written.write.pulses;
  if (written.outcome == CommandOutcome::Done && board.options.verify)
    verifyWholeChip(board, image, result);
}

// Over a programmed chip: what it holds first, with the same announcement,
// port check and stop as a read; refused when a bit would have to rise.
void programOver(const Board& board, const LoadedImage& file, MemoryImage& image,
                 VeskWriteResult& result) {
  const ReadPassesCommandResult read = board.read(1);
  endRun(result.chip, read.outcome, read.stopped, RunStep::Reading);
  if (read.outcome != CommandOutcome::Done || stoppedAfter(result.chip, board)) return;
  const MemoryImage& held = read.passes.front();
  // Where the file gives nothing the chip keeps what it holds, unless --fill
  // gives those locations a byte.
  if (!board.options.imageFile.fill)
    for (std::int32_t at = 0; at < board.size(); ++at)
      if (!file.covered[static_cast<std::size_t>(at)]) image.at(at) = held.at(at);
  ChipComparison comparison = compareChip(board.bytes(held), board.bytes(image));
  if (comparison.bitsToErase > 0) {
    result.toErase = std::move(comparison);
    return;
  }
  program(board, image, board.bytes(held), result);
}

// The chip's passes against the file, over the locations it gives (all of
// them with --fill), less those that read unstable.
void compareWithFile(const Board& board, std::span<const MemoryImage> passes,
                     const LoadedImage& file, VeskVerifyResult& result) {
  const MemoryImage image = imageOf(file);
  const bool filled = board.options.imageFile.fill.has_value();
  std::vector<bool> compared = file.covered;
  if (filled) compared.assign(compared.size(), true);
  const MergedPasses merged = mergePasses(passes);
  result.unstable = unstableAgainst(passes, merged, image, compared);
  for (const UnstableLocation& location : result.unstable)
    compared[static_cast<std::size_t>(location.address)] = false;
  result.comparison = compareChip(board.bytes(merged.image), board.bytes(image), compared);
  const auto given = static_cast<std::int32_t>(std::ranges::count(file.covered, true));
  if (!filled && given != board.size()) result.locationsGiven = given;
}

// options.file loaded for `result` (its format, or why it could not be),
// unless a signal stops the command once it is.
template <class Result>
std::optional<LoadedImage> loadInto(const Board& board, Result& result) {
  std::optional<LoadedImage> file = board.load(result.failure, result.repeated);
  if (!file) return std::nullopt;
  result.format = file->format;
  if (stoppedAfter(result.chip, board)) return std::nullopt;
  return file;
}

}  // namespace

VeskReadResult runRead(const VeskOptions& options, const RomReferences& references,
                       CommandContext& context) {
  const Board board{options, context};
  VeskReadResult result{.chip = board.chip(), .file = options.file, .passes = options.passes};
  const ReadPassesCommandResult read = board.read(options.passes);
  endRun(result.chip, read.outcome, read.stopped, RunStep::Reading);
  if (read.outcome != CommandOutcome::Done || stoppedAfter(result.chip, board)) return result;
  MergedPasses merged = mergePasses(read.passes, options.vote);
  result.format = outputFormat(options.file, options.imageFile);
  if (const Expected<> saved =
          saveImageFile(options.file, board.bytes(merged.image), result.format);
      !saved) {
    result.failure = FileFailure{FileProblem::Unwritable, options.file, saved.error()};
    return result;
  }
  result.dump = dumpFacts(merged.image, options, references, merged.unstable);
  result.unstable = std::move(merged.unstable);
  return result;
}

VeskBlankResult runBlank(const VeskOptions& options, CommandContext& context) {
  const Board board{options, context};
  VeskBlankResult result{.chip = board.chip()};
  const BlankCommandResult blank = blankCommand(context, options.settings, board.size());
  endRun(result.chip, blank.outcome, blank.stopped, RunStep::BlankCheck);
  if (blank.outcome == CommandOutcome::Done || blank.outcome == CommandOutcome::NotBlank)
    result.check = blank.check;
  if (blank.outcome == CommandOutcome::NotBlank)
    result.notBlankRead = readNotBlank(board, result.chip);
  result.socketCouldBeEmpty =
      blank.outcome == CommandOutcome::Done && (!options.simulate || options.faults.noChip);
  return result;
}

VeskWriteResult runWrite(const VeskOptions& options, CommandContext& context) {
  const Board board{options, context};
  VeskWriteResult result{.chip = board.chip(),
                         .file = options.file,
                         .over = options.over,
                         .keeper = keeperOf(board),
                         .offset = options.imageFile.offset,
                         .part = options.part};
  const std::optional<LoadedImage> file = loadInto(board, result);
  if (!file) return result;
  MemoryImage image = imageOf(*file);
  if (options.over)
    programOver(board, *file, image, result);
  else
    program(board, image, {}, result);
  return result;
}

VeskVerifyResult runVerify(const VeskOptions& options, CommandContext& context) {
  const Board board{options, context};
  VeskVerifyResult result{.chip = board.chip(),
                          .file = options.file,
                          .passes = options.passes,
                          .offset = options.imageFile.offset};
  const std::optional<LoadedImage> file = loadInto(board, result);
  if (!file) return result;
  const ReadPassesCommandResult read = board.read(options.passes);
  endRun(result.chip, read.outcome, read.stopped, RunStep::Reading);
  if (read.outcome != CommandOutcome::Done || stoppedAfter(result.chip, board)) return result;
  compareWithFile(board, read.passes, *file, result);
  return result;
}
