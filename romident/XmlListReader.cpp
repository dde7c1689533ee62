#include "XmlListReader.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "ListFields.h"

namespace {

// libxml2 copies each block into its own buffer; a quarter MiB stays in the
// cache, and bigger blocks were no faster.
constexpr std::size_t kBlock = 1 << 18;
constexpr std::size_t kNoRom = std::numeric_limits<std::size_t>::max();
constexpr std::string_view kNoElement = "the file holds no XML element";
// How far entities may expand: a list may hold 8 MiB of their text, and
// beyond that at most 100 times its own size (a few entities, each
// referring to the one before many times, would make gigabytes of a few
// lines). libxml2 catches only the worst such lists itself.
constexpr std::uint64_t kEntityTextAlways = std::uint64_t{8} << 20;
constexpr std::uint64_t kEntityTextFactor = 100;

std::string_view textOf(const xmlChar* text) {
  return reinterpret_cast<const char*>(text);
}

// Texts of a message built by appending (g++ 12 misjudges "<" + std::string).
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

// The elements and attributes that the reading looks at. libxml2 hands
// every name over from its dictionary, so once looked up there they are
// told apart by their address.
enum class Tag { Machine, Game, Software, Rom, DataArea, Description, Count };
enum class Attribute { Name, Size, Crc, Sha1, Status, Offset, Region, Loadflag, Count };
constexpr std::size_t kTags = static_cast<std::size_t>(Tag::Count);
constexpr std::size_t kAttributes = static_cast<std::size_t>(Attribute::Count);
constexpr std::array<const char*, kTags> kTagNames = {"machine", "game",     "software",
                                                      "rom",     "dataarea", "description"};
constexpr std::array<const char*, kAttributes> kAttributeNames = {
    "name", "size", "crc", "sha1", "status", "offset", "region", "loadflag"};

// What the DOCTYPE says of one of those attributes of one of those
// elements; the first declaration binds, as XML has it.
struct Declared {
  bool seen = false;
  bool tokens = false;  // a type other than CDATA: blanks normalized
  std::optional<std::string> fallback;
};

// The attributes of a start tag as libxml2's SAX2 hands them over: five
// pointers each (local name, prefix, namespace, value, the end of the value).
class StartTag {
 public:
  StartTag(const xmlChar** attributes, int count) : attributes_(attributes), count_(count) {}

  std::optional<std::string_view> find(const xmlChar* name) const {
    for (int i = 0; i < count_; ++i) {
      const xmlChar* const* attribute = attributes_ + 5 * i;
      if (attribute[0] == name && attribute[1] == nullptr)
        return std::string_view(reinterpret_cast<const char*>(attribute[3]),
                                static_cast<std::size_t>(attribute[4] - attribute[3]));
    }
    return std::nullopt;
  }

 private:
  const xmlChar** attributes_;
  int count_;
};

// What XML does to the value of an attribute declared with a type other
// than CDATA: the spaces around it dropped, runs of them within it made one.
std::string_view tokenized(std::string_view value, std::string& scratch) {
  if (value.empty() ||
      (value.front() != ' ' && value.back() != ' ' && value.find("  ") == std::string_view::npos))
    return value;  // as nearly all are
  scratch.clear();
  for (const char c : value)
    if (c != ' ' || (!scratch.empty() && scratch.back() != ' ')) scratch += c;
  if (!scratch.empty() && scratch.back() == ' ') scratch.pop_back();
  return scratch;
}

// A text that most ROMs share with the one before (their region, their
// loadflag), looked up in the catalogue only when it changes.
class RepeatedText {
 public:
  TextRef of(RomCatalogue& catalogue, std::string_view text) {
    if (text != last_) {
      last_ = text;
      ref_ = catalogue.addRepeatedText(text);
    }
    return ref_;
  }

 private:
  std::string last_;
  TextRef ref_ = 0;
};

}  // namespace

struct XmlListReader::State {
  explicit State(RomCatalogue& into);
  ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  RomCatalogue& catalogue;
  xmlParserCtxtPtr parser = nullptr;
  std::array<const xmlChar*, kTags> tags{};
  std::array<const xmlChar*, kAttributes> attributes{};
  std::array<Declared, kTags * kAttributes> declarations;
  std::array<std::string, kAttributes> scratch;  // normalized values
  // libxml2's tables of the DOCTYPE's attribute defaults and types, set
  // aside once the DOCTYPE is read (see setDoctypeTablesAside) and given
  // back at the end.
  xmlHashTablePtr setAsideDefaults = nullptr;
  xmlHashTablePtr setAsideTypes = nullptr;

  std::uint64_t bytesRead = 0;
  std::uint64_t entityText = 0;  // the text of every entity reference expanded so far
  std::string error;
  std::optional<SourceKind> kind;
  std::size_t depth = 0;  // of the element being read; 0 outside the root
  bool rootClosed = false;
  std::size_t setDepth = 0;  // of the set being read; 0 outside sets
  std::uint32_t set = 0;
  bool inDescription = false;
  std::string description;
  std::string dataArea;
  std::size_t lastRom = kNoRom;  // the named ROM that a nameless continue extends
  RepeatedText regions, loadflags;

  bool failed() const { return !error.empty(); }

  void fail(std::string_view why) {
    if (error.empty())
      error = joined({"line ", std::to_string(xmlSAX2GetLineNumber(parser)), ": ", why});
    xmlStopParser(parser);
  }

  // libxml2's first fatal error, with its line; its warnings, and the
  // errors it reads on after (namespaces, which these lists do not use),
  // are not faults of a list.
  void parserError(const xmlError& fault) {
    if (fault.level != XML_ERR_FATAL || !error.empty()) return;
    std::string_view message = fault.message != nullptr ? fault.message : "cannot be read";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.remove_suffix(1);
    // A list cut short is what libxml2's push parser calls extra content;
    // its stack of open elements names the one the file ends in.
    std::string cutShort;
    if (fault.code == XML_ERR_DOCUMENT_END && !rootClosed)
      message = cutShort = depth == 0 || parser->name == nullptr
                               ? std::string(kNoElement)
                               : joined({"the file ends inside <", textOf(parser->name), ">"});
    error = joined({"line ", std::to_string(fault.line), ": ", message});
  }

  // Once the last bytes are read: a document without any element (blanks
  // and comments only, or nothing) is no list, though libxml2 lets it pass.
  void endOfInput() {
    if (!failed() && !kind) fail(kNoElement);
  }

  // Whether an entity reference of `length` bytes may still be expanded.
  bool mayExpand(std::uint64_t length) {
    entityText += length;
    if (entityText > kEntityTextAlways && entityText / kEntityTextFactor > bytesRead)
      fail("its entities expand to more than 100 times its size");
    return !failed();
  }

  Declared& declaration(Tag tag, Attribute attribute) {
    return declarations[static_cast<std::size_t>(tag) * kAttributes +
                        static_cast<std::size_t>(attribute)];
  }

  // An <!ATTLIST> of the DOCTYPE; only those of the attributes read count.
  void declare(std::string_view element, std::string_view name, int type, int def,
               const xmlChar* fallback) {
    const auto tag = std::find_if(kTagNames.begin(), kTagNames.end(),
                                  [&](const char* known) { return element == known; });
    const auto attribute = std::find_if(kAttributeNames.begin(), kAttributeNames.end(),
                                        [&](const char* known) { return name == known; });
    if (tag == kTagNames.end() || attribute == kAttributeNames.end()) return;
    Declared& declared = declaration(static_cast<Tag>(tag - kTagNames.begin()),
                                     static_cast<Attribute>(attribute - kAttributeNames.begin()));
    if (declared.seen) return;
    declared.seen = true;
    declared.tokens = type != XML_ATTRIBUTE_CDATA;
    if ((def == XML_ATTRIBUTE_NONE || def == XML_ATTRIBUTE_FIXED) && fallback != nullptr)
      declared.fallback = std::string(textOf(fallback));
  }

  // At the end of the DOCTYPE. libxml2 would look every attribute of every
  // element up in a table of those declared with a type other than CDATA,
  // and every element in a table of defaults; in MAME's -listxml, whose
  // DOCTYPE declares dozens, that is a third of the reading. The few
  // attributes read have had their declarations noted (declare), and the
  // reading applies them itself (value).
  void setDoctypeTablesAside() {
    setAsideDefaults = std::exchange(parser->attsDefault, nullptr);
    setAsideTypes = std::exchange(parser->attsSpecial, nullptr);
  }
  // For libxml2 to free them as its own.
  void giveDoctypeTablesBack() {
    if (setAsideDefaults != nullptr) parser->attsDefault = setAsideDefaults;
    if (setAsideTypes != nullptr) parser->attsSpecial = setAsideTypes;
  }

  // The value of an attribute as XML gives it: its default when the tag
  // leaves it out, normalized when it is declared a token.
  std::optional<std::string_view> value(const StartTag& tag, Tag element, Attribute attribute) {
    const auto which = static_cast<std::size_t>(attribute);
    std::optional<std::string_view> found = tag.find(attributes[which]);
    const Declared& declared = declaration(element, attribute);
    if (!found && declared.fallback) found = *declared.fallback;
    if (found && declared.tokens) found = tokenized(*found, scratch[which]);
    return found;
  }

  bool is(const xmlChar* name, Tag tag) const {
    return name == tags[static_cast<std::size_t>(tag)];
  }

  std::optional<Tag> setTag(const xmlChar* name) const {
    switch (*kind) {
      case SourceKind::MameListXml:
      case SourceKind::LogiqxDat:
        if (is(name, Tag::Machine)) return Tag::Machine;
        if (is(name, Tag::Game)) return Tag::Game;
        return std::nullopt;
      case SourceKind::SoftwareList:
        if (is(name, Tag::Software)) return Tag::Software;
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  void startRoot(std::string_view root) {
    if (root == "mame")
      kind = SourceKind::MameListXml;
    else if (root == "softwarelist" || root == "softwarelists")
      kind = SourceKind::SoftwareList;
    else if (root == "datafile")
      kind = SourceKind::LogiqxDat;
    else
      return fail(joined({"not a ROM list: its root element is <", root, ">"}));
  }

  // Elements with a prefix are none of the lists' own.
  void start(const xmlChar* prefix, const xmlChar* name, const StartTag& tag) {
    ++depth;
    if (depth == 1)
      return startRoot(prefix == nullptr ? std::string(textOf(name))
                                         : joined({textOf(prefix), ":", textOf(name)}));
    if (prefix != nullptr) return;
    if (setDepth == 0) {
      const std::optional<Tag> setTag = this->setTag(name);
      if (!setTag) return;
      const std::optional<std::string_view> setName = value(tag, *setTag, Attribute::Name);
      if (!setName || setName->empty())
        return fail(joined({"<", textOf(name), "> without a name"}));
      setDepth = depth;
      set = catalogue.addSet(*setName);
      lastRom = kNoRom;
      dataArea.clear();
      return;
    }
    if (is(name, Tag::Rom)) return startRom(tag);
    if (is(name, Tag::Description) && depth == setDepth + 1) {
      inDescription = true;
      description.clear();
      collectText(true);
    } else if (is(name, Tag::DataArea)) {
      dataArea = value(tag, Tag::DataArea, Attribute::Name).value_or("");
    }
  }

  void end() {
    if (inDescription && depth == setDepth + 1) {
      inDescription = false;
      collectText(false);
      catalogue.describeSet(set, description);
    }
    if (depth == setDepth) setDepth = 0;
    --depth;
    rootClosed = depth == 0;
  }

  // Text is wanted only in a description; elsewhere libxml2 does not hand
  // it over at all.
  void collectText(bool on) {
    const charactersSAXFunc handler = on ? &State::descriptionText : nullptr;
    parser->sax->characters = handler;
    parser->sax->ignorableWhitespace = handler;
    parser->sax->cdataBlock = handler;
  }

  static void descriptionText(void* parser, const xmlChar* text, int length);

  void startRom(const StartTag& tag) {
    const auto get = [&](Attribute attribute) { return value(tag, Tag::Rom, attribute); };
    const std::optional<std::string_view> name = get(Attribute::Name), size = get(Attribute::Size),
                                          loadflag = get(Attribute::Loadflag);
    std::uint64_t bytes = 0;
    if (size && !parseListNumber(*size, bytes))
      return fail(joined({"the size \"", *size, "\" is not a number"}));
    if (!name || name->empty()) {
      // A software list's continuation of the ROM before: more of its file
      // loaded elsewhere (continue) or stepped over (ignore); a reload or a
      // fill reads no more of it.
      const std::string_view flag = loadflag.value_or("");
      if (lastRom != kNoRom && (flag == "continue" || flag == "ignore"))
        catalogue.romAt(lastRom).size += bytes;
      return;
    }
    lastRom = kNoRom;
    catalogue.countListed();
    const std::optional<std::string_view> status = get(Attribute::Status),
                                          crc = get(Attribute::Crc);
    if (status == "nodump" || !crc || crc->empty()) return;
    RomRecord rom;
    if (!parseCrc32(*crc, rom.crc32))
      return fail(joined({"the crc \"", *crc, "\" is not a CRC32"}));
    if (const std::optional<std::string_view> sha1 = get(Attribute::Sha1); sha1 && !sha1->empty()) {
      if (!parseSha1(*sha1, rom.sha1))
        return fail(joined({"the sha1 \"", *sha1, "\" is not a SHA-1"}));
      rom.flags |= rom_flag::kSha1;
    }
    if (!size) return fail(joined({"<rom name=\"", *name, "\"> without a size"}));
    rom.size = bytes;
    if (status == "baddump") rom.flags |= rom_flag::kBadDump;
    if (const std::optional<std::string_view> offset = get(Attribute::Offset);
        offset && !offset->empty()) {
      // -listxml writes offsets in hex without a prefix; software lists
      // write 0x... or decimal.
      const bool parsed = *kind == SourceKind::MameListXml ? parseHexNumber(*offset, rom.offset)
                                                           : parseListNumber(*offset, rom.offset);
      if (!parsed) return fail(joined({"the offset \"", *offset, "\" is not a number"}));
    }
    rom.set = set;
    rom.name = catalogue.addText(*name);
    rom.region = regions.of(catalogue, *kind == SourceKind::SoftwareList
                                           ? std::string_view(dataArea)
                                           : get(Attribute::Region).value_or(""));
    rom.loadflag = loadflags.of(catalogue, loadflag.value_or(""));
    lastRom = catalogue.addRom(rom);
  }
};

namespace {

// SAX2's own handlers, which keep the DOCTYPE's entities (in a document
// that holds nothing else), take the parser as their data; ours find the
// reading's state beside it.
XmlListReader::State& stateOf(void* parser) {
  return *static_cast<XmlListReader::State*>(static_cast<xmlParserCtxtPtr>(parser)->_private);
}

xmlSAXHandler listHandler() {
  xmlSAXHandler handler{};
  xmlSAXVersion(&handler, 2);
  handler.startElementNs = [](void* parser, const xmlChar* localName, const xmlChar* prefix,
                              const xmlChar*, int, const xmlChar**, int attributeCount, int,
                              const xmlChar** attributes) {
    stateOf(parser).start(prefix, localName, StartTag(attributes, attributeCount));
  };
  handler.endElementNs = [](void* parser, const xmlChar*, const xmlChar*, const xmlChar*) {
    stateOf(parser).end();
  };
  handler.attributeDecl = [](void* parser, const xmlChar* element, const xmlChar* name, int type,
                             int def, const xmlChar* fallback, xmlEnumerationPtr values) {
    xmlFreeEnumeration(values);
    stateOf(parser).declare(textOf(element), textOf(name), type, def, fallback);
  };
  // Told at the end of the DOCTYPE, with or without its own declarations;
  // an external DTD is never read.
  handler.externalSubset = [](void* parser, const xmlChar*, const xmlChar*, const xmlChar*) {
    stateOf(parser).setDoctypeTablesAside();
  };
  handler.getEntity = [](void* parser, const xmlChar* name) -> xmlEntityPtr {
    xmlEntityPtr entity = xmlSAX2GetEntity(parser, name);
    if (entity == nullptr || !stateOf(parser).mayExpand(static_cast<unsigned>(entity->length)))
      return nullptr;
    return entity;
  };
  handler.serror = [](void* parser, xmlErrorPtr fault) {
    if (fault != nullptr) stateOf(parser).parserError(*fault);
  };
  handler.startElement = nullptr;
  handler.endElement = nullptr;
  handler.characters = nullptr;
  handler.ignorableWhitespace = nullptr;
  handler.cdataBlock = nullptr;
  handler.comment = nullptr;
  handler.processingInstruction = nullptr;
  handler.reference = nullptr;
  handler.elementDecl = nullptr;
  return handler;
}

// libxml2 tells a failed conversion of the input's encoding on its generic
// error channel, standard error unless told otherwise, before the parser
// hears of it: that channel is quiet while a list is parsed, and the
// parser's own error, which names the line, says what went wrong.
void ignoreGenericError(void* /*context*/, const char* /*format*/, ...) {}

class QuietGenericErrors {
 public:
  QuietGenericErrors() : function_(xmlGenericError), context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
  }
  ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, function_); }
  QuietGenericErrors(const QuietGenericErrors&) = delete;
  QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

 private:
  xmlGenericErrorFunc function_;
  void* context_;
};

}  // namespace

void XmlListReader::State::descriptionText(void* parser, const xmlChar* text, int length) {
  stateOf(parser).description.append(reinterpret_cast<const char*>(text),
                                     static_cast<std::size_t>(length));
}

// No option that reads beyond the list: no external DTD (DTDLOAD), no
// external entity (NOENT), no network (NONET); libxml2's limits on names,
// texts and the expansion of entities stay on (no HUGE).
XmlListReader::State::State(RomCatalogue& into) : catalogue(into) {
  xmlInitParser();
  xmlSAXHandler handler = listHandler();
  parser = xmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, nullptr);
  if (parser == nullptr) throw std::bad_alloc();
  parser->_private = this;
  xmlCtxtUseOptions(parser, XML_PARSE_NONET);
  const auto intern = [&](const char* name) {
    return xmlDictLookup(parser->dict, reinterpret_cast<const xmlChar*>(name), -1);
  };
  std::transform(kTagNames.begin(), kTagNames.end(), tags.begin(), intern);
  std::transform(kAttributeNames.begin(), kAttributeNames.end(), attributes.begin(), intern);
}

XmlListReader::State::~State() {
  giveDoctypeTablesBack();
  if (parser->myDoc != nullptr) xmlFreeDoc(parser->myDoc);  // the DOCTYPE's entities
  xmlFreeParserCtxt(parser);
}

XmlListReader::XmlListReader(RomCatalogue& into) : state_(std::make_unique<State>(into)) {}

XmlListReader::~XmlListReader() = default;

bool XmlListReader::feed(std::string_view bytes, bool last) {
  State& state = *state_;
  const QuietGenericErrors quiet;
  do {
    if (state.failed()) return false;
    const std::size_t now = std::min(bytes.size(), kBlock);
    const bool final = last && now == bytes.size();
    state.bytesRead += now;
    xmlParseChunk(state.parser, bytes.data(), static_cast<int>(now), final ? 1 : 0);
    bytes.remove_prefix(now);
  } while (!bytes.empty());
  if (last) state.endOfInput();
  return !state.failed();
}

bool XmlListReader::feedFile(int fd, std::uint64_t size, std::string& fileError) {
  std::vector<char> buffer(kBlock);
  for (std::uint64_t at = 0; at < size;) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size - at));
    const ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      fileError = got < 0 ? std::strerror(errno) : "the file ended early";
      return false;
    }
    at += static_cast<std::uint64_t>(got);
    if (!feed({buffer.data(), static_cast<std::size_t>(got)}, false)) return false;
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
