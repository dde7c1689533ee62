#include "CommandLineWords.h"

std::optional<std::string> emptyOptionValue(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "--") break;
    if (word.starts_with("--") && word.find('=') == word.size() - 1)
      return word + " needs a value after the '='";
  }
  return std::nullopt;
}
