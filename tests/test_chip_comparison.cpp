// A chip read against a file's image: the bits each way, the first
// differences, and the patterns a data line, an address line, an empty
// socket or an image written at another offset leave, never two that
// contradict, and none on real ROMs where there is none.
#include <gtest/gtest.h>

#include <random>

#include "ChipComparison.h"
#include "TestFiles.h"

namespace {

using Kind = DifferencePatternKind;

// An 8 KiB image of many values, and that image as a faulty board reads it.
Bytes readAs(const std::function<std::uint8_t(const Bytes&, std::size_t)>& fault) {
  const Bytes file = pattern(8192);
  Bytes chip(file.size());
  for (std::size_t at = 0; at < file.size(); ++at) chip[at] = fault(file, at);
  return chip;
}

TEST(CompareChip, ALineFaultOrAnEmptySocketIsNamedAndTheBitsAreCountedEachWay) {
  const Bytes file = pattern(8192);
  const auto stuckLow = [](const Bytes& f, std::size_t at) {
    return static_cast<std::uint8_t>(f[at] & ~0x08);
  };
  const auto openA12 = [](const Bytes& f, std::size_t at) { return f[at & ~std::size_t{0x1000}]; };
  Bytes twoWays = file;
  twoWays[5] = 0xFF, twoWays[9] = 0x00;  // 5: 23h wanted, 9: 3Fh
  const struct {
    const char* name;
    Bytes chip;
    std::vector<DifferencePattern> patterns;
    std::int64_t toProgram, toErase;
  } cases[] = {
      {"stuck D3", readAs(stuckLow), {{Kind::DataLine, 3}}, 0, 4080},
      {"open A12", readAs(openA12), {{Kind::AddressLine, 12}}, -1, -1},
      {"empty socket", Bytes(8192, 0xFF), {{Kind::Blank}}, -1, 0},
      {"two ways", twoWays, {}, 5, 6},
      {"one bit at one location",
       [&] {
         Bytes c = file;
         c[7] ^= 0x10;
         return c;
       }(),
       {},
       -1,
       -1},
  };
  for (const auto& c : cases) {
    const ChipComparison found = compareChip(c.chip, file);
    EXPECT_EQ(found.patterns, c.patterns) << c.name;
    if (c.toProgram >= 0) {
      EXPECT_EQ(found.bitsToProgram, c.toProgram) << c.name;
    }
    if (c.toErase >= 0) {
      EXPECT_EQ(found.bitsToErase, c.toErase) << c.name;
    }
  }
  const ChipComparison twoWaysFound = compareChip(twoWays, file);
  EXPECT_EQ(twoWaysFound.first, (std::vector<ChipDifference>{{5, 0xFF, 0x23}, {9, 0x00, 0x3F}}));
  EXPECT_EQ(twoWaysFound.firstToErase, (std::vector<ChipDifference>{{9, 0x00, 0x3F}}));
  EXPECT_EQ(std::tuple(twoWaysFound.differences, twoWaysFound.locationsToErase), std::tuple(2, 1));
  // The lists stop at 16; the counts do not.
  const ChipComparison stuck = compareChip(readAs(stuckLow), file);
  EXPECT_EQ(std::tuple(stuck.first.size(), stuck.firstToErase.size(), stuck.locationsToErase),
            std::tuple(kFirstDifferences, kFirstDifferences, 4080));
  EXPECT_EQ(stuck.first[0], (ChipDifference{2, 0x06, 0x0E}));
}

TEST(CompareChip, OnlyTheLocationsComparedCountAndTheSameImageHasNoDifferences) {
  const Bytes file = pattern(64);
  Bytes chip = file;
  chip[3] = 0xFF, chip[40] = 0xFF;
  std::vector<bool> compared(64, true);
  compared[40] = false;
  const ChipComparison found = compareChip(chip, file, compared);
  EXPECT_EQ(found.first, (std::vector<ChipDifference>{{3, 0xFF, file[3]}}));
  EXPECT_EQ(compareChip(chip, file, std::vector<bool>(3, true)).differences, 0);  // 3 on: beyond
  const ChipComparison same = compareChip(file, file);
  EXPECT_EQ(
      std::tuple(same.differences, same.bitsToProgram, same.bitsToErase, same.patterns.size()),
      std::tuple(0, 0, 0, 0u));
  EXPECT_TRUE(compareChip(Bytes(64, 0xFF), Bytes(64, 0xFF)).patterns.empty());  // blank, and wanted
}

// `size` bytes of no pattern, the same for a seed.
Bytes noise(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// A blank chip of `size` holding `data` at `at`.
Bytes blankHolding(std::size_t size, const Bytes& data, std::size_t at) {
  Bytes chip(size, 0xFF);
  std::ranges::copy(data, chip.begin() + static_cast<std::ptrdiff_t>(at));
  return chip;
}

// The locations from `from` on, `count` of them, compared; none else.
std::vector<bool> comparedRange(std::size_t size, std::size_t from, std::size_t count) {
  std::vector<bool> compared(size, false);
  std::fill_n(compared.begin() + static_cast<std::ptrdiff_t>(from), count, true);
  return compared;
}

TEST(CompareChip, AnImageWrittenAtAnotherOffsetIsNamedByWhereTheChipHoldsItAndNoLineIs) {
  const Bytes code = noise(0x2000, 1);
  const Bytes linkedAtE000 = blankHolding(0x10000, code, 0xE000);
  const std::vector<bool> given = comparedRange(0x10000, 0xE000, 0x2000);
  const DifferencePattern blankWhereData{Kind::BlankWhereData};
  const auto shifted = [](std::int32_t chipAt, std::int32_t fileAt) {
    return DifferencePattern{.kind = Kind::Shifted, .chipAt = chipAt, .fileAt = fileAt};
  };
  const struct {
    const char* name;
    Bytes chip, file;
    std::vector<bool> compared;
    std::vector<DifferencePattern> patterns;
  } cases[] = {
      // Burnt with --offset -0xE000 and verified without: not A13, A14 and A15 at once.
      {"E000h at 0",
       blankHolding(0x10000, code, 0),
       linkedAtE000,
       given,
       {blankWhereData, shifted(0, 0xE000)}},
      {"E000h at 0, --fill",
       blankHolding(0x10000, code, 0),
       linkedAtE000,
       {},
       {shifted(0, 0xE000)}},
      {"E000h at 6000h",
       blankHolding(0x10000, code, 0x6000),
       linkedAtE000,
       given,
       {blankWhereData, shifted(0x6000, 0xE000)}},
      {"0 at 6000h",
       blankHolding(0x10000, code, 0x6000),
       blankHolding(0x10000, code, 0),
       comparedRange(0x10000, 0, 0x2000),
       {blankWhereData, shifted(0x6000, 0)}},
      {"8 bytes on",
       blankHolding(0x4000, code, 0x108),
       blankHolding(0x4000, code, 0x100),
       {},
       {shifted(0x108, 0x100)}},
      // Moved on by 100h, its last 100h bytes cut at the chip's end.
      {"cut",
       blankHolding(0x2000, Bytes(code.begin(), code.end() - 0x100), 0x100),
       code,
       {},
       {shifted(0x100, 0)}},
      // Not a round shift: the data show none they can vouch for.
      {"1234h on", blankHolding(0x10000, code, 0x1234), blankHolding(0x10000, code, 0), {}, {}},
      // A moved image with more besides is not explained by the move.
      {"moved, and more",
       [&] {
         Bytes chip = blankHolding(0x10000, code, 0);
         chip[0xF000] = 0x12;
         return chip;
       }(),
       linkedAtE000,
       given,
       {}},
      // Sixteen bytes of one value could be found anywhere there is a run of it.
      {"a run of zeros",
       blankHolding(0x4000, Bytes(64, 0x00), 0x1000),
       blankHolding(0x4000, Bytes(64, 0x00), 0),
       {},
       {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(compareChip(c.chip, c.file, c.compared).patterns, c.patterns) << c.name;
}

TEST(CompareChip, AnAddressLineIsNamedOnlyWhenItAloneExplainsTheDifferencesSeenFromBothSides) {
  const Bytes file = noise(0x4000, 2);
  // A12 open: the chip's image read as the board reads it.
  const auto readThrough = [](const Bytes& cells, std::size_t bit) {
    Bytes read(cells.size());
    for (std::size_t at = 0; at < cells.size(); ++at) read[at] = cells[at & ~bit];
    return read;
  };
  EXPECT_EQ(compareChip(readThrough(file, 0x1000), file).patterns,
            (std::vector<DifferencePattern>{{Kind::AddressLine, 12}}));
  // Programmed through the open line up to 1800h, then stopped: the cells
  // with A12 clear took the bytes of both twins. What was programmed is
  // compared, and the rest as blank.
  Bytes cells(file.size(), 0xFF), wanted(file.size(), 0xFF);
  for (std::size_t at = 0; at <= 0x1800; ++at) {
    cells[at & ~std::size_t{0x1000}] &= file[at];
    wanted[at] = file[at];
  }
  EXPECT_EQ(compareChip(readThrough(cells, 0x1000), wanted).patterns,
            (std::vector<DifferencePattern>{
                {.kind = Kind::AddressLine, .line = 12, .writtenThrough = true}}));
  // Only the locations with A12 set compared: their twins say nothing.
  EXPECT_EQ(
      compareChip(readThrough(file, 0x1000), file, comparedRange(0x4000, 0x1000, 0x1000)).patterns,
      std::vector<DifferencePattern>{});
  // The top quarter reads as the other three, which are the same: A12 and
  // A13 both fit, so neither is named.
  Bytes quarters = file;
  for (std::size_t at = 0x1000; at < 0x4000; ++at) quarters[at] = file[at & 0xFFF];
  Bytes top = quarters;
  std::copy_n(noise(0x1000, 3).begin(), 0x1000, top.begin() + 0x3000);
  EXPECT_EQ(compareChip(quarters, top).patterns, std::vector<DifferencePattern>{});
}

TEST(CompareChip, OneDifferenceShowsADataLineOnlyWhereTheChipReadsThatBitTheSameEverywhere) {
  // D5 stuck high: the write stops at the first location that wants D5 at 0.
  Bytes wanted(64, 0xFF);
  wanted[0] = 0x3F, wanted[1] = 0xE0, wanted[2] = 0x55;
  Bytes chip = wanted;
  chip[2] = 0x75;
  EXPECT_EQ(compareChip(chip, wanted).patterns,
            (std::vector<DifferencePattern>{{Kind::DataLine, 5}}));
  // Had an earlier location taken D5 at 0, the line would work.
  wanted[1] = chip[1] = 0xC0;
  EXPECT_EQ(compareChip(chip, wanted).patterns, std::vector<DifferencePattern>{});
}

// Debian's ROM images (packages seabios and ipxe-qemu), where installed.
std::vector<Bytes> debianRoms() {
  std::vector<Bytes> roms;
  for (const char* folder : {"/usr/share/seabios", "/usr/lib/ipxe/qemu"}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
      if (entry.path().extension() == ".bin" || entry.path().extension() == ".rom")
        roms.push_back(readFile<Bytes>(entry.path().string()));
  }
  return roms;
}

// The chip a ROM needs: the smallest power of two it fits, at most 256 KiB, FFh after it.
Bytes asChip(Bytes rom) {
  std::size_t size = 0x800;
  while (size < rom.size() && size < 0x40000) size *= 2;
  rom.resize(size, 0xFF);
  return rom;
}

TEST(CompareChip, RealRomsAndNoiseShowNoPatternAgainstDamagedCopiesOrEachOtherButTheirShift) {
  std::vector<Bytes> images = debianRoms();
  for (unsigned seed = 10; seed < 14; ++seed) images.push_back(noise(0x8000, seed));
  std::mt19937 random(7);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Bytes chip = asChip(images[i]);
    // A few bits gone at a few locations, each in another bit.
    Bytes damaged = chip;
    for (int bit = 0; bit < 5; ++bit)
      damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1U << bit);
    EXPECT_EQ(compareChip(damaged, chip).patterns, std::vector<DifferencePattern>{}) << i;
    // Another image of the same size.
    for (std::size_t j = 0; j < images.size(); ++j) {
      const Bytes other = asChip(images[j]);
      if (j == i || other.size() != chip.size() || other == chip) continue;
      for (const DifferencePattern& pattern : compareChip(other, chip).patterns)
        ADD_FAILURE() << i << " against " << j << ": " << differencePatternText(pattern);
    }
    // A write stopped half-way, and the first half written 100h on: found there.
    const std::size_t half = chip.size() / 2;
    const Bytes part(chip.begin(), chip.begin() + static_cast<std::ptrdiff_t>(half));
    if (!std::all_of(chip.begin() + static_cast<std::ptrdiff_t>(half), chip.end(),
                     [](std::uint8_t byte) { return byte == 0xFF; })) {
      EXPECT_EQ(compareChip(blankHolding(chip.size(), part, 0), chip).patterns,
                std::vector<DifferencePattern>{{Kind::BlankWhereData}})
          << i;
    }
    const std::vector<DifferencePattern> patterns =
        compareChip(blankHolding(chip.size(), part, 0x100), blankHolding(chip.size(), part, 0),
                    comparedRange(chip.size(), 0, half))
            .patterns;
    ASSERT_FALSE(patterns.empty()) << i;
    EXPECT_EQ(patterns.back().kind, Kind::Shifted) << i;
    EXPECT_EQ(patterns.back().chipAt - patterns.back().fileAt, 0x100) << i;
  }
}

}  // namespace
