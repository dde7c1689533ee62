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
  std::string write(const Bytes& bytes) {
    writeBytes(path_, bytes);
    return path_;
  }
  long entries() const { return std::distance(fs::directory_iterator(folder_), {}); }

  TempFolder temp_;
  fs::path folder_ = temp_.path;
  std::string path_ = (folder_ / "image.bin").string();
  Recorder boxes_;
};

TEST_F(ImageFilesTest, LoadFitsAnyFileToTheChipSizeWithTheRightWarning) {
  for (const auto& [length, box] : std::initializer_list<std::pair<std::size_t, std::string>>{
           {4096, ""},
           {2048, "box:Warning!| File is Smaller than Eprom Size|E"},
           {8192, "box:Warning! | File is Bigger than Eprom Size,will be Cutted! |E"},
           {0, "box:Warning!| You've Selected an Empty File|E"}}) {
    MemoryImage image(16);
    image.at(0) = 0xEE;
    boxes_.events.clear();
    ASSERT_TRUE(Load_Image_File(write(pattern(length)), 4096, image, boxes_));
    EXPECT_EQ(boxes_.events, box.empty() ? Events{} : Events{box});
    Bytes expected = pattern(std::min<std::size_t>(length, 4096));
    expected.resize(4096, 0x00);  // a short file leaves 00, not FFh
    EXPECT_EQ(contents(image), expected) << length;
  }
}

TEST_F(ImageFilesTest, MissingNameIsCreatedEmptyAndUnopenableOnesFailUntouched) {
  MemoryImage image(16);
  ASSERT_TRUE(Load_Image_File(path_, 2048, image, boxes_));
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(boxes_.events, Events{"box:Warning!| You've Selected an Empty File|E"});
  for (const fs::path& bad : {folder_ / "no-folder" / "x.bin", folder_}) {
    const Expected<> result = Load_Image_File(bad.string(), 4096, image, boxes_);
    EXPECT_FALSE(result.hasValue() || result.error().empty());
    EXPECT_EQ(image.size(), 2048);
  }
}

TEST_F(ImageFilesTest, MissingNameRefusedWhenAskedIsNotCreated) {
  MemoryImage image(16);
  const Expected<> result = Load_Image_File(path_, 2048, image, boxes_, MissingImageFile::Refuse);
  EXPECT_EQ(result.error(), "No such file or directory");
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(boxes_.events.empty());
  EXPECT_EQ(image.size(), 16);
}

TEST_F(ImageFilesTest, ReadOnlyFileLoads) {
  write(pattern(4096));
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(folder_, fs::perms::all);
  // Root may write any file, so the load runs as an ordinary user.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    MemoryImage image;
    Recorder quiet;
    const bool ok =
        Load_Image_File(path_, 4096, image, quiet).hasValue() && contents(image) == pattern(4096);
    ::_exit(ok ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ImageFilesTest, SaveReplacesTheFileWholeOrLeavesTheOldOneAsItWas) {
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(write(pattern(10000)), mode);
  const Expected<> failed = [&] {
    const FileSizeLimit limit(1024);  // writing a 4 KiB image fails half-way
    return Save_Image_File(path_, MemoryImage(4096));
  }();
  EXPECT_EQ(failed.error(), "File too large");
  EXPECT_EQ(readBytes(path_), pattern(10000));

  MemoryImage image(4096);
  image.at(4095) = 0x99;
  ASSERT_TRUE(Save_Image_File(path_, image));
  EXPECT_EQ(readBytes(path_), contents(image));
  EXPECT_EQ(fs::status(path_).permissions(), mode);
  EXPECT_EQ(entries(), 1);  // no temporary file left behind either time
}

TEST_F(ImageFilesTest, SpecialFilesAreRefusedAtOnceAndNeverReplaced) {
  const std::string fifo = (folder_ / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ::alarm(20);  // opening a FIFO for reading would block: fail rather than hang
  for (const std::string& special : {fifo, std::string("/dev/null")}) {
    MemoryImage image(16);
    const Expected<> loaded = Load_Image_File(special, 4096, image, boxes_);
    EXPECT_EQ(loaded.error(), "Not a regular file") << special;
    EXPECT_EQ(image.size(), 16);
    EXPECT_EQ(Save_Image_File(special, MemoryImage(16)).error(), "Not a regular file") << special;
  }
  ::alarm(0);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(entries(), 1);
}

TEST_F(ImageFilesTest, LongNamesAndLinksToRegularFilesSave) {
  // The temporary file's name does not grow with the target's.
  const std::string longName = (folder_ / std::string(250, 'n')).string();
  MemoryImage image(32);
  image.at(31) = 0x31;
  ASSERT_TRUE(Save_Image_File(longName, image));
  EXPECT_EQ(readBytes(longName), contents(image));

  fs::create_symlink(longName, folder_ / "link.bin");
  image.at(0) = 0x01;
  ASSERT_TRUE(Save_Image_File((folder_ / "link.bin").string(), image));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.bin"));
  EXPECT_EQ(readBytes(longName), contents(image));
  EXPECT_EQ(entries(), 2);
}

}  // namespace
