#include "Zeza.h"

#include <cstdint>

#include "BinToHex.h"
#include "FileNames.h"
#include "FileSearch.h"
#include "HexToBin.h"
#include "MessageTexts.h"

void runZeza(const std::vector<std::string>& arguments, ConverterMessages& messages) {
  if (arguments.size() != 1) {
    messages.ShowMessage(kUsageText);
    return;
  }
  const std::string& argument = arguments.front();
  const FileSearch search = findFiles(argument);
  if (search.matches.empty()) {
    messages.ShowMessage(cantFindFile(argument));
    return;
  }

  for (const FileMatch& match : search.matches) {
    if (match.size > UINT32_MAX) {
      messages.ShowMessage(fileTooLarge(match.name));
      continue;
    }
    const auto size = static_cast<std::uint32_t>(match.size);
    const SplitName split = SplitExtension(match.name);
    const std::string input = search.folder + match.name;
    if (split.extension == "bin") {
      BinToHex(input, search.folder + split.base + ".hex", size, messages);
    } else if (split.extension == "hex") {
      HexToBin(input, search.folder + split.base + ".bin", size, messages);
    }
    // Any other name is passed over without a word.
  }
}
