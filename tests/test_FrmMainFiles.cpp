// The commands that run a file dialog or start another program.
#include "WindowTestKit.h"

TEST_F(WindowTest, OpenShowsAnyNameAsBinaryFittedToTheTypeFromRowZero) {
  HexView::setSelectedRow(view().Lst_Data, 9);
  open("ab", std::vector<std::uint8_t>(2048, 2));  // too short a name to end in "hex"
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{{"Warning!", " File is Smaller than Eprom Size",
                                             MessageIcon::Exclamation}}));
  EXPECT_EQ(checkSum(), "CheckSum = 1000");
  EXPECT_EQ(entry(view().dataModel(), 127).substr(0, 3), " 02");
  EXPECT_EQ(entry(view().dataModel(), 128), kPlaceholderDataEntry);
  for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci})
    EXPECT_EQ(HexView::selectedRow(list), 0);
  EXPECT_EQ(g_.CurrentFileName, filePath("ab"));
  EXPECT_EQ(g_.CurrentFileTitle, "ab");
  EXPECT_EQ(text(window_->LblFileName), "File: " + filePath("ab"));
}

TEST_F(WindowTest, TheConverterGetsTheWholePathOfAHexFileOrOfAFileToConvert) {
  open("image.bin", std::vector<std::uint8_t>(4096, 7));
  QDir().mkdir("my images");
  choose("my images/x.HEX");
  click("Open");
  choose("my images/some file.txt");
  trigger("MnuFileConversion");
  EXPECT_EQ(fakes_.launches,
            (std::vector<Launch>{{"zeza", {filePath("my images/x.HEX")}},
                                 {"zeza", {filePath("my images/some file.txt")}}}));
  EXPECT_EQ(fakes_.boxes,
            (std::vector<Box>{
                {"Warning !",
                 "VeskEprom does Not support directly *.HEX File\rIt will be Converted in *.BIN "
                 "File\r............Done!\rReOpen it as .BIN",
                 MessageIcon::Exclamation}}));
  EXPECT_EQ(checkSum(), "CheckSum = 7000");
  EXPECT_EQ(QDir::currentPath().toStdString(), filePath("my images"));
}

// zeza's outcome is told once it has ended: done only when a new file
// stands beside the source, otherwise why nothing was converted.
TEST_F(WindowTest, FileConversionTellsWhatZezaMadeOnceItHasEnded) {
  const auto lastBox = [this] { return fakes_.boxes.empty() ? Box{} : fakes_.boxes.back(); };
  const Box done{"Conversion Done !", "The File has been converted", MessageIcon::Information};
  const auto nothing = [this](const std::string& name, const std::string& why) {
    return Box{"Nothing converted", "Nothing was converted from " + filePath(name) + "\r" + why,
               MessageIcon::Exclamation};
  };
  const std::string noOutput =
      "zeza ended without writing a new file beside it; its own messages say why.";
  writeFile(filePath("a.bin"), "A");
  writeFile(filePath("notes.txt"), "");
  writeFile(filePath("a.hex"), "");  // taken: zeza writes a.hex1
  // What zeza writes while it runs, if anything, for each file chosen.
  const std::tuple<std::string, std::string, Box> cases[] = {
      {"a.bin", "", nothing("a.bin", noOutput)},  // zeza failed
      {"a.bin", "a.hex1", done},
      {"X.HEX", "X.bin", done},
      {"a.bin", "a.bin2", nothing("a.bin", noOutput)},  // not a name zeza gives a.bin's output
      {"notes.txt", "", nothing("notes.txt", "It is neither a .bin nor a .hex file.")}};
  for (const auto& [chosen, written, told] : cases) {
    fakes_.boxes.clear();
    choose(chosen);
    trigger("MnuFileConversion");
    if (!written.empty()) writeFile(filePath(written), "");
    EXPECT_TRUE(fakes_.boxes.empty()) << chosen << ": told before zeza ended";
    fakes_.endProgram();
    EXPECT_EQ(lastBox(), told) << chosen << " " << written;
  }
  EXPECT_EQ(fakes_.launches.size(), std::size(cases));
}

TEST_F(WindowTest, AConversionThatEndsDuringAReadIsToldWhenTheReadHasEnded) {
  choose("b.bin");
  trigger("MnuFileConversion");
  writeFile(filePath("b.hex"), "");
  fakes_.onDelay = [this, ended = false]() mutable {
    if (!std::exchange(ended, true)) fakes_.endProgram();
  };
  trigger("MnuRead");
  fakes_.onDelay = nullptr;
  EXPECT_EQ(fakes_.boxes.size(), 1u);  // the read's own
  EXPECT_TRUE(QTest::qWaitFor([this] { return fakes_.boxes.size() == 2; }));
  EXPECT_EQ(fakes_.boxes.back().title, "Conversion Done !");
}

TEST_F(WindowTest, AFileThatCannotBeReadOrWrittenIsNamedAndTheImageKept) {
  open("image.bin", std::vector<std::uint8_t>(4096, 3));
  const std::string missing = filePath("no such folder/a.bin");
  for (const char* item : {"MnuOpen", "MnuSaveAs"}) {
    choose("no such folder/a.bin");
    trigger(item);
  }
  EXPECT_EQ(fakes_.boxes,
            (std::vector<Box>{
                {"Open", "Cannot read the file " + missing + "\rNo such file or directory",
                 MessageIcon::Critical},
                {"Save As", "Cannot write the file " + missing + "\rNo such file or directory",
                 MessageIcon::Critical}}));
  EXPECT_EQ(g_.EpromImage.at(0), 3);
  EXPECT_EQ(checkSum(), "CheckSum = 3000");
}

TEST_F(WindowTest, TheHexEditorGetsTheBareNameOnceAFileWasChosen) {
  trigger("MnuHexEditor");
  open("a.bin", {});
  trigger("MnuHexEditor");
  EXPECT_EQ(fakes_.boxes.front(),
            (Box{"Warning !", "You Must Save the File before Editing !", MessageIcon::Critical}));
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"hedit.exe", {}}, {"hedit.exe", {"a.bin"}}}));
}

TEST_F(WindowTest, AProgramThatCannotStartIsNamedFromMenuAndToolbar) {
  fakes_.launchFails = true;
  choose("x.bin");
  trigger("MnuFileConversion");
  click("CRC32");
  EXPECT_EQ(
      fakes_.boxes,
      (std::vector<Box>{
          {"Program not started", "Cannot start zeza\rnot found", MessageIcon::Critical},
          {"Program not started", "Cannot start crc32.exe\rnot found", MessageIcon::Critical}}));
}
