#pragma once
// A command's results for scripts (--json): one JSON object, on one line of
// standard output. The object starts with "command"; each field is set where
// the command knows it, in the order the object lists them, and "status" (the
// exit status) comes last. Addresses, bytes and sizes are numbers; hashes and
// the checksum are hex text, as ROM lists and the window print them.
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "BoardRoutines.h"
#include "ChipComparison.h"
#include "ImageIdentity.h"
#include "ReadPasses.h"

// Which of a dump's lines in ROM lists the user asked for.
struct RomListLines {
  bool mame = false;
  bool dat = false;
};

class CommandReport {
 public:
  explicit CommandReport(std::string_view command) { fields_["command"] = command; }

  // One field: a number, a bool, text, null (nullptr), or a list or object.
  template <class T>
  void set(const char* key, T&& value) {
    fields_[key] = std::forward<T>(value);
  }

  // "size", "checksum", "crc32", "sha1" and "findings" of the dump in `file`,
  // and "mame" / "dat" when asked for.
  void setIdentity(const std::string& file, const ImageIdentity& identity, RomListLines lines);
  // "unstable": [{"address", "values", "mask"}, ...].
  void setUnstable(std::span<const UnstableLocation> unstable);
  // "differences" (how many locations), "bits_to_program", "bits_to_erase",
  // "first": [{"address", "chip", "file"}, ...] and "findings": [{"kind",
  // "line" (data-line, address-line), "text"}, ...].
  void setComparison(const ChipComparison& comparison);
  // A list of {"address", "chip", "file"} under `key`.
  void setDifferenceList(const char* key, std::span<const ChipDifference> differences);
  // "pulses": {"1": 4088, "3": 8} (only the counts there are), "stepped_over"
  // with `over`, "most_pulses": {"address", "count"} when a location was pulsed.
  void setPulses(const PulseCounts& pulses, bool over);

  // The object and a newline.
  std::string line() const { return fields_.dump() + "\n"; }

 private:
  nlohmann::ordered_json fields_;
};
