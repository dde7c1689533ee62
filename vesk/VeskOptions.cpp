#include "VeskOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "AsciiCase.h"

namespace {

// The whole text as a number in `base`, nothing before or after it.
std::optional<long> whole(std::string_view text, int base = 10) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string choosableTypes() {
  std::string list;
  for (const EpromTypeRow& row : kEpromCatalogue) {
    if (!row.selectable) continue;
    if (!list.empty()) list += ", ";
    list += row.caption;
  }
  return list;
}

// The catalogue's row for a type as the user writes it ("2732", "27128").
const EpromTypeRow* typeRow(std::string_view text, std::string& error) {
  for (const EpromTypeRow& row : kEpromCatalogue) {
    if (text != row.caption) continue;
    if (row.selectable) return &row;
    error = "type " + std::string(text) +
            " cannot be chosen: it is listed, but not available (greyed out in VeskEprom too)";
    return nullptr;
  }
  error = "unknown type '" + std::string(text) + "'; the types are " + choosableTypes();
  return nullptr;
}

std::optional<std::int32_t> inRange(std::string_view text, std::int32_t highest) {
  const std::optional<long> value = whole(text);
  if (!value || *value < 0 || *value > highest) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

// "378h, 0x378, 888 (decimal)": the forms of a base address, LPT1's as the example.
std::string portForms() {
  const std::string hex = baseAddressHex(kLpt1Base);
  return hex + ", 0x" + hex.substr(0, hex.size() - 1) + ", " + std::to_string(kLpt1Base) +
         " (decimal)";
}

// Reads the command line one argument at a time.
class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  VeskArguments read() {
    std::vector<std::string> words;  // the command and its file
    bool optionsEnded = false;
    bool help = false;
    bool version = false;
    bool typeGiven = false;
    while (next_ < arguments_.size() && error_.empty()) {
      const std::string& argument = arguments_[next_++];
      if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
        words.push_back(argument);
      } else if (argument == "--") {
        optionsEnded = true;
      } else if (argument == "--help") {
        help = true;
      } else if (argument == "--version") {
        version = true;
      } else if (argument.rfind("--", 0) == 0) {
        longOption(argument, typeGiven);
      } else {
        shortOptions(argument, help, typeGiven);
      }
    }
    VeskArguments result;
    if (help) {
      result.ask = VeskArguments::Ask::Help;
    } else if (version) {
      result.ask = VeskArguments::Ask::Version;
    } else if (error_.empty() && takeWords(words) && requireType(typeGiven)) {
      result.ask = VeskArguments::Ask::Run;
    } else {
      result.error = error_;
    }
    result.options = options_;
    return result;
  }

 private:
  // "--name=value" or "--name value".
  void longOption(const std::string& argument, bool& typeGiven) {
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const std::optional<std::string> attached =
        equals == std::string::npos ? std::nullopt
                                    : std::optional<std::string>(argument.substr(equals + 1));
    if (name == "--simulate") {
      options_.simulate = true;
      if (attached && attached->empty()) error_ = "--simulate= needs the chip file's name";
      options_.chipFile = attached.value_or("");
    } else if (name == "--no-blank-check" || name == "--quiet") {
      if (attached) {
        error_ = name + " takes no value";
      } else if (name == "--quiet") {
        options_.quiet = true;
      } else {
        options_.settings.VerifyEmpty = false;
      }
    } else if (name == "--type" || name == "--port" || name == "--io-delay" || name == "--pulse") {
      const std::optional<std::string> value = attached ? attached : nextValue(name);
      if (!value) return;
      if (name == "--type") {
        typeGiven = true;
        setType(*value);
      } else {
        applySetting(name, *value);
      }
    } else {
      error_ = "unknown option " + name;
    }
  }

  // "-q", "-h", "-t 2732", "-t2732", "-qt 2732".
  void shortOptions(const std::string& argument, bool& help, bool& typeGiven) {
    for (std::size_t i = 1; i < argument.size() && error_.empty(); ++i) {
      const char letter = argument[i];
      if (letter == 'q') {
        options_.quiet = true;
      } else if (letter == 'h') {
        help = true;
      } else if (letter == 't') {
        const std::optional<std::string> value =
            i + 1 < argument.size() ? std::optional<std::string>(argument.substr(i + 1))
                                    : nextValue("-t");
        typeGiven = true;
        if (value) setType(*value);
        return;
      } else {
        error_ = std::string("unknown option -") + letter;
      }
    }
  }

  std::optional<std::string> nextValue(const std::string& name) {
    if (next_ < arguments_.size()) return arguments_[next_++];
    error_ = name + " needs a value";
    return std::nullopt;
  }

  void setType(const std::string& text) { options_.type = typeRow(text, error_); }

  void applySetting(const std::string& name, const std::string& value) {
    if (name == "--port") {
      const std::optional<std::int16_t> base = parsePort(value);
      if (base)
        options_.settings.LptBase = *base;
      else
        error_ = "--port " + value + ": give the base address as " + portForms() +
                 " or lpt1 to lpt3, from " + lptBaseRangeText();
    } else if (name == "--io-delay") {
      const std::optional<std::int32_t> delay = inRange(value, kHighestIoDelay);
      if (delay)
        options_.settings.IoDelay = *delay;
      else
        error_ = "--io-delay " + value + ": give a whole number from 0 to " +
                 std::to_string(kHighestIoDelay);
    } else {
      const std::optional<std::int32_t> pulse = inRange(value, kHighestProgPulse);
      if (pulse)
        options_.settings.ProgPulse = *pulse;
      else
        error_ = "--pulse " + value + ": give the milliseconds as a whole number from 0 to " +
                 std::to_string(kHighestProgPulse);
    }
  }

  bool takeWords(const std::vector<std::string>& words) {
    if (words.empty()) {
      error_ = "no command given (read, blank, write or verify)";
      return false;
    }
    const std::string& command = words[0];
    const std::size_t files = words.size() - 1;
    if (command == "read") {
      options_.command = VeskCommand::Read;
    } else if (command == "write") {
      options_.command = VeskCommand::Write;
    } else if (command == "verify") {
      options_.command = VeskCommand::Verify;
    } else if (command == "blank") {
      options_.command = VeskCommand::Blank;
      if (files == 0) return true;
      error_ = "blank takes no file";
      return false;
    } else {
      error_ = "unknown command '" + command + "' (read, blank, write or verify)";
      return false;
    }
    if (files != 1) {
      error_ = command + (files == 0 ? " needs one file" : " takes one file");
      return false;
    }
    options_.file = words[1];
    return true;
  }

  bool requireType(bool typeGiven) {
    if (typeGiven) return true;
    error_ = "the chip type is missing: -t TYPE, one of " + choosableTypes();
    return false;
  }

  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
  VeskOptions options_;
  std::string error_;
};

}  // namespace

std::optional<std::int16_t> parsePort(std::string_view text) {
  const std::string folded = asciiLower(text);
  if (folded == "lpt1") return kLpt1Base;
  if (folded == "lpt2") return kLpt2Base;
  if (folded == "lpt3") return kLpt3Base;
  std::optional<long> hex;
  if (folded.size() > 1 && folded.back() == 'h')
    hex = whole(std::string_view(folded).substr(0, folded.size() - 1), 16);
  else if (folded.rfind("0x", 0) == 0)
    hex = whole(std::string_view(folded).substr(2), 16);
  else
    return parseLptBase(text);
  if (!hex || *hex < kLowestLptBase || *hex > kHighestLptBase) return std::nullopt;
  return static_cast<std::int16_t>(*hex);
}

VeskArguments parseVeskArguments(const std::vector<std::string>& arguments) {
  return ArgumentReader(arguments).read();
}

std::string veskUsage() {
  return "Usage: vesk COMMAND -t TYPE [options] [FILE]\n"
         "Reads, blank-checks, programs and verifies a 27-series EPROM on the programmer\n"
         "board at the parallel port.\n"
         "\n"
         "Commands:\n"
         "  read OUT.bin     read the chip into OUT.bin (exactly the chip's size)\n"
         "  blank            check that every location of the chip is FFh\n"
         "  write IN.bin     program IN.bin into the chip, after a blank check\n"
         "  verify IN.bin    read the chip and compare it with IN.bin\n"
         "\n"
         "Options:\n"
         "  -t, --type TYPE      " +
         choosableTypes() +
         "\n"
         "      --port PORT      the port's base address: " +
         portForms() +
         ",\n"
         "                       lpt1, lpt2 or lpt3 (default " +
         baseAddressHex(PortSettings{}.LptBase) +
         ")\n"
         "      --io-delay N     delay loop iterations between port accesses, 0 to " +
         std::to_string(kHighestIoDelay) +
         " (default 100)\n"
         "      --pulse MS       programming pulse in milliseconds, 0 to " +
         std::to_string(kHighestProgPulse) +
         " (default 1)\n"
         "      --no-blank-check write without checking first that the chip is blank\n"
         "      --simulate[=CHIP.bin]\n"
         "                       the board simulator instead of the port: a blank chip,\n"
         "                       or the chip kept in CHIP.bin\n"
         "  -q, --quiet          no progress bar and no notes, only warnings and errors\n"
         "  -h, --help           this help\n"
         "      --version        the version\n"
         "\n"
         "Exit status: 0 done; 1 the chip said no (not blank, Bad Eprom, differences);\n"
         "2 a usage, file or port error; 128 + N when stopped by signal N (130: Ctrl+C).\n";
}
