#pragma once
// vesk's image files: raw binaries, Intel HEX and S-records, read by their
// content and placed at their addresses, written in the format their name
// says; "-" is standard input or output.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Expected.h"
#include "ImageFileFormats.h"
#include "UserInterfaces.h"

// The options that say how an image file is read (--format, --offset,
// --fill, --cut), and for an output its format (--format).
struct ImageFileOptions {
  std::optional<ImageFileFormat> format;  // none: by the content (in), by the name (out)
  std::int64_t offset = 0;                // added to every address of the file
  std::optional<std::uint8_t> fill;       // none: FFh, and verify skips what the file leaves
  bool cut = false;  // what falls outside the chip is left out, rather than refused
};

// What the locations a file does not give hold unless --fill says otherwise:
// the erased state, which programming leaves as it is.
inline constexpr std::uint8_t kDefaultFill = 0xFF;

// An image made from a file, and which of its locations the file gives.
struct LoadedImage {
  std::vector<std::uint8_t> bytes;
  std::vector<bool> covered;
  ImageFileFormat format = ImageFileFormat::Binary;
};

// Reads the file at `path` ("-": standard input, to its end; refused when it
// is a terminal, which nobody pipes an image from) and places it in an
// image of `chipSize` bytes, or without a chip in one that reaches from 0
// to the highest location the file gives. The format is the content's, or
// --format's; a text that is neither Intel HEX nor S-records is refused
// rather than taken as bytes, unless the name says raw binary (.bin, .rom:
// recognizeImageFile). Two values for one location fail naming the line and
// the address. Data outside the chip fail too, naming the address and line
// of HEX and S-records, the sizes or the bytes that do not fit of a raw
// binary, unless options.cut leaves them out, with a warning on `messages`
// (as without a chip the bytes of a raw binary that an offset puts below 0
// are). A raw binary smaller than the chip gets a note with both sizes. A
// file without data fails, unless it is an empty raw binary read without a
// chip: an empty image.
[[nodiscard]] Expected<LoadedImage> loadImageFile(const std::string& path,
                                                  std::optional<std::size_t> chipSize,
                                                  const ImageFileOptions& options,
                                                  Messages& messages);

// The format an image is written to `path` in: --format's, else the one its
// name says (raw binary for "-" and for names that say none).
ImageFileFormat outputFormat(const std::string& path, const ImageFileOptions& options);

// What saving does where a file already is: replace it safely (a new file
// renamed over it), or refuse.
enum class ExistingFile { Replace, Refuse };

// Writes `bytes` to `path` as `format` ("-": standard output). S-records
// carry the file's name in their header.
[[nodiscard]] Expected<> saveImageFile(const std::string& path, std::span<const std::uint8_t> bytes,
                                       ImageFileFormat format,
                                       ExistingFile existing = ExistingFile::Replace);

// "raw binary", "Intel HEX", "S-records".
const char* formatName(ImageFileFormat format);

// An input as notes name it: "in.bin", "in.hex (Intel HEX)", "standard input".
std::string fileShown(const std::string& path, ImageFileFormat format);

// The messages of a file that cannot be read or written: its name (or the
// standard stream), then why.
Message loadFailedMessage(const std::string& path, const std::string& reason);
Message storeFailedMessage(const std::string& path, const std::string& reason);
