#pragma once
// Reference sources that the romident tests make themselves: zip and 7z
// archives written with libarchive, random ROMs and their hashes.
#include <archive.h>
#include <archive_entry.h>

#include <initializer_list>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ImageHashes.h"
#include "TestFiles.h"

struct ArchiveMember {
  std::string name;
  Bytes bytes;
};

enum class ArchiveFormat { Zip, SevenZip };

inline void writeArchive(const std::string& path, ArchiveFormat format,
                         const std::vector<ArchiveMember>& members) {
  archive* writer = archive_write_new();
  if (format == ArchiveFormat::Zip)
    archive_write_set_format_zip(writer);
  else
    archive_write_set_format_7zip(writer);
  if (archive_write_open_filename(writer, path.c_str()) != ARCHIVE_OK)
    throw std::runtime_error("cannot write " + path);
  for (const ArchiveMember& member : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.name.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.bytes.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_write_header(writer, entry);
    archive_write_data(writer, member.bytes.data(), member.bytes.size());
    archive_entry_free(entry);
  }
  archive_write_close(writer);
  archive_write_free(writer);
}

inline Bytes randomRom(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

inline std::string crcOf(const Bytes& bytes) {
  return hashBytes(bytes).crc32;
}
inline std::string sha1Of(const Bytes& bytes) {
  return hashBytes(bytes).sha1;
}

// A <rom> element of a -listxml, software list or Logiqx DAT for `rom`.
inline std::string romLine(const std::string& name, const Bytes& rom,
                           const std::string& more = "") {
  return "<rom name=\"" + name + "\" size=\"" + std::to_string(rom.size()) + "\" crc=\"" +
         crcOf(rom) + "\" sha1=\"" + sha1Of(rom) + "\" " + more + "/>\n";
}

inline Bytes joined(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
