// The built zeza, run as a user runs it: in a folder of files, without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <set>

#include "ConverterTestSupport.h"
#include "ProgramRun.h"

namespace {

class ZezaProgram : public FolderTest {
 protected:
  struct Result {
    int exitCode;
    std::string errors;  // standard error
    std::set<std::string> created;
  };

  Result runZeza(const std::vector<std::string>& arguments, const std::string& folder = ".",
                 const std::string& display = "") {
    const auto before = listing();
    std::string command = "cd '" + filePath(folder) + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                          display + " " ZEZA_PATH;
    for (const std::string& a : arguments) command += " '" + a + "'";
    const int status = std::system((command + " 2>'" + filePath(".stderr") + "'").c_str());
    Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(filePath(".stderr")), {}};
    std::filesystem::remove(filePath(".stderr"));
    for (const std::string& name : listing()) {
      if (!before.count(name)) result.created.insert(name);
    }
    return result;
  }

  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path)) {
      names.insert(std::filesystem::relative(entry.path(), folder_.path).string());
    }
    return names;
  }
};

const std::string kBanner = "zeza - bin/hex converter\n";

TEST_F(ZezaProgram, WrongArgumentCountPrintsTheUsageAndConvertsNothing) {
  const std::string usage =
      "Usage:\r\nDrag and drop the hex or bin file to this exe\r\n"
      "and the new file will be created in the same folder\r\n\r\n"
      "Otherwise from the command line:\r\n"
      "Morvel file.hex \t(convert in file.bin)\r\nMorvel file.bin \t(convert in file.hex)\r\n"
      "Morvel *.hex    \t(convert all hex in bin)\r\nMorvel *.bin    \t(convert all bin in hex)\r\n"
      "\r\n";
  writeFile(filePath("x.bin"), "");
  for (const auto& arguments : {std::vector<std::string>{}, {"x.bin", "x.bin"}}) {
    const Result result = runZeza(arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.errors, kBanner + usage);
    EXPECT_TRUE(result.created.empty());
  }
}

TEST_F(ZezaProgram, ADisplayThatDoesNotAnswerFallsBackToStandardError) {
  const Result result = runZeza({"missing.hex"}, ".", "DISPLAY=:65000");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.errors, kBanner + "Can't find file missing.hex\n");
}

TEST_F(ZezaProgram, ConvertsByExtensionBesideTheSourceUnderAFreeName) {
  writeFile(filePath("x.hex"), ":0100000041BE\r\n:00000001FF\r\n");
  writeFile(filePath("x.bin"), "old");
  std::filesystem::create_directories(filePath("x.bin1"));  // a folder takes the name too
  for (const char* name : {"Y.HEX", "a.b.bin", "notes.txt", "README", "sub/s.bin"}) {
    std::filesystem::create_directories(filePath("sub"));
    writeFile(filePath(name), "");
  }
  struct Case {
    std::string argument;
    std::set<std::string> created;
    std::string errors = "";
    std::string folder = ".";
  } const cases[] = {
      {"x.hex", {"x.bin2"}},
      {"Y.HEX", {"Y.bin"}, kBanner + "Warning: Hex file bad formed, end of record not found\n"},
      {"a.b.bin", {"a.b.hex"}},
      {"notes.txt", {}},
      {"README", {}},
      {"sub/s.bin", {"sub/s.hex"}},
      {"../x.hex", {"x.bin3"}, "", "sub"},
      {"missing.hex", {}, kBanner + "Can't find file missing.hex\n"},
  };
  for (const Case& c : cases) {
    const Result result = runZeza({c.argument}, c.folder);
    EXPECT_EQ(result.exitCode, 0) << c.argument;
    EXPECT_EQ(result.created, c.created) << c.argument;
    EXPECT_EQ(result.errors, c.errors) << c.argument;
  }
  EXPECT_EQ(readFile(filePath("x.bin2")), "A");
  EXPECT_EQ(readFile(filePath("x.bin")), "old");
}

TEST_F(ZezaProgram, MatchesAreConvertedInNameOrder) {
  // All three want x.hex; capitals sort first, and each takes the first free name.
  writeFile(filePath("x.bin"), "3");
  writeFile(filePath("x.BIN"), "1");
  writeFile(filePath("x.Bin"), "2");
  const Result result = runZeza({"*.bin"});
  EXPECT_EQ(result.created, (std::set<std::string>{"x.hex", "x.hex1", "x.hex2"}));
  EXPECT_EQ(readFile(filePath("x.hex")), ":0100000031CE\r\n:00000001FF\r\n");
  EXPECT_EQ(readFile(filePath("x.hex1")), ":0100000032CD\r\n:00000001FF\r\n");
  EXPECT_EQ(readFile(filePath("x.hex2")), ":0100000033CC\r\n:00000001FF\r\n");
}

TEST_F(ZezaProgram, PatternConvertsEveryMatchAndRefusesFilesOf4GiB) {
  writeFile(filePath("a.bin"), "1");
  writeFile(filePath("b.BIN"), "2");
  writeFile(filePath("c.txt"), "3");
  std::filesystem::create_directory(filePath("d.bin"));  // matched, but nothing to convert
  writeFile(filePath("big.bin"), "");
  std::filesystem::resize_file(filePath("big.bin"), 1ull << 32);  // sparse: no disk used
  const Result result = runZeza({"*.bin"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.created, (std::set<std::string>{"a.hex", "b.hex"}));
  EXPECT_EQ(readFile(filePath("b.hex")), ":0100000032CD\r\n:00000001FF\r\n");
  EXPECT_EQ(result.errors, kBanner + "File is too large!!! (big.bin)\n");
}

TEST_F(ZezaProgram, AFileSizeLimitIsAWriteErrorThatIsReportedNotADeath) {
  writeFile(filePath("big.bin"), randomBytes(65536, 1));
  ProgramRun run;
  run.argv = {ZEZA_PATH, "big.bin"};
  run.folder = filePath(".");
  run.errorFile = filePath(".stderr");
  run.env = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
  run.fileSizeLimit = 4096;
  EXPECT_EQ(describeStatus(waitForExit(run.start())), exited(0));
  EXPECT_EQ(readFile(filePath(".stderr")),
            kBanner + "Error Reading File " +
                std::filesystem::canonical(filePath("big.bin")).string() + "\n");
  EXPECT_LE(std::filesystem::file_size(filePath("big.hex")), 4096u);
}

TEST_F(ZezaProgram, AReaderThatGoesAwayLosesTheMessagesNotTheConversion) {
  // 300 records with bad checksums: 300 messages for a reader that reads one line.
  std::string hex;
  for (int i = 0; i < 300; ++i) hex += ":0100000041BF\r\n";
  writeFile(filePath("bad.hex"), hex + ":00000001FF\r\n");
  const std::string command = "cd '" + filePath(".") + "' && (env -u DISPLAY -u WAYLAND_DISPLAY " +
                              ZEZA_PATH + " bad.hex 2>&1; echo $? >status) | head -n 1 >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readFile(filePath("status")), "0\n");
  EXPECT_EQ(readFile(filePath("bad.bin")), std::string(300, 'A'));
}

}  // namespace
