// The main window's start, menus and toolbar.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <algorithm>
#include <stdexcept>

#include "FrmOption.h"
#include "WindowTestKit.h"

TEST_F(WindowTest, StartsWithThe2732AndEveryDefault) {
  for (const QAction* item : window_->typeItems) {
    EXPECT_EQ(item->isChecked(), item->objectName() == "Mnu2732");
    EXPECT_EQ(item->isEnabled(), item->text() != "274001" && item->text() != "27080");
  }
  EXPECT_EQ(text(window_->LblEprom), "Eprom:   2732");
  EXPECT_EQ(text(window_->LblFileName), "File: default.bin");
  EXPECT_EQ(checkSum(), "CheckSum =  0");
  EXPECT_EQ(g_.EpromImage.size(), 4096);
  EXPECT_EQ(g_.CurrentFileTitle, "");
  EXPECT_EQ(g_.port.LptBase, 888);
  EXPECT_EQ(view().addressModel().rowCount(), 256);
  EXPECT_EQ(entry(view().dataModel(), 255), kPlaceholderDataEntry);
  EXPECT_EQ(entry(view().asciModel(), 255), kPlaceholderAsciEntry);
  EXPECT_FALSE(view().ProgressBar1->isVisible());
  EXPECT_TRUE(window_->windowTitle().startsWith("Vesk Eprom Programmer V1.1  -  by "));
  EXPECT_EQ(QFileInfo("default.bin").size(), 0);
}

TEST_F(WindowTest, ADefaultFileIsNeverChangedNorNeeded) {
  writeFile("default.bin", {1, 2, 3});
  makeWindow();
  EXPECT_EQ(readFile("default.bin"), "\1\2\3");
  QDir().mkdir("gone");  // a current folder that no longer exists
  QDir::setCurrent("gone");
  QDir("..").rmdir("gone");
  makeWindow();
  EXPECT_TRUE(window_->isVisible() && fakes_.boxes.empty());
}

// A chip read first, so that an emptied image shows.
class TypeChoice : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    simulator_.chip().assign(simulator_.chip().size(), 0x5A);
    trigger("MnuRead");
    ASSERT_EQ(g_.EpromImage.at(0), 0x5A);
  }
};

TEST_F(TypeChoice, EvenTheCurrentTypeEmptiesTheImage) {
  trigger("Mnu2732");
  EXPECT_EQ(g_.EpromImage.size(), 4096);
  EXPECT_EQ(std::count(g_.EpromImage.data(), g_.EpromImage.data() + 4096, 0), 4096);
  EXPECT_EQ(checkSum(), "CheckSum = 0");
}

TEST_F(TypeChoice, TheViewAndTheLabelTakeTheTypesSize) {
  for (const auto& [item, label, rows, lastAddress] :
       {std::tuple{"Mnu2716", "Eprom:   2716", 128, " 007F0"},
        {"Mnu27128", "Eprom:  27128", 1024, " 03FF0"}}) {
    trigger(item);
    EXPECT_EQ(text(window_->LblEprom), label);
    EXPECT_EQ(g_.EpromImage.size(), rows * 16) << item;
    EXPECT_EQ(view().asciModel().rowCount(), rows) << item;
    EXPECT_EQ(entry(view().addressModel(), rows - 1), lastAddress);
    EXPECT_EQ(entry(view().asciModel(), 0), kPlaceholderAsciEntry) << item;
  }
}

TEST_F(TypeChoice, OnlyTheChosenTypeIsChecked) {
  for (const char* item : {"Mnu27128", "Mnu2716"}) {
    trigger(item);
    for (const QAction* type : window_->typeItems)
      EXPECT_EQ(type->isChecked(), type->objectName() == item) << item;
  }
}

TEST_F(WindowTest, AnUnavailableTypesRowStillFillsTheView) {
  window_->Select_Eprom(kEpromCatalogue.back());  // the 27080: greyed in the menu
  EXPECT_EQ(entry(view().addressModel(), 65535), " FFFF0");
}

TEST_F(WindowTest, EachToolbarButtonIsItsMenuItemWithItsOwnKeyIconAndTooltip) {
  const std::tuple<const char*, const char*, const char*> buttons[] = {
      {"Open", "MnuOpen", "Open File"},
      {"SaveAs", "MnuSaveAs", "Save File  As"},
      {"Read", "MnuRead", "Read Eprom"},
      {"Write", "MnuWrite", "Write Eprom"},
      {"Option", "MnuOption", "Option"},
      {"Convert", "MnuFileConversion", "Convert File"},
      {"HexEditor", "MnuHexEditor", "Hex Editor"},
      {"CRC32", "MnuCRC32", "Calculate CRC32"},
      {"Help", "Mnuabout", "Help"}};
  for (const auto& [key, item, tooltip] : buttons) {
    QAction* action = button(key);
    ASSERT_NE(action, nullptr) << key;
    EXPECT_EQ(action, window_->findChild<QAction*>(item)) << key;
    EXPECT_EQ(action->toolTip().toStdString(), tooltip);
    EXPECT_FALSE(action->icon().pixmap(32).isNull()) << key;
    EXPECT_FALSE(action->isIconVisibleInMenu()) << key;
  }
  // The rest are the gaps between the groups.
  EXPECT_EQ(window_->Toolbar1->actions().size(), std::size(buttons) + 4);
}

TEST_F(WindowTest, AKeyThatNamesNoButtonAndDiagnosticDoNothing) {
  for (const char* key : {"open", "Help ", "", "MnuOpen"}) window_->Toolbar1_ButtonClick(key);
  trigger("MnuDiagnostic");
  EXPECT_TRUE(fakes_.requests.empty());
  EXPECT_TRUE(fakes_.boxes.empty());
  EXPECT_TRUE(fakes_.launches.empty());
}

TEST_F(WindowTest, EachToolbarButtonRunsItsCommand) {
  for (const char* key :
       {"Open", "SaveAs", "Convert", "Read", "Write", "Help", "CRC32", "HexEditor"})
    click(key);
  ASSERT_EQ(fakes_.requests.size(), 3u);
  EXPECT_EQ(fakes_.requests[0].title, "Open");
  EXPECT_EQ(fakes_.requests[1].title, "Save As");
  EXPECT_EQ(fakes_.requests[2].title, "File Conversion ");
  ASSERT_EQ(fakes_.boxes.size(), 4u);
  EXPECT_EQ(fakes_.boxes[0].title, "Will Read Eprom 2732");
  EXPECT_EQ(fakes_.boxes[1].title, "Will Write Eprom");
  EXPECT_EQ(fakes_.boxes[2].title, "About");
  EXPECT_EQ(fakes_.boxes[3].text, "You Must Save the File before Editing !");
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"crc32.exe", {}}, {"hedit.exe", {}}}));
}

TEST_F(WindowTest, OptionsOpensOnceNotModalFromToolbarAndMenu) {
  click("Option");
  trigger("MnuOption");  // brings the open one forward
  std::vector<QWidget*> options;
  std::ranges::copy_if(QApplication::topLevelWidgets(), std::back_inserter(options),
                       [](QWidget* w) { return qobject_cast<FrmOption*>(w) && w->isVisible(); });
  ASSERT_EQ(options.size(), 1u);
  EXPECT_FALSE(options[0]->isModal());
  options[0]->close();
}

// A failure a command does not handle itself: from the menu the "Error" box
// names it, from the toolbar the command ends quietly. Either way nothing is
// left busy.
TEST_F(WindowTest, AnUnhandledFailureGetsTheErrorBoxFromTheMenuOnly) {
  fakes_.onDelay = [] { throw std::runtime_error("The delay loop broke"); };
  const Box announcement{"Will Read Eprom 2732", "4096 Byte", MessageIcon::Information};
  trigger("MnuRead");
  EXPECT_EQ(
      fakes_.boxes,
      (std::vector<Box>{announcement, {"Error", "The delay loop broke", MessageIcon::Critical}}));
  fakes_.boxes.clear();
  click("Read");
  window_->Toolbar1_ButtonClick("Read");
  EXPECT_EQ(fakes_.boxes, (std::vector<Box>{announcement, announcement}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(view().ProgressBar1->isVisible());
  fakes_.onDelay = nullptr;
  trigger("MnuFill00");  // and the window takes commands again
  trigger("MnuRead");
  EXPECT_EQ(checkSum(), "CheckSum = FF000");
}

// The boxes a command shows of its own are the same whichever way it started.
TEST_F(WindowTest, ACommandsOwnFailureBoxesAreTheSameFromToolbarAndMenu) {
  fakes_.launchFails = true;
  for (const char* key : {"Open", "SaveAs", "CRC32"}) {
    fakes_.boxes.clear();
    choose("no such folder/a.bin");
    click(key);
    const std::vector<Box> fromToolbar = fakes_.boxes;
    fakes_.boxes.clear();
    choose("no such folder/a.bin");
    button(key)->trigger();
    EXPECT_EQ(fakes_.boxes, fromToolbar) << key;
    ASSERT_EQ(fromToolbar.size(), 1u) << key;
    EXPECT_EQ(fromToolbar[0].icon, MessageIcon::Critical) << key;
  }
}

TEST_F(WindowTest, NoPopUpOnTheBarsAndALongFileNameKeepsBothEnds) {
  for (QWidget* bar :
       {static_cast<QWidget*>(window_->Toolbar1), static_cast<QWidget*>(window_->menuBar())}) {
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {2, 2}, bar->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(bar, &rightClick);
    QWidget* popUp = QApplication::activePopupWidget();
    EXPECT_EQ(popUp, nullptr) << bar->metaObject()->className();
    if (popUp) popUp->close();
  }
  const std::string folder(80, 'd');
  QDir().mkdir(QString::fromStdString(folder));
  choose(folder + "/image.bin");
  trigger("MnuSaveAs");
  ElidedLabel* label = window_->LblFileName;
  EXPECT_EQ(label->toolTip().toStdString(), "File: " + filePath(folder + "/image.bin"));
  const QString shown = label->displayedText();
  EXPECT_TRUE(shown.startsWith("File: /") && shown.endsWith("d/image.bin") &&
              shown.contains(QChar(0x2026)))
      << shown.toStdString();
  QLabel plain(shown);  // on screen it looks like a label holding the shortened text
  plain.setFont(label->font());
  plain.resize(label->size());
  EXPECT_EQ(label->grab().toImage().convertToFormat(QImage::Format_RGB32),
            plain.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(WindowTest, FontsAndTheCompactLayoutBelow800Pixels) {
  EXPECT_EQ(window_->font().pointSizeF(), 9.75);
  for (const QLabel* label :
       {window_->LblEprom, static_cast<QLabel*>(window_->LblFileName), window_->LblChkSum})
    EXPECT_EQ(std::tuple(label->font().pointSizeF(), label->font().bold()), std::tuple(8.25, true));
  for (const auto& [screenWidth, listHeight, frameHeight, progressTop] :
       {std::tuple{800, 319, 348, 330}, {799, 280, 306, 290}}) {
    makeWindow(screenWidth);
    for (const QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci})
      EXPECT_EQ(list->height(), listHeight) << screenWidth;
    EXPECT_EQ(std::tuple(view().Frame1->height(), view().ProgressBar1->y()),
              std::tuple(frameHeight, progressTop))
        << screenWidth;
    EXPECT_EQ(window_->frameGeometry().size(), QSize(643, screenWidth < 800 ? 450 : 500));
  }
}
