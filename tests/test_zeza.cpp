// The built zeza, run as a user runs it: in a folder of files, without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "ConverterTestSupport.h"
#include "ProgramRun.h"

namespace {

// How zeza ended, what it wrote on standard error, and the names it made.
using Result = std::tuple<int, std::string, std::set<std::string>>;

class ZezaProgram : public FolderTest {
 protected:
  // zeza run in `folder` without a display, or with `display`.
  Result runZeza(const std::vector<std::string>& arguments, const std::string& folder = ".",
                 const std::string& display = "", std::optional<rlim_t> fileSizeLimit = {}) {
    const std::set<std::string> before = listing(folder_.path);
    ProgramRun run{.argv = {ZEZA_PATH},
                   .env = {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}},
                   .folder = filePath(folder),
                   .errorFile = logs_.filePath("errors"),
                   .fileSizeLimit = fileSizeLimit};
    run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
    Result result{waitForExit(run.start()), readFile(run.errorFile), {}};  // in this order
    std::ranges::set_difference(listing(folder_.path), before,
                                std::inserter(std::get<2>(result), std::get<2>(result).end()));
    return result;
  }
  TempFolder logs_;
};

const std::string kBanner = "zeza - bin/hex converter\n";

TEST_F(ZezaProgram, WrongArgumentCountPrintsTheUsageAndConvertsNothing) {
  const std::string usage =
      "Usage:\r\nDrag and drop the hex or bin file to this exe\r\n"
      "and the new file will be created in the same folder\r\n\r\n"
      "Otherwise from the command line:\r\n"
      "zeza file.hex \t(convert in file.bin)\r\nzeza file.bin \t(convert in file.hex)\r\n"
      "zeza *.hex    \t(convert all hex in bin)\r\nzeza *.bin    \t(convert all bin in hex)\r\n"
      "\r\n";
  writeFile(filePath("x.bin"), "");
  for (const auto& arguments : {std::vector<std::string>{},
                                {"x.bin", "x.bin"},
                                {"--help", "x.bin"},
                                {"--version", "--help"}})
    EXPECT_EQ(runZeza(arguments), Result(0, kBanner + usage, {}));
}

// GNU's --help and --version, alone, print on standard output; any other
// argument is still a name or a pattern.
TEST_F(ZezaProgram, HelpAndVersionPrintOnStandardOutput) {
  for (const auto& [option, start, holds] :
       {std::tuple{"--help", "Usage: zeza FILE-OR-PATTERN\n", "      --version  "},
        {"--version", "zeza (VeskEprom) " VESK_VERSION "\nCopyright (C) ",
         "\nLicense GPLv3+: GNU GPL version 3 or later"}}) {
    ProgramRun run{.argv = {ZEZA_PATH, option},
                   .env = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
                   .folder = filePath("."),
                   .errorFile = logs_.filePath("errors"),
                   .outputFile = logs_.filePath("output")};
    EXPECT_EQ(waitForExit(run.start()), 0);
    const std::string output = readFile(run.outputFile);
    EXPECT_TRUE(output.starts_with(start) && output.find(holds) != std::string::npos) << output;
    EXPECT_EQ(readFile(run.errorFile), "");
    // Not a success when it does not reach standard output.
    run.outputFile = "/dev/full";
    EXPECT_EQ(waitForExit(run.start()), 2) << option;
    EXPECT_EQ(readFile(run.errorFile), "zeza: standard output: No space left on device\n");
  }
  for (const char* name : {"--helpme", "-h", "--Version"})
    EXPECT_EQ(runZeza({name}), Result(0, kBanner + "Can't find file " + name + "\n", {}));
}

TEST_F(ZezaProgram, ADisplayThatDoesNotAnswerFallsBackToStandardError) {
  EXPECT_EQ(runZeza({"missing.hex"}, ".", ":65000"),
            Result(0, kBanner + "Can't find file missing.hex\n", {}));
}

TEST_F(ZezaProgram, ConvertsByExtensionBesideTheSourceUnderAFreeName) {
  writeFile(filePath("x.hex"), ":0100000041BE\r\n:00000001FF\r\n");
  writeFile(filePath("x.bin"), "old");
  std::filesystem::create_directories(filePath("x.bin1"));  // a folder takes the name too
  std::filesystem::create_directories(filePath("sub"));
  for (const char* name : {"Y.HEX", "a.b.bin", "notes.txt", "README", "sub/s.bin"})
    writeFile(filePath(name), "");
  const std::tuple<std::string, std::string, std::string, std::set<std::string>> cases[] = {
      {"x.hex", ".", "", {"x.bin2"}},
      {"Y.HEX",
       ".",
       kBanner + "Warning: Hex file bad formed, end of record not found\n",
       {"Y.bin"}},
      {"a.b.bin", ".", "", {"a.b.hex"}},
      {"notes.txt", ".", "", {}},
      {"README", ".", "", {}},
      {"sub/s.bin", ".", "", {"sub/s.hex"}},
      {"../x.hex", "sub", "", {"x.bin3"}},
      {"missing.hex", ".", kBanner + "Can't find file missing.hex\n", {}}};
  for (const auto& [argument, folder, errors, created] : cases)
    EXPECT_EQ(runZeza({argument}, folder), Result(0, errors, created)) << argument;
  EXPECT_EQ(readFile(filePath("x.bin2")), "A");
  EXPECT_EQ(readFile(filePath("x.bin")), "old");
}

TEST_F(ZezaProgram, PatternConvertsEveryMatchInNameOrderAndRefusesFilesOf4GiB) {
  // All three want x.hex; capitals sort first, and each takes the first free name.
  for (const auto& [name, text] :
       {std::pair{"x.bin", "3"}, {"x.BIN", "1"}, {"x.Bin", "2"}, {"c.txt", "4"}})
    writeFile(filePath(name), text);
  std::filesystem::create_directory(filePath("d.bin"));  // matched, but nothing to convert
  writeFile(filePath("big.bin"), "");
  std::filesystem::resize_file(filePath("big.bin"), 1ull << 32);  // sparse: no disk used
  EXPECT_EQ(runZeza({"*.bin"}),
            Result(0, kBanner + "File is too large!!! (big.bin)\n", {"x.hex", "x.hex1", "x.hex2"}));
  for (const auto& [name, record] : {std::pair{"x.hex", ":0100000031CE"},
                                     {"x.hex1", ":0100000032CD"},
                                     {"x.hex2", ":0100000033CC"}})
    EXPECT_EQ(readFile(filePath(name)), record + std::string("\r\n:00000001FF\r\n"));
}

TEST_F(ZezaProgram, AFileSizeLimitIsAWriteErrorThatIsReportedNotADeath) {
  writeFile(filePath("big.bin"), randomBytes(65536, 1));
  EXPECT_EQ(runZeza({"big.bin"}, ".", "", 4096),
            Result(0,
                   kBanner + "Error Reading File " +
                       std::filesystem::canonical(filePath("big.bin")).string() + "\n",
                   {"big.hex"}));
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
