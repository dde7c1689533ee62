#include "InfoCommand.h"

#include <algorithm>

#include "ImageFileIo.h"
#include "ResultText.h"
#include "VeskReport.h"

VeskStatus runInfoCommand(const VeskOptions& options, Messages& messages, std::FILE* results) {
  const RomListLines lines{options.mame, options.dat};
  VeskStatus status = VeskStatus::Done;
  bool blockShown = false;  // the text blocks are parted by an empty line
  for (const std::string& file : options.infoFiles) {
    CommandReport report("info");
    report.set("type", nullptr);
    report.set("file", file);
    // As the file's content says: a binary as it is, records from location 0.
    const Expected<LoadedImage> loaded =
        loadImageFile(file, std::nullopt, options.imageFile, messages);
    VeskStatus fileStatus = VeskStatus::Done;
    std::string text;
    if (loaded) {
      MemoryImage image(static_cast<std::int32_t>(loaded->bytes.size()));
      std::copy(loaded->bytes.begin(), loaded->bytes.end(), image.data());
      const ImageIdentity identity = identifyImage(image);
      report.setIdentity(file, identity, lines);
      text = identityText(file, identity, lines);
    } else {
      messages.show(loadFailedMessage(file, loaded.error()));
      fileStatus = status = VeskStatus::Failed;
    }
    report.set("status", static_cast<int>(fileStatus));
    if (options.json) {
      text = report.line();
    } else if (!text.empty()) {
      if (blockShown) std::fputc('\n', results);
      blockShown = true;
    }
    std::fputs(text.c_str(), results);
    std::fflush(results);
  }
  return status;
}
