// A chip's image written as Intel HEX and S-records, read back by srec_cat;
// split into the parts of 16- and 32-bit boards and merged back; and files
// read whole, from pipes too.
#include <unistd.h>

#include "FolderTest.h"
#include "ImageFileFormats.h"
#include "ImagePlacement.h"
#include "ImageSplit.h"
#include "ImageWriters.h"
#include "MemorySource.h"
#include "SrecCat.h"
#include "WholeInput.h"

namespace {

class ImageWriters : public FolderTest {};

TEST_F(ImageWriters, SRecordLinesAreExact) {
  Bytes bytes(20);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(sRecordText(bytes.data(), bytes.size(), "HDR", true),
            "S00600004844521B\r\n"
            "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
            "S107001010111213A2\r\n"
            "S5030002FA\r\n"
            "S9030000FC\r\n");
  EXPECT_EQ(sRecordText(nullptr, 0, "", false), "S0030000FC\r\nS9030000FC\r\n");
}

TEST_F(ImageWriters, WhatTheyWriteReadsBackInSrecCatAndHere) {
  struct Case {
    std::size_t size;
    const char *dataRecord, *endRecord;
  } const cases[] = {{0x800, "S113", "S9"},
                     {0x10000, "S113", "S9"},
                     {0x10010, "S214", "S8"},
                     {0x100000, "S214", "S8"}};
  for (const Case& c : cases) {
    const std::string random = randomBytes(c.size, static_cast<unsigned>(c.size));
    const Bytes image(random.begin(), random.end());
    const std::string hex = intelHexText(image.data(), c.size);
    const std::string srec = sRecordText(image.data(), c.size, "27C801", c.size > 0x10000);
    EXPECT_EQ(srec.substr(srec.find("\r\n") + 2, 4), c.dataRecord);
    EXPECT_EQ(srec.substr(srec.rfind("\r\n", srec.size() - 3) + 2, 2), c.endRecord);
    // 1 MiB is 65,536 records, one more than S5 counts.
    if (c.size == 0x100000) {
      EXPECT_NE(srec.find("\r\nS6040100"), std::string::npos);
    }
    for (const auto& [text, format] : {std::pair{hex, "-Intel"}, std::pair{srec, "-Motorola"}}) {
      writeFile(filePath("out"), text);
      EXPECT_EQ(srecCatBytes(filePath("out"), format), image) << c.size << format;
      const auto* const chars = reinterpret_cast<const std::uint8_t*>(text.data());
      const Expected<AddressedData> data =
          readAddressedData(chars, text.size(), recognizeFormat(chars, text.size()));
      ASSERT_TRUE(data) << data.error();
      EXPECT_EQ(placeData(*data, c.size, 0, 0xFF)->bytes, image);
    }
  }
  // Past 16 MiB: S3 records and S7.
  const Bytes big(0x1000010, 0xA5);
  const std::string srec = sRecordText(big.data(), big.size(), "", false);
  EXPECT_EQ(srec.substr(srec.size() - 64),
            sRecord('3', 0x1000000, 4, Bytes(16, 0xA5)) + "\r\nS70500000000FA\r\n");
}

TEST(ImageSplit, PartsHoldTheirByteLanesAndMergeBack) {
  const Bytes image = {0, 1, 2, 3, 4, 5, 6, 7};
  using Parts = std::vector<Bytes>;
  struct Case {
    std::size_t ways;
    bool swap;
    Parts parts;
  } const cases[] = {
      {2, false, {{0, 2, 4, 6}, {1, 3, 5, 7}}},
      {2, true, {{1, 3, 5, 7}, {0, 2, 4, 6}}},
      {4, false, {{0, 4}, {1, 5}, {2, 6}, {3, 7}}},
      {4, true, {{1, 5}, {0, 4}, {3, 7}, {2, 6}}},
  };
  const std::string random = randomBytes(4096, 7);
  const Bytes big(random.begin(), random.end());
  for (const Case& c : cases) {
    EXPECT_EQ(*splitImage(image, c.ways, c.swap), c.parts) << c.ways << c.swap;
    EXPECT_EQ(*mergeParts(c.parts, c.swap), image) << c.ways << c.swap;
    EXPECT_EQ(*mergeParts(*splitImage(big, c.ways, c.swap), c.swap), big) << c.ways << c.swap;
  }
  EXPECT_EQ(mergeParts({{1, 2}, {3, 4}, {5}, {6, 7}}, false).error(),
            "the parts differ in size: the third holds 1 byte, the first 2 bytes");
  EXPECT_EQ(splitImage({1, 2, 3, 4, 5, 6}, 4, false).error(),
            "an image of 6 bytes does not divide into 4 equal parts");
  EXPECT_EQ(mergeParts({{1}, {2}, {3}}, false).error(), "an image splits into 2 or 4 parts, not 3");
}

TEST(WholeInput, APipeIsReadToItsEndAndTheLimitHolds) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string text = randomBytes(3000, 3);
  ASSERT_EQ(::write(ends[1], text.data(), text.size()), 3000);
  ::close(ends[1]);
  DescriptorSource pipe(ends[0]);
  const Expected<Bytes> read = readWholeInput(pipe);
  ::close(ends[0]);
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(std::string(read->begin(), read->end()), text);

  const auto* const bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  MemorySource exact(bytes, 3000, 700), over(bytes, 3000, 700);
  EXPECT_EQ(readWholeInput(exact, 3000)->size(), 3000u);
  EXPECT_EQ(readWholeInput(over, 2999).error(), "the file is longer than 2999 bytes");
}

}  // namespace
