// Arbitrary bytes as an XML ROM list: MAME's -listxml, a software list or a
// Logiqx DAT, read by the reader of each kind. Whatever the bytes:
// - a list that cannot be read is refused naming a line it has, and nothing
//   is written on standard error; one of another kind is refused by name,
//   and read by its own kind's reader;
// - a list read is a consistent catalogue, each ROM found by its CRC32;
// - printed back as a list of its kind (names escaped as XML has them),
//   it reads to the same catalogue, and so does its index.
#include <string>

#include "CatalogueChecks.h"
#include "XmlListReader.h"

namespace {

struct KindNames {
  const char* root;
  const char* set;
};

KindNames namesOf(SourceKind kind) {
  switch (kind) {
    case SourceKind::SoftwareList:
      return {"softwarelist", "software"};
    case SourceKind::LogiqxDat:
      return {"datafile", "game"};
    default:
      return {"mame", "machine"};
  }
}

// The text as XML keeps it: markup escaped, and the blanks that XML would
// turn into spaces (in an attribute) or line ends (a CR) as references.
std::string escaped(std::string_view text, bool attribute) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\t':
        out += attribute ? "&#9;" : "\t";
        break;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string hex(std::uint64_t value) {
  std::string digits;
  do digits.insert(digits.begin(), "0123456789abcdef"[value & 0xF]);
  while ((value >>= 4) != 0);
  return digits;
}

// The catalogue as a list of `kind`: each set with its description and its
// ROMs, a software list's in a data area named as their region.
std::string printed(const RomCatalogue& catalogue, SourceKind kind) {
  const KindNames names = namesOf(kind);
  const auto attribute = [&](const char* name, std::string_view value) {
    return std::string(" ") + name + "=\"" + escaped(value, true) + "\"";
  };
  std::string xml = std::string("<?xml version=\"1.0\"?>\n<") + names.root + ">\n";
  for (std::uint32_t set = 0; set < catalogue.sets().size(); ++set) {
    const SetRecord& record = catalogue.sets()[set];
    xml += std::string("<") + names.set + attribute("name", catalogue.text(record.name)) + ">";
    xml +=
        "<description>" + escaped(catalogue.text(record.description), false) + "</description>\n";
    for (const RomRecord& rom : catalogue.roms()) {
      if (rom.set != set) continue;
      const bool software = kind == SourceKind::SoftwareList;
      if (software) xml += "<part><dataarea" + attribute("name", catalogue.text(rom.region)) + ">";
      xml += "<rom" + attribute("name", catalogue.text(rom.name)) +
             attribute("size", std::to_string(rom.size)) + attribute("crc", crc32Hex(rom.crc32));
      if ((rom.flags & rom_flag::kSha1) != 0) xml += attribute("sha1", sha1Hex(rom.sha1));
      if ((rom.flags & rom_flag::kBadDump) != 0) xml += attribute("status", "baddump");
      if (!software && rom.region != 0) xml += attribute("region", catalogue.text(rom.region));
      if (rom.loadflag != 0) xml += attribute("loadflag", catalogue.text(rom.loadflag));
      if (rom.offset != kNoOffset)
        xml += attribute(
            "offset", kind == SourceKind::MameListXml ? hex(rom.offset) : "0x" + hex(rom.offset));
      xml += "/>";
      if (software) xml += "</dataarea></part>";
      xml += "\n";
    }
    xml += std::string("</") + names.set + ">\n";
  }
  return xml + "</" + names.root + ">\n";
}

Expected<RomCatalogue> readAs(SourceKind kind, std::string_view text) {
  switch (kind) {
    case SourceKind::SoftwareList:
      return readSoftwareList(text);
    case SourceKind::LogiqxDat:
      return readLogiqxDat(text);
    default:
      return readMameListXml(text);
  }
}

void checkRead(const RomCatalogue& catalogue, SourceKind kind) {
  checkCatalogue(catalogue);
  checkIndexKeepsIt(catalogue, kind);
  const std::string again = printed(catalogue, kind);
  const Expected<RomCatalogue> reread = readAs(kind, again);
  require(static_cast<bool>(reread), "a list printed back is read",
          reread ? again : reread.error() + "\n" + again);
  require(sameCatalogue(catalogue, *reread) && reread->listed() == catalogue.roms().size(),
          "a list printed back reads the same", again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(input), size);
  Expected<RomCatalogue> mame = Failure{""};
  requireSilent([&] { mame = readMameListXml(text); });
  if (mame) {
    checkRead(*mame, SourceKind::MameListXml);
    return 0;
  }
  if (const std::optional<std::size_t> line = lineNamed(mame.error())) {
    require(*line >= 1 && *line <= linesOf(text, true), "a refusal names a line the list has",
            mame.error());
    return 0;
  }
  // Read whole, and of another kind: its own reader reads it.
  require(mame.error().starts_with("not MAME's -listxml"), "a refusal names a line or the kind",
          mame.error());
  const Expected<RomCatalogue> software = readSoftwareList(text);
  const Expected<RomCatalogue> logiqx = readLogiqxDat(text);
  require(static_cast<bool>(software) != static_cast<bool>(logiqx),
          "a list of another kind is read by its own kind's reader");
  if (software) checkRead(*software, SourceKind::SoftwareList);
  if (logiqx) checkRead(*logiqx, SourceKind::LogiqxDat);
  return 0;
}
