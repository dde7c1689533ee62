// A dump against the sources: the exact matches of it and of its parts, and
// the nearest reference images with the bits that differ.
#include <gtest/gtest.h>

#include <bit>

#include "ReferenceSources.h"
#include "RomIdentification.h"
#include "RomSourcesKit.h"

namespace {

namespace fs = std::filesystem;

using Kind = DifferencePatternKind;

class RomMatching : public ::testing::Test {
 protected:
  void addSource(const std::string& path) {
    Expected<LoadedSource> source = loadSource(path, {false, {}});
    ASSERT_TRUE(source) << source.error();
    sources_.push_back(std::move(*source));
  }
  std::string write(const std::string& name, std::string_view text) {
    std::string path = temp_.filePath(name);
    writeFile(path, text);
    return path;
  }
  DumpIdentification identify(const Bytes& dump, const std::vector<bool>& stable = {}) {
    return identifyDump(dump, sources_, stable);
  }
  TempFolder temp_;
  std::vector<LoadedSource> sources_;
};

TEST_F(RomMatching, TheWholeDumpItsMirrorsAndItsPaddedHalvesAreNamed) {
  const Bytes program = randomRom(8192, 1), small = randomRom(2048, 2), bad = randomRom(4096, 3);
  Bytes collision = randomRom(1024, 4);
  addSource(write("mame.xml",
                  "<mame>\n<machine name=\"puckman\">\n"
                  "<description>Puck Man</description>\n" +
                      romLine("prg.6e", program, "region=\"maincpu\" offset=\"4000\"") +
                      romLine("small.1", small, "region=\"gfx1\" offset=\"0\"") +
                      romLine("bad.5e", bad, "status=\"baddump\"") +
                      // The same CRC32 with another SHA-1 is another ROM.
                      "<rom name=\"other\" size=\"1024\" crc=\"" + crcOf(collision) + "\" sha1=\"" +
                      std::string(40, '0') + "\"/>\n" + "</machine>\n</mame>\n"));
  const Bytes ff2k(2048, 0xFF), ff6k(6144, 0xFF);
  const struct {
    const char* name;
    Bytes dump;
    std::string rom;
    std::uint64_t dumpOffset, dumpLength, copies;
  } cases[] = {
      {"whole", program, "prg.6e", 0, 8192, 1},
      {"two copies in a 27128", joined({program, program}), "prg.6e", 0, 16384, 2},
      {"eight copies", joined({small, small, small, small, small, small, small, small}), "small.1",
       0, 16384, 8},
      {"bottom quarter, the rest FFh", joined({small, ff6k}), "small.1", 0, 2048, 1},
      {"top quarter", joined({ff6k, small}), "small.1", 6144, 2048, 1},
      {"bottom half", joined({bad, ff2k, ff2k}), "bad.5e", 0, 4096, 1},
  };
  for (const auto& c : cases) {
    const DumpIdentification result = identify(c.dump);
    ASSERT_EQ(result.identified.size(), 1u) << c.name;
    const IdentifiedRom& rom = result.identified[0];
    EXPECT_EQ(rom.rom, c.rom) << c.name;
    EXPECT_EQ(rom.dumpOffset, c.dumpOffset) << c.name;
    EXPECT_EQ(rom.dumpLength, c.dumpLength) << c.name;
    EXPECT_EQ(rom.copies, c.copies) << c.name;
    EXPECT_EQ(result.search, NearestSearch::NotNeeded);
  }
  const IdentifiedRom prg = identify(program).identified[0];
  EXPECT_EQ(prg.source, temp_.filePath("mame.xml"));
  EXPECT_EQ(prg.set, "puckman");
  EXPECT_EQ(prg.description, "Puck Man");
  EXPECT_EQ(prg.size, 8192u);
  EXPECT_EQ(prg.crc32, crcOf(program));
  EXPECT_EQ(prg.sha1, sha1Of(program));
  EXPECT_EQ(prg.match, RomMatch::Crc32AndSha1);
  EXPECT_EQ(prg.status, RomStatus::Good);
  EXPECT_EQ(prg.region, "maincpu");
  EXPECT_EQ(prg.offset, 0x4000u);
  EXPECT_EQ(prg.byte, std::nullopt);
  EXPECT_EQ(identify(bad).identified[0].status, RomStatus::BadDump);
  EXPECT_TRUE(identify(collision).identified.empty());
  // Nothing is made of a blank chip: its halves are FFh too.
  EXPECT_TRUE(identify(Bytes(8192, 0xFF)).identified.empty());
}

TEST_F(RomMatching, ASourceWithoutSha1MatchesOnCrc32AndSize) {
  const Bytes os = randomRom(4096, 5);
  addSource(write("synth.dat",
                  "clrmamepro ( name x )\ngame ( name synth description \"Synth\"\n"
                  "rom ( name os.bin size 4096 crc " +
                      crcOf(os) +
                      " )\n"
                      "rom ( name short.bin size 2048 crc " +
                      crcOf(os) + " ) )\n"));
  const DumpIdentification result = identify(os);
  ASSERT_EQ(result.identified.size(), 1u);
  EXPECT_EQ(result.identified[0].match, RomMatch::Crc32Only);
  EXPECT_EQ(result.identified[0].sha1, "");
  EXPECT_EQ(result.identified[0].offset, std::nullopt);
}

TEST_F(RomMatching, EachChipOfA16BitPairIsItsByteOfTheWord) {
  const Bytes even = randomRom(4096, 6), odd = randomRom(4096, 7), lane = randomRom(4096, 8);
  addSource(write("sys16.xml",
                  "<softwarelist name=\"sys16\">\n<software name=\"game\">\n"
                  "<description>Game</description>\n<part name=\"cart\" interface=\"c\">\n"
                  "<dataarea name=\"maincpu\" size=\"8192\" width=\"16\">\n" +
                      romLine("e.u1", even, "offset=\"0x0\" loadflag=\"load16_byte\"") +
                      romLine("o.u2", odd, "offset=\"0x1\" loadflag=\"load16_byte\"") +
                      romLine("l.u3", lane, "offset=\"0x6\" loadflag=\"load32_byte\"") +
                      "</dataarea>\n</part>\n</software>\n</softwarelist>\n"));
  const IdentifiedRom e = identify(even).identified.at(0);
  EXPECT_EQ(e.byte, (WordByte{2, 0}));
  EXPECT_EQ(e.loadflag, "load16_byte");
  EXPECT_EQ(e.region, "maincpu");
  EXPECT_EQ(wordByteName(*e.byte), "even");
  const IdentifiedRom o = identify(odd).identified.at(0);
  EXPECT_EQ(o.byte, (WordByte{2, 1}));
  EXPECT_EQ(wordByteName(*o.byte), "odd");
  const IdentifiedRom l = identify(lane).identified.at(0);
  EXPECT_EQ(l.byte, (WordByte{4, 2}));
  EXPECT_EQ(wordByteName(*l.byte), "lane 2");
}

TEST_F(RomMatching, ImagesInFoldersZipAnd7zAreMatchedByTheirOwnHashes) {
  const Bytes loose = randomRom(2048, 9), zipped = randomRom(4096, 10),
              packed = randomRom(8192, 11);
  const std::string roms = temp_.filePath("roms");
  fs::create_directories(roms + "/synth");
  writeFile(roms + "/synth/os.bin", loose);
  writeArchive(roms + "/puckman.zip", ArchiveFormat::Zip, {{"pm1_prg1.6e", zipped}});
  writeArchive(temp_.filePath("galaxian.7z"), ArchiveFormat::SevenZip, {{"g.1", packed}});
  addSource(roms);
  addSource(temp_.filePath("galaxian.7z"));
  const struct {
    Bytes dump;
    std::string source, set, rom;
  } cases[] = {
      {loose, roms, "synth", "os.bin"},
      {zipped, roms, "puckman", "pm1_prg1.6e"},
      {packed, temp_.filePath("galaxian.7z"), "galaxian", "g.1"},
  };
  for (const auto& c : cases) {
    const DumpIdentification result = identify(c.dump);
    ASSERT_EQ(result.identified.size(), 1u) << c.rom;
    EXPECT_EQ(result.identified[0].source, c.source);
    EXPECT_EQ(result.identified[0].set, c.set);
    EXPECT_EQ(result.identified[0].rom, c.rom);
    EXPECT_EQ(result.identified[0].match, RomMatch::Crc32AndSha1);
    EXPECT_EQ(result.identified[0].sha1, sha1Of(c.dump));
  }
}

// A folder of zipped sets, one of which is `reference`; the others random.
class NearestImages : public RomMatching {
 protected:
  void makeSets(const Bytes& reference) {
    const std::string roms = temp_.filePath("roms");
    fs::create_directories(roms);
    for (unsigned set = 0; set < 20; ++set) {
      std::vector<ArchiveMember> members;
      for (unsigned chip = 0; chip < 3; ++chip)
        members.push_back({"chip" + std::to_string(chip) + ".bin",
                           randomRom(reference.size() >> chip, 100 + set * 3 + chip)});
      if (set == 7) members[1] = {"original.bin", reference};
      writeArchive(roms + "/set" + std::to_string(set) + ".zip", ArchiveFormat::Zip, members);
    }
    addSource(roms);
  }
};

TEST_F(NearestImages, LostChargeIsBitRotAndTheReferenceIsWhatTheChipHeld) {
  const Bytes reference = randomRom(8192, 42);
  makeSets(reference);
  Bytes dump = reference;
  // Three programmed cells lost their charge: a 0 reads 1, in D1, D4 and D6.
  std::vector<std::uint64_t> rotten;
  for (std::size_t at = 100; rotten.size() < 3; at += 1000) {
    const int bit = rotten.size() == 0 ? 1 : rotten.size() == 1 ? 4 : 6;
    while ((dump[at] >> bit & 1) != 0) ++at;
    dump[at] = static_cast<std::uint8_t>(dump[at] | 1 << bit);
    rotten.push_back(at);
  }
  const DumpIdentification result = identify(dump);
  EXPECT_TRUE(result.identified.empty());
  ASSERT_EQ(result.search, NearestSearch::Found);
  ASSERT_EQ(result.nearest.size(), 1u);
  const NearestRom& near = result.nearest[0];
  EXPECT_EQ(near.source, temp_.filePath("roms"));
  EXPECT_EQ(near.set, "set7");
  EXPECT_EQ(near.rom, "original.bin");
  EXPECT_EQ(near.size, 8192u);
  EXPECT_EQ(near.dumpOffset, 0u);
  EXPECT_EQ(near.dumpLength, 8192u);
  EXPECT_EQ(near.bits, 3);
  EXPECT_EQ(near.locations, 3);
  EXPECT_EQ(near.lostCharge, 3);
  EXPECT_EQ(near.programmedExtra, 0);
  ASSERT_EQ(near.first.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(near.first[i], (RomDifference{rotten[i], dump[rotten[i]], reference[rotten[i]]}));
  EXPECT_TRUE(near.findings.empty());
  EXPECT_EQ(near.verdict, NearVerdict::BitRot);

  // The same through the folder's index, its sketches read back from it.
  const IndexSettings kept{true, temp_.filePath("cache")};
  ASSERT_TRUE(loadSource(temp_.filePath("roms"), kept));
  Expected<LoadedSource> indexed = loadSource(temp_.filePath("roms"), kept);
  ASSERT_EQ(indexed->summary.index.found, IndexFound::Current);
  std::vector<LoadedSource> throughIndex;
  throughIndex.push_back(std::move(*indexed));
  const DumpIdentification again = identifyDump(dump, throughIndex);
  ASSERT_EQ(again.nearest.size(), 1u);
  EXPECT_EQ(again.nearest[0].rom, "original.bin");
  EXPECT_EQ(again.nearest[0].first, near.first);

  // A read in several passes: the unstable location is left out and named.
  std::vector<bool> stable(dump.size(), true);
  stable[rotten[1]] = false;
  const DumpIdentification passes = identify(dump, stable);
  EXPECT_EQ(passes.leftOut, (std::vector<std::uint64_t>{rotten[1]}));
  ASSERT_EQ(passes.nearest.size(), 1u);
  EXPECT_EQ(passes.nearest[0].locations, 2);
  // Every rotten location unstable: the rest is the reference, bit for bit.
  for (const std::uint64_t at : rotten) stable[at] = false;
  const DumpIdentification unstable = identify(dump, stable);
  ASSERT_EQ(unstable.nearest.size(), 1u);
  EXPECT_EQ(unstable.nearest[0].rom, "original.bin");
  EXPECT_EQ(unstable.nearest[0].bits, 0);
  EXPECT_EQ(unstable.nearest[0].verdict, NearVerdict::BitRot);
}

TEST_F(NearestImages, ABitProgrammedWhereTheReferenceIsBlankIsAnotherVersion) {
  const Bytes reference = randomRom(4096, 43);
  makeSets(reference);
  Bytes dump = reference;
  dump[10] = static_cast<std::uint8_t>(dump[10] ^ 0xFF);  // both ways at one location
  const DumpIdentification result = identify(dump);
  ASSERT_EQ(result.nearest.size(), 1u);
  EXPECT_EQ(result.nearest[0].bits, 8);
  EXPECT_EQ(result.nearest[0].locations, 1);
  EXPECT_GT(result.nearest[0].programmedExtra, 0);
  EXPECT_EQ(result.nearest[0].lostCharge + result.nearest[0].programmedExtra, 8);
  EXPECT_EQ(result.nearest[0].verdict, NearVerdict::OtherVersion);
}

TEST_F(NearestImages, AStuckDataLineAndAnOpenAddressLineAreNamed) {
  // A reference whose D3 is 0 at 40 locations only, so that a D3 stuck at
  // 1 changes 40 bytes: 0.5 % of them.
  Bytes reference = randomRom(8192, 44);
  for (std::size_t at = 0; at < reference.size(); ++at)
    reference[at] =
        static_cast<std::uint8_t>(at % 200 == 0 ? reference[at] & ~0x08 : reference[at] | 0x08);
  makeSets(reference);
  Bytes stuck = reference;
  for (std::uint8_t& byte : stuck) byte |= 0x08;
  const DumpIdentification stuckResult = identify(stuck);
  ASSERT_EQ(stuckResult.nearest.size(), 1u);
  EXPECT_EQ(stuckResult.nearest[0].locations, 41);
  EXPECT_EQ(stuckResult.nearest[0].findings, (std::vector<DifferencePattern>{{Kind::DataLine, 3}}));
  EXPECT_EQ(stuckResult.nearest[0].verdict, NearVerdict::BitRot);

  // The same reference with a top half that repeats the bottom but at 60
  // locations: A12 open reads the bottom half twice.
  Bytes twoHalves = reference;
  for (std::size_t at = 0; at < 4096; ++at) twoHalves[4096 + at] = reference[at];
  for (std::size_t at = 4096; at < 8192; at += 68)
    twoHalves[at] = static_cast<std::uint8_t>(~twoHalves[at]);
  sources_.clear();
  fs::remove_all(temp_.filePath("roms"));
  makeSets(twoHalves);
  Bytes open = twoHalves;
  for (std::size_t at = 4096; at < 8192; ++at) open[at] = twoHalves[at - 4096];
  const DumpIdentification openResult = identify(open);
  ASSERT_EQ(openResult.nearest.size(), 1u);
  EXPECT_EQ(openResult.nearest[0].locations, 61);
  EXPECT_EQ(openResult.nearest[0].findings,
            (std::vector<DifferencePattern>{{Kind::AddressLine, 12}}));
  EXPECT_EQ(openResult.nearest[0].verdict, NearVerdict::OtherVersion);
}

TEST_F(RomMatching, ARottenSmallRomInTheBottomHalfOfABigChip) {
  const Bytes reference = randomRom(4096, 45);
  writeArchive(temp_.filePath("small.zip"), ArchiveFormat::Zip, {{"small.bin", reference}});
  addSource(temp_.filePath("small.zip"));
  Bytes dump = joined({reference, Bytes(4096, 0xFF)});
  const std::size_t at = reference[5] != 0xFF ? 5 : 6;
  dump[at] = static_cast<std::uint8_t>(dump[at] | 1 << std::countr_one(dump[at]));
  const DumpIdentification result = identify(dump);
  ASSERT_EQ(result.nearest.size(), 1u);
  EXPECT_EQ(result.nearest[0].set, "small");
  EXPECT_EQ(result.nearest[0].rom, "small.bin");
  EXPECT_EQ(result.nearest[0].dumpOffset, 0u);
  EXPECT_EQ(result.nearest[0].dumpLength, 4096u);
  EXPECT_EQ(result.nearest[0].locations, 1);
  EXPECT_EQ(result.nearest[0].first.at(0).address, at);
  // The small ROM whole in the bottom half, something else in the top half.
  const DumpIdentification other = identify(joined({reference, randomRom(4096, 46)}));
  EXPECT_TRUE(other.identified.empty());
  ASSERT_EQ(other.nearest.size(), 1u);
  EXPECT_EQ(other.nearest[0].dumpLength, 4096u);
  EXPECT_EQ(other.nearest[0].locations, 0);
}

TEST_F(NearestImages, RandomDumpsMatchNothingAndTooManyDifferencesAreNotNear) {
  const Bytes reference = randomRom(8192, 46);
  makeSets(reference);
  for (unsigned seed = 0; seed < 20; ++seed) {
    for (const std::size_t size : {2048u, 4096u, 8192u}) {
      const DumpIdentification result = identify(randomRom(size, 1000 + seed));
      EXPECT_TRUE(result.identified.empty());
      EXPECT_EQ(result.search, NearestSearch::NoneClose);
      EXPECT_TRUE(result.nearest.empty());
    }
  }
  // 1 % of the locations differ: near; one more, not.
  for (const auto& [changed, near] : {std::pair{81, true}, std::pair{82, false}}) {
    Bytes dump = reference;
    for (int i = 0; i < changed; ++i) dump[static_cast<std::size_t>(i) * 99] ^= 0x01;
    EXPECT_EQ(identify(dump).nearest.size(), near ? 1u : 0u) << changed;
  }
}

TEST_F(RomMatching, NoNearestSearchWithoutImages) {
  addSource(write("list.dat", "game ( name a rom ( name r size 4 crc 12345678 ) )"));
  EXPECT_EQ(identify(randomRom(4096, 1)).search, NearestSearch::NoImages);
}

}  // namespace
