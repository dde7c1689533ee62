#include "XmlListReader.h"

#include <expat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>

#include "ListFields.h"

namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr std::size_t kNoRom = std::numeric_limits<std::size_t>::max();

const char* attribute(const XML_Char** attributes, const char* name) {
  for (; *attributes != nullptr; attributes += 2)
    if (std::strcmp(attributes[0], name) == 0) return attributes[1];
  return nullptr;
}

// Texts of a message built by appending (g++ 12 misjudges "<" + std::string).
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

}  // namespace

struct XmlListReader::State {
  explicit State(RomCatalogue& into) : catalogue(into), parser(XML_ParserCreate(nullptr)) {}
  ~State() { XML_ParserFree(parser); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  RomCatalogue& catalogue;
  XML_Parser parser;
  std::string error;
  std::optional<SourceKind> kind;
  std::string root;
  int depth = 0;
  int setDepth = 0;  // of the set being read; 0 outside sets
  std::uint32_t set = 0;
  bool inDescription = false;
  std::string description;
  std::string dataArea;
  std::size_t lastRom = kNoRom;  // the named ROM that a nameless continue extends

  // Whether expat's step went through; if not, the error in words, with
  // its line, unless a handler has given its own.
  bool parsed(XML_Status status) {
    if (status == XML_STATUS_OK) return true;
    if (error.empty())
      error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " +
              XML_ErrorString(XML_GetErrorCode(parser));
    return false;
  }

  void fail(const std::string& why) {
    if (error.empty())
      error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + why;
    XML_StopParser(parser, XML_FALSE);
  }

  bool isSet(const char* name) const {
    switch (*kind) {
      case SourceKind::MameListXml:
      case SourceKind::LogiqxDat:
        return std::strcmp(name, "machine") == 0 || std::strcmp(name, "game") == 0;
      case SourceKind::SoftwareList:
        return std::strcmp(name, "software") == 0;
      default:
        return false;
    }
  }

  void startRoot(const char* name) {
    root = name;
    if (root == "mame")
      kind = SourceKind::MameListXml;
    else if (root == "softwarelist" || root == "softwarelists")
      kind = SourceKind::SoftwareList;
    else if (root == "datafile")
      kind = SourceKind::LogiqxDat;
    else
      return fail(joined({"not a ROM list: its root element is <", root, ">"}));
  }

  void start(const char* name, const XML_Char** attributes) {
    ++depth;
    if (depth == 1) return startRoot(name);
    if (setDepth == 0) {
      if (!isSet(name)) return;
      const char* setName = attribute(attributes, "name");
      if (setName == nullptr || *setName == '\0')
        return fail(joined({"<", name, "> without a name"}));
      setDepth = depth;
      set = catalogue.addSet(setName);
      lastRom = kNoRom;
      dataArea.clear();
      return;
    }
    if (std::strcmp(name, "rom") == 0) return startRom(attributes);
    if (std::strcmp(name, "description") == 0 && depth == setDepth + 1) {
      inDescription = true;
      description.clear();
      XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
        static_cast<State*>(data)->description.append(text, static_cast<std::size_t>(length));
      });
    } else if (std::strcmp(name, "dataarea") == 0) {
      const char* area = attribute(attributes, "name");
      dataArea = area != nullptr ? area : "";
    }
  }

  void end() {
    if (inDescription && depth == setDepth + 1) {
      inDescription = false;
      XML_SetCharacterDataHandler(parser, nullptr);
      catalogue.describeSet(set, description);
    }
    if (depth == setDepth) setDepth = 0;
    --depth;
  }

  void startRom(const XML_Char** attributes) {
    const char* name = attribute(attributes, "name");
    const char* size = attribute(attributes, "size");
    const char* loadflag = attribute(attributes, "loadflag");
    std::uint64_t bytes = 0;
    if (size != nullptr && !parseListNumber(size, bytes))
      return fail(joined({"the size \"", size, "\" is not a number"}));
    if (name == nullptr || *name == '\0') {
      // A software list's continuation of the ROM before: more of its file
      // loaded elsewhere (continue) or stepped over (ignore); a reload or a
      // fill reads no more of it.
      const std::string_view flag = loadflag != nullptr ? loadflag : "";
      if (lastRom != kNoRom && (flag == "continue" || flag == "ignore"))
        catalogue.romAt(lastRom).size += bytes;
      return;
    }
    lastRom = kNoRom;
    catalogue.countListed();
    const char* status = attribute(attributes, "status");
    const char* crc = attribute(attributes, "crc");
    if ((status != nullptr && std::strcmp(status, "nodump") == 0) || crc == nullptr || *crc == '\0')
      return;
    RomRecord rom;
    if (!parseCrc32(crc, rom.crc32)) return fail(joined({"the crc \"", crc, "\" is not a CRC32"}));
    if (const char* sha1 = attribute(attributes, "sha1"); sha1 != nullptr && *sha1 != '\0') {
      if (!parseSha1(sha1, rom.sha1))
        return fail(joined({"the sha1 \"", sha1, "\" is not a SHA-1"}));
      rom.flags |= rom_flag::kSha1;
    }
    if (size == nullptr) return fail(joined({"<rom name=\"", name, "\"> without a size"}));
    rom.size = bytes;
    if (status != nullptr && std::strcmp(status, "baddump") == 0) rom.flags |= rom_flag::kBadDump;
    if (const char* offset = attribute(attributes, "offset");
        offset != nullptr && *offset != '\0') {
      // -listxml writes offsets in hex without a prefix; software lists
      // write 0x... or decimal.
      const bool parsed = *kind == SourceKind::MameListXml ? parseHexNumber(offset, rom.offset)
                                                           : parseListNumber(offset, rom.offset);
      if (!parsed) return fail(joined({"the offset \"", offset, "\" is not a number"}));
    }
    rom.set = set;
    rom.name = catalogue.addText(name);
    const char* region = attribute(attributes, "region");
    rom.region = catalogue.addRepeatedText(*kind == SourceKind::SoftwareList ? dataArea
                                           : region != nullptr               ? region
                                                                             : "");
    rom.loadflag = catalogue.addRepeatedText(loadflag != nullptr ? loadflag : "");
    lastRom = catalogue.addRom(rom);
  }
};

XmlListReader::XmlListReader(RomCatalogue& into) : state_(std::make_unique<State>(into)) {
  XML_Parser parser = state_->parser;
  XML_SetUserData(parser, state_.get());
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        static_cast<State*>(data)->start(name, attributes);
      },
      [](void* data, const XML_Char*) { static_cast<State*>(data)->end(); });
}

XmlListReader::~XmlListReader() = default;

bool XmlListReader::feed(std::string_view bytes, bool last) {
  State& state = *state_;
  if (!state.error.empty()) return false;
  // expat takes an int's worth at a time.
  constexpr std::size_t kMost = 1 << 30;
  do {
    const std::size_t now = std::min(bytes.size(), kMost);
    const bool final = last && now == bytes.size();
    if (!state.parsed(XML_Parse(state.parser, bytes.data(), static_cast<int>(now), final)))
      return false;
    bytes.remove_prefix(now);
  } while (!bytes.empty());
  return true;
}

bool XmlListReader::feedFile(int fd, std::uint64_t size, std::string& fileError) {
  State& state = *state_;
  for (std::uint64_t at = 0; at < size;) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size - at));
    void* buffer = XML_GetBuffer(state.parser, static_cast<int>(want));
    if (buffer == nullptr) return state.parsed(XML_STATUS_ERROR);  // out of memory
    const ssize_t got = ::pread(fd, buffer, want, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      fileError = got < 0 ? std::strerror(errno) : "the file ended early";
      return false;
    }
    at += static_cast<std::uint64_t>(got);
    if (!state.parsed(XML_ParseBuffer(state.parser, static_cast<int>(got), XML_FALSE)))
      return false;
  }
  return feed({}, true);
}

const std::string& XmlListReader::error() const {
  return state_->error;
}
SourceKind XmlListReader::kind() const {
  return state_->kind.value_or(SourceKind::MameListXml);
}

Expected<ListReading> readXmlList(std::string_view bytes) {
  ListReading reading;
  XmlListReader reader(reading.catalogue);
  if (!reader.feed(bytes, true)) return Failure{reader.error()};
  reading.kind = reader.kind();
  reading.catalogue.finish();
  return reading;
}

namespace {

Expected<RomCatalogue> readXmlListOf(std::string_view bytes, SourceKind kind, const char* what) {
  Expected<ListReading> reading = readXmlList(bytes);
  if (!reading) return Failure{reading.error()};
  if (reading->kind != kind) return Failure{std::string("not ") + what};
  return std::move(reading->catalogue);
}

}  // namespace

Expected<RomCatalogue> readMameListXml(std::string_view bytes) {
  return readXmlListOf(bytes, SourceKind::MameListXml, "MAME's -listxml (its root is not <mame>)");
}
Expected<RomCatalogue> readSoftwareList(std::string_view bytes) {
  return readXmlListOf(bytes, SourceKind::SoftwareList,
                       "a software list (its root is not <softwarelist>)");
}
Expected<RomCatalogue> readLogiqxDat(std::string_view bytes) {
  return readXmlListOf(bytes, SourceKind::LogiqxDat, "a Logiqx DAT (its root is not <datafile>)");
}

Expected<ListReading> readXmlListFile(int fd, std::uint64_t size) {
  ListReading reading;
  XmlListReader reader(reading.catalogue);
  std::string fileError;
  if (!reader.feedFile(fd, size, fileError))
    return Failure{fileError.empty() ? reader.error() : fileError};
  reading.kind = reader.kind();
  reading.catalogue.finish();
  return reading;
}
