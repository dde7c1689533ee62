// The simulated chip's file: checked and locked at start, loaded, and written
// back safely after every programming run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BoardSimulator.h"
#include "ChipFile.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ChipFile::open's file, or nullptr with `whyNot` saying why there is none.
std::unique_ptr<ChipFile> openChip(const std::string& path, Bytes& chip, std::string& whyNot) {
  Expected<std::unique_ptr<ChipFile>> opened = ChipFile::open(path, chip);
  whyNot = opened.error();
  return opened ? std::move(*opened) : nullptr;
}

class ChipFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<ChipFile> open(const std::string& file) { return openChip(file, chip_, whyNot_); }
  long entries() const { return std::distance(fs::directory_iterator(temp_.path), {}); }

  TempFolder temp_;
  std::string path_ = temp_.filePath("chip.bin");
  Bytes chip_ = Bytes(64, 0x00);
  std::string whyNot_;
};

TEST_F(ChipFileTest, MissingFileIsABlankChipWrittenAtOnceAndAShortFileFillsTheStart) {
  auto file = open(path_);
  ASSERT_NE(file, nullptr) << whyNot_;
  EXPECT_EQ(chip_, Bytes(64, 0xFF));
  EXPECT_EQ(readBytes(path_), Bytes(64, 0xFF));
  file.reset();

  writeFile(path_, "AB");
  chip_.assign(64, 0x00);
  file = open(path_);
  ASSERT_NE(file, nullptr) << whyNot_;
  EXPECT_EQ(chip_[1], 'B');
  EXPECT_EQ(chip_[2], 0xFF);
  chip_[63] = 0x42;
  ASSERT_TRUE(file->save());
  EXPECT_EQ(readBytes(path_), chip_);
  EXPECT_EQ(entries(), 1);
}

TEST_F(ChipFileTest, OneProgramAtATimeAlsoAfterEveryWriteBack) {
  auto first = open(path_);
  ASSERT_NE(first, nullptr) << whyNot_;
  Bytes other(64);
  std::string why;
  EXPECT_EQ(openChip(path_, other, why), nullptr);
  EXPECT_TRUE(has(why, path_ + " is in use")) << why;
  // The write-back puts a new file under the name: it is locked before it gets there.
  ASSERT_TRUE(first->save());
  EXPECT_EQ(openChip(path_, other, why), nullptr);
  first.reset();
  EXPECT_NE(openChip(path_, other, why), nullptr) << why;
}

TEST_F(ChipFileTest, UnusableFilesAreRefusedAtStartNamingThemAndNothingHangs) {
  ASSERT_EQ(::mkfifo(temp_.filePath("fifo").c_str(), 0600), 0);
  writeBytes(temp_.filePath("big.bin"), Bytes(65, 0x00));
  const struct {
    std::string path, words;
  } cases[] = {
      {temp_.filePath("no-folder/chip.bin"), "does not exist"},
      {temp_.filePath("fifo"), "it is not a regular file"},
      {temp_.path.string(), "it is not a regular file"},
      {"/dev/null", ""},
      {temp_.filePath("big.bin"), "bigger than the simulated chip (64 bytes)"},
  };
  ::alarm(20);  // a FIFO opened for reading would block: fail rather than hang
  for (const auto& c : cases) {
    EXPECT_EQ(open(c.path), nullptr) << c.path;
    EXPECT_TRUE(has(whyNot_, c.path) && has(whyNot_, c.words)) << whyNot_;
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
  // Root may write any folder, so the check runs as an ordinary user.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    const std::string file = (folder / "chip.bin").string();
    const bool refused = open(file) == nullptr && has(whyNot_, file) &&
                         has(whyNot_, "cannot be written (Permission denied)");
    ::_exit(refused ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ChipFileTest, FullDiskAtStartOrAtAWriteBackIsReportedAndLeavesNothingBehind) {
  {
    const FileSizeLimit limit(32);
    EXPECT_EQ(open(path_), nullptr);
  }
  EXPECT_TRUE(has(whyNot_, path_ + ": File too large")) << whyNot_;
  EXPECT_EQ(entries(), 0);

  auto file = open(path_);
  ASSERT_NE(file, nullptr) << whyNot_;
  chip_[0] = 0x00;
  Recorder boxes;
  {
    const FileSizeLimit limit(32);
    EXPECT_FALSE(file->writeBack(boxes));
  }
  EXPECT_EQ(boxes.events, (Events{"box:Simulated Chip|The simulated chip cannot be saved to " +
                                  path_ + "\rFile too large|C"}));
  EXPECT_EQ(readBytes(path_), Bytes(64, 0xFF));
  EXPECT_EQ(entries(), 1);
}

TEST_F(ChipFileTest, EveryProgrammingRunIsInTheFileAtOnceWhateverItsEnd) {
  BoardSimulator sim(888, 64);
  auto file = openChip(path_, sim.chip(), whyNot_);
  ASSERT_NE(file, nullptr) << whyNot_;
  sim.makeDeadCell(40);
  SimulatorPortSource ports(sim);
  Recorder rec;
  CommandContext context{ports, rec, rec, rec, rec, nullptr, file.get()};
  PortSettings settings;
  MemoryImage image(64);
  image.at(5) = 0x12;
  EXPECT_EQ(writeCommand(context, settings, 64, image), CommandOutcome::BadEprom);
  Bytes expected = contents(image);
  std::fill(expected.begin() + 40, expected.end(), 0xFF);
  EXPECT_EQ(readBytes(path_), expected);
}

}  // namespace
