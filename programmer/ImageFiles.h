#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Expected.h"
#include "MemoryImage.h"
#include "UserInterfaces.h"

// What loading does with a name that no file bears yet: the window's Open
// creates it empty; a program told to burn or compare a named file refuses it.
enum class MissingImageFile { CreateEmpty, Refuse };

// Re-creates `image` with `size` bytes and fills it from the raw binary file
// at `path`, with the empty / smaller / bigger warnings. An existing file is
// opened read-only; a missing name is created empty, or refused (ENOENT).
Expected<> Load_Image_File(const std::string& path, std::int32_t size, MemoryImage& image,
                           Messages& messages,
                           MissingImageFile missing = MissingImageFile::CreateEmpty);

// The warning of a raw binary file of `fileSize` bytes loaded for a chip of
// `chipSize`: smaller than the chip, or bigger and cut at its end; none when
// it fits exactly (or is empty, which Load_Image_File warns of its own way).
std::optional<Message> fileSizeWarning(std::uint64_t fileSize, std::uint64_t chipSize);

// The messages of a file that cannot be read (Open) or written (Save As):
// the file's name, then the system's reason.
Message openFailedMessage(const std::string& path, const std::string& reason);
Message saveFailedMessage(const std::string& path, const std::string& reason);

// Writes every byte of `image` to `path`, through a temporary file in the same
// folder renamed over the target: on failure the old file stays as it was.
Expected<> Save_Image_File(const std::string& path, const MemoryImage& image);
