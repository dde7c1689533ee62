#include "SplitMerge.h"

#include <sys/stat.h>

#include <optional>

#include "ImageFileIo.h"
#include "ImageHashes.h"
#include "ImageSplit.h"

namespace {

void showError(Messages& messages, const char* title, std::string text) {
  messages.show({MessageKind::Error, MessageIcon::Critical, title, {std::move(text)}});
}

// The first of `names` that is there already (a link to nowhere included).
std::optional<std::string> firstTaken(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0) return name;
  }
  return std::nullopt;
}

bool refuseTaken(const std::vector<std::string>& names, const VeskOptions& options,
                 Messages& messages, const char* title) {
  if (options.force) return false;
  const std::optional<std::string> taken = firstTaken(names);
  if (taken) showError(messages, title, *taken + " exists already: give --force to replace it");
  return taken.has_value();
}

void listFile(std::FILE* report, const std::string& name, std::span<const std::uint8_t> bytes) {
  const ImageHashes hashes = hashBytes(bytes);
  std::fprintf(report, "%s: %zu bytes, CRC32 %s, SHA-1 %s\n", name.c_str(), bytes.size(),
               hashes.crc32.c_str(), hashes.sha1.c_str());
}

}  // namespace

std::vector<std::string> partNames(const std::string& file, std::size_t ways) {
  const std::size_t nameStart = file.rfind('/') + 1;  // 0 without a folder
  std::size_t dot = file.rfind('.');
  // ".profile" is a name without an extension.
  if (dot == std::string::npos || dot <= nameStart) dot = file.size();
  std::vector<std::string> names;
  for (std::size_t k = 0; k < ways; ++k) {
    const std::string part = ways == 2 ? (k == 0 ? "even" : "odd") : std::to_string(k);
    names.push_back(file.substr(0, dot) + "." + part + file.substr(dot));
  }
  return names;
}

VeskStatus splitImageFile(const VeskOptions& options, Messages& messages, std::FILE* report) {
  if (options.file == "-") {
    showError(messages, "Split", "split takes a named file: its parts are named after it");
    return VeskStatus::Failed;
  }
  Expected<LoadedImage> image =
      loadImageFile(options.file, std::nullopt, options.imageFile, messages);
  if (!image) {
    messages.show(loadFailedMessage(options.file, image.error()));
    return VeskStatus::Failed;
  }
  // Records end where the program ends; the last part is filled up as the gaps are.
  if (image->format != ImageFileFormat::Binary)
    image->bytes.resize((image->bytes.size() + options.ways - 1) / options.ways * options.ways,
                        options.imageFile.fill.value_or(kDefaultFill));
  const Expected<std::vector<std::vector<std::uint8_t>>> parts =
      splitImage(image->bytes, options.ways, options.swapWords);
  if (!parts) {
    showError(messages, "Split", options.file + ": " + parts.error());
    return VeskStatus::Failed;
  }
  const std::vector<std::string> names = partNames(options.file, options.ways);
  if (refuseTaken(names, options, messages, "Split")) return VeskStatus::Failed;
  const ExistingFile existing = options.force ? ExistingFile::Replace : ExistingFile::Refuse;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const Expected<> saved =
        saveImageFile(names[k], (*parts)[k], formatForFileName(names[k]), existing);
    if (saved) continue;
    messages.show(storeFailedMessage(names[k], saved.error()));
    // Parts made new by this run go again: half a set is no use to anyone.
    if (!options.force)
      for (std::size_t made = 0; made < k; ++made) std::remove(names[made].c_str());
    return VeskStatus::Failed;
  }
  for (std::size_t k = 0; k < names.size(); ++k) listFile(report, names[k], (*parts)[k]);
  std::fflush(report);
  return VeskStatus::Done;
}

VeskStatus mergeImageFiles(const VeskOptions& options, Messages& messages, std::FILE* report) {
  if (options.parts.size() != options.ways) {
    showError(messages, "Merge",
              "--ways " + std::to_string(options.ways) + " joins " + std::to_string(options.ways) +
                  " parts, not " + std::to_string(options.parts.size()));
    return VeskStatus::Failed;
  }
  std::vector<std::vector<std::uint8_t>> parts;
  for (const std::string& name : options.parts) {
    Expected<LoadedImage> part = loadImageFile(name, std::nullopt, {}, messages);
    if (!part) {
      messages.show(loadFailedMessage(name, part.error()));
      return VeskStatus::Failed;
    }
    parts.push_back(std::move(part->bytes));
  }
  const Expected<std::vector<std::uint8_t>> image = mergeParts(parts, options.swapWords);
  if (!image) {
    showError(messages, "Merge", image.error());
    return VeskStatus::Failed;
  }
  const bool toOutput = options.file == "-";
  if (!toOutput && refuseTaken({options.file}, options, messages, "Merge"))
    return VeskStatus::Failed;
  const Expected<> saved =
      saveImageFile(options.file, *image, outputFormat(options.file, options.imageFile),
                    options.force ? ExistingFile::Replace : ExistingFile::Refuse);
  if (!saved) {
    messages.show(storeFailedMessage(options.file, saved.error()));
    return VeskStatus::Failed;
  }
  if (!toOutput) listFile(report, options.file, *image);
  std::fflush(report);
  return VeskStatus::Done;
}
