#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Expected.h"
#include "RomCatalogue.h"
#include "SourceKind.h"

// The ROM lists that are XML: MAME's -listxml, MAME's software lists and
// Logiqx DATs, told apart by their root element and read as a stream by
// libxml2's SAX2 push parser, never held whole (the -listxml file is 270 MB).
// DOCTYPEs (their entities and attribute defaults), comments, CRLF line
// ends, UTF-8 and declared encodings are read as XML has them; no external
// entity or DTD is ever fetched, and entities that expand beyond reason are
// refused.

struct ListReading {
  SourceKind kind = SourceKind::MameListXml;
  RomCatalogue catalogue;
};

// One list, fed in pieces. The ROMs go into the catalogue as they come;
// finish() is left to the caller.
class XmlListReader {
 public:
  explicit XmlListReader(RomCatalogue& into);
  ~XmlListReader();
  XmlListReader(const XmlListReader&) = delete;
  XmlListReader& operator=(const XmlListReader&) = delete;

  // Reads the next bytes (`last` with the final ones); false once the list
  // cannot be read, and error() says why and on which line.
  bool feed(std::string_view bytes, bool last);
  // Reads the file's `size` bytes, block by block, to the end; false when
  // the list or the file cannot be read (`fileError` then holds the
  // system's reason).
  bool feedFile(int fd, std::uint64_t size, std::string& fileError);
  const std::string& error() const;
  // Known once the root element has been read.
  SourceKind kind() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Whole lists in memory, one function a kind (the fuzz targets' entry
// points), and any of the three. A list of another kind is refused.
Expected<ListReading> readXmlList(std::string_view bytes);
Expected<RomCatalogue> readMameListXml(std::string_view bytes);
Expected<RomCatalogue> readSoftwareList(std::string_view bytes);
Expected<RomCatalogue> readLogiqxDat(std::string_view bytes);

// A list in a file of `size` bytes, read block by block.
Expected<ListReading> readXmlListFile(int fd, std::uint64_t size);
