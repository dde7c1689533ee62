// The commands that run a file dialog or start another program.
#include <QLineEdit>

#include "WindowTestKit.h"

TEST_F(WindowTest, CancelledDialogsChangeNothing) {
  makeWindow();
  for (const char* item : {"MnuOpen", "MnuSaveAs", "MnuFileConversion"}) trigger(item);
  ASSERT_EQ(fakes_.requests.size(), 3u);
  EXPECT_EQ(fakes_.requests[1].kind, FileDialogRequest::Kind::Save);
  EXPECT_EQ(std::tuple(text(window_->LblFileName), g_.CurrentFileTitle),
            std::tuple("File: default.bin", ""));
  EXPECT_EQ(QDir::currentPath().toStdString(), filePath(""));
  EXPECT_TRUE(fakes_.boxes.empty() && fakes_.launches.empty());
}

TEST_F(WindowTest, OpenShowsTheFileFittedToTheTypeFromRowZero) {
  makeWindow();
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(2048, 2));
  HexView::setSelectedRow(window_->view().Lst_Data, 9);
  choose("image.bin");
  trigger("MnuOpen");
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{{"Warning!", " File is Smaller than Eprom Size",
                                             MessageIcon::Exclamation}}));
  EXPECT_EQ(text(window_->LblChkSum), "CheckSum = 1000");
  EXPECT_EQ(entry(window_->view().dataModel(), 127).substr(0, 3), " 02");
  EXPECT_EQ(entry(window_->view().dataModel(), 128), kPlaceholderDataEntry);
  for (QListView* list :
       {window_->view().Lst_Address, window_->view().Lst_Data, window_->view().Lst_Asci})
    EXPECT_EQ(HexView::selectedRow(list), 0);
  EXPECT_EQ(std::tuple(g_.CurrentFileName, g_.CurrentFileTitle),
            std::tuple(filePath("image.bin"), std::string("image.bin")));
  EXPECT_EQ(text(window_->LblFileName), "File: " + filePath("image.bin"));
}

TEST_F(WindowTest, ATwoCharacterNameIsABinaryFile) {
  makeWindow();
  writeBytes(filePath("ab"), {0x01});
  choose("ab");
  trigger("MnuOpen");
  EXPECT_EQ(text(window_->LblChkSum), "CheckSum = 1");
}

TEST_F(WindowTest, OpeningAHexFileHandsItsWholePathToTheConverterAndKeepsTheImage) {
  makeWindow();
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(4096, 7));
  choose("image.bin");
  trigger("MnuOpen");
  fakes_.boxes.clear();
  QDir().mkdir("my images");
  choose("my images/x.HEX");
  click("Open");
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{{"Warning !",
                                             "VeskEprom does Not support directly *.HEX File\r"
                                             "It will be Converted in *.BIN File\r"
                                             "............Done!\r"
                                             "ReOpen it as .BIN",
                                             MessageIcon::Exclamation}}));
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"zeza", {filePath("my images/x.HEX")}}}));
  EXPECT_EQ(text(window_->LblChkSum), "CheckSum = 7000");
}

TEST_F(WindowTest, AFileThatCannotBeReadOrWrittenIsNamedAndTheImageKept) {
  makeWindow();
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(4096, 3));
  choose("image.bin");
  trigger("MnuOpen");
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
  EXPECT_EQ(text(window_->LblChkSum), "CheckSum = 3000");
}

TEST_F(WindowTest, SaveAsWritesTheWholeImageOverABiggerFile) {
  makeWindow();
  trigger("Mnu27512");
  writeBytes(filePath("out"), std::vector<std::uint8_t>(100000, 9));
  choose("out");
  trigger("MnuSaveAs");
  EXPECT_EQ(readBytes(filePath("out")), std::vector<std::uint8_t>(65536, 0));
  EXPECT_TRUE(fakes_.boxes.empty());
}

TEST_F(WindowTest, HexEditorGetsTheBareNameOnceAFileWasChosen) {
  makeWindow();
  trigger("MnuHexEditor");
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{{"Warning !", "You Must Save the File before Editing !",
                                             MessageIcon::Critical}}));
  writeBytes(filePath("a.bin"), {});
  choose("a.bin");
  trigger("MnuOpen");
  trigger("MnuHexEditor");
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"hedit.exe", {}}, {"hedit.exe", {"a.bin"}}}));
}

TEST_F(WindowTest, FileConversionStartsTheConverterAndMovesToItsFolder) {
  makeWindow();
  QDir().mkdir("other");
  choose("other/some file.txt");
  trigger("MnuFileConversion");
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"zeza", {filePath("other/some file.txt")}}}));
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{{"Conversion Done !", "The File has been converted",
                                             MessageIcon::Information}}));
  EXPECT_EQ(QDir::currentPath().toStdString(), filePath("other"));
  EXPECT_EQ(g_.CurrentFileName, "default.bin");
}

TEST_F(WindowTest, AProgramThatCannotStartIsNamedFromMenuAndToolbar) {
  makeWindow();
  fakes_.launchFails = true;
  choose("x.bin");
  trigger("MnuFileConversion");
  click("CRC32");
  ASSERT_EQ(fakes_.boxes.size(), 2u);  // and no "Conversion Done !"
  EXPECT_EQ(fakes_.boxes[0],
            (Box{"Program not started", "Cannot start zeza\rnot found", MessageIcon::Critical}));
  EXPECT_EQ(fakes_.boxes[1].text, "Cannot start crc32.exe\rnot found");
}

TEST_F(WindowTest, ALongPathIsShownWithItsMiddleLeftOut) {
  makeWindow();
  ElidedLabel* label = window_->LblFileName;
  const std::string folder = std::string(80, 'd');
  QDir().mkdir(QString::fromStdString(folder));
  choose(folder + "/image.bin");
  trigger("MnuSaveAs");
  const std::string whole = "File: " + filePath(folder + "/image.bin");
  EXPECT_EQ(std::tuple(text(label), label->toolTip().toStdString()), std::tuple(whole, whole));
  const QString shown = label->displayedText();
  EXPECT_TRUE(shown.startsWith("File: /") && shown.endsWith("d/image.bin") &&
              shown.contains(QChar(0x2026)))
      << shown.toStdString();
  // On screen, the label looks like one that holds the shortened text.
  QLabel plain(shown);
  plain.setFont(label->font());
  plain.setTextFormat(Qt::PlainText);
  plain.resize(label->size());
  EXPECT_EQ(label->grab().toImage().convertToFormat(QImage::Format_RGB32),
            plain.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// A dialog's own pop-up without a parent (a file name completion list) takes
// keys while the command that opened the dialog runs.
TEST_F(WindowTest, APopupOfADialogTakesKeysDuringItsCommand) {
  struct DialogWithPopup final : FileDialogs {
    std::optional<ChosenFile> run(const FileDialogRequest&) override {
      QLineEdit popup(nullptr);
      popup.setWindowFlag(Qt::Popup);
      popup.show();
      QTest::keyClicks(&popup, "a.hex");
      typed = popup.text().toStdString();
      return std::nullopt;
    }
    std::string typed;
  } dialog;
  window_ =
      std::make_unique<FrmMain>(g_, WindowServices{fakes_, dialog, fakes_, ports_, fakes_, {}});
  trigger("MnuOpen");
  EXPECT_EQ(dialog.typed, "a.hex");
}
