// The built zeza, run as a user runs it: in a folder of files, without a display.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "ConverterTestSupport.h"

extern char** environ;

namespace {

class ZezaProgram : public TempFolder {
 protected:
  struct Result {
    int exit_code = -1;
    std::string errors;  // standard error
    std::set<std::string> created;
  };

  Result Run(const std::vector<std::string>& arguments, const std::string& folder = "") {
    const auto before = Listing();
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0) {
        environment.push_back(entry);
      }
    }
    const std::string errors_path = Path(".stderr");
    const pid_t child = ::fork();
    if (child == 0) {
      std::vector<char*> argv{const_cast<char*>(ZEZA_PATH)}, envp;
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      for (std::string& e : environment) envp.push_back(e.data());
      argv.push_back(nullptr);
      envp.push_back(nullptr);
      const int errors = ::open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (errors < 0 || ::dup2(errors, 2) < 0 || ::chdir(Path(folder).c_str()) != 0) ::_exit(99);
      ::execve(ZEZA_PATH, argv.data(), envp.data());
      ::_exit(98);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Result result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.errors = ReadFile(errors_path);
    std::filesystem::remove(errors_path);
    for (const std::string& name : Listing()) {
      if (!before.count(name)) result.created.insert(name);
    }
    return result;
  }

  std::set<std::string> Listing() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_)) {
      names.insert(std::filesystem::relative(entry.path(), dir_).string());
    }
    return names;
  }
};

const std::string kBanner = "zeza - bin/hex converter\n";

TEST_F(ZezaProgram, WrongArgumentCountPrintsTheUsageAndConvertsNothing) {
  WriteFile(Path("x.bin"), "");
  for (const auto& arguments : {std::vector<std::string>{}, {"x.bin", "x.bin"}}) {
    const Result result = Run(arguments);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.errors.rfind(kBanner + "Usage:\nDrag and drop", 0), 0u) << result.errors;
    EXPECT_NE(result.errors.find("Morvel *.bin    \t(convert all bin in hex)\n\n"),
              std::string::npos);
    EXPECT_TRUE(result.created.empty());
  }
}

TEST_F(ZezaProgram, ConvertsByExtensionBesideTheSourceUnderAFreeName) {
  WriteFile(Path("x.hex"), ":0100000041BE\r\n:00000001FF\r\n");
  WriteFile(Path("x.bin"), "old");
  WriteFile(Path("x.bin1"), "old");
  WriteFile(Path("Y.HEX"), ":00000001FF\r\n");
  WriteFile(Path("a.b.bin"), "");
  WriteFile(Path("notes.txt"), "");
  WriteFile(Path("README"), "");
  std::filesystem::create_directory(Path("sub"));
  WriteFile(Path("sub/s.bin"), "");
  struct Case {
    std::string argument;
    std::set<std::string> created;
    std::string errors;
    std::string folder = "";
  } const cases[] = {
      {"x.hex", {"x.bin2"}, ""},
      {"Y.HEX", {"Y.bin"}, ""},
      {"a.b.bin", {"a.b.hex"}, ""},
      {"notes.txt", {}, ""},
      {"README", {}, ""},
      {"sub/s.bin", {"sub/s.hex"}, ""},
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

TEST_F(ZezaProgram, PatternConvertsEveryMatchRegardlessOfCase) {
  WriteFile(Path("a.bin"), "1");
  WriteFile(Path("b.BIN"), "2");
  WriteFile(Path("c.txt"), "3");
  const Result result = Run({"*.bin"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.created, (std::set<std::string>{"a.hex", "b.hex"}));
  EXPECT_EQ(ReadFile(Path("b.hex")), ":0100000032CD\r\n:00000001FF\r\n");
  EXPECT_EQ(result.errors, "");
}

}  // namespace
