#include <QLineEdit>

#include "HexRows.h"
#include "WindowTestKit.h"

TEST_F(WindowTest, CancelledDialogsChangeNothing) {
  makeWindow();
  action("MnuOpen")->trigger();
  action("MnuSaveAs")->trigger();
  action("MnuFileConversion")->trigger();
  ASSERT_EQ(dialogs_.requests.size(), 3u);
  EXPECT_EQ(dialogs_.requests[1].kind, FileDialogRequest::Kind::Save);
  EXPECT_EQ(labelText(window_->LblFileName), "File: default.bin");
  EXPECT_EQ(g_.CurrentFileTitle, "");
  EXPECT_EQ(QDir::currentPath().toStdString(), folderPath());
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_TRUE(launcher_.launches.empty());
}

TEST_F(WindowTest, OpenBinaryShowsTheFileFittedToTheType) {
  const struct {
    std::size_t length;
    std::size_t boxes;  // the size warnings
    const char* checksum;
  } cases[] = {{4096, 0, "CheckSum = 2000"},
               {2048, 1, "CheckSum = 1000"},
               {8192, 1, "CheckSum = 2000"},
               {0, 1, "CheckSum = 0"}};
  makeWindow();
  for (const auto& c : cases) {
    writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(c.length, 2));
    messages_.boxes.clear();
    HexView::setSelectedRow(window_->view().Lst_Data, 9);
    dialogs_.answers.push_back(chosen("image.bin"));
    action("MnuOpen")->trigger();

    EXPECT_EQ(messages_.boxes.size(), c.boxes) << c.length;
    EXPECT_EQ(labelText(window_->LblChkSum), c.checksum) << c.length;
    EXPECT_EQ(entry(window_->view().dataModel(), 255).substr(0, 3),
              c.length > 2048 ? " 02" : " 00");
    for (QListView* list :
         {window_->view().Lst_Address, window_->view().Lst_Data, window_->view().Lst_Asci}) {
      EXPECT_EQ(HexView::selectedRow(list), 0);
    }
  }
  EXPECT_EQ(messages_.boxes[0].text, " You've Selected an Empty File");
  EXPECT_EQ(g_.CurrentFileName, filePath("image.bin"));
  EXPECT_EQ(g_.CurrentFileTitle, "image.bin");
  EXPECT_EQ(labelText(window_->LblFileName), "File: " + filePath("image.bin"));
}

TEST_F(WindowTest, LongPathIsShownWithItsMiddleLeftOut) {
  makeWindow();
  ElidedLabel* label = window_->LblFileName;
  EXPECT_EQ(label->displayedText(), "File: default.bin");

  const std::string folder = folderPath() + "/" + std::string(80, 'd');
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  dialogs_.answers.push_back({folder + "/image.bin", "image.bin"});
  action("MnuSaveAs")->trigger();
  const std::string whole = "File: " + folder + "/image.bin";
  EXPECT_EQ(labelText(label), whole);
  EXPECT_EQ(label->toolTip().toStdString(), whole);
  const QString shown = label->displayedText();
  EXPECT_TRUE(shown.startsWith("File: /")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("d/image.bin")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();  // "…"
  EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());

  // On screen, the label looks like one that holds the shortened text.
  QLabel plain(shown);
  plain.setFont(label->font());
  plain.setTextFormat(Qt::PlainText);
  plain.resize(label->size());
  const auto pixels = [](QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  };
  EXPECT_EQ(pixels(label), pixels(&plain));
}

TEST_F(WindowTest, OpenTwoCharacterNameLoadsItAsBinary) {
  makeWindow();
  action("Mnu2716")->trigger();
  writeBytes(filePath("ab"), {0x01});
  dialogs_.answers.push_back(chosen("ab"));
  action("MnuOpen")->trigger();
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 1");
  EXPECT_EQ(g_.EpromImage.size(), 2048);
}

TEST_F(WindowTest, OpenHexHandsTheWholePathToTheConverter) {
  makeWindow();
  QDir().mkdir("my images");
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(4096, 7));
  dialogs_.answers.push_back(chosen("image.bin"));
  action("MnuOpen")->trigger();
  messages_.boxes.clear();

  const std::string hexPath = filePath("my images") + "/x.HEX";
  dialogs_.answers.push_back({hexPath, "x.HEX"});
  clickToolbar("Open");
  EXPECT_EQ(messages_.boxes, (std::vector<Box>{{"Warning !",
                                                "VeskEprom does Not support directly *.HEX File\r"
                                                "It will be Converted in *.BIN File\r"
                                                "............Done!\r"
                                                "ReOpen it as .BIN",
                                                MessageIcon::Exclamation}}));
  EXPECT_EQ(launcher_.launches, (std::vector<Launch>{{"zeza", {hexPath}}}));
  EXPECT_EQ(labelText(window_->LblFileName), "File: " + hexPath);
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 7000");
  EXPECT_EQ(entry(window_->view().dataModel(), 0).substr(0, 3), " 07");
}

TEST_F(WindowTest, UnreadableOrUnwritableFileIsReported) {
  makeWindow();
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(4096, 3));
  dialogs_.answers.push_back(chosen("image.bin"));
  action("MnuOpen")->trigger();

  const std::string missing = filePath("no such folder") + "/a.bin";
  dialogs_.answers.push_back({missing, "a.bin"});
  action("MnuOpen")->trigger();
  ASSERT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(messages_.boxes[0].icon, MessageIcon::Critical);
  EXPECT_NE(messages_.boxes[0].text.find(missing), std::string::npos);
  EXPECT_NE(messages_.boxes[0].text.find("No such file or directory"), std::string::npos);
  EXPECT_EQ(g_.EpromImage.at(0), 3);  // image and view as before
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 3000");
  EXPECT_EQ(labelText(window_->LblFileName), "File: " + missing);

  dialogs_.answers.push_back({missing, "a.bin"});
  clickToolbar("SaveAs");
  ASSERT_EQ(messages_.boxes.size(), 2u);
  EXPECT_NE(messages_.boxes[1].text.find(missing), std::string::npos);
}

TEST_F(WindowTest, SaveAsWritesTheWholeImageOverAnyFile) {
  makeWindow();
  action("Mnu27512")->trigger();
  writeBytes(filePath("out"), std::vector<std::uint8_t>(100000, 9));
  dialogs_.answers.push_back(chosen("out"));
  action("MnuSaveAs")->trigger();
  EXPECT_EQ(readBytes(filePath("out")), std::vector<std::uint8_t>(65536, 0));
  EXPECT_TRUE(messages_.boxes.empty());
}

TEST_F(WindowTest, HexEditorGetsTheBareNameOnceAFileWasChosen) {
  makeWindow();
  action("MnuHexEditor")->trigger();
  EXPECT_EQ(messages_.boxes,
            (std::vector<Box>{
                {"Warning !", "You Must Save the File before Editing !", MessageIcon::Critical}}));
  EXPECT_EQ(launcher_.launches, (std::vector<Launch>{{"hedit.exe", {}}}));

  writeBytes(filePath("a.bin"), {});
  dialogs_.answers.push_back(chosen("a.bin"));
  action("MnuOpen")->trigger();
  messages_.boxes.clear();
  action("MnuHexEditor")->trigger();
  EXPECT_TRUE(messages_.boxes.empty());
  EXPECT_EQ(launcher_.launches.back(), (Launch{"hedit.exe", {"a.bin"}}));
}

TEST_F(WindowTest, FileConversionStartsTheConverterAndMovesToItsFolder) {
  makeWindow();
  QDir().mkdir("other");
  const std::string chosen = filePath("other") + "/some file.txt";
  dialogs_.answers.push_back({chosen, "some file.txt"});
  action("MnuFileConversion")->trigger();
  EXPECT_EQ(launcher_.launches, (std::vector<Launch>{{"zeza", {chosen}}}));
  EXPECT_EQ(messages_.boxes, (std::vector<Box>{{"Conversion Done !", "The File has been converted",
                                                MessageIcon::Information}}));
  EXPECT_EQ(QDir::currentPath().toStdString(), filePath("other"));
  EXPECT_EQ(g_.CurrentFileName, "default.bin");
  EXPECT_EQ(g_.CurrentFileTitle, "");
}

TEST_F(WindowTest, ProgramThatCannotStartIsNamedFromMenuAndToolbar) {
  makeWindow();
  launcher_.fails = true;
  dialogs_.answers.push_back(chosen("x.bin"));
  action("MnuFileConversion")->trigger();
  clickToolbar("CRC32");
  action("MnuCRC32")->trigger();
  ASSERT_EQ(messages_.boxes.size(), 3u);  // and no "Conversion Done !"
  for (const auto& [box, program] : {std::pair{messages_.boxes[0], "zeza"},
                                     {messages_.boxes[1], "crc32.exe"},
                                     {messages_.boxes[2], "crc32.exe"}}) {
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_NE(box.text.find(program), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("not found"), std::string::npos);
  }
}

// A dialog's own pop-up without a parent (a file name completion list) takes
// keys while the command that opened the dialog runs.
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
};

TEST_F(WindowTest, PopupOfADialogTakesInputDuringItsCommand) {
  DialogWithPopup dialog;
  window_ = std::make_unique<FrmMain>(
      g_, WindowServices{messages_, dialog, launcher_, ports_, timing_, {}});
  window_->findChild<QAction*>("MnuOpen")->trigger();
  EXPECT_EQ(dialog.typed, "a.hex");
}
