#include "ReferenceSources.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "ClrMameProReader.h"
#include "FileDescriptor.h"
#include "ImageHashes.h"
#include "ImageSources.h"
#include "XmlListReader.h"

namespace {

namespace fs = std::filesystem;

struct Reading {
  SourceKind kind = SourceKind::MameListXml;
  RomCatalogue catalogue;
};

void appendNumber(std::string& material, std::int64_t value) {
  material += std::to_string(value);
  material += '\n';
}

// What says whether the source changed: a file's size and modification
// time; for a folder, the same of every file under it.
std::string keyOf(const struct stat& st, const std::vector<FolderFile>* files) {
  std::string material = files != nullptr ? "folder\n" : "file\n";
  if (files == nullptr) {
    appendNumber(material, st.st_size);
    appendNumber(material, std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec);
  } else {
    for (const FolderFile& file : *files) {
      material += file.path;
      material += '\0';
      appendNumber(material, static_cast<std::int64_t>(file.size));
      appendNumber(material, file.modifiedNs);
    }
  }
  return hashBytes({reinterpret_cast<const std::uint8_t*>(material.data()), material.size()}).sha1;
}

bool startsAsXml(std::string_view head) {
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  const std::size_t at = head.find_first_not_of(" \t\r\n");
  return at != std::string_view::npos && head[at] == '<';
}

Expected<Reading> readFileSource(const std::string& path) {
  const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return systemFailure(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return systemFailure(errno);
  if (!S_ISREG(st.st_mode)) return Failure{"not a regular file or a folder"};
  const auto size = static_cast<std::uint64_t>(st.st_size);
  char head[512] = {};
  std::size_t got = 0;
  if (const std::error_code error = readUpTo(fd.get(), head, sizeof head, &got))
    return systemFailure(error);
  const std::string_view start(head, got);
  Reading reading;
  if (looksLikeArchive({reinterpret_cast<const std::uint8_t*>(head), got})) {
    Expected<RomCatalogue> catalogue = readArchiveFile(path);
    if (!catalogue) return Failure{catalogue.error()};
    reading.kind = SourceKind::Archive;
    reading.catalogue = std::move(*catalogue);
  } else if (startsAsXml(start)) {
    Expected<ListReading> list = readXmlListFile(fd.get(), size);
    if (!list) return Failure{list.error()};
    reading.kind = list->kind;
    reading.catalogue = std::move(list->catalogue);
  } else if (looksLikeClrMameProDat(start)) {
    std::string text(static_cast<std::size_t>(size), '\0');
    if (::lseek(fd.get(), 0, SEEK_SET) != 0) return systemFailure(errno);
    if (const std::error_code error = readUpTo(fd.get(), text.data(), text.size(), &got))
      return systemFailure(error);
    text.resize(got);
    Expected<RomCatalogue> catalogue = readClrMameProDat(text);
    if (!catalogue) return Failure{catalogue.error()};
    reading.kind = SourceKind::ClrMameProDat;
    reading.catalogue = std::move(*catalogue);
  } else {
    return Failure{"not a ROM list, a DAT, an archive or a folder of ROM images"};
  }
  return reading;
}

// The source as read, and its counts in the summary.
void adopt(LoadedSource& source, SourceKind kind, RomCatalogue catalogue) {
  source.summary.kind = kind;
  source.catalogue = std::move(catalogue);
  source.summary.listed = static_cast<std::size_t>(source.catalogue.listed());
  source.summary.roms = source.catalogue.roms().size();
  source.summary.images = source.catalogue.images().size();
}

// The source read from its folder or file, as it stands now.
Expected<Reading> readSource(const std::string& path, const std::string& location, bool isFolder,
                             const std::vector<FolderFile>& files) {
  if (!isFolder) return readFileSource(path);
  Expected<RomCatalogue> catalogue = readImageFolder(location, files);
  if (!catalogue) return Failure{catalogue.error()};
  return Reading{SourceKind::ImageFolder, std::move(*catalogue)};
}

// Keeps the source's reading as its index, saying in the summary whether it
// could.
void keepIndex(const std::string& folder, const std::string& indexFile, const std::string& key,
               LoadedSource& source) {
  std::error_code error;
  fs::create_directories(folder, error);
  Expected<> written =
      error ? Expected<>(systemFailure(error))
            : writeIndex(indexFile, source.location, key, source.summary.kind, source.catalogue);
  source.summary.index.written = written.hasValue();
  if (!written) source.summary.index.notWritten = written.error();
}

}  // namespace

Expected<LoadedSource> loadSource(const std::string& path, const IndexSettings& settings) {
  const auto failed = [&](const std::string& why) { return Failure{path + ": " + why}; };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return failed(std::strerror(errno));
  const bool isFolder = S_ISDIR(st.st_mode);
  if (!isFolder && !S_ISREG(st.st_mode)) return failed("not a regular file or a folder");

  LoadedSource source;
  source.summary.path = path;
  source.location = fs::absolute(path).lexically_normal().string();
  std::vector<FolderFile> files;
  if (isFolder) files = listFolder(source.location);
  const std::string key = keyOf(st, isFolder ? &files : nullptr);

  const bool indexed = settings.use && !settings.folder.empty();
  const std::string indexFile = indexed ? indexFilePath(settings.folder, source.location) : "";
  if (indexed) {
    IndexRead index = readIndex(indexFile, source.location, key);
    source.summary.index.found = index.found;
    source.summary.index.damage = index.damage;
    if (index.found == IndexFound::Current) {
      adopt(source, index.kind, std::move(index.catalogue));
      return source;
    }
  }

  Expected<Reading> reading = readSource(path, source.location, isFolder, files);
  if (!reading) return failed(reading.error());
  adopt(source, reading->kind, std::move(reading->catalogue));
  if (indexed) keepIndex(settings.folder, indexFile, key, source);
  return source;
}
