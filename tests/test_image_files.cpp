// Loading raw images of every size against the chip's, and saving them
// without ever losing the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ImageFiles.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

Bytes pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

class ImageFilesTest : public ::testing::Test {
 protected:
  long entries() const { return std::distance(fs::directory_iterator(temp_.path), {}); }

  TempFolder temp_;
  std::string path_ = temp_.filePath("image.bin");
  Recorder boxes_;
  MemoryImage image_{16};
};

TEST_F(ImageFilesTest, LoadFitsAnyFileToTheChipSizeWithTheRightWarning) {
  for (const auto& [length, box] : std::initializer_list<std::pair<std::size_t, std::string>>{
           {4096, ""},
           {2048, "box:Warning!| File is Smaller than Eprom Size|E"},
           {8192, "box:Warning! | File is Bigger than Eprom Size,will be Cutted! |E"},
           {0, "box:Warning!| You've Selected an Empty File|E"}}) {
    writeBytes(path_, pattern(length));
    boxes_.events.clear();
    ASSERT_TRUE(Load_Image_File(path_, 4096, image_, boxes_));
    EXPECT_EQ(boxes_.events, box.empty() ? Events{} : Events{box});
    Bytes expected = pattern(std::min<std::size_t>(length, 4096));
    expected.resize(4096, 0x00);  // a short file leaves 00, not FFh
    EXPECT_EQ(contents(image_), expected) << length;
  }
}

TEST_F(ImageFilesTest, MissingNameIsCreatedEmptyOrRefusedAsAsked) {
  const Expected<> refused = Load_Image_File(path_, 2048, image_, boxes_, MissingImageFile::Refuse);
  EXPECT_EQ(refused.error(), "No such file or directory");
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(image_.size(), 16);
  ASSERT_TRUE(Load_Image_File(path_, 2048, image_, boxes_));
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(boxes_.events, Events{"box:Warning!| You've Selected an Empty File|E"});
}

TEST_F(ImageFilesTest, ReadOnlyFileLoads) {
  writeBytes(path_, pattern(4096));
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(temp_.path, fs::perms::all);
  EXPECT_EQ(asOrdinaryUser([&] {
              return Load_Image_File(path_, 4096, image_, boxes_) &&
                     contents(image_) == pattern(4096);
            }),
            0);
}

TEST_F(ImageFilesTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  writeBytes(path_, pattern(10000));
  fs::permissions(path_, mode);
  const FileSizeLimit limit(1024);  // writing a 4 KiB image fails half-way, as on a full disk
  EXPECT_EQ(Save_Image_File(path_, MemoryImage(4096)).error(), "File too large");
  EXPECT_EQ(readBytes(path_), pattern(10000));
  EXPECT_EQ(entries(), 1);
}

TEST_F(ImageFilesTest, SaveReplacesTheWholeFileKeepingItsModeAndLinks) {
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  // The temporary file's name does not grow with the target's.
  const std::string longName = temp_.filePath(std::string(250, 'n'));
  writeBytes(longName, pattern(10000));
  fs::permissions(longName, mode);
  fs::create_symlink(longName, temp_.path / "link.bin");
  image_.at(15) = 0x99;
  ASSERT_TRUE(Save_Image_File(temp_.filePath("link.bin"), image_));
  EXPECT_TRUE(fs::is_symlink(temp_.path / "link.bin"));
  EXPECT_EQ(readBytes(longName), contents(image_));
  EXPECT_EQ(fs::status(longName).permissions(), mode);
  EXPECT_EQ(entries(), 2);
}

TEST_F(ImageFilesTest, SpecialFilesAreRefusedAtOnceAndNeverReplaced) {
  const std::string fifo = temp_.filePath("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ::alarm(20);  // opening a FIFO for reading would block: fail rather than hang
  for (const std::string& special : {fifo, std::string("/dev/null")}) {
    EXPECT_EQ(Load_Image_File(special, 4096, image_, boxes_).error(), "Not a regular file");
    EXPECT_EQ(Save_Image_File(special, image_).error(), "Not a regular file") << special;
  }
  ::alarm(0);
  EXPECT_EQ(image_.size(), 16);
  EXPECT_TRUE(fs::is_fifo(fifo) && fs::is_character_file("/dev/null"));
  EXPECT_EQ(Load_Image_File(temp_.path.string(), 4096, image_, boxes_).error(), "Is a directory");
}

}  // namespace
