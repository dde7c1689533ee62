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

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ChipFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<ChipFile> Open(const std::string& file) {
    whyNot.clear();
    return ChipFile::Open(file, chip, whyNot);
  }
  long Entries() const { return std::distance(fs::directory_iterator(temp.path), {}); }

  TempFolder temp;
  std::string path = temp.Path("chip.bin");
  Bytes chip = Bytes(64, 0x00);
  std::string whyNot;
};

TEST_F(ChipFileTest, MissingFileIsABlankChipWrittenAtOnceAndAShortFileFillsTheStart) {
  auto file = Open(path);
  ASSERT_NE(file, nullptr) << whyNot;
  EXPECT_EQ(chip, Bytes(64, 0xFF));
  EXPECT_EQ(ReadBytes(path), Bytes(64, 0xFF));
  file.reset();

  WriteFile(path, "AB");
  chip.assign(64, 0x00);
  file = Open(path);
  ASSERT_NE(file, nullptr) << whyNot;
  EXPECT_EQ(chip[1], 'B');
  EXPECT_EQ(chip[2], 0xFF);
  chip[63] = 0x42;
  ASSERT_TRUE(file->Save());
  EXPECT_EQ(ReadBytes(path), chip);
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ChipFileTest, OneProgramAtATimeAlsoAfterEveryWriteBack) {
  auto first = Open(path);
  ASSERT_NE(first, nullptr) << whyNot;
  Bytes other(64);
  std::string why;
  EXPECT_EQ(ChipFile::Open(path, other, why), nullptr);
  EXPECT_TRUE(Has(why, path + " is in use")) << why;
  // The write-back puts a new file under the name: it is locked before it gets there.
  ASSERT_TRUE(first->Save());
  EXPECT_EQ(ChipFile::Open(path, other, why), nullptr);
  first.reset();
  EXPECT_NE(ChipFile::Open(path, other, why), nullptr) << why;
}

TEST_F(ChipFileTest, UnusableFilesAreRefusedAtStartNamingThemAndNothingHangs) {
  ASSERT_EQ(::mkfifo(temp.Path("fifo").c_str(), 0600), 0);
  WriteBytes(temp.Path("big.bin"), Bytes(65, 0x00));
  const struct {
    std::string path, words;
  } cases[] = {
      {temp.Path("no-folder/chip.bin"), "does not exist"},
      {temp.Path("fifo"), "it is not a regular file"},
      {temp.path.string(), "it is not a regular file"},
      {"/dev/null", ""},
      {temp.Path("big.bin"), "bigger than the simulated chip (64 bytes)"},
  };
  ::alarm(20);  // a FIFO opened for reading would block: fail rather than hang
  for (const auto& c : cases) {
    EXPECT_EQ(Open(c.path), nullptr) << c.path;
    EXPECT_TRUE(Has(whyNot, c.path) && Has(whyNot, c.words)) << whyNot;
  }
  ::alarm(0);
  EXPECT_TRUE(fs::is_fifo(temp.Path("fifo")));
  EXPECT_EQ(fs::file_size(temp.Path("big.bin")), 65u);
}

TEST_F(ChipFileTest, ReadOnlyFolderIsRefusedAtStart) {
  const fs::path folder = temp.path / "read-only";
  fs::create_directory(folder);
  fs::permissions(temp.path, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  // Root may write any folder, so the check runs as an ordinary user.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    const std::string file = (folder / "chip.bin").string();
    const bool refused = Open(file) == nullptr && Has(whyNot, file) &&
                         Has(whyNot, "cannot be written (Permission denied)");
    ::_exit(refused ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ChipFileTest, FullDiskAtStartOrAtAWriteBackIsReportedAndLeavesNothingBehind) {
  {
    const FileSizeLimit limit(32);
    EXPECT_EQ(Open(path), nullptr);
  }
  EXPECT_TRUE(Has(whyNot, path + ": File too large")) << whyNot;
  EXPECT_EQ(Entries(), 0);

  auto file = Open(path);
  ASSERT_NE(file, nullptr) << whyNot;
  chip[0] = 0x00;
  Recorder boxes;
  {
    const FileSizeLimit limit(32);
    EXPECT_FALSE(file->WriteBack(boxes));
  }
  EXPECT_EQ(boxes.events, (Events{"box:Simulated Chip|The simulated chip cannot be saved to " +
                                  path + "\rFile too large|C"}));
  EXPECT_EQ(ReadBytes(path), Bytes(64, 0xFF));
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ChipFileTest, EveryProgrammingRunIsInTheFileAtOnceWhateverItsEnd) {
  BoardSimulator sim(888, 64);
  auto file = ChipFile::Open(path, sim.Chip(), whyNot);
  ASSERT_NE(file, nullptr) << whyNot;
  sim.MakeDeadCell(40);
  SimulatorPortSource ports(sim);
  Recorder rec;
  CommandContext context{ports, rec, rec, rec, rec, nullptr, file.get()};
  PortSettings settings;
  MemoryImage image(64);
  image.At(5) = 0x12;
  EXPECT_EQ(Write_Command(context, settings, 64, image), CommandOutcome::BadEprom);
  Bytes expected = Contents(image);
  std::fill(expected.begin() + 40, expected.end(), 0xFF);
  EXPECT_EQ(ReadBytes(path), expected);
}

}  // namespace
