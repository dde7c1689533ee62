// The simulated chip's file: checked and locked at start, loaded, and
// written back safely.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChipFile.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

class ChipFileTest : public ::testing::Test {
 protected:
  // ChipFile::open's file, or nullptr with whyNot_ saying why there is none.
  std::unique_ptr<ChipFile> open(const std::string& path, Bytes& chip) {
    Expected<std::unique_ptr<ChipFile>> opened = ChipFile::open(path, chip);
    whyNot_ = opened.error();
    return opened ? std::move(*opened) : nullptr;
  }
  bool whyNotHas(const std::string& path, const std::string& words) const {
    return whyNot_.find(path) != std::string::npos && whyNot_.find(words) != std::string::npos;
  }
  TempFolder temp_;
  std::string path_ = temp_.filePath("chip.bin");
  Bytes chip_ = Bytes(64, 0x00), other_ = Bytes(64, 0x00);
  std::string whyNot_;
};

TEST_F(ChipFileTest, OneProgramAtATimeAlsoAfterEveryWriteBack) {
  auto first = open(path_, chip_);
  ASSERT_NE(first, nullptr) << whyNot_;
  EXPECT_EQ(open(path_, other_), nullptr);
  EXPECT_TRUE(whyNotHas(path_, " is in use by another VeskEprom or vesk")) << whyNot_;
  // The write-back puts a new file under the name: it is locked before it gets there.
  ASSERT_TRUE(first->save());
  EXPECT_EQ(open(path_, other_), nullptr);
  first.reset();
  EXPECT_NE(open(path_, other_), nullptr) << whyNot_;
}

TEST_F(ChipFileTest, FilesThatCannotBeKeptAreRefusedAtStartNamingThemAndNothingHangs) {
  ASSERT_EQ(::mkfifo(temp_.filePath("fifo").c_str(), 0600), 0);
  writeFile(temp_.filePath("big.bin"), Bytes(65, 0x00));
  ::alarm(20);  // a FIFO opened for reading would block: fail rather than hang
  for (const auto& [path, words] :
       {std::pair{temp_.filePath("no-folder/chip.bin"), "does not exist"},
        {temp_.filePath("fifo"), "it is not a regular file"},
        {std::string("/dev/null"), "it is not a regular file"},
        {temp_.filePath("big.bin"), "bigger than the simulated chip (64 bytes)"}}) {
    EXPECT_EQ(open(path, chip_), nullptr) << path;
    EXPECT_TRUE(whyNotHas(path, words)) << whyNot_;
  }
  ::alarm(0);
  EXPECT_TRUE(fs::is_fifo(temp_.filePath("fifo")));
  EXPECT_EQ(fs::file_size(temp_.filePath("big.bin")), 65u);
}

TEST_F(ChipFileTest, AReadOnlyFolderIsRefusedAtStart) {
  const fs::path folder = temp_.path / "read-only";
  fs::create_directory(folder);
  fs::permissions(temp_.path, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const std::string file = (folder / "chip.bin").string();
  EXPECT_EQ(asOrdinaryUser([&] {
              return open(file, chip_) == nullptr &&
                     whyNotHas(file, "cannot be written (Permission denied)");
            }),
            0);
}

}  // namespace
