// The built vesk naming dumps against reference sources the tests make: a
// -listxml, a software list with a 16-bit pair, both DAT kinds, a folder of
// loose images and zip sets, a 7z set; exact matches of every kind, the
// nearest reference of a rotten image and of chips read with each of the
// simulator's faults, no false match, a source that cannot be read, an
// index that is damaged or stale; reads voted to 0, images repeated to fill
// a chip.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "RomSourcesKit.h"
#include "VeskProgram.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Json = nlohmann::json;

// A <rom/> of the XML lists.
// `rom` with a programmed bit (a 0) read as 1 at each of `count` locations
// spread over it: cells that lost their charge.
Bytes rotten(Bytes rom, int count) {
  for (std::size_t at = 100; count > 0; at += rom.size() / 4) {
    while (rom[at] == 0xFF) ++at;
    rom[at] = static_cast<std::uint8_t>(rom[at] | (rom[at] + 1));  // its lowest 0 bit set
    --count;
  }
  return rom;
}

// Objects, one a line.
std::vector<Json> objectsOf(const std::string& lines) {
  std::vector<Json> objects;
  std::istringstream stream(lines);
  for (std::string line; std::getline(stream, line);) objects.push_back(Json::parse(line));
  return objects;
}

// vesk with an index folder of the test's own.
class VeskIdentify : public VeskProgram {
 protected:
  Result identify(const std::vector<std::string>& arguments) const {
    return run(arguments, {.env = {{"XDG_CACHE_HOME", path("cache")}}});
  }
  std::vector<std::string> indexFiles() const {
    std::vector<std::string> files;
    if (fs::exists(path("cache/vesk")))
      for (const auto& entry : fs::directory_iterator(path("cache/vesk")))
        files.push_back(entry.path().string());
    return files;
  }
};

TEST_F(VeskIdentify, EveryExactMatchInEveryKindOfSource) {
  const Bytes program = randomRom(8192, 1), small = randomRom(2048, 2), bad = randomRom(4096, 3),
              even = randomRom(4096, 4), odd = randomRom(4096, 5), logiqx = randomRom(4096, 6),
              crcOnly = randomRom(4096, 7), loose = randomRom(2048, 8), zipped = randomRom(4096, 9),
              packed = randomRom(8192, 10);
  writeFile(path("mame.xml"),
            "<?xml version=\"1.0\"?>\r\n<!DOCTYPE mame [\r\n<!ELEMENT mame (machine+)>\r\n]>\r\n"
            "<mame build=\"0.251\">\r\n<machine name=\"puckman\">\r\n"
            "<description>Puck Man (Japan set 1)</description>\r\n" +
                romLine("pm1_prg1.6e", program, "region=\"maincpu\" offset=\"0\"") +
                romLine("small.5f", small, "region=\"gfx1\" offset=\"1000\"") +
                romLine("bad.5e", bad, "status=\"baddump\" region=\"gfx2\" offset=\"0\"") +
                "</machine>\r\n</mame>\r\n");
  writeFile(path("sys16.xml"),
            "<softwarelist name=\"sys16\">\n<software name=\"game\">\n"
            "<description>The Game</description>\n<part name=\"cart\" interface=\"c\">\n"
            "<dataarea name=\"maincpu\" size=\"8192\" width=\"16\" endianness=\"big\">\n" +
                romLine("e.u1", even, "offset=\"0x0\" loadflag=\"load16_byte\"") +
                romLine("o.u2", odd, "offset=\"0x1\" loadflag=\"load16_byte\"") +
                "</dataarea>\n</part>\n</software>\n</softwarelist>\n");
  writeFile(path("logiqx.dat"),
            "<?xml version=\"1.0\"?>\n<datafile>\n<game name=\"synth\">\n"
            "<description>A Synth</description>\n" +
                romLine("os v1.bin", logiqx) + "</game>\n</datafile>\n");
  writeFile(path("crc.dat"),
            "clrmamepro ( name x )\ngame ( name drum description \"Drum\"\n"
            "rom ( name drum.bin size 4096 crc " +
                crcOf(crcOnly) + " ) )\n");
  fs::create_directories(path("roms/synth"));
  writeFile(path("roms/synth/os.bin"), loose);
  writeArchive(path("roms/galaga.zip"), ArchiveFormat::Zip, {{"gg1_1.3p", zipped}});
  writeArchive(path("galaxian.7z"), ArchiveFormat::SevenZip, {{"g.1", packed}});
  const Bytes ff6k(6144, 0xFF);
  const struct {
    const char* file;
    Bytes dump;
    Json fields;  // of its one known ROM
  } cases[] = {
      {"whole.bin",
       program,
       {{"source", "mame.xml"},
        {"set", "puckman"},
        {"description", "Puck Man (Japan set 1)"},
        {"rom", "pm1_prg1.6e"},
        {"size", 8192},
        {"crc32", crcOf(program)},
        {"sha1", sha1Of(program)},
        {"status", "good"},
        {"match", "crc32+sha1"},
        {"dump_offset", 0},
        {"dump_length", 8192},
        {"copies", 1},
        {"region", "maincpu"},
        {"offset", 0},
        {"loadflag", nullptr},
        {"byte", nullptr}}},
      {"mirrored.bin", joined({program, program}), {{"rom", "pm1_prg1.6e"}, {"copies", 2}}},
      {"bottom.bin",
       joined({small, ff6k}),
       {{"rom", "small.5f"}, {"dump_offset", 0}, {"dump_length", 2048}, {"offset", 0x1000}}},
      {"top.bin", joined({ff6k, small}), {{"dump_offset", 6144}, {"dump_length", 2048}}},
      {"bad.bin", bad, {{"rom", "bad.5e"}, {"status", "baddump"}}},
      {"even.bin", even, {{"source", "sys16.xml"}, {"loadflag", "load16_byte"}, {"byte", "even"}}},
      {"odd.bin", odd, {{"rom", "o.u2"}, {"region", "maincpu"}, {"offset", 1}, {"byte", "odd"}}},
      {"logiqx.bin", logiqx, {{"source", "logiqx.dat"}, {"rom", "os v1.bin"}}},
      {"crc.bin", crcOnly, {{"source", "crc.dat"}, {"match", "crc32"}, {"sha1", nullptr}}},
      {"loose.bin", loose, {{"source", "roms"}, {"set", "synth"}, {"rom", "os.bin"}}},
      {"zipped.bin",
       zipped,
       {{"source", "roms"}, {"set", "galaga"}, {"rom", "gg1_1.3p"}, {"sha1", sha1Of(zipped)}}},
      {"packed.bin", packed, {{"source", "galaxian.7z"}, {"set", "galaxian"}, {"rom", "g.1"}}},
  };
  std::vector<std::string> info{"info",      "--json",    "--against",  "mame.xml",   "--against",
                                "sys16.xml", "--against", "logiqx.dat", "--against",  "crc.dat",
                                "--against", "roms",      "--against",  "galaxian.7z"};
  for (const auto& c : cases) {
    writeFile(path(c.file), c.dump);
    info.emplace_back(c.file);
  }
  const auto [status, errors, output] = identify(info);
  EXPECT_EQ(std::pair(status, errors), std::pair(0, std::string()));
  const std::vector<Json> objects = objectsOf(output);
  ASSERT_EQ(objects.size(), std::size(cases));
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const Json& identified = objects[i]["identified"];
    ASSERT_EQ(identified.size(), 1u) << cases[i].file << " " << objects[i];
    for (const auto& [key, value] : cases[i].fields.items())
      EXPECT_EQ(identified[0][key], value) << cases[i].file << " " << key;
    EXPECT_EQ(objects[i]["nearest"], Json::array()) << cases[i].file;
  }

  // The text: one line a known ROM.
  const auto [textStatus, textErrors, text] =
      identify({"info", "--against", "mame.xml", "--against", "sys16.xml", "--against", "crc.dat",
                "mirrored.bin", "odd.bin", "crc.bin"});
  EXPECT_EQ(textStatus, 0) << textErrors;
  EXPECT_THAT(text, HasSubstr("\nIdentified: puckman (Puck Man (Japan set 1)): pm1_prg1.6e, 2 "
                              "copies of its 8192 bytes, maincpu at 0000, CRC32 and SHA-1 match "
                              "(mame.xml)\n"));
  EXPECT_THAT(text, HasSubstr("\nIdentified: game (The Game): o.u2, maincpu at 0001 "
                              "(load16_byte), odd byte, CRC32 and SHA-1 match (sys16.xml)\n"));
  EXPECT_THAT(text, HasSubstr("\nIdentified: drum (Drum): drum.bin, CRC32 only (crc.dat)\n"));
}

// A folder of zipped sets: the references of the tests, and decoys.
void makeSets(const std::string& folder, const std::vector<std::pair<std::string, Bytes>>& roms) {
  fs::create_directories(folder);
  unsigned seed = 500;
  for (const auto& [set, rom] : roms)
    writeArchive(folder + "/" + set + ".zip", ArchiveFormat::Zip,
                 {{set + ".bin", rom}, {"decoy.bin", randomRom(rom.size(), ++seed)}});
  for (int decoy = 0; decoy < 4; ++decoy)
    writeArchive(folder + "/decoy" + std::to_string(decoy) + ".zip", ArchiveFormat::Zip,
                 {{"d.bin", randomRom(2048, ++seed)}, {"e.bin", randomRom(8192, ++seed)}});
}

TEST_F(VeskIdentify, TheNearestOfARottenImageAnotherVersionAndNothingForRandomImages) {
  const Bytes reference = randomRom(8192, 20);
  makeSets(path("roms"), {{"original", reference}});
  writeFile(path("listed.dat"), "game ( name x rom ( name y size 8192 crc 01234567 ) )\n");
  writeFile(path("rotten.bin"), rotten(reference, 3));
  Bytes version = reference;
  version[10] = static_cast<std::uint8_t>(~version[10]);
  writeFile(path("version.bin"), version);
  std::vector<std::string> info{"info", "--against",  "listed.dat", "--against",
                                "roms", "rotten.bin", "version.bin"};
  for (const unsigned seed : {30u, 31u, 32u}) {
    writeFile(path("random" + std::to_string(seed) + ".bin"), randomRom(2048u << (seed % 3), seed));
    info.push_back("random" + std::to_string(seed) + ".bin");
  }
  const auto [status, errors, text] = identify(info);
  EXPECT_EQ(std::pair(status, errors), std::pair(0, std::string()));
  const std::string notAmong = "Not among the 1 ROM of listed.dat and the 10 ROMs of roms\n";
  EXPECT_THAT(
      text,
      HasSubstr(notAmong + "Nearest: original: original.bin (roms), 3 bits differ at 3 locations, "
                           "all 3 lost charge: bit rot: the reference is what the chip held\n"
                           "  address: chip reference\n  00064: "));
  EXPECT_THAT(text,
              HasSubstr(notAmong + "Nearest: original: original.bin (roms), 8 bits differ at 1 "
                                   "location, "));
  EXPECT_THAT(text, HasSubstr(" programmed extra: another version of original.bin, or a damaged "
                              "chip\n  address: chip reference\n  0000A: "));
  const std::string none =
      "Nearest: none within 1 % of the dump's bytes among the 10 images of roms\n";
  std::size_t nones = 0;
  for (std::size_t at = text.find(notAmong + none); at != std::string::npos;
       at = text.find(notAmong + none, at + 1))
    ++nones;
  EXPECT_EQ(nones, 3u) << text;

  info.insert(info.begin() + 1, "--json");
  const std::vector<Json> objects = objectsOf(std::get<2>(identify(info)));
  ASSERT_EQ(objects.size(), 5u);
  const Json& near = objects[0]["nearest"].at(0);
  EXPECT_EQ(near["verdict"], "bit-rot");
  EXPECT_EQ(std::tuple(near["bits"], near["locations"], near["lost_charge"],
                       near["programmed_extra"], near["first"].size()),
            std::tuple(3, 3, 3, 0, 3u));
  EXPECT_EQ(near["first"][0]["reference"], reference[100]);
  EXPECT_EQ(objects[1]["nearest"].at(0)["verdict"], "other-version");
  for (std::size_t i = 2; i < objects.size(); ++i)
    EXPECT_EQ(std::pair(objects[i]["identified"], objects[i]["nearest"]),
              std::pair(Json::array(), Json::array()));
}

// A 2716's references, each made for the fault that reads it.
struct FaultReferences {
  Bytes program = randomRom(2048, 40);
  Bytes stuck;  // D3 0 at 11 locations only: a D3 stuck at 1 changes 0.5 % of the bytes
  Bytes open;   // the top half the bottom's but at 10 locations: A10 open changes those
  FaultReferences() : stuck(randomRom(2048, 41)), open(randomRom(2048, 42)) {
    for (std::size_t at = 0; at < stuck.size(); ++at)
      stuck[at] = static_cast<std::uint8_t>(at % 200 == 0 ? stuck[at] & ~0x08 : stuck[at] | 0x08);
    for (std::size_t at = 1024; at < 2048; ++at)
      open[at] = static_cast<std::uint8_t>(at % 100 == 0 ? ~open[at - 1024] : open[at - 1024]);
  }
};

TEST_F(VeskIdentify, AChipReadWithEachOfTheSimulatorsFaults) {
  const FaultReferences refs;
  ASSERT_NE(refs.program[2047], 0xFF);
  makeSets(path("roms"), {{"program", refs.program}, {"stuck", refs.stuck}, {"open", refs.open}});
  writeFile(path("program.bin"), refs.program);
  const auto onChip = [](std::vector<std::string> command, const std::string& faults) {
    command.insert(command.begin() + 1,
                   {"-t", "2716", "--simulate=chip.bin", "--json", "--simulate-faults=" + faults});
    return command;
  };
  const auto readChip = [&](const std::string& faults, Bytes holding,
                            const std::vector<std::string>& more = {}) {
    writeFile(path("chip.bin"), chipHolding(std::move(holding)));
    std::vector<std::string> read = onChip({"read", "--against", "roms"}, faults);
    read.insert(read.end(), more.begin(), more.end());
    read.emplace_back("out.bin");
    const auto [status, errors, output] = identify(read);
    return std::pair(status, Json::parse(output));
  };
  // A weak and a dead cell at the last location: the write ends in Bad Eprom
  // there, and the chip reads as the program with that cell's charge lost.
  for (const char* cell : {"weak:0x7FF:1000", "dead:0x7FF"}) {
    std::filesystem::remove(path("chip.bin"));
    const auto [written, writeErrors, writeOutput] =
        identify(onChip({"write", "--algorithm", "quick", "program.bin"}, cell));
    ASSERT_EQ(written, 1) << cell << writeErrors;
    const auto [status, errors, output] =
        identify(onChip({"read", "--against", "roms", "out.bin"}, cell));
    ASSERT_EQ(status, 0) << errors;
    const Json near = Json::parse(output)["nearest"].at(0);
    EXPECT_EQ(std::tuple(near["rom"], near["locations"], near["verdict"], near["first"][0]["chip"]),
              std::tuple("program.bin", 1, "bit-rot", 0xFF))
        << cell;
  }

  const auto [stuckStatus, stuck] = readChip("stuck-data:3:1", refs.stuck);
  const Json& stuckNear = stuck["nearest"].at(0);
  EXPECT_EQ(std::tuple(stuckStatus, stuckNear["rom"], stuckNear["locations"],
                       stuckNear["findings"][0]["kind"], stuckNear["findings"][0]["line"],
                       stuckNear["verdict"]),
            std::tuple(0, "stuck.bin", 11, "data-line", 3, "bit-rot"));

  const auto [openStatus, open] = readChip("open-address:10", refs.open);
  const Json& openNear = open["nearest"].at(0);
  EXPECT_EQ(std::tuple(openStatus, openNear["rom"], openNear["locations"],
                       openNear["findings"][0]["kind"], openNear["findings"][0]["line"]),
            std::tuple(0, "open.bin", 10, "address-line", 10));

  // An empty socket names nothing.
  const auto [emptyStatus, empty] = readChip("no-chip", refs.program);
  EXPECT_EQ(
      std::tuple(emptyStatus, empty["findings"][0]["kind"], empty["identified"], empty["nearest"]),
      std::tuple(0, "all-ff", Json::array(), Json::array()));

  // A cell that reads at random: left out of the comparison, which the rest
  // of the chip passes bit for bit.
  const auto [unstableStatus, unstable] =
      readChip("unstable:0x100:0xFF", refs.program, {"--passes", "3"});
  EXPECT_EQ(unstableStatus, 3);
  ASSERT_EQ(unstable["unstable"].size(), 1u) << unstable;
  ASSERT_EQ(unstable["identified"], Json::array()) << "the vote happened on the programmed byte";
  const Json& unstableNear = unstable["nearest"].at(0);
  EXPECT_EQ(std::tuple(unstableNear["rom"], unstableNear["bits"], unstableNear["verdict"]),
            std::tuple("program.bin", 0, "bit-rot"));
  const auto [textStatus, errors, text] = identify(
      {"read", "-t", "2716", "--simulate=chip.bin", "--simulate-faults=unstable:0x100:0xFF",
       "--passes", "3", "--against", "roms", "out.bin"});
  EXPECT_THAT(text, HasSubstr("Nearest: program: program.bin (roms), no bit differs: the "
                              "reference is what the chip held\nLeft out of the comparison: 1 "
                              "unstable location (00100)\n"));
}

TEST_F(VeskIdentify, TheZeroVoteTakesA0ReadInAnyPass) {
  writeFile(path("chip.bin"), chipHolding(Bytes(2048, 0x5A)));
  for (const char* vote : {"majority", "zero"}) {
    const auto [status, errors, output] =
        run({"read", "-t", "2716", "--simulate=chip.bin", "--simulate-faults=unstable:0x20:0xFF",
             "--passes", "3", "--vote", vote, "--json", "out.bin"});
    ASSERT_EQ(status, 3) << errors;
    const Json values = Json::parse(output)["unstable"].at(0)["values"];
    const unsigned a = values[0], b = values[1], c = values[2];
    const unsigned wanted = vote == std::string("zero") ? a & b & c : (a & b) | (a & c) | (b & c);
    EXPECT_EQ(readFile<Bytes>(path("out.bin")).at(0x20), wanted) << vote << values;
  }
}

TEST_F(VeskIdentify, ASourceThatCannotBeReadStopsTheRunBeforeAnythingIsWritten) {
  writeFile(path("good.dat"), "game ( name x rom ( name y size 4 crc 01234567 ) )\n");
  writeFile(path("bad.xml"), "<mame>\n<machine name=\"a\">\n<rom name=\"r\" crc=\"1\"\n</mame>\n");
  writeFile(path("out.bin"), "old");
  const std::string why = "vesk: bad.xml: line 4: error parsing attribute name\n";
  for (const char* json : {"-q", "--json"})
    EXPECT_EQ(identify({"read", json, "-t", "2716", "--simulate=chip.bin", "--against", "good.dat",
                        "--against", "bad.xml", "out.bin"}),
              Result(2, why, ""));
  EXPECT_FALSE(fs::exists(path("chip.bin")));
  EXPECT_EQ(readFile(path("out.bin")), "old");
  EXPECT_EQ(identify({"info", "--against", "missing.dat", "out.bin"}),
            Result(2, "vesk: missing.dat: No such file or directory\n", ""));
}

TEST_F(VeskIdentify, ADamagedAndAStaleIndexAreRebuiltAndSaid) {
  const Bytes rom = randomRom(4096, 50), added = randomRom(4096, 51);
  const std::string list = "<mame>\n<machine name=\"m\">\n" + romLine("a.1", rom);
  writeFile(path("mame.xml"), list + "</machine>\n</mame>\n");
  writeFile(path("rom.bin"), rom);
  writeFile(path("added.bin"), added);
  const std::vector<std::string> info{"info",     "--json",  "--against",
                                      "mame.xml", "rom.bin", "added.bin"};
  const auto named = [&](const Result& result) {
    std::vector<std::size_t> counts;
    for (const Json& object : objectsOf(std::get<2>(result)))
      counts.push_back(object["identified"].size());
    return std::tuple(std::get<0>(result), std::get<1>(result), counts);
  };
  EXPECT_EQ(named(identify(info)), std::tuple(0, "", std::vector<std::size_t>{1, 0}));
  ASSERT_EQ(indexFiles().size(), 1u);
  const std::string index = indexFiles()[0];

  Bytes bytes = readFile<Bytes>(index);
  bytes.back() ^= 0x10;
  writeFile(index, bytes);
  EXPECT_EQ(named(identify(info)),
            std::tuple(0, "vesk: the index of mame.xml was damaged (bad checksum): rebuilt\n",
                       std::vector<std::size_t>{1, 0}));
  writeFile(index, "VESKROMX");
  EXPECT_EQ(std::get<1>(identify(info)),
            "vesk: the index of mame.xml was damaged (too short): rebuilt\n");
  EXPECT_EQ(named(identify(info)), std::tuple(0, "", std::vector<std::size_t>{1, 0}));

  // The list changed: the ROM added is named at once.
  writeFile(path("mame.xml"), list + romLine("b.2", added) + "</machine>\n</mame>\n");
  EXPECT_EQ(named(identify(info)),
            std::tuple(0, "vesk: the index of mame.xml was out of date: rebuilt\n",
                       std::vector<std::size_t>{1, 1}));

  // --no-cache reads the source and keeps no index.
  fs::remove_all(path("cache"));
  std::vector<std::string> direct = info;
  direct.emplace_back("--no-cache");
  EXPECT_EQ(named(identify(direct)), std::tuple(0, "", std::vector<std::size_t>{1, 1}));
  EXPECT_TRUE(indexFiles().empty());
}

TEST_F(VeskIdentify, RepeatFillsTheChipWithCopiesOfAnImageAPowerOfTwoFractionOfIt) {
  const Bytes small = randomRom(1024, 60);
  writeFile(path("small.bin"), small);
  const auto onChip = [](std::vector<std::string> command) {
    command.insert(command.begin() + 1, {"-t", "2732", "--simulate=chip.bin", "--repeat"});
    return command;
  };
  const auto [status, errors, output] =
      run(onChip({"write", "--algorithm", "quick", "--json", "small.bin"}));
  EXPECT_EQ(std::pair(status, Json::parse(output)["repeated"]), std::pair(0, Json(4))) << errors;
  EXPECT_THAT(errors, HasSubstr("Write Eprom: 4 copies of small.bin fill the chip's 4096 bytes\n"));
  EXPECT_EQ(chip(), chipHolding(joined({small, small, small, small})));
  const auto [verified, verifyErrors, verifyOutput] = run(onChip({"verify", "small.bin"}));
  EXPECT_EQ(verified, 0) << verifyErrors;
  EXPECT_THAT(verifyErrors, HasSubstr("Verify: The Eprom matches small.bin\n"));

  for (const std::size_t size : {3072u, 8192u}) {
    writeFile(path("odd.bin"), randomRom(size, 61));
    EXPECT_EQ(run(onChip({"write", "odd.bin"})),
              Result(2,
                     "Open: Cannot read the file odd.bin\n" + std::to_string(size) +
                         " bytes do not repeat to fill the chip's 4096 bytes: --repeat takes 1/2, "
                         "1/4 ... of the chip\n",
                     ""));
  }
  EXPECT_EQ(chip(), chipHolding(joined({small, small, small, small})));
}

}  // namespace
