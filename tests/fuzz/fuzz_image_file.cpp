// Arbitrary bytes as a chip's image file, read as vesk reads one: its format
// recognised by its content (or given, as --format gives it), its records
// read at their addresses and placed in a chip with an offset and a fill,
// all three drawn from the input's first bytes (the rest is the file).
// Whatever the file:
// - a record reader either refuses it, naming a line the file has, or hands
//   out runs of data that lie in file order and hold at most one byte per
//   two characters; and reads the file with CR LF line ends as with LF;
// - the placement either refuses the data, naming the line and an address
//   that is outside the chip or given two values (and it is), or makes an
//   image that holds every byte at its address plus the offset, the fill
//   everywhere else;
// - that image, written as Intel HEX and as S-records, reads back to the
//   same bytes, every location given.
#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ImageFileFormats.h"
#include "ImagePlacement.h"
#include "ImageWriters.h"
#include "IntelHexReader.h"
#include "SRecordReader.h"

namespace {

// The input's first bytes: flags, the chip's size, the offset, the fill.
constexpr std::size_t kHeaderBytes = 7;

namespace flag {
constexpr unsigned kFormat = 3;       // 0, 1: by content ("image", "image.bin"); 2, 3: given
constexpr unsigned kMend = 4;         // the records' count and checksum mended first
constexpr unsigned kNegative = 8;     // the offset is negative
constexpr unsigned kWithCount = 16;   // the S-records are written with a count record
constexpr unsigned kLeaveOut = 32;    // data outside the chip are left out, not refused
constexpr unsigned kHeaderShift = 6;  // bits 6 and 7: 20 x that many bytes of S0 header
}  // namespace flag

struct Setting {
  unsigned flags;
  std::size_t size;
  std::int64_t offset;
  std::uint8_t fill;
};

Setting settingOf(const std::uint8_t* header) {
  const unsigned flags = header[0];
  const std::uint8_t sizeCode = header[1];
  // 1 to 128 bytes, 2 or 4 KiB, or now and then just past 64 KiB, where the
  // writers need extended addresses and S2 records (bigger sizes add
  // nothing but time, and a big image takes a hundred times a small one's).
  const std::size_t size = (sizeCode & 0x80) != 0      ? 1u + (sizeCode & 0x7Fu)
                           : (sizeCode & 0x70) == 0x70 ? 0x10000u + 16u * (sizeCode & 0xFu)
                                                       : std::size_t{0x800} << (sizeCode & 1u);
  std::int64_t offset = 0;
  for (std::size_t i = 2; i < 6; ++i) offset = offset << 8 | header[i];
  if ((flags & flag::kNegative) != 0) offset = -offset;
  return {flags, size, offset, header[6]};
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Gives each line that is a record's hex digits the count field and the
// checksum that fit them, so that the fuzzer reaches past the frame checks.
void mendRecords(std::string& text) {
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t first = text.find_first_not_of(" \t\r\x1A", start);
    std::size_t last = end;
    while (last > start && std::string_view(" \t\r\x1A").find(text[last - 1]) != std::string::npos)
      --last;
    if (first < last && (text[first] == ':' || text[first] == 'S')) {
      const bool intel = text[first] == ':';
      first += intel ? 1 : 2;
      std::vector<std::uint8_t> bytes;
      bool digits = first < last && (last - first) % 2 == 0;
      for (std::size_t i = first; digits && i < last; i += 2) {
        const int high = hexValue(text[i]), low = hexValue(text[i + 1]);
        digits = high >= 0 && low >= 0;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
      }
      const std::size_t frame = intel ? 5 : 3;
      if (digits && bytes.size() >= frame && bytes.size() - frame <= 0xFF) {
        bytes[0] = static_cast<std::uint8_t>(bytes.size() - (intel ? 5 : 1));
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
        bytes.back() = static_cast<std::uint8_t>(intel ? 0x100 - (sum & 0xFF) : ~sum);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
          text[first + 2 * i] = "0123456789ABCDEF"[bytes[i] >> 4];
          text[first + 2 * i + 1] = "0123456789ABCDEF"[bytes[i] & 0xF];
        }
      }
    }
    start = end + 1;
  }
}

const std::uint8_t* bytesOf(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

std::string withCrLf(const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

// The runs lie one after another in `bytes`, in the order of their lines,
// each on a line the file has.
void checkRuns(const AddressedData& data, std::size_t lines, std::size_t fileBytes,
               ImageFileFormat format) {
  std::size_t next = 0, line = 0;
  for (const DataRun& run : data.runs) {
    require(run.count > 0 && run.first == next, "runs lie one after another");
    require(run.line >= line, "runs come in the order of their lines");
    require(format == ImageFileFormat::Binary ? run.line == 0 : run.line >= 1 && run.line <= lines,
            "each run is on a line the file has");
    next += run.count;
    line = run.line;
  }
  require(next == data.bytes.size(), "the runs hold every byte");
  if (format != ImageFileFormat::Binary)
    require(data.bytes.size() <= fileBytes / 2, "at most one byte per two characters");
}

bool sameData(const AddressedData& a, const AddressedData& b) {
  return a.bytes == b.bytes && std::equal(a.runs.begin(), a.runs.end(), b.runs.begin(),
                                          b.runs.end(), [](const DataRun& x, const DataRun& y) {
                                            return x.address == y.address && x.first == y.first &&
                                                   x.count == y.count && x.line == y.line;
                                          });
}

// Where `address` lands in the chip, when it does.
std::optional<std::size_t> locationOf(std::uint64_t address, std::int64_t offset,
                                      std::size_t size) {
  std::int64_t location = 0;
  if (__builtin_add_overflow(static_cast<std::int64_t>(address), offset, &location) ||
      location < 0 || location >= static_cast<std::int64_t>(size))
    return std::nullopt;
  return static_cast<std::size_t>(location);
}

// The value the runs on `line` give `address`, if they give it one.
std::optional<std::uint8_t> valueOn(const AddressedData& data, std::size_t line,
                                    std::uint64_t address) {
  for (const DataRun& run : data.runs)
    if (run.line == line && address >= run.address && address - run.address < run.count)
      return data.bytes[run.first + (address - run.address)];
  return std::nullopt;
}

std::optional<std::uint64_t> hexAfter(std::string_view text, std::string_view lead) {
  const std::size_t at = text.find(lead);
  if (at == std::string_view::npos) return std::nullopt;
  std::uint64_t value = 0;
  std::size_t i = at + lead.size();
  if (i >= text.size() || hexValue(text[i]) < 0) return std::nullopt;
  for (; i < text.size() && hexValue(text[i]) >= 0; ++i)
    value = value << 4 | static_cast<unsigned>(hexValue(text[i]));
  return value;
}

// A refused placement names the line and an address that is outside the
// chip, or that two lines give different values.
void checkRefusal(const AddressedData& data, const Setting& setting, OutsideChip outside,
                  const std::string& error) {
  const std::size_t line = lineNamed(error).value_or(0);
  const std::optional<std::uint64_t> address = hexAfter(error, "address 0x");
  require(address.has_value(), "a refused placement names the address", error);
  const std::optional<std::uint8_t> here = valueOn(data, line, *address);
  require(here.has_value(), "the line named gives the address named", error);
  const std::optional<std::size_t> location = locationOf(*address, setting.offset, setting.size);
  if (error.find(" is outside the ") != std::string::npos) {
    require(!location && outside == OutsideChip::Refuse, "the address is outside the chip", error);
    return;
  }
  const std::optional<std::uint64_t> now = hexAfter(error, " is given ");
  const std::optional<std::uint64_t> before = hexAfter(error, "h here and ");
  require(location && now == *here && before && *before != *now,
          "a conflict names the address and the value this line gives it", error);
  if (const std::size_t on = error.find("h on line "); on != std::string::npos) {
    std::size_t earlier = 0;
    const char* digits = error.c_str() + on + 10;
    std::from_chars(digits, error.c_str() + error.size(), earlier);
    require(valueOn(data, earlier, *address) == *before,
            "the other line named gives the address the other value", error);
  }
}

void checkImage(const AddressedData& data, const Setting& setting, OutsideChip outside,
                const PlacedImage& image) {
  require(image.bytes.size() == setting.size && image.covered.size() == setting.size,
          "the image is the chip's size");
  std::vector<std::uint8_t> given(setting.size, 0);
  std::size_t leftOut = 0;
  for (const DataRun& run : data.runs) {
    for (std::size_t i = 0; i < run.count; ++i) {
      const std::optional<std::size_t> at =
          locationOf(run.address + i, setting.offset, setting.size);
      if (!at) {
        require(outside == OutsideChip::LeaveOut, "data outside the chip are refused");
        ++leftOut;
        continue;
      }
      require(image.covered[*at] && image.bytes[*at] == data.bytes[run.first + i],
              "each byte lies at its address plus the offset");
      given[*at] = 1;
    }
  }
  require(image.leftOut == leftOut, "the bytes left out are counted");
  for (std::size_t at = 0; at < setting.size; ++at) {
    require(image.covered[at] == (given[at] != 0), "the locations given are those the data reach");
    require(image.covered[at] || image.bytes[at] == setting.fill, "the rest holds the fill");
  }
}

// A writer's text reads back, by its own reader, to the image it was made of.
void checkReadsBack(const std::string& text, ImageFileFormat format, const PlacedImage& image,
                    std::uint8_t fill) {
  require(recognizeFormat(bytesOf(text), text.size()) == format, "a writer's text is recognised");
  const Expected<AddressedData> read = format == ImageFileFormat::IntelHex
                                           ? readIntelHex(bytesOf(text), text.size())
                                           : readSRecords(bytesOf(text), text.size());
  require(static_cast<bool>(read), "a writer's text is read", read ? "" : read.error());
  const Expected<PlacedImage> placed = placeData(*read, image.bytes.size(), 0, fill);
  require(static_cast<bool>(placed), "a writer's text is placed", placed ? "" : placed.error());
  require(placed->bytes == image.bytes, "a writer's text reads back to the same bytes");
  require(std::find(placed->covered.begin(), placed->covered.end(), false) == placed->covered.end(),
          "a writer's text gives every location");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  const Setting setting = settingOf(input);
  std::string text(reinterpret_cast<const char*>(input) + kHeaderBytes, size - kHeaderBytes);
  if ((setting.flags & flag::kMend) != 0) mendRecords(text);

  ImageFileFormat format = ImageFileFormat::Binary;
  switch (setting.flags & flag::kFormat) {
    case 0:
    case 1: {
      const bool saysBinary = (setting.flags & flag::kFormat) == 1;
      const std::optional<ImageFileFormat> recognized =
          recognizeImageFile(saysBinary ? "image.bin" : "image", bytesOf(text), text.size());
      if (!recognized) {
        require(!saysBinary && isText({bytesOf(text), text.size()}) &&
                    recognizeFormat(bytesOf(text), text.size()) == ImageFileFormat::Binary,
                "only a text that is no records is refused, and never under a binary's name");
        return 0;
      }
      format = *recognized;
      break;
    }
    case 2:
      format = ImageFileFormat::IntelHex;
      break;
    default:
      format = ImageFileFormat::SRecords;
  }

  const Expected<AddressedData> data = readAddressedData(bytesOf(text), text.size(), format);
  const std::size_t lines = linesOf(text);
  if (format != ImageFileFormat::Binary) {
    const std::string crlf = withCrLf(text);
    const Expected<AddressedData> again = readAddressedData(bytesOf(crlf), crlf.size(), format);
    require(static_cast<bool>(data) == static_cast<bool>(again) &&
                (data ? sameData(*data, *again) : data.error() == again.error()),
            "a file reads with CR LF line ends as with LF");
  }
  if (!data) {
    require(format != ImageFileFormat::Binary, "a raw binary is always read");
    const std::optional<std::size_t> line = lineNamed(data.error());
    require((line && *line >= 1 && *line <= lines) || data.error() == "the file holds no records",
            "a refusal names a line the file has", data.error());
    return 0;
  }
  checkRuns(*data, lines, text.size(), format);

  const OutsideChip outside =
      (setting.flags & flag::kLeaveOut) != 0 ? OutsideChip::LeaveOut : OutsideChip::Refuse;
  const Expected<PlacedImage> placed =
      placeData(*data, setting.size, setting.offset, setting.fill, outside);
  if (!placed) {
    checkRefusal(*data, setting, outside, placed.error());
    return 0;
  }
  checkImage(*data, setting, outside, *placed);

  const auto unlike = static_cast<std::uint8_t>(~setting.fill);
  checkReadsBack(intelHexText(placed->bytes.data(), placed->bytes.size()),
                 ImageFileFormat::IntelHex, *placed, unlike);
  const std::string header = text.substr(0, 20 * (setting.flags >> flag::kHeaderShift));
  checkReadsBack(sRecordText(placed->bytes.data(), placed->bytes.size(), header,
                             (setting.flags & flag::kWithCount) != 0),
                 ImageFileFormat::SRecords, *placed, unlike);
  return 0;
}
