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
    int exit_code;
    std::string errors;  // standard error
    std::set<std::string> created;
  };

  Result Run(const std::vector<std::string>& arguments, const std::string& folder = ".",
             const std::string& display = "") {
    const auto before = Listing();
    std::string command =
        "cd '" + Path(folder) + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + display + " " ZEZA_PATH;
    for (const std::string& a : arguments) command += " '" + a + "'";
    const int status = std::system((command + " 2>'" + Path(".stderr") + "'").c_str());
    Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path(".stderr")), {}};
    std::filesystem::remove(Path(".stderr"));
    for (const std::string& name : Listing()) {
      if (!before.count(name)) result.created.insert(name);
    }
    return result;
  }

  std::set<std::string> Listing() const {
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
  WriteFile(Path("x.bin"), "");
  for (const auto& arguments : {std::vector<std::string>{}, {"x.bin", "x.bin"}}) {
    const Result result = Run(arguments);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.errors, kBanner + usage);
    EXPECT_TRUE(result.created.empty());
  }
}

TEST_F(ZezaProgram, ADisplayThatDoesNotAnswerFallsBackToStandardError) {
  const Result result = Run({"missing.hex"}, ".", "DISPLAY=:65000");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.errors, kBanner + "Can't find file missing.hex\n");
}

TEST_F(ZezaProgram, ConvertsByExtensionBesideTheSourceUnderAFreeName) {
  WriteFile(Path("x.hex"), ":0100000041BE\r\n:00000001FF\r\n");
  WriteFile(Path("x.bin"), "old");
  std::filesystem::create_directories(Path("x.bin1"));  // a folder takes the name too
  for (const char* name : {"Y.HEX", "a.b.bin", "notes.txt", "README", "sub/s.bin"}) {
    std::filesystem::create_directories(Path("sub"));
    WriteFile(Path(name), "");
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
    const Result result = Run({c.argument}, c.folder);
    EXPECT_EQ(result.exit_code, 0) << c.argument;
    EXPECT_EQ(result.created, c.created) << c.argument;
    EXPECT_EQ(result.errors, c.errors) << c.argument;
  }
  EXPECT_EQ(ReadFile(Path("x.bin2")), "A");
  EXPECT_EQ(ReadFile(Path("x.bin")), "old");
}

TEST_F(ZezaProgram, MatchesAreConvertedInNameOrder) {
  // All three want x.hex; capitals sort first, and each takes the first free name.
  WriteFile(Path("x.bin"), "3");
  WriteFile(Path("x.BIN"), "1");
  WriteFile(Path("x.Bin"), "2");
  const Result result = Run({"*.bin"});
  EXPECT_EQ(result.created, (std::set<std::string>{"x.hex", "x.hex1", "x.hex2"}));
  EXPECT_EQ(ReadFile(Path("x.hex")), ":0100000031CE\r\n:00000001FF\r\n");
  EXPECT_EQ(ReadFile(Path("x.hex1")), ":0100000032CD\r\n:00000001FF\r\n");
  EXPECT_EQ(ReadFile(Path("x.hex2")), ":0100000033CC\r\n:00000001FF\r\n");
}

TEST_F(ZezaProgram, PatternConvertsEveryMatchAndRefusesFilesOf4GiB) {
  WriteFile(Path("a.bin"), "1");
  WriteFile(Path("b.BIN"), "2");
  WriteFile(Path("c.txt"), "3");
  std::filesystem::create_directory(Path("d.bin"));  // matched, but nothing to convert
  WriteFile(Path("big.bin"), "");
  std::filesystem::resize_file(Path("big.bin"), 1ull << 32);  // sparse: no disk used
  const Result result = Run({"*.bin"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.created, (std::set<std::string>{"a.hex", "b.hex"}));
  EXPECT_EQ(ReadFile(Path("b.hex")), ":0100000032CD\r\n:00000001FF\r\n");
  EXPECT_EQ(result.errors, kBanner + "File is too large!!! (big.bin)\n");
}

TEST_F(ZezaProgram, AFileSizeLimitIsAWriteErrorThatIsReportedNotADeath) {
  WriteFile(Path("big.bin"), RandomBytes(65536, 1));
  ProgramRun run;
  run.argv = {ZEZA_PATH, "big.bin"};
  run.folder = Path(".");
  run.errorFile = Path(".stderr");
  run.env = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
  run.fileSizeLimit = 4096;
  EXPECT_EQ(DescribeStatus(WaitForExit(run.Start())), Exited(0));
  EXPECT_EQ(ReadFile(Path(".stderr")), kBanner + "Error Reading File " +
                                           std::filesystem::canonical(Path("big.bin")).string() +
                                           "\n");
  EXPECT_LE(std::filesystem::file_size(Path("big.hex")), 4096u);
}

TEST_F(ZezaProgram, AReaderThatGoesAwayLosesTheMessagesNotTheConversion) {
  // 300 records with bad checksums: 300 messages for a reader that reads one line.
  std::string hex;
  for (int i = 0; i < 300; ++i) hex += ":0100000041BF\r\n";
  WriteFile(Path("bad.hex"), hex + ":00000001FF\r\n");
  const std::string command = "cd '" + Path(".") + "' && (env -u DISPLAY -u WAYLAND_DISPLAY " +
                              ZEZA_PATH + " bad.hex 2>&1; echo $? >status) | head -n 1 >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(Path("status")), "0\n");
  EXPECT_EQ(ReadFile(Path("bad.bin")), std::string(300, 'A'));
}

}  // namespace
