// Arbitrary bytes as a ClrMamePro DAT. Whatever the bytes:
// - a DAT that cannot be read is refused naming a line it has;
// - a DAT read is a consistent catalogue, each ROM found by its CRC32;
// - printed back as a DAT (each text quoted, unless it holds a quote and
//   so came as one word), it reads to the same catalogue, and so does its
//   index.
#include <string>

#include "CatalogueChecks.h"
#include "ClrMameProReader.h"

namespace {

// A text as the DAT's words: quoted, unless it holds a quote (a word that
// is not quoted holds no blanks or parentheses, and may hold quotes).
std::string word(std::string_view text) {
  if (text.find('"') != std::string_view::npos) return std::string(text);
  return "\"" + std::string(text) + "\"";
}

std::string printed(const RomCatalogue& catalogue) {
  std::string dat = "clrmamepro ( name \"again\" )\n";
  for (std::uint32_t set = 0; set < catalogue.sets().size(); ++set) {
    const SetRecord& record = catalogue.sets()[set];
    dat += "game (\n\tname " + word(catalogue.text(record.name)) + "\n\tdescription " +
           word(catalogue.text(record.description)) + "\n";
    for (const RomRecord& rom : catalogue.roms()) {
      if (rom.set != set) continue;
      dat += "\trom ( name " + word(catalogue.text(rom.name)) + " size " +
             std::to_string(rom.size) + " crc " + crc32Hex(rom.crc32);
      if ((rom.flags & rom_flag::kSha1) != 0) dat += " sha1 " + sha1Hex(rom.sha1);
      if ((rom.flags & rom_flag::kBadDump) != 0) dat += " flags baddump";
      dat += " )\n";
    }
    dat += ")\n";
  }
  return dat;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(input), size);
  const Expected<RomCatalogue> catalogue = readClrMameProDat(text);
  if (!catalogue) {
    const std::optional<std::size_t> line = lineNamed(catalogue.error());
    require(line && *line >= 1 && *line <= linesOf(text), "a refusal names a line the DAT has",
            catalogue.error());
    return 0;
  }
  checkCatalogue(*catalogue);
  checkIndexKeepsIt(*catalogue, SourceKind::ClrMameProDat);
  const std::string again = printed(*catalogue);
  const Expected<RomCatalogue> reread = readClrMameProDat(again);
  require(static_cast<bool>(reread), "a DAT printed back is read",
          reread ? again : reread.error() + "\n" + again);
  require(sameCatalogue(*catalogue, *reread) && reread->listed() == catalogue->roms().size(),
          "a DAT printed back reads the same", again);
  return 0;
}
