#include "ImageFileIo.h"

#include <unistd.h>

#include <algorithm>

#include "FileDescriptor.h"
#include "ImageFiles.h"
#include "ImagePlacement.h"
#include "ImageWriters.h"
#include "RawFiles.h"
#include "RecordLines.h"
#include "WholeInput.h"

namespace {

bool isStandardStream(const std::string& path) {
  return path == "-";
}

// The whole file, or all of standard input. A named file must be a regular
// one: a pipe or a device given by name is refused as Open refuses it.
Expected<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
  if (isStandardStream(path)) {
    if (::isatty(STDIN_FILENO) == 1)
      return Failure{"it is a terminal: pipe the image in, or give its file's name"};
    DescriptorSource input(STDIN_FILENO);
    return readWholeInput(input);
  }
  RegularFile file;
  if (const std::error_code error = openRegularFile(path, file)) return systemFailure(error);
  DescriptorSource input(file.descriptor.get());
  return readWholeInput(input);
}

// Without a chip, the image reaches from location 0 to the highest location
// the file gives after the offset. Records that fall below 0 are refused
// (a raw binary's bytes there are left out), and so is an image beyond what
// an image file may hold.
Expected<std::size_t> extentOf(const AddressedData& data, std::int64_t offset, bool binary) {
  std::int64_t highest = -1;
  for (const DataRun& run : data.runs) {
    const std::int64_t first = static_cast<std::int64_t>(run.address) + offset;
    if (first < 0 && !binary)
      return lineFailure(run.line, "address " + hexNumber(static_cast<std::int64_t>(run.address)) +
                                       " falls below 0 with the offset " + hexNumber(offset));
    highest = std::max(highest, first + static_cast<std::int64_t>(run.count) - 1);
  }
  if (highest >= static_cast<std::int64_t>(kMaxImageFileBytes))
    return Failure{"location " + hexNumber(highest) + " lies beyond the " +
                   std::to_string(kMaxImageFileBytes >> 20) + " MiB an image may hold"};
  return static_cast<std::size_t>(highest + 1);
}

// A raw binary of `fileSize` bytes that does not fit a chip of `chipSize` at
// `offset`: its size and the chip's, or with an offset the file's bytes that
// fall outside. Nothing when it fits.
std::optional<Failure> rawFitFailure(std::size_t fileSize, std::size_t chipSize,
                                     std::int64_t offset) {
  const auto size = static_cast<std::int64_t>(fileSize);
  const auto chip = static_cast<std::int64_t>(chipSize);
  if (offset == 0) {
    if (size <= chip) return std::nullopt;
    return Failure{"it is " + std::to_string(fileSize) + " bytes, bigger than the " +
                   std::to_string(chipSize) + "-byte chip: --cut takes its first " +
                   std::to_string(chipSize)};
  }
  std::string outside;  // the file's bytes below location 0, then those past the chip's end
  if (const std::int64_t below = std::min(size, -offset); below > 0)
    outside = hexNumber(0) + " to " + hexNumber(below - 1);
  if (const std::int64_t beyond = std::max<std::int64_t>(0, chip - offset); beyond < size)
    outside += (outside.empty() ? "" : " and ") + hexNumber(beyond) + " to " + hexNumber(size - 1);
  if (outside.empty()) return std::nullopt;
  return Failure{"with the offset " + hexNumber(offset) + ", its bytes " + outside +
                 " fall outside the " + std::to_string(chipSize) + "-byte chip (0x0 to " +
                 hexNumber(chip - 1) + "): --cut leaves them out"};
}

// What loading tells of the file's fit: a raw binary smaller than the chip
// (both sizes, a note), and the bytes left out of a chip or an image.
void tellFit(const std::string& path, std::size_t fileSize, bool binary,
             std::optional<std::size_t> chipSize, const ImageFileOptions& options,
             std::size_t leftOut, Messages& messages) {
  if (binary && chipSize && options.offset == 0 && fileSize < *chipSize)
    messages.show({MessageKind::Note,
                   MessageIcon::Information,
                   "Open",
                   {fileShown(path, ImageFileFormat::Binary) + " is " + std::to_string(fileSize) +
                    " bytes, smaller than the " + std::to_string(*chipSize) + "-byte chip"}});
  if (leftOut == 0) return;
  std::string text = std::to_string(leftOut) + " bytes of the file fall outside the " +
                     (chipSize ? std::to_string(*chipSize) + "-byte chip" : "image");
  if (options.offset != 0) text += " with the offset " + hexNumber(options.offset);
  messages.show(
      {MessageKind::Warning, MessageIcon::Exclamation, "Warning!", {text + " and are left out"}});
}

// The name without its folder, as an S-record header carries it.
std::string baseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// The file's format: --format's, or its content's (a name that says raw
// binary takes a text's bytes as they are).
Expected<ImageFileFormat> formatOf(const std::string& path, const std::vector<std::uint8_t>& file,
                                   const ImageFileOptions& options) {
  if (options.format) return *options.format;
  if (const std::optional<ImageFileFormat> recognized =
          recognizeImageFile(isStandardStream(path) ? "" : path, file.data(), file.size()))
    return *recognized;
  return Failure{
      "it is text, but neither Intel HEX nor S-records: give --format bin to take its bytes as "
      "they are"};
}

}  // namespace

Expected<LoadedImage> loadImageFile(const std::string& path, std::optional<std::size_t> chipSize,
                                    const ImageFileOptions& options, Messages& messages) {
  const Expected<std::vector<std::uint8_t>> file = readWholeFile(path);
  if (!file) return Failure{file.error()};
  const Expected<ImageFileFormat> recognized = formatOf(path, *file, options);
  if (!recognized) return Failure{recognized.error()};
  const ImageFileFormat format = *recognized;
  const Expected<AddressedData> data = readAddressedData(file->data(), file->size(), format);
  if (!data) return Failure{data.error()};
  const bool binary = format == ImageFileFormat::Binary;
  // Without a chip an empty file is an empty image, which info identifies too.
  if (!chipSize && binary && file->empty()) return LoadedImage{{}, {}, format};
  if (data->bytes.empty()) return Failure{file->empty() ? "it is empty" : "it holds no data"};

  const Expected<std::size_t> size =
      chipSize ? Expected<std::size_t>(*chipSize) : extentOf(*data, options.offset, binary);
  if (!size) return Failure{size.error()};
  if (binary && chipSize && !options.cut)
    if (std::optional<Failure> unfit = rawFitFailure(file->size(), *chipSize, options.offset))
      return std::move(*unfit);
  // Without a chip, a raw binary's bytes that an offset puts below 0 are left out.
  const bool leaveOut = options.cut || (binary && !chipSize);
  Expected<PlacedImage> placed =
      placeData(*data, *size, options.offset, options.fill.value_or(kDefaultFill),
                leaveOut ? OutsideChip::LeaveOut : OutsideChip::Refuse);
  if (!placed) return Failure{placed.error()};
  if (placed->leftOut == data->bytes.size())
    return Failure{"none of the file's bytes fall in the " +
                   (chipSize ? std::to_string(*chipSize) + "-byte chip" : std::string("image")) +
                   (options.offset != 0 ? " with the offset " + hexNumber(options.offset) : "")};
  tellFit(path, file->size(), binary, chipSize, options, placed->leftOut, messages);
  return LoadedImage{std::move(placed->bytes), std::move(placed->covered), format};
}

ImageFileFormat outputFormat(const std::string& path, const ImageFileOptions& options) {
  if (options.format) return *options.format;
  return isStandardStream(path) ? ImageFileFormat::Binary : formatForFileName(path);
}

Expected<> saveImageFile(const std::string& path, std::span<const std::uint8_t> bytes,
                         ImageFileFormat format, ExistingFile existing) {
  std::string text;
  if (format == ImageFileFormat::IntelHex) text = intelHexText(bytes.data(), bytes.size());
  if (format == ImageFileFormat::SRecords)
    text = sRecordText(bytes.data(), bytes.size(),
                       isStandardStream(path) ? std::string() : baseName(path), false);
  if (format != ImageFileFormat::Binary)
    bytes = {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
  if (isStandardStream(path)) {
    if (const std::error_code error = writeAll(STDOUT_FILENO, bytes.data(), bytes.size()))
      return systemFailure(error);
    return {};
  }
  if (existing == ExistingFile::Replace) return replaceFile(path, bytes.data(), bytes.size());
  if (const std::error_code error = createNewFile(path, bytes.data(), bytes.size()))
    return systemFailure(error);
  return {};
}

const char* formatName(ImageFileFormat format) {
  switch (format) {
    case ImageFileFormat::IntelHex:
      return "Intel HEX";
    case ImageFileFormat::SRecords:
      return "S-records";
    case ImageFileFormat::Binary:
      break;
  }
  return "raw binary";
}

std::string fileShown(const std::string& path, ImageFileFormat format) {
  std::string name = isStandardStream(path) ? "standard input" : path;
  if (format == ImageFileFormat::Binary) return name;
  return name + " (" + formatName(format) + ")";
}

Message loadFailedMessage(const std::string& path, const std::string& reason) {
  if (!isStandardStream(path)) return openFailedMessage(path, reason);
  return {
      MessageKind::Error, MessageIcon::Critical, "Open", {"Cannot read standard input", reason}};
}

Message storeFailedMessage(const std::string& path, const std::string& reason) {
  if (!isStandardStream(path)) return saveFailedMessage(path, reason);
  return {MessageKind::Error,
          MessageIcon::Critical,
          "Save As",
          {"Cannot write standard output", reason}};
}
