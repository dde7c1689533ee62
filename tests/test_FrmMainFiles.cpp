#include <QLineEdit>

#include "HexRows.h"
#include "WindowTestKit.h"

TEST_F(WindowTest, CancelledDialogsChangeNothing) {
  Make_Window();
  Action("MnuOpen")->trigger();
  Action("MnuSaveAs")->trigger();
  Action("MnuFileConversion")->trigger();
  ASSERT_EQ(dialogs.requests.size(), 3u);
  EXPECT_EQ(dialogs.requests[1].kind, FileDialogRequest::Kind::Save);
  EXPECT_EQ(Label(window->LblFileName), "File: default.bin");
  EXPECT_EQ(g.CurrentFileTitle, "");
  EXPECT_EQ(QDir::currentPath().toStdString(), Folder());
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(launcher.launches.empty());
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
  Make_Window();
  for (const auto& c : cases) {
    WriteBytes(Path("image.bin"), std::vector<std::uint8_t>(c.length, 2));
    messages.boxes.clear();
    HexView::Set_Selected_Row(window->View().Lst_Data, 9);
    dialogs.answers.push_back(Chosen("image.bin"));
    Action("MnuOpen")->trigger();

    EXPECT_EQ(messages.boxes.size(), c.boxes) << c.length;
    EXPECT_EQ(Label(window->LblChkSum), c.checksum) << c.length;
    EXPECT_EQ(Entry(window->View().DataModel(), 255).substr(0, 3), c.length > 2048 ? " 02" : " 00");
    for (QListView* list :
         {window->View().Lst_Address, window->View().Lst_Data, window->View().Lst_Asci}) {
      EXPECT_EQ(HexView::Selected_Row(list), 0);
    }
  }
  EXPECT_EQ(messages.boxes[0].text, " You've Selected an Empty File");
  EXPECT_EQ(g.CurrentFileName, Path("image.bin"));
  EXPECT_EQ(g.CurrentFileTitle, "image.bin");
  EXPECT_EQ(Label(window->LblFileName), "File: " + Path("image.bin"));
}

TEST_F(WindowTest, LongPathIsShownWithItsMiddleLeftOut) {
  Make_Window();
  ElidedLabel* label = window->LblFileName;
  EXPECT_EQ(label->displayedText(), "File: default.bin");

  const std::string folder = Folder() + "/" + std::string(80, 'd');
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  dialogs.answers.push_back({folder + "/image.bin", "image.bin"});
  Action("MnuSaveAs")->trigger();
  const std::string whole = "File: " + folder + "/image.bin";
  EXPECT_EQ(Label(label), whole);
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
  Make_Window();
  Action("Mnu2716")->trigger();
  WriteBytes(Path("ab"), {0x01});
  dialogs.answers.push_back(Chosen("ab"));
  Action("MnuOpen")->trigger();
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 1");
  EXPECT_EQ(g.EpromImage.Size(), 2048);
}

TEST_F(WindowTest, OpenHexHandsTheWholePathToTheConverter) {
  Make_Window();
  QDir().mkdir("my images");
  WriteBytes(Path("image.bin"), std::vector<std::uint8_t>(4096, 7));
  dialogs.answers.push_back(Chosen("image.bin"));
  Action("MnuOpen")->trigger();
  messages.boxes.clear();

  const std::string hexPath = Path("my images") + "/x.HEX";
  dialogs.answers.push_back({hexPath, "x.HEX"});
  Click_Toolbar("Open");
  EXPECT_EQ(messages.boxes, (std::vector<Box>{{"Warning !",
                                               "VeskEprom does Not support directly *.HEX File\r"
                                               "It will be Converted in *.BIN File\r"
                                               "............Done!\r"
                                               "ReOpen it as .BIN",
                                               MessageIcon::Exclamation}}));
  EXPECT_EQ(launcher.launches, (std::vector<Launch>{{"zeza", {hexPath}}}));
  EXPECT_EQ(Label(window->LblFileName), "File: " + hexPath);
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 7000");
  EXPECT_EQ(Entry(window->View().DataModel(), 0).substr(0, 3), " 07");
}

TEST_F(WindowTest, UnreadableOrUnwritableFileIsReported) {
  Make_Window();
  WriteBytes(Path("image.bin"), std::vector<std::uint8_t>(4096, 3));
  dialogs.answers.push_back(Chosen("image.bin"));
  Action("MnuOpen")->trigger();

  const std::string missing = Path("no such folder") + "/a.bin";
  dialogs.answers.push_back({missing, "a.bin"});
  Action("MnuOpen")->trigger();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].icon, MessageIcon::Critical);
  EXPECT_NE(messages.boxes[0].text.find(missing), std::string::npos);
  EXPECT_NE(messages.boxes[0].text.find("No such file or directory"), std::string::npos);
  EXPECT_EQ(g.EpromImage.At(0), 3);  // image and view as before
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 3000");
  EXPECT_EQ(Label(window->LblFileName), "File: " + missing);

  dialogs.answers.push_back({missing, "a.bin"});
  Click_Toolbar("SaveAs");
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_NE(messages.boxes[1].text.find(missing), std::string::npos);
}

TEST_F(WindowTest, SaveAsWritesTheWholeImageOverAnyFile) {
  Make_Window();
  Action("Mnu27512")->trigger();
  WriteBytes(Path("out"), std::vector<std::uint8_t>(100000, 9));
  dialogs.answers.push_back(Chosen("out"));
  Action("MnuSaveAs")->trigger();
  EXPECT_EQ(ReadBytes(Path("out")), std::vector<std::uint8_t>(65536, 0));
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(WindowTest, HexEditorGetsTheBareNameOnceAFileWasChosen) {
  Make_Window();
  Action("MnuHexEditor")->trigger();
  EXPECT_EQ(messages.boxes,
            (std::vector<Box>{
                {"Warning !", "You Must Save the File before Editing !", MessageIcon::Critical}}));
  EXPECT_EQ(launcher.launches, (std::vector<Launch>{{"hedit.exe", {}}}));

  WriteBytes(Path("a.bin"), {});
  dialogs.answers.push_back(Chosen("a.bin"));
  Action("MnuOpen")->trigger();
  messages.boxes.clear();
  Action("MnuHexEditor")->trigger();
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_EQ(launcher.launches.back(), (Launch{"hedit.exe", {"a.bin"}}));
}

TEST_F(WindowTest, FileConversionStartsTheConverterAndMovesToItsFolder) {
  Make_Window();
  QDir().mkdir("other");
  const std::string chosen = Path("other") + "/some file.txt";
  dialogs.answers.push_back({chosen, "some file.txt"});
  Action("MnuFileConversion")->trigger();
  EXPECT_EQ(launcher.launches, (std::vector<Launch>{{"zeza", {chosen}}}));
  EXPECT_EQ(messages.boxes, (std::vector<Box>{{"Conversion Done !", "The File has been converted",
                                               MessageIcon::Information}}));
  EXPECT_EQ(QDir::currentPath().toStdString(), Path("other"));
  EXPECT_EQ(g.CurrentFileName, "default.bin");
  EXPECT_EQ(g.CurrentFileTitle, "");
}

TEST_F(WindowTest, ProgramThatCannotStartIsNamedFromMenuAndToolbar) {
  Make_Window();
  launcher.fails = true;
  dialogs.answers.push_back(Chosen("x.bin"));
  Action("MnuFileConversion")->trigger();
  Click_Toolbar("CRC32");
  Action("MnuCRC32")->trigger();
  ASSERT_EQ(messages.boxes.size(), 3u);  // and no "Conversion Done !"
  for (const auto& [box, program] : {std::pair{messages.boxes[0], "zeza"},
                                     {messages.boxes[1], "crc32.exe"},
                                     {messages.boxes[2], "crc32.exe"}}) {
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_NE(box.text.find(program), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("not found"), std::string::npos);
  }
}

// A dialog's own pop-up without a parent (a file name completion list) takes
// keys while the command that opened the dialog runs.
struct DialogWithPopup final : FileDialogs {
  std::optional<ChosenFile> Run(const FileDialogRequest&) override {
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
  window =
      std::make_unique<FrmMain>(g, WindowServices{messages, dialog, launcher, ports, timing, {}});
  window->findChild<QAction*>("MnuOpen")->trigger();
  EXPECT_EQ(dialog.typed, "a.hex");
}
