// The main window's start, menus and toolbar.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <algorithm>

#include "FrmOption.h"
#include "WindowTestKit.h"

TEST_F(WindowTest, StartsWithThe2732AndEveryDefault) {
  for (const QAction* item : window_->typeItems) {
    EXPECT_EQ(item->isChecked(), item->objectName() == "Mnu2732");
    EXPECT_EQ(item->isEnabled(), item->text() != "274001" && item->text() != "27080");
  }
  EXPECT_EQ(std::tuple(text(window_->LblEprom), text(window_->LblFileName), checkSum()),
            std::tuple("Eprom:   2732", "File: default.bin", "CheckSum =  0"));
  EXPECT_EQ(std::tuple(g_.EpromImage.size(), g_.CurrentFileTitle, g_.port.LptBase),
            std::tuple(4096, "", 888));
  EXPECT_EQ(view().addressModel().rowCount(), 256);
  EXPECT_EQ(std::tuple(entry(view().dataModel(), 255), entry(view().asciModel(), 255)),
            std::tuple(kPlaceholderDataEntry, kPlaceholderAsciEntry));
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

TEST_F(WindowTest, ChoosingATypeEvenTheCurrentOneEmptiesTheImageAndResetsTheView) {
  simulator_.chip().assign(simulator_.chip().size(), 0x5A);
  trigger("MnuRead");
  ASSERT_EQ(g_.EpromImage.at(0), 0x5A);
  for (const auto& [item, label, rows, lastAddress] :
       {std::tuple{"Mnu2732", "Eprom:   2732", 256, " 00FF0"},
        {"Mnu2716", "Eprom:   2716", 128, " 007F0"},
        {"Mnu27128", "Eprom:  27128", 1024, " 03FF0"}}) {
    trigger(item);
    EXPECT_EQ(std::tuple(text(window_->LblEprom), checkSum(), g_.EpromImage.size(),
                         int{g_.EpromImage.at(0)}),
              std::tuple(label, "CheckSum = 0", rows * 16, 0));
    EXPECT_EQ(std::tuple(view().asciModel().rowCount(), entry(view().addressModel(), rows - 1),
                         entry(view().asciModel(), 0)),
              std::tuple(rows, lastAddress, kPlaceholderAsciEntry));
    for (const QAction* type : window_->typeItems)
      EXPECT_EQ(type->isChecked(), type->objectName() == item);
  }
  window_->Select_Eprom(kEpromCatalogue.back());  // unavailable, but its row works
  EXPECT_EQ(entry(view().addressModel(), 65535), " FFFF0");
}

TEST_F(WindowTest, EachToolbarButtonRunsItsCommandOtherKeysNoneAndOptionsOpensOnce) {
  for (const QAction* button : window_->Toolbar1->actions())
    EXPECT_TRUE(button->data().isNull() || !button->icon().pixmap(32).isNull());
  for (const char* key : {"open", "Help ", ""}) window_->Toolbar1_ButtonClick(key);
  trigger("MnuDiagnostic");
  EXPECT_TRUE(fakes_.requests.empty() && fakes_.boxes.empty());
  for (const char* key :
       {"Open", "SaveAs", "Convert", "Read", "Write", "Help", "CRC32", "HexEditor", "Option"})
    click(key);
  ASSERT_EQ(fakes_.requests.size(), 3u);
  EXPECT_EQ(
      std::tuple(fakes_.requests[0].title, fakes_.requests[1].title, fakes_.requests[2].title),
      std::tuple("Open", "Save As", "File Conversion "));
  ASSERT_EQ(fakes_.boxes.size(), 4u);  // the hex editor's "You Must Save the File" last
  EXPECT_EQ(std::tuple(fakes_.boxes[0].title, fakes_.boxes[1].title, fakes_.boxes[2].title),
            std::tuple("Will Read Eprom 2732", "Will Write Eprom", "About"));
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"crc32.exe", {}}, {"hedit.exe", {}}}));
  trigger("MnuOption");  // brings the open one forward
  std::vector<QWidget*> options;
  std::ranges::copy_if(QApplication::topLevelWidgets(), std::back_inserter(options),
                       [](QWidget* w) { return qobject_cast<FrmOption*>(w) && w->isVisible(); });
  ASSERT_EQ(options.size(), 1u);
  EXPECT_FALSE(options[0]->isModal());
  options[0]->close();
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
