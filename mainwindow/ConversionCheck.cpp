#include "ConversionCheck.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "AsciiCase.h"
#include "MainTexts.h"

namespace {

constexpr const char* kNothingConvertedTitle = "Nothing converted";
constexpr const char* kNothingConvertedLead = "Nothing was converted from ";
constexpr const char* kNotConvertible = "It is neither a .bin nor a .hex file.";
constexpr const char* kNoOutput =
    "zeza ended without writing a new file beside it; its own messages say why.";

std::filesystem::path folderOf(const std::string& path) {
  return std::filesystem::path(path).parent_path();
}

}  // namespace

ConversionCheck::ConversionCheck(std::string sourcePath) : sourcePath_(std::move(sourcePath)) {
  const std::string name = std::filesystem::path(sourcePath_).filename().string();
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) {
    const std::string extension = asciiLower(std::string_view(name).substr(dot + 1));
    const std::string base = name.substr(0, dot);
    if (extension == "bin") outputStem_ = base + ".hex";
    if (extension == "hex") outputStem_ = base + ".bin";
  }
  before_ = outputNames();
}

std::set<std::string> ConversionCheck::outputNames() const {
  std::set<std::string> names;
  if (!outputStem_) return names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folderOf(sourcePath_), error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(*outputStem_)) continue;
    const std::string_view counter = std::string_view(name).substr(outputStem_->size());
    if (std::ranges::all_of(counter, [](char c) { return c >= '0' && c <= '9'; }))
      names.insert(name);
  }
  return names;
}

Message ConversionCheck::report() const {
  const auto nothingConverted = [this](const char* why) {
    return Message{MessageKind::Warning,
                   MessageIcon::Exclamation,
                   kNothingConvertedTitle,
                   {kNothingConvertedLead + sourcePath_, why}};
  };
  if (!outputStem_) return nothingConverted(kNotConvertible);
  if (std::ranges::includes(before_, outputNames())) return nothingConverted(kNoOutput);
  return {MessageKind::Note, MessageIcon::Information, kConversionDoneTitle, {kConversionDoneText}};
}
