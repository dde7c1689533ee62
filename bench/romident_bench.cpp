// The steps of bench/run-romident, each one process that bench_time times
// and measures:
//   identify INDEXES LIST DUMP   names a dump against a list through its index
//                                (built when INDEXES holds none; "-" reads the list directly)
//   generate FOLDER              20,000 reference images, 2 to 128 KiB, in 2,000 zip archives
//   decompress FOLDER            reads and decompresses every archive once: the yardstick
//   nearest INDEXES FOLDER DUMP  the nearest reference of a dump, through the folder's index
//   rot FOLDER DUMP              writes as DUMP one reference image with three bits lost
// Each prints what it found and its own time on standard error.
#include <archive.h>
#include <archive_entry.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ReferenceSources.h"
#include "RomIdentification.h"

namespace {

namespace fs = std::filesystem;

constexpr int kArchives = 2000;
constexpr int kImagesPerArchive = 10;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Bytes that compress about as a ROM's do: mostly a few common values
// (opcodes, zeros), a blank tail in some.
std::vector<std::uint8_t> romLike(std::mt19937& random, std::size_t size) {
  std::vector<std::uint8_t> common(48);
  for (std::uint8_t& value : common) value = static_cast<std::uint8_t>(random());
  std::vector<std::uint8_t> bytes(size);
  for (std::uint8_t& byte : bytes)
    byte =
        static_cast<std::uint8_t>(random() % 4 != 0 ? common[random() % common.size()] : random());
  if (random() % 4 == 0)
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(size * 3 / 4), bytes.end(), 0xFF);
  return bytes;
}

int generate(const std::string& folder) {
  fs::create_directories(folder);
  std::mt19937 random(2026);
  for (int set = 0; set < kArchives; ++set) {
    const std::string path = folder + "/set" + std::to_string(set) + ".zip";
    archive* writer = archive_write_new();
    archive_write_set_format_zip(writer);
    archive_write_set_options(writer, "zip:compression-level=1");  // fast; still deflate
    if (archive_write_open_filename(writer, path.c_str()) != ARCHIVE_OK) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    for (int chip = 0; chip < kImagesPerArchive; ++chip) {
      const std::size_t size = std::size_t{2048} << (random() % 7);  // 2 to 128 KiB
      const std::vector<std::uint8_t> bytes = romLike(random, size);
      archive_entry* entry = archive_entry_new();
      archive_entry_set_pathname(entry, ("chip" + std::to_string(chip) + ".bin").c_str());
      archive_entry_set_size(entry, static_cast<la_int64_t>(size));
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_perm(entry, 0644);
      archive_write_header(writer, entry);
      archive_write_data(writer, bytes.data(), bytes.size());
      archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
  }
  return 0;
}

int decompress(const std::string& folder) {
  const Clock::time_point start = Clock::now();
  std::uint64_t total = 0;
  std::vector<std::uint8_t> block(1 << 16);
  for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
    if (file.path().extension() != ".zip") continue;
    archive* reader = archive_read_new();
    archive_read_support_format_zip(reader);
    archive_read_support_format_7zip(reader);
    if (archive_read_open_filename(reader, file.path().c_str(), 1 << 16) != ARCHIVE_OK) return 1;
    archive_entry* entry = nullptr;
    while (archive_read_next_header(reader, &entry) == ARCHIVE_OK)
      for (la_ssize_t got; (got = archive_read_data(reader, block.data(), block.size())) > 0;)
        total += static_cast<std::uint64_t>(got);
    archive_read_free(reader);
  }
  std::fprintf(stderr, "decompressed %llu bytes in %.3f s\n",
               static_cast<unsigned long long>(total), secondsSince(start));
  return 0;
}

IndexSettings indexes(const std::string& folder) {
  return folder == "-" ? IndexSettings{false, {}} : IndexSettings{true, folder};
}

// Loads the source and names the dump.
int identify(const std::string& folder, const std::string& sourcePath,
             const std::string& dumpPath) {
  const std::vector<std::uint8_t> dump = readAll(dumpPath);
  const Clock::time_point start = Clock::now();
  Expected<LoadedSource> source = loadSource(sourcePath, indexes(folder));
  if (!source) {
    std::fprintf(stderr, "%s\n", source.error().c_str());
    return 2;
  }
  const double loaded = secondsSince(start);
  std::vector<LoadedSource> sources;
  sources.push_back(std::move(*source));
  const DumpIdentification result = identifyDump(dump, sources);
  const SourceSummary& summary = sources[0].summary;
  std::fprintf(stderr,
               "%zu ROMs listed, %zu with a CRC32, %zu images; index %s%s; loaded in %.4f s, "
               "identified in %.4f s; %zu identified, %zu nearest",
               summary.listed, summary.roms, summary.images,
               summary.index.found == IndexFound::Current ? "used" : "not used",
               summary.index.written ? ", written" : "", loaded, secondsSince(start),
               result.identified.size(), result.nearest.size());
  for (const NearestRom& near : result.nearest)
    std::fprintf(stderr, "; nearest %s/%s: %lld bits at %lld locations, %lld lost charge",
                 near.set.c_str(), near.rom.c_str(), static_cast<long long>(near.bits),
                 static_cast<long long>(near.locations), static_cast<long long>(near.lostCharge));
  std::fprintf(stderr, "\n");
  return 0;
}

// One of the references, read back, with three programmed bits lost.
int rot(const std::string& folder, const std::string& dumpPath) {
  archive* reader = archive_read_new();
  archive_read_support_format_zip(reader);
  const std::string path = folder + "/set1234.zip";
  if (archive_read_open_filename(reader, path.c_str(), 1 << 16) != ARCHIVE_OK) return 1;
  archive_entry* entry = nullptr;
  std::vector<std::uint8_t> bytes;
  for (int chip = 0; chip <= 3 && archive_read_next_header(reader, &entry) == ARCHIVE_OK; ++chip) {
    bytes.assign(static_cast<std::size_t>(archive_entry_size(entry)), 0);
    for (std::size_t at = 0; at < bytes.size();) {
      const la_ssize_t got = archive_read_data(reader, bytes.data() + at, bytes.size() - at);
      if (got <= 0) return 1;
      at += static_cast<std::size_t>(got);
    }
  }
  archive_read_free(reader);
  int lost = 0;
  for (std::size_t at = 0; at < bytes.size() && lost < 3; at += bytes.size() / 5)
    for (int bit = 0; bit < 8; ++bit)
      if ((bytes[at] >> bit & 1) == 0) {
        bytes[at] = static_cast<std::uint8_t>(bytes[at] | 1 << bit);
        ++lost;
        break;
      }
  std::ofstream(dumpPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::fprintf(stderr, "set1234/chip3.bin (%zu bytes) with %d bits lost\n", bytes.size(), lost);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && (args[0] == "identify" || args[0] == "nearest"))
    return identify(args[1], args[2], args[3]);
  if (args.size() == 2 && args[0] == "generate") return generate(args[1]);
  if (args.size() == 2 && args[0] == "decompress") return decompress(args[1]);
  if (args.size() == 3 && args[0] == "rot") return rot(args[1], args[2]);
  std::fprintf(stderr,
               "usage: romident_bench identify INDEXES|- LIST DUMP | generate FOLDER | "
               "decompress FOLDER | nearest INDEXES FOLDER DUMP | rot FOLDER DUMP\n");
  return 2;
}
