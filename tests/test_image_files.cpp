// Loading raw images of every size against the chip's, and saving them
// without ever losing the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ImageFiles.h"
#include "RawFiles.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

class ImageFilesTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string path_ = temp_.filePath("image.bin");
  Recorder boxes_;
  MemoryImage image_{16};
};

TEST_F(ImageFilesTest, LoadFitsAnyFileToTheChipSizeWithTheRightWarning) {
  for (const auto& [length, box] : std::initializer_list<std::pair<std::size_t, Events>>{
           {4096, {}},
           {2048, {"box:Warning!| File is Smaller than Eprom Size|E"}},
           {8192, {"box:Warning! | File is Bigger than Eprom Size,will be Cutted! |E"}},
           {0, {"box:Warning!| You've Selected an Empty File|E"}}}) {
    writeFile(path_, pattern(length));
    boxes_.events.clear();
    ASSERT_TRUE(Load_Image_File(path_, 4096, image_, boxes_));
    Bytes expected = pattern(std::min<std::size_t>(length, 4096));
    expected.resize(4096, 0x00);  // a short file leaves 00, not FFh
    EXPECT_EQ(boxes_.events, box) << length;
    EXPECT_EQ(contents(image_), expected) << length;
  }
}

TEST_F(ImageFilesTest, AMissingNameIsCreatedEmptyOrRefusedAsAsked) {
  EXPECT_EQ(Load_Image_File(path_, 2048, image_, boxes_, MissingImageFile::Refuse).error(),
            "No such file or directory");
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(image_.size(), 16);
  ASSERT_TRUE(Load_Image_File(path_, 2048, image_, boxes_));
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(boxes_.events, Events{"box:Warning!| You've Selected an Empty File|E"});
}

TEST_F(ImageFilesTest, AReadOnlyFileLoads) {
  writeFile(path_, pattern(4096));
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(temp_.path, fs::perms::all);
  EXPECT_EQ(asOrdinaryUser([&] {
              return Load_Image_File(path_, 4096, image_, boxes_) &&
                     contents(image_) == pattern(4096);
            }),
            0);
}

TEST_F(ImageFilesTest, SaveReplacesTheWholeFileOrLeavesTheOldOneAndNoTemporaryFile) {
  // The temporary file's name does not grow with the target's; a link stays a link.
  const std::string target = temp_.filePath(std::string(250, 'n')),
                    link = temp_.filePath("link.bin");
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  writeFile(target, pattern(10000));
  fs::permissions(target, mode);
  fs::create_symlink(target, link);
  {
    const FileSizeLimit limit(1024);  // writing a 4 KiB image fails half-way, as on a full disk
    EXPECT_EQ(Save_Image_File(link, MemoryImage(4096)).error(), "File too large");
  }
  EXPECT_EQ(readFile<Bytes>(target), pattern(10000));
  EXPECT_EQ(listing(temp_.path).size(), 2u);
  image_.at(15) = 0x99;
  ASSERT_TRUE(Save_Image_File(link, image_));
  EXPECT_EQ(readFile<Bytes>(target), contents(image_));
  EXPECT_EQ(fs::status(target).permissions(), mode);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(listing(temp_.path).size(), 2u);
}

TEST_F(ImageFilesTest, ANewFileIsNeverOneThatIsThereAndOneThatFailsHalfWayIsRemoved) {
  writeFile(path_, pattern(16));
  const Bytes bytes = pattern(4096);
  EXPECT_EQ(createNewFile(path_, bytes.data(), bytes.size()), std::errc::file_exists);
  EXPECT_EQ(readFile<Bytes>(path_), pattern(16));
  const std::string fresh = temp_.filePath("new.bin");
  {
    const FileSizeLimit limit(1024);
    EXPECT_EQ(createNewFile(fresh, bytes.data(), bytes.size()), std::errc::file_too_large);
  }
  EXPECT_FALSE(fs::exists(fresh));
  ASSERT_FALSE(createNewFile(fresh, bytes.data(), bytes.size()));
  EXPECT_EQ(readFile<Bytes>(fresh), bytes);
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
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(Load_Image_File(temp_.path.string(), 4096, image_, boxes_).error(), "Is a directory");
}

}  // namespace
