// The reference sources: each kind read by its content, what each keeps of
// a ROM, sources that cannot be read, and the index kept as a cache.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "ClrMameProReader.h"
#include "ImageSources.h"
#include "ReferenceSources.h"
#include "RomSourcesKit.h"
#include "XmlListReader.h"

namespace {

namespace fs = std::filesystem;

// A -listxml as MAME writes it (its DTD gives rom's status a default),
// with a comment, an entity, CRLF line ends and a UTF-8 description.
const std::string kListXml =
    "<?xml version=\"1.0\"?>\r\n"
    "<!DOCTYPE mame [\r\n"
    "<!ELEMENT mame (machine+)>\r\n"
    "<!ATTLIST rom status (baddump|nodump|good) \"good\">\r\n"
    "<!ENTITY maker \"Namco\">\r\n"
    "]>\r\n"
    "<mame build=\"0.251\">\r\n"
    "<!-- <machine name=\"commented\"> -->\r\n"
    "\t<machine name=\"puckman\" sourcefile=\"pacman/pacman.cpp\">\r\n"
    "\t\t<description>Puck Man (Japan set 1) &amp; &maker; \xC3\xA9</description>\r\n"
    "\t\t<rom name=\"pm1_prg1.6e\" size=\"2048\" crc=\"f36e88ab\" "
    "sha1=\"813cecf44bf5464b1aed64b36f5047e4c79ba176\" region=\"maincpu\" offset=\"800\"/>\r\n"
    "\t\t<rom name=\"missing.7f\" size=\"2048\" status=\"nodump\" region=\"gfx1\" "
    "offset=\"0\"/>\r\n"
    "\t\t<rom name=\"nocrc.8f\" size=\"2048\" region=\"gfx1\" offset=\"800\"/>\r\n"
    "\t\t<rom name=\"bad.5e\" size=\"4096\" crc=\"0c944964\" "
    "sha1=\"06ef227747a440831c9a3a613b76693d52a2f0a9\" status=\"baddump\" region=\"gfx1\" "
    "offset=\"0\"/>\r\n"
    "\t</machine>\r\n"
    "</mame>\r\n";

class RomSources : public ::testing::Test {
 protected:
  std::string write(const std::string& name, std::string_view text) {
    std::string path = temp_.filePath(name);
    writeFile(path, text);
    return path;
  }
  Expected<LoadedSource> load(const std::string& path, bool useIndex = true) {
    return loadSource(path, {useIndex, cacheFolder_});
  }
  TempFolder temp_;
  std::string cacheFolder_ = temp_.filePath("cache/vesk");
};

TEST(ListXml, KeepsWhatAMatchNeedsAndLeavesOutNodumpAndCrclessRoms) {
  Expected<RomCatalogue> catalogue = readMameListXml(kListXml);
  ASSERT_TRUE(catalogue) << catalogue.error();
  EXPECT_EQ(catalogue->listed(), 4u);
  ASSERT_EQ(catalogue->roms().size(), 2u);
  ASSERT_EQ(catalogue->sets().size(), 1u);
  EXPECT_EQ(catalogue->text(catalogue->sets()[0].name), "puckman");
  EXPECT_EQ(catalogue->text(catalogue->sets()[0].description),
            "Puck Man (Japan set 1) & Namco \xC3\xA9");
  const RomRecord& bad = catalogue->romsWithCrc(0x0c944964)[0];
  EXPECT_EQ(catalogue->text(bad.name), "bad.5e");
  EXPECT_EQ(bad.flags, rom_flag::kSha1 | rom_flag::kBadDump);
  const RomRecord& good = catalogue->romsWithCrc(0xf36e88ab)[0];
  EXPECT_EQ(catalogue->text(good.region), "maincpu");
  EXPECT_EQ(good.offset, 0x800u);  // -listxml's offsets are hex
  EXPECT_EQ(good.size, 2048u);
  EXPECT_EQ(sha1Hex(good.sha1), "813cecf44bf5464b1aed64b36f5047e4c79ba176");
  EXPECT_EQ(good.flags, rom_flag::kSha1);
}

TEST(ListXml, TheDoctypesDefaultsAndTokenTypesApplyToTheAttributesRead) {
  // The first declaration of an attribute binds; a token's blanks are
  // normalized, a CDATA value is kept as it is.
  const std::string list =
      "<!DOCTYPE mame [\n"
      "<!ATTLIST rom status (baddump|nodump|good) \"baddump\">\n"
      "<!ATTLIST rom status (baddump|nodump|good) \"good\" region CDATA \"maincpu\">\n"
      "<!ATTLIST rom loadflag NMTOKEN #IMPLIED>\n"
      "<!ATTLIST machine name CDATA #REQUIRED runnable (yes|no) \"yes\">\n"
      "]>\n"
      "<mame><machine name=\"m\">\n"
      "<rom name=\"a\" size=\"1\" crc=\"a\"/>\n"
      "<rom name=\"b\" size=\"1\" crc=\"b\" status=\" good \" region=\" gfx  1\"/>\n"
      "<rom name=\"c\" size=\"1\" crc=\"c\" status=\"  nodump\"/>\n"
      "<rom name=\"d\" size=\"1\" crc=\"d\" loadflag=\"\tload16_byte  \" status=\"good\"/>\n"
      "</machine></mame>\n";
  Expected<RomCatalogue> catalogue = readMameListXml(list);
  ASSERT_TRUE(catalogue) << catalogue.error();
  EXPECT_EQ(catalogue->listed(), 4u);
  ASSERT_EQ(catalogue->roms().size(), 3u);  // c is nodump
  const RomRecord& a = catalogue->romsWithCrc(0xa)[0];
  EXPECT_EQ(a.flags, rom_flag::kBadDump);
  EXPECT_EQ(catalogue->text(a.region), "maincpu");
  const RomRecord& b = catalogue->romsWithCrc(0xb)[0];
  EXPECT_EQ(b.flags, 0u);
  EXPECT_EQ(catalogue->text(b.region), " gfx  1");
  EXPECT_EQ(catalogue->text(catalogue->romsWithCrc(0xd)[0].loadflag), "load16_byte");
}

TEST(ListXml, NothingBeyondTheListIsEverRead) {
  // An external DTD that would make every ROM nodump, a parameter entity
  // that would declare an entity, and an external entity: files that are
  // there to be read, and are not. An entity of the list's own is read at
  // each of its references.
  TempFolder temp;
  const std::string dtd = temp.filePath("mame.dtd"), declarations = temp.filePath("more.ent"),
                    secret = temp.filePath("secret.txt");
  writeFile(dtd, "<!ATTLIST rom status CDATA \"nodump\">\n");
  writeFile(declarations, "<!ENTITY leak \"LEAKED\">\n");
  writeFile(secret, "SECRET");
  const std::string list = "<!DOCTYPE mame SYSTEM \"file://" + dtd +
                           "\" [\n<!ENTITY % more SYSTEM \"" + declarations +
                           "\">\n%more;\n<!ENTITY secret SYSTEM \"" + secret +
                           "\">\n<!ENTITY own \"ok\">\n]>\n<mame><machine name=\"m\">"
                           "<description>[&own;&secret;&leak;&own;]"
                           "</description><rom name=\"r\" size=\"1\" crc=\"1\"/></machine></mame>";
  Expected<RomCatalogue> catalogue = readMameListXml(list);
  ASSERT_TRUE(catalogue) << catalogue.error();
  EXPECT_EQ(catalogue->roms().size(), 1u);
  EXPECT_EQ(catalogue->text(catalogue->sets()[0].description), "[okok]");

  // Entities that expand a thousand million times are refused, at once.
  std::string laughs = "<!DOCTYPE mame [\n<!ENTITY l0 \"ha\">\n";
  for (int level = 1; level <= 9; ++level) {
    laughs += "<!ENTITY l" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) laughs += "&l" + std::to_string(level - 1) + ";";
    laughs += "\">\n";
  }
  laughs += "]>\n<mame><machine name=\"m\"><description>&l9;</description></machine></mame>";
  EXPECT_FALSE(readMameListXml(laughs));
  // So are 20,000 references to an entity of 20,000 bytes: 400 MB of text.
  std::string quadratic = "<!DOCTYPE mame [\n<!ENTITY big \"" + std::string(20000, 'x') +
                          "\">\n]>\n<mame>\n<machine name=\"m\"><description>";
  for (int i = 0; i < 20000; ++i) quadratic += "&big;";
  quadratic += "</description></machine></mame>";
  EXPECT_EQ(readMameListXml(quadratic).error(),
            "line 5: its entities expand to more than 100 times its size");
}

TEST(ListXml, TheRomsAreInOrderOfCrc32AndOfTheSourceAmongEqualOnes) {
  // 500 CRC32s, spread over all four bytes, each for several ROMs.
  std::mt19937 random(7);
  std::string list = "<mame><machine name=\"m\">";
  constexpr int kRoms = 3000;
  for (int i = 0; i < kRoms; ++i)
    list += "<rom name=\"" + std::to_string(i) + "\" size=\"1\" crc=\"" +
            crc32Hex(static_cast<std::uint32_t>(random() % 500 * 0x9E3779B1u)) + "\"/>";
  Expected<RomCatalogue> catalogue = readMameListXml(list + "</machine></mame>");
  ASSERT_TRUE(catalogue) << catalogue.error();
  const auto placeOf = [&](const RomRecord& rom) {
    return std::make_pair(rom.crc32, std::stoi(std::string(catalogue->text(rom.name))));
  };
  std::vector<std::pair<std::uint32_t, int>> places;
  for (const RomRecord& rom : catalogue->roms()) places.push_back(placeOf(rom));
  ASSERT_EQ(places.size(), std::size_t{kRoms});
  EXPECT_TRUE(std::is_sorted(places.begin(), places.end()));
  std::set<int> seen;
  for (const auto& place : places) seen.insert(place.second);
  EXPECT_EQ(seen.size(), std::size_t{kRoms});
}

TEST(SoftwareList, APairOfByteRomsAndTheContinuationsOfARom) {
  const std::string list =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE softwarelist SYSTEM \"softwarelist.dtd\">\n"
      "<softwarelist name=\"sys16\" description=\"A 16-bit system\">\n"
      "  <software name=\"game\">\n"
      "    <description>The Game</description>\n"
      "    <part name=\"cart\" interface=\"cart\">\n"
      "      <dataarea name=\"rom\" size=\"0x20000\" width=\"16\" endianness=\"big\">\n"
      "        <rom name=\"even.u1\" size=\"0x10000\" crc=\"11111111\" offset=\"0x000000\" "
      "loadflag=\"load16_byte\"/>\n"
      "        <rom name=\"odd.u2\" size=\"65536\" crc=\"22222222\" offset=\"1\" "
      "loadflag=\"load16_byte\"/>\n"
      "        <rom name=\"long.u3\" size=\"0x4000\" crc=\"33333333\" offset=\"0x20000\"/>\n"
      "        <rom size=\"0x4000\" offset=\"0x28000\" loadflag=\"continue\"/>\n"
      "        <rom size=\"0x8000\" offset=\"0x30000\" loadflag=\"reload\"/>\n"
      "        <rom size=\"0x1000\" loadflag=\"ignore\"/>\n"
      "      </dataarea>\n"
      "    </part>\n"
      "  </software>\n"
      "</softwarelist>\n";
  Expected<RomCatalogue> catalogue = readSoftwareList(list);
  ASSERT_TRUE(catalogue) << catalogue.error();
  ASSERT_EQ(catalogue->roms().size(), 3u);
  const RomRecord& odd = catalogue->romsWithCrc(0x22222222)[0];
  EXPECT_EQ(odd.offset, 1u);
  EXPECT_EQ(catalogue->text(odd.loadflag), "load16_byte");
  EXPECT_EQ(catalogue->text(odd.region), "rom");  // the data area
  EXPECT_EQ(catalogue->romsWithCrc(0x11111111)[0].size, 0x10000u);
  // continue and ignore read more of the file; reload reads it again.
  EXPECT_EQ(catalogue->romsWithCrc(0x33333333)[0].size, 0x4000u + 0x4000u + 0x1000u);
  EXPECT_EQ(catalogue->text(catalogue->sets()[0].description), "The Game");
}

TEST(LogiqxAndClrMamePro, ReadTheSameRomsWithoutSha1) {
  // The DOCTYPE names a DTD on the web: it is never fetched.
  const std::string logiqx =
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
      "\"http://www.logiqx.com/Dats/datafile.dtd\">\n"
      "<datafile>\n"
      "  <header><name>Test</name><description>Test</description></header>\n"
      "  <game name=\"synth\"><description>A Synth OS</description>\n"
      "    <rom name=\"os v1.bin\" size=\"32768\" crc=\"89ABCDEF\" md5=\"00\"/>\n"
      "    <rom name=\"gone.bin\" size=\"32768\" crc=\"01234567\" status=\"nodump\"/>\n"
      "  </game>\n"
      "</datafile>\n";
  const std::string clrMamePro =
      "clrmamepro (\n\tname \"Test\"\n\tdescription \"Test (with parens)\"\n)\n\n"
      "game (\n\tname synth\n\tdescription \"A Synth OS\"\n\tyear 1984\n"
      "\trom ( name \"os v1.bin\" size 32768 crc 89abcdef md5 00 )\n"
      "\trom ( name gone.bin size 32768 crc 01234567 flags nodump )\n"
      "\tsample ( name x )\n)\n";
  // A DAT in Latin-1 says so, and its names come out in UTF-8.
  const std::string latin1 =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<datafile>\n"
      "<game name=\"synth\"><description>A Synth OS</description>\n"
      "<rom name=\"os v1.bin\" size=\"32768\" crc=\"89abcdef\"/>\n"
      "<rom name=\"caf\xE9.bin\" size=\"1\" crc=\"1\"/>\n</game>\n</datafile>\n";
  Expected<RomCatalogue> fromLatin1 = readLogiqxDat(latin1);
  ASSERT_TRUE(fromLatin1) << fromLatin1.error();
  EXPECT_EQ(fromLatin1->text(fromLatin1->romsWithCrc(1)[0].name), "caf\xC3\xA9.bin");
  for (const auto& catalogue : {readLogiqxDat(logiqx), readClrMameProDat(clrMamePro)}) {
    ASSERT_TRUE(catalogue) << catalogue.error();
    EXPECT_EQ(catalogue->listed(), 2u);
    ASSERT_EQ(catalogue->roms().size(), 1u);
    const RomRecord& rom = catalogue->roms()[0];
    EXPECT_EQ(rom.crc32, 0x89abcdefu);
    EXPECT_EQ(rom.size, 32768u);
    EXPECT_EQ(rom.flags, 0u);
    EXPECT_EQ(catalogue->text(rom.name), "os v1.bin");
    EXPECT_EQ(catalogue->text(catalogue->sets()[0].description), "A Synth OS");
  }
}

TEST(ListReaders, SayWhichLineTheyCannotRead) {
  const struct {
    std::string text;
    std::string error;
  } xmlCases[] = {
      {"<mame>\n<machine name=\"a\">\n<rom name=\"r\" size=\"1\" crc=\"zz\"/>\n</machine>\n</mame>",
       "line 3: the crc \"zz\" is not a CRC32"},
      {"<mame>\n<machine name=\"a\">\n<rom name=\"r\" size=\"1\" crc=\"12\" sha1=\"12\"/>",
       "line 3: the sha1 \"12\" is not a SHA-1"},
      {"<mame>\n<machine name=\"a\">\n<rom name=\"r\" size=\"1\" crc=\"12\"\n"
       "sha1=\"813CECF44BF5464B1AED64B36F5047E4C79BA17g\"/>",
       "line 4: the sha1 \"813CECF44BF5464B1AED64B36F5047E4C79BA17g\" is not a SHA-1"},
      {"<datafile>\n<game name=\"a\">\n<rom name=\"r\" size=\"0x\" crc=\"1\"/>",
       "line 3: the size \"0x\" is not a number"},
      {"<mame>\n<machine name=\"a\">\n<rom name=\"r\" size=\"1\" crc=\"1\">\n</machine>",
       "line 4: Opening and ending tag mismatch: rom line 3 and machine"},
      {"<mame>\n<machine>\n", "line 2: <machine> without a name"},
      {"<html>\n</html>", "line 1: not a ROM list: its root element is <html>"},
      {"<mame>\n<machine name=\"a\">&undefined;</machine>",
       "line 2: Entity 'undefined' not defined"},
      {"<mame>\n<machine name=\"a\">\n<description>Cut",
       "line 3: the file ends inside <description>"},
      {"<mame/>\n<mame/>", "line 2: Extra content at the end of the document"},
      {"", "line 1: the file holds no XML element"},
      {"<?xml version=\"1.0\"?>\n<!-- nothing -->\n", "line 3: the file holds no XML element"},
  };
  for (const auto& [text, error] : xmlCases) {
    Expected<ListReading> reading = readXmlList(text);
    EXPECT_FALSE(reading) << text;
    EXPECT_EQ(reading.error(), error) << text;
  }
  EXPECT_EQ(readMameListXml("<datafile/>").error(), "not MAME's -listxml (its root is not <mame>)");
  const struct {
    std::string text;
    std::string error;
  } datCases[] = {
      {"game (\n name a\n rom ( name r size 1 crc xyz )\n)",
       "line 3: the crc \"xyz\" is not a CRC32"},
      {"game (\n name a\n rom ( name r crc 12345678 )\n)", "line 3: rom r without a size"},
      {"game (\n name a\n rom ( name r size 1\n", "line 4: the file ends inside rom"},
      {"game (\n name \"a\n)", "line 2: a quoted text is not closed"},
      {"game name", "line 1: \"(\" expected after game"},
      {"game (\n description x\n)", "line 1: game without a name"},
  };
  for (const auto& [text, error] : datCases) {
    Expected<RomCatalogue> catalogue = readClrMameProDat(text);
    EXPECT_FALSE(catalogue) << text;
    EXPECT_EQ(catalogue.error(), error) << text;
  }
}

TEST_F(RomSources, EachKindIsToldByItsContentWhateverItsName) {
  const Bytes rom = randomRom(1024, 1);
  const std::string zipNamedDat = temp_.filePath("roms.dat");
  writeArchive(zipNamedDat, ArchiveFormat::Zip, {{"a.bin", rom}});
  const std::string sevenZip = temp_.filePath("set.bin");
  writeArchive(sevenZip, ArchiveFormat::SevenZip, {{"a.bin", rom}});
  const std::string images = temp_.filePath("images");
  fs::create_directories(images);
  fs::copy_file(zipNamedDat, images + "/a.zip");
  fs::copy_file(sevenZip, images + "/b.7z");
  writeFile(images + "/loose.rom", rom);
  const struct {
    std::string path;
    SourceKind kind;
    std::size_t roms;
  } cases[] = {
      {write("list.zip", kListXml), SourceKind::MameListXml, 2},
      {write("dat.xml", "game ( name a rom ( name r size 1 crc 1 ) )"), SourceKind::ClrMameProDat,
       1},
      {write("sl", "\xEF\xBB\xBF<softwarelist name=\"x\"/>"), SourceKind::SoftwareList, 0},
      {zipNamedDat, SourceKind::Archive, 1},
      {sevenZip, SourceKind::Archive, 1},
      {images, SourceKind::ImageFolder, 3},  // both archives and one loose file
  };
  for (const auto& [path, kind, roms] : cases) {
    Expected<LoadedSource> source = load(path, false);
    ASSERT_TRUE(source) << source.error();
    EXPECT_EQ(source->summary.kind, kind) << path;
    EXPECT_EQ(source->summary.roms, roms) << path;
    EXPECT_EQ(source->summary.path, path);
  }
  const std::string text = write("notes.txt", "Just some notes.\n");
  EXPECT_EQ(load(text).error(),
            text + ": not a ROM list, a DAT, an archive or a folder of ROM images");
  EXPECT_EQ(load(temp_.filePath("missing.xml")).error(),
            temp_.filePath("missing.xml") + ": No such file or directory");
  const std::string fifo = temp_.filePath("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(load(fifo).error(), fifo + ": not a regular file or a folder");
}

TEST_F(RomSources, ADamagedSourceIsAnErrorNamingItAndItsLineAndNoIndexIsWritten) {
  const std::string list = write("mame.xml", kListXml.substr(0, kListXml.size() - 20));
  Expected<LoadedSource> source = load(list);
  EXPECT_EQ(source.error(), list + ": line 15: the file ends inside <machine>");
  EXPECT_FALSE(fs::exists(cacheFolder_));

  const std::string zip = temp_.filePath("roms/set.zip");
  fs::create_directories(temp_.filePath("roms"));
  writeArchive(zip, ArchiveFormat::Zip, {{"a.bin", randomRom(4096, 2)}});
  fs::resize_file(zip, 100);
  source = load(temp_.filePath("roms"));
  ASSERT_FALSE(source);
  EXPECT_EQ(source.error().rfind(temp_.filePath("roms") + ": set.zip: ", 0), 0u) << source.error();
}

TEST_F(RomSources, AListOfManyBlocksIsReadWholeWithItsLinesCounted) {
  // CRLF line ends, one of them split between the reader's first two blocks
  // of a quarter MiB; a fault on the last line.
  std::string list = "<?xml version=\"1.0\"?>\r\n<mame>\r\n";
  constexpr int kMachines = 6000;
  for (int i = 0; i < kMachines; ++i)
    list += "<machine name=\"m" + std::to_string(i) + "\">\r\n<description>Machine " +
            std::to_string(i) + "</description>\r\n<rom name=\"r\" size=\"16\" crc=\"" +
            crc32Hex(static_cast<std::uint32_t>(i + 1)) +
            "\" region=\"maincpu\"/>\r\n</machine>\r\n";
  constexpr std::size_t kBlock = 1 << 18;
  ASSERT_GT(list.size(), 3 * kBlock);
  const std::size_t lineEnd = list.rfind("\r\n", kBlock - 1);
  list.insert(lineEnd, kBlock - 1 - lineEnd, ' ');
  for (const bool whole : {true, false}) {
    const std::string text =
        whole ? list + "</mame>\r\n" : list + "<machine name=\"x\">\r\n<rom name=\"r\" crc=\"1\"/>";
    const std::string path = write("mame.xml", text);
    const Expected<ListReading> inMemory = readXmlList(text);
    const Expected<LoadedSource> fromFile = load(path, false);
    if (!whole) {
      const std::string lastLine = "line " + std::to_string(2 + 4 * kMachines + 2);
      EXPECT_EQ(inMemory.error(), lastLine + ": <rom name=\"r\"> without a size");
      EXPECT_EQ(fromFile.error(), path + ": " + lastLine + ": <rom name=\"r\"> without a size");
      continue;
    }
    ASSERT_TRUE(inMemory) << inMemory.error();
    ASSERT_TRUE(fromFile) << fromFile.error();
    for (const RomCatalogue* catalogue : {&inMemory->catalogue, &fromFile->catalogue}) {
      ASSERT_EQ(catalogue->roms().size(), std::size_t{kMachines});
      const RomRecord& last = catalogue->romsWithCrc(kMachines)[0];
      EXPECT_EQ(catalogue->text(catalogue->sets()[last.set].description), "Machine 5999");
      EXPECT_EQ(catalogue->text(last.region), "maincpu");
    }
  }
}

TEST_F(RomSources, TheIndexIsUsedThenRebuiltWhenDamagedForeignOrStale) {
  const std::string list = write("mame.xml", kListXml);
  const auto found = [&] {
    Expected<LoadedSource> source = load(list);
    EXPECT_TRUE(source) << source.error();
    EXPECT_EQ(source->summary.roms, 2u);
    EXPECT_EQ(source->summary.listed, 4u);  // through the index too
    EXPECT_TRUE(source->summary.index.notWritten.empty());
    return std::make_pair(source->summary.index.found, source->summary.index.damage);
  };
  using Found = std::pair<IndexFound, std::string>;
  EXPECT_EQ(found(), (Found{IndexFound::None, ""}));
  EXPECT_EQ(found(), (Found{IndexFound::Current, ""}));
  const std::string index = indexFilePath(cacheFolder_, list);
  ASSERT_TRUE(fs::exists(index));

  // One byte flipped anywhere.
  std::string bytes = readFile(index);
  for (const std::size_t at : {std::size_t{20}, bytes.size() / 2, bytes.size() - 1}) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    writeFile(index, damaged);
    EXPECT_EQ(found(), (Found{IndexFound::Damaged, "bad checksum"})) << at;
    EXPECT_EQ(found(), (Found{IndexFound::Current, ""}));
  }
  writeFile(index, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(found(), (Found{IndexFound::Damaged, "its sizes do not add up"}));
  writeFile(index, std::string(200, 'x'));
  EXPECT_EQ(found(), (Found{IndexFound::Damaged, "not an index of vesk"}));
  writeFile(index, "");
  EXPECT_EQ(found(), (Found{IndexFound::Damaged, "too short"}));
  // Another source's index under this one's name.
  const std::string other = write("other.xml", kListXml);
  ASSERT_TRUE(load(other));
  fs::copy_file(indexFilePath(cacheFolder_, other), index, fs::copy_options::overwrite_existing);
  EXPECT_EQ(found(), (Found{IndexFound::Damaged, "it is another source's"}));
  EXPECT_EQ(found(), (Found{IndexFound::Current, ""}));

  // The source changed: same size, another time.
  const fs::file_time_type before = fs::last_write_time(list);
  fs::last_write_time(list, before + std::chrono::seconds(5));
  EXPECT_EQ(found(), (Found{IndexFound::Stale, ""}));
  EXPECT_EQ(found(), (Found{IndexFound::Current, ""}));
}

TEST_F(RomSources, AFolderIsStaleWhenAnyFileUnderItChanges) {
  const std::string roms = temp_.filePath("roms");
  fs::create_directories(roms + "/deep/er");
  writeFile(roms + "/deep/er/a.bin", randomRom(512, 1));
  ASSERT_TRUE(load(roms));
  EXPECT_EQ(load(roms)->summary.index.found, IndexFound::Current);
  writeFile(roms + "/deep/er/a.bin", randomRom(1024, 2));
  Expected<LoadedSource> changed = load(roms);
  EXPECT_EQ(changed->summary.index.found, IndexFound::Stale);
  EXPECT_EQ(changed->catalogue.roms()[0].size, 1024u);
  EXPECT_EQ(changed->catalogue.text(changed->catalogue.sets()[0].name), "deep/er");
}

TEST_F(RomSources, NoIndexWhenNoneIsWantedOrItCannotBeWritten) {
  const std::string list = write("mame.xml", kListXml);
  Expected<LoadedSource> direct = load(list, false);
  EXPECT_EQ(direct->summary.index.found, IndexFound::Bypassed);
  EXPECT_FALSE(fs::exists(cacheFolder_));

  // The cache folder would have to be made under a file: the source is read all the same.
  cacheFolder_ = write("file", "x") + "/vesk";
  Expected<LoadedSource> unwritable = load(list);
  ASSERT_TRUE(unwritable) << unwritable.error();
  EXPECT_EQ(unwritable->summary.roms, 2u);
  EXPECT_FALSE(unwritable->summary.index.written);
  EXPECT_EQ(unwritable->summary.index.notWritten, "Not a directory");

  EXPECT_EQ(defaultIndexFolder("/x/cache", "/home/u"), "/x/cache/vesk");
  EXPECT_EQ(defaultIndexFolder(nullptr, "/home/u"), "/home/u/.cache/vesk");
  EXPECT_EQ(defaultIndexFolder("relative", "/home/u"), "/home/u/.cache/vesk");
  EXPECT_EQ(defaultIndexFolder("", nullptr), "");
}

// Found by the fuzz targets.
TEST_F(RomSources, AnArchiveMemberReadAgainIsTheOneTheCatalogueDescribes) {
  // Two members of one name and size: each is read again as itself.
  const Bytes first = randomRom(64, 1), second = randomRom(64, 2);
  const std::string twins = temp_.filePath("twins.zip");
  writeArchive(twins, ArchiveFormat::Zip, {{"a.bin", first}, {"a.bin", second}});
  // Zips whose directory is lost, read as a stream, and whose first
  // member's header gives a wrong compressed size: stepping over it fails,
  // or lands on the third member; reading through it does neither.
  const std::string lost = temp_.filePath("lost.zip"), misled = temp_.filePath("misled.zip");
  for (const std::string& path : {lost, misled}) {
    writeArchive(path, ArchiveFormat::Zip,
                 {{"a.bin", randomRom(300, 3)}, {"b.rom", randomRom(40, 4)}, {"c.rom", second}});
    std::string zip = readFile(path);
    const std::size_t third = zip.find("PK\x03\x04", zip.find("PK\x03\x04", 1) + 1);
    const auto dataAt = static_cast<std::uint32_t>(30 + zip[26] + zip[28]);  // after name and extra
    const std::uint32_t size =
        path == lost ? 0x5C92C0D0 : static_cast<std::uint32_t>(third) - dataAt;
    std::memcpy(&zip[18], &size, 4);
    zip.replace(zip.rfind("PK\x05\x06"), 2, "xx");
    writeFile(path, zip);
  }
  // A member without a name, which read again would be taken for the archive
  // itself, is none: the last member written as "x", then its name taken out
  // of its two headers.
  const std::string nameless = temp_.filePath("nameless.zip");
  writeArchive(nameless, ArchiveFormat::Zip, {{"a.bin", first}, {"b.bin", second}, {"x", first}});
  std::string zip = readFile(nameless);
  const std::size_t local = zip.rfind("PK\x03\x04"), central = zip.rfind("PK\x01\x02"),
                    end = zip.rfind("PK\x05\x06");
  for (const std::size_t field : {end + 12, end + 16}) {  // the directory's size and offset
    std::uint32_t value = 0;
    std::memcpy(&value, &zip[field], 4);
    --value;
    std::memcpy(&zip[field], &value, 4);
  }
  zip.erase(central + 46, 1);
  zip[central + 28] = 0;
  zip.erase(local + 30, 1);
  zip[local + 26] = 0;
  writeFile(nameless, zip);
  for (const std::string& path : {twins, lost, misled, nameless}) {
    Expected<RomCatalogue> catalogue = readArchiveFile(path);
    ASSERT_TRUE(catalogue) << catalogue.error();
    ASSERT_EQ(catalogue->roms().size(), path == twins || path == nameless ? 2u : 3u) << path;
    for (const RomRecord& rom : catalogue->roms()) {
      const Expected<Bytes> again =
          readImageAgain(path, false, *catalogue, catalogue->images()[rom.image]);
      ASSERT_TRUE(again) << path << ": " << again.error();
      EXPECT_EQ(crcOf(*again), crc32Hex(rom.crc32)) << path;
    }
  }
}

TEST_F(RomSources, AnIndexThatListsFewerRomsThanItKeepsIsDamaged) {
  const std::string list = write("mame.xml", kListXml);
  ASSERT_TRUE(load(list));
  const std::string index = indexFilePath(cacheFolder_, list);
  std::string bytes = readFile(index);
  // The count of ROMs listed (after the magic, version, kind, key, checksum
  // and 4 reserved bytes) made 1, under the 2 it keeps, with its checksum
  // made right again.
  constexpr std::size_t kChecksumAt = 56, kListedAt = 64;
  const std::uint64_t listed = 1;
  std::memcpy(&bytes[kListedAt], &listed, sizeof listed);
  std::memset(&bytes[kChecksumAt], 0, 4);
  const auto checksum = static_cast<std::uint32_t>(std::stoul(
      hashBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}).crc32, nullptr,
      16));
  std::memcpy(&bytes[kChecksumAt], &checksum, 4);
  writeFile(index, bytes);
  const Expected<LoadedSource> source = load(list);
  ASSERT_TRUE(source) << source.error();
  EXPECT_EQ(source->summary.index.found, IndexFound::Damaged);
  EXPECT_EQ(source->summary.index.damage, "its sizes do not add up");
  EXPECT_EQ(source->summary.listed, 4u);
}

TEST(ClrMamePro, ADatHoldingANulByteIsRefused) {
  // The catalogue keeps a name up to its first NUL: "a" would be kept of "a\0b".
  using namespace std::string_literals;
  EXPECT_EQ(readClrMameProDat("game (\n name a\0b\n)"s).error(),
            "line 2: a NUL byte, which no text DAT holds");
}

}  // namespace

// libxml2 tells a failed conversion of the declared encoding on standard
// error by default: a list read by vesk says nothing there, its refusal names
// the line.
TEST(XmlLists, AByteTheDeclaredEncodingCannotConvertIsRefusedWithoutAWordOnStandardError) {
  const std::string list = std::string("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<mame>") +
                           std::string("\x81\0", 2) + "</mame>\n";
  std::fflush(stderr);
  const int saved = ::dup(STDERR_FILENO);
  TempFolder folder;
  const std::string caught = folder.filePath("stderr");
  const int into = ::open(caught.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(into, STDERR_FILENO);
  const Expected<RomCatalogue> catalogue = readMameListXml(list);
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(into);
  ASSERT_FALSE(catalogue);
  EXPECT_NE(catalogue.error().find("line 2"), std::string::npos) << catalogue.error();
  EXPECT_EQ(readFile(caught), "");
}
