#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Expected.h"
#include "RomCatalogue.h"

// Sources that hold the ROM images themselves: a .zip or .7z archive (one
// set, named after the archive; its members the ROMs), and a folder searched
// through for such archives and for loose images (whose set is the folder
// holding them). Archives are read by libarchive and told by their content,
// whatever their names. Each image is recorded with its CRC32, its size and
// its sketch; its SHA-1 is taken when a match needs it, from the image.

// Images bigger than this are no chip's and are stepped over.
inline constexpr std::uint64_t kLargestImage = 256 << 20;

// Whether the first bytes of a file are those of a zip or 7z archive.
bool looksLikeArchive(std::span<const std::uint8_t> head);

// One archive in memory (the fuzz target's entry point), as the set `set`.
Expected<RomCatalogue> readArchiveBytes(std::span<const std::uint8_t> bytes, std::string_view set);

// One archive file; the set is its name without the extension.
Expected<RomCatalogue> readArchiveFile(const std::string& path);

// A regular file under a folder: its path relative to the folder, its size
// and modification time, which together say whether the folder changed.
struct FolderFile {
  std::string path;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
};

// The folder's regular files, searched through, in order of their paths.
// Folders that cannot be read are stepped over; links to folders are not
// followed (no loops).
std::vector<FolderFile> listFolder(const std::string& root);

// Every image of the folder's files. An archive that cannot be read is an
// error that names it.
Expected<RomCatalogue> readImageFolder(const std::string& root,
                                       const std::vector<FolderFile>& files);

// An image of a source read again, for a comparison or its SHA-1. It must
// still be the size the catalogue says.
Expected<std::vector<std::uint8_t>> readImageAgain(const std::string& sourcePath, bool isFolder,
                                                   const RomCatalogue& catalogue,
                                                   const ImageRecord& image);
