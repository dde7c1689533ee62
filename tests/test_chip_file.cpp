// The simulated chip's file: checked and locked at start, loaded, and written
// back safely after every programming run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BoardSimulator.h"
#include "ChipFile.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ChipFileTest : public ::testing::Test {
 protected:
  // ChipFile::open's file, or nullptr with whyNot_ saying why there is none.
  std::unique_ptr<ChipFile> open(const std::string& path, Bytes* chip = nullptr) {
    Expected<std::unique_ptr<ChipFile>> opened = ChipFile::open(path, chip ? *chip : chip_);
    whyNot_ = opened.error();
    return opened ? std::move(*opened) : nullptr;
  }
  long entries() const { return std::distance(fs::directory_iterator(temp_.path), {}); }

  TempFolder temp_;
  std::string path_ = temp_.filePath("chip.bin");
  Bytes chip_ = Bytes(64, 0x00);
  std::string whyNot_;
};

TEST_F(ChipFileTest, MissingFileIsABlankChipWrittenAtOnce) {
  ASSERT_NE(open(path_), nullptr) << whyNot_;
  EXPECT_EQ(chip_, Bytes(64, 0xFF));
  EXPECT_EQ(readBytes(path_), Bytes(64, 0xFF));
}

TEST_F(ChipFileTest, AShortFileFillsTheStartAndASaveWritesTheWholeChip) {
  writeFile(path_, "AB");
  auto file = open(path_);
  ASSERT_NE(file, nullptr) << whyNot_;
  EXPECT_EQ(std::vector(chip_.begin(), chip_.begin() + 3), (Bytes{'A', 'B', 0xFF}));
  chip_[63] = 0x42;
  ASSERT_TRUE(file->save());
  EXPECT_EQ(readBytes(path_), chip_);
  EXPECT_EQ(entries(), 1);
}

TEST_F(ChipFileTest, OneProgramAtATimeAlsoAfterEveryWriteBack) {
  auto first = open(path_);
  ASSERT_NE(first, nullptr) << whyNot_;
  Bytes other(64);
  EXPECT_EQ(open(path_, &other), nullptr);
  EXPECT_TRUE(has(whyNot_, path_ + " is in use")) << whyNot_;
  // The write-back puts a new file under the name: it is locked before it gets there.
  ASSERT_TRUE(first->save());
  EXPECT_EQ(open(path_, &other), nullptr);
  first.reset();
  EXPECT_NE(open(path_, &other), nullptr) << whyNot_;
}

TEST_F(ChipFileTest, FilesThatCannotBeKeptAreRefusedAtStartNamingThemAndNothingHangs) {
  ASSERT_EQ(::mkfifo(temp_.filePath("fifo").c_str(), 0600), 0);
  writeBytes(temp_.filePath("big.bin"), Bytes(65, 0x00));
  const std::pair<std::string, std::string> cases[] = {
      {temp_.filePath("no-folder/chip.bin"), "does not exist"},
      {temp_.filePath("fifo"), "it is not a regular file"},
      {"/dev/null", "it is not a regular file"},
      {temp_.filePath("big.bin"), "bigger than the simulated chip (64 bytes)"},
  };
  ::alarm(20);  // a FIFO opened for reading would block: fail rather than hang
  for (const auto& [path, words] : cases) {
    EXPECT_EQ(open(path), nullptr) << path;
    EXPECT_TRUE(has(whyNot_, path) && has(whyNot_, words)) << whyNot_;
  }
  ::alarm(0);
  EXPECT_TRUE(fs::is_fifo(temp_.filePath("fifo")));
  EXPECT_EQ(fs::file_size(temp_.filePath("big.bin")), 65u);
}

TEST_F(ChipFileTest, ReadOnlyFolderIsRefusedAtStart) {
  const fs::path folder = temp_.path / "read-only";
  fs::create_directory(folder);
  fs::permissions(temp_.path, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const std::string file = (folder / "chip.bin").string();
  EXPECT_EQ(asOrdinaryUser([&] {
              return open(file) == nullptr && has(whyNot_, file) &&
                     has(whyNot_, "cannot be written (Permission denied)");
            }),
            0);
}

TEST_F(ChipFileTest, AFullDiskAtStartIsReportedAndLeavesNothingBehind) {
  const FileSizeLimit limit(32);
  EXPECT_EQ(open(path_), nullptr);
  EXPECT_TRUE(has(whyNot_, path_ + ": File too large")) << whyNot_;
  EXPECT_EQ(entries(), 0);
}

// The write command on the simulator with the chip file: whatever the run's
// end, the file holds what it programmed before anything else happens.
TEST_F(ChipFileTest, EveryProgrammingRunIsInTheFileAtOnceAndAFailedWriteBackIsReported) {
  BoardSimulator sim(888, 64);
  auto file = open(path_, &sim.chip());
  ASSERT_NE(file, nullptr) << whyNot_;
  sim.makeDeadCell(40);
  SimulatorPortSource ports(sim);
  Recorder rec;
  CommandContext context{ports, rec, rec, rec, rec, nullptr, file.get()};
  const PortSettings settings{888, 0, 0, true};
  MemoryImage image(64);
  image.at(5) = 0x12;
  EXPECT_EQ(writeCommand(context, settings, 64, image), CommandOutcome::BadEprom);
  Bytes expected = contents(image);
  std::fill(expected.begin() + 40, expected.end(), 0xFF);
  EXPECT_EQ(readBytes(path_), expected);

  const PortSettings noBlankCheck{888, 0, 0, false};
  rec.events.clear();
  const FileSizeLimit limit(32);
  EXPECT_EQ(writeCommand(context, noBlankCheck, 16, image), CommandOutcome::ChipFileFailed);
  EXPECT_EQ(rec.boxes().back(), "box:Simulated Chip|The simulated chip cannot be saved to " +
                                    path_ + "\rFile too large|C");
  EXPECT_EQ(readBytes(path_), expected);
  EXPECT_EQ(entries(), 1);
}

}  // namespace
