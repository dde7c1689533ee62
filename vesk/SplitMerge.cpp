#include "SplitMerge.h"

#include <sys/stat.h>

#include <cstdio>
#include <optional>

#include "ImageFileIo.h"
#include "ImageHashes.h"
#include "ImageSplit.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The first of `names` that is there already (a link to nowhere included).
std::optional<std::string> firstTaken(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0) return name;
  }
  return std::nullopt;
}

// A file that is there already, unless --force may replace it.
std::optional<FileFailure> refuseTaken(const std::vector<std::string>& names,
                                       const VeskOptions& options) {
  if (options.force) return std::nullopt;
  const std::optional<std::string> taken = firstTaken(names);
  if (!taken) return std::nullopt;
  return FileFailure{FileProblem::Exists, *taken};
}

ExistingFile existingFile(const VeskOptions& options) {
  return options.force ? ExistingFile::Replace : ExistingFile::Refuse;
}

WrittenFile writtenFile(const std::string& name, std::span<const std::uint8_t> bytes) {
  return {name, bytes.size(), hashBytes(bytes)};
}

// options.file's parts; `failure` says why there are none.
std::optional<std::vector<Bytes>> splitParts(const VeskOptions& options, Messages& messages,
                                             std::optional<FileFailure>& failure) {
  Expected<LoadedImage> image =
      loadImageFile(options.file, std::nullopt, options.imageFile, messages);
  if (!image) {
    failure = FileFailure{FileProblem::Unreadable, options.file, image.error()};
    return std::nullopt;
  }
  // Records end where the program ends; the last part is filled up as the gaps are.
  if (image->format != ImageFileFormat::Binary)
    image->bytes.resize((image->bytes.size() + options.ways - 1) / options.ways * options.ways,
                        options.imageFile.fill.value_or(kDefaultFill));
  Expected<std::vector<Bytes>> parts = splitImage(image->bytes, options.ways, options.swapWords);
  if (!parts) {
    failure = FileFailure{FileProblem::Unsplittable, options.file, parts.error()};
    return std::nullopt;
  }
  return std::move(*parts);
}

// Every part saved under its name, or none that this run made: half a set
// is no use to anyone.
std::optional<FileFailure> saveParts(const std::vector<std::string>& names,
                                     const std::vector<Bytes>& parts, const VeskOptions& options) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    const Expected<> saved =
        saveImageFile(names[k], parts[k], formatForFileName(names[k]), existingFile(options));
    if (saved) continue;
    if (!options.force)
      for (std::size_t made = 0; made < k; ++made) std::remove(names[made].c_str());
    return FileFailure{FileProblem::Unwritable, names[k], saved.error()};
  }
  return std::nullopt;
}

// options.parts joined; `failure` says why they are not.
std::optional<Bytes> mergedImage(const VeskOptions& options, Messages& messages,
                                 std::optional<FileFailure>& failure) {
  std::vector<Bytes> parts;
  for (const std::string& name : options.parts) {
    Expected<LoadedImage> part = loadImageFile(name, std::nullopt, {}, messages);
    if (!part) {
      failure = FileFailure{FileProblem::Unreadable, name, part.error()};
      return std::nullopt;
    }
    parts.push_back(std::move(part->bytes));
  }
  Expected<Bytes> image = mergeParts(parts, options.swapWords);
  if (!image) {
    failure = FileFailure{FileProblem::Unmergeable, options.file, image.error()};
    return std::nullopt;
  }
  return std::move(*image);
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

VeskFilesResult splitImageFile(const VeskOptions& options, Messages& messages) {
  VeskFilesResult result{
      .command = VeskFilesResult::Command::Split, .file = options.file, .ways = options.ways};
  if (options.file == "-") {
    result.failure = FileFailure{FileProblem::Unnamed, options.file};
    return result;
  }
  const std::optional<std::vector<Bytes>> parts = splitParts(options, messages, result.failure);
  if (!parts) return result;
  const std::vector<std::string> names = partNames(options.file, options.ways);
  result.failure = refuseTaken(names, options);
  if (!result.failure) result.failure = saveParts(names, *parts, options);
  if (result.failure) return result;
  for (std::size_t k = 0; k < names.size(); ++k)
    result.written.push_back(writtenFile(names[k], (*parts)[k]));
  return result;
}

VeskFilesResult mergeImageFiles(const VeskOptions& options, Messages& messages) {
  VeskFilesResult result{.command = VeskFilesResult::Command::Merge,
                         .file = options.file,
                         .ways = options.ways,
                         .partsGiven = options.parts.size()};
  if (options.parts.size() != options.ways) {
    result.failure = FileFailure{FileProblem::PartCount, {}};
    return result;
  }
  const std::optional<Bytes> image = mergedImage(options, messages, result.failure);
  if (!image) return result;
  const bool toOutput = options.file == "-";
  if (!toOutput) result.failure = refuseTaken({options.file}, options);
  if (result.failure) return result;
  const Expected<> saved = saveImageFile(
      options.file, *image, outputFormat(options.file, options.imageFile), existingFile(options));
  if (!saved) {
    result.failure = FileFailure{FileProblem::Unwritable, options.file, saved.error()};
    return result;
  }
  if (!toOutput) result.written.push_back(writtenFile(options.file, *image));
  return result;
}
