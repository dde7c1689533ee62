#pragma once
// What vesk's commands did, as facts without wording: each command's run
// gathers one result from what the core hands back, and two renderers
// present it, as text and messages (ResultText.h) or as one JSON object
// (VeskReport.h). A new fact is one field here and one line in each renderer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "BoardRoutines.h"
#include "ChipComparison.h"
#include "ChipParts.h"
#include "Commands.h"
#include "ImageFileFormats.h"
#include "ImageHashes.h"
#include "ImageIdentity.h"
#include "NotBlankChip.h"
#include "ReadPasses.h"
#include "ReferenceSources.h"
#include "RomIdentification.h"

// How a command ended, as vesk's exit status tells it.
enum class VeskStatus {
  Done = 0,        // the chip was read, is blank, was programmed, matches
  ChipSaidNo = 1,  // not blank, Bad Eprom, differences
  Failed = 2,      // a file or the port failed (reported)
  Unstable = 3,    // the chip reads unstable: its passes did not all read the same
  Stopped = 128    // a termination signal stopped it (the exit status is 128 + the signal)
};

// What went wrong with a file, and which file.
enum class FileProblem {
  Unreadable,    // it cannot be read or placed in the image (`reason`)
  Unwritable,    // it cannot be written (`reason`)
  Exists,        // it is there already, and --force was not given
  Unnamed,       // standard input, where its name is needed to name the parts
  Unsplittable,  // the image does not split into its parts (`reason`)
  Unmergeable,   // the parts do not join into one image (`reason`)
  PartCount      // merge: not as many parts as --ways (`file` empty)
};

struct FileFailure {
  FileProblem problem = FileProblem::Unreadable;
  std::string file = {};  // "-": the standard stream
  std::string reason = {};
};

// Which of a dump's lines in ROM lists the user asked for.
struct RomListLines {
  bool mame = false;
  bool dat = false;
};

// A dump against the reference sources of --against: the known ROMs it or
// a part of it is, or else the nearest, and the sources asked, with how many
// ROMs and images each knows ("Not among the 336,504 ROMs of mame.xml").
struct KnownRoms {
  DumpIdentification identification = {};
  std::vector<SourceSummary> sources = {};
};

// What a dump is: a chip read, or an image file.
struct DumpFacts {
  ImageIdentity identity = {};
  RomListLines lines = {};
  std::optional<KnownRoms> known = {};  // with --against
};

// The step a run on the chip was in when a signal stopped it: a read (of
// read and verify, or before a write --over), the blank check, the
// programming, or the read of the whole chip that ends a write.
enum class RunStep { Reading, BlankCheck, Programming, Verifying };

// Where a signal stopped the core's run: the step, the locations done, and
// for a read in several passes which pass (from 0).
struct RunStop {
  RunStep step = RunStep::Reading;
  std::int32_t location = 0;
  std::int32_t pass = 0;
};

// What every command on the board has: the chip, and how the core's last
// run ended. A signal that came once the run was over ends it Stopped too,
// without a `stop`.
struct ChipRun {
  std::string type = {};  // as the catalogue prints it: "2732"
  std::int32_t size = 0;
  CommandOutcome outcome = CommandOutcome::Done;
  std::optional<RunStop> stop = {};
};

// Where the locations a stopped write programmed are kept.
enum class ProgrammedKeeper {
  Chip,      // the chip in the socket
  ChipFile,  // the simulated chip's file
  Nothing    // a simulated chip without a file, gone with the program
};

struct VeskReadResult {
  ChipRun chip = {};
  std::string file = {};  // "-": standard output
  int passes = 1;
  std::optional<FileFailure> failure = {};  // the image could not be saved
  ImageFileFormat format = ImageFileFormat::Binary;
  std::optional<DumpFacts> dump = {};           // once saved
  std::vector<UnstableLocation> unstable = {};  // in address order
};

struct VeskBlankResult {
  ChipRun chip = {};
  std::optional<BlankCheckResult> check = {};     // when the check ran to its end
  std::optional<NotBlankChip> notBlankRead = {};  // refused: one read of the chip after the check
  // Blank, and no chip is known to be in the socket: an empty one reads the
  // same (the board cannot tell; the simulator can).
  bool socketCouldBeEmpty = false;
};

// One read of the chip after Bad Eprom, against what it should hold by then:
// the image up to the bad location, and beyond it what the chip held before
// the write (FFh after a blank check, the chip's bytes with --over; without
// either, only up to the bad location is compared).
struct BadEpromRead {
  ChipComparison comparison = {};
  // An open address line that the bad location has set: its twin with the
  // line clear, which took its pulses (`chip` what it reads, `file` what was
  // programmed there).
  std::optional<ChipDifference> overwrote = {};
};

struct VeskWriteResult {
  ChipRun chip = {};
  std::string file = {};                    // "-": standard input
  std::optional<FileFailure> failure = {};  // the file could not be read or placed
  ImageFileFormat format = ImageFileFormat::Binary;
  std::optional<std::size_t> repeated = {};  // --repeat: the copies of the file that fill the chip
  bool over = false;                         // programmed over what the chip held (--over)
  // --over refused: a bit would have to go from 0 to 1, which only erasing does.
  std::optional<ChipComparison> toErase = {};
  std::optional<BlankCheckResult> notBlank = {};  // the blank check that refused the chip
  std::optional<NotBlankChip> notBlankRead = {};  // and one read of the chip after it
  std::optional<BadLocation> bad = {};            // the location that did not take its byte
  std::optional<BadEpromRead> badRead = {};       // and one read of the chip after it
  // When programming ran, or began before a signal stopped it.
  std::optional<PulseCounts> pulses = {};
  // The whole chip read back once programmed, against the whole image the
  // write meant (its fill, and with --over what the chip held, included);
  // none with --no-verify.
  std::optional<ChipComparison> verify = {};
  ProgrammedKeeper keeper = ProgrammedKeeper::Chip;
  std::int64_t offset = 0;  // --offset: the file's addresses are the chip's less it
  // The part -t named, whose voltages are announced before the first pulse.
  const ChipPart* part = nullptr;
};

struct VeskVerifyResult {
  ChipRun chip = {};
  std::string file = {};  // "-": standard input
  int passes = 1;
  std::optional<FileFailure> failure = {};  // the file could not be read or placed
  ImageFileFormat format = ImageFileFormat::Binary;
  std::int64_t offset = 0;  // --offset: the file's addresses are the chip's less it
  std::optional<std::size_t> repeated = {};       // --repeat: as write's
  std::optional<ChipComparison> comparison = {};  // once the chip was read
  std::vector<UnstableLocation> unstable = {};    // of the locations compared, in address order
  // How many locations the file gives, when it leaves some out and no --fill
  // gives them a byte: only those were compared.
  std::optional<std::int32_t> locationsGiven = {};
};

// `info`: one result a file.
struct VeskInfoResult {
  std::string file = {};  // "-": standard input
  std::optional<FileFailure> failure = {};
  std::optional<DumpFacts> dump = {};
};

// A file that split or merge wrote.
struct WrittenFile {
  std::string name = {};
  std::size_t size = 0;
  ImageHashes hashes = {};
};

// `split` (FILE into its parts) and `merge` (PARTS into FILE).
struct VeskFilesResult {
  enum class Command { Split, Merge } command = Command::Split;
  std::string file = {};  // split's FILE, merge's OUT ("-": standard output)
  std::size_t ways = 2;
  std::size_t partsGiven = 0;  // merge: how many PARTS the command line gave
  std::optional<FileFailure> failure = {};
  // What was written, in order; never the image on standard output.
  std::vector<WrittenFile> written = {};
};

// `types`: the parts -t takes, and the makers' prefixes their names may carry.
struct VeskTypesResult {
  std::span<const ChipPart> parts = {};
  std::span<const std::string_view> prefixes = {};
};

// Each result's exit status.
VeskStatus statusOf(const VeskReadResult& result);
VeskStatus statusOf(const VeskBlankResult& result);
VeskStatus statusOf(const VeskWriteResult& result);
VeskStatus statusOf(const VeskVerifyResult& result);
VeskStatus statusOf(const VeskInfoResult& result);
VeskStatus statusOf(const VeskFilesResult& result);
VeskStatus statusOf(const VeskTypesResult& result);
