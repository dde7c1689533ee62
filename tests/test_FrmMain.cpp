// The main window's start, menus, toolbar and Options window.
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenuBar>

#include "FrmOption.h"
#include "WindowTestKit.h"

namespace {

std::vector<FrmOption*> openOptionsWindows() {
  std::vector<FrmOption*> open;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* options = qobject_cast<FrmOption*>(widget); options && options->isVisible())
      open.push_back(options);
  return open;
}

}  // namespace

TEST_F(WindowTest, StartsWithThe2732AndEveryDefault) {
  makeWindow();
  for (const QAction* item : window_->typeItems) {
    EXPECT_EQ(item->isChecked(), item->objectName() == "Mnu2732");
    EXPECT_EQ(item->isEnabled(), item->text() != "274001" && item->text() != "27080");
  }
  EXPECT_EQ(
      std::tuple(text(window_->LblEprom), text(window_->LblFileName), text(window_->LblChkSum)),
      std::tuple("Eprom:   2732", "File: default.bin", "CheckSum =  0"));
  EXPECT_EQ(std::tuple(g_.EpromImage.size(), g_.CurrentFileTitle, g_.port.LptBase),
            std::tuple(4096, "", 888));
  EXPECT_EQ(window_->view().addressModel().rowCount(), 256);
  EXPECT_EQ(entry(window_->view().dataModel(), 255), kPlaceholderDataEntry);
  EXPECT_EQ(entry(window_->view().asciModel(), 255), kPlaceholderAsciEntry);
  EXPECT_FALSE(window_->view().ProgressBar1->isVisible());
  EXPECT_TRUE(window_->windowTitle().startsWith("Vesk Eprom Programmer V1.1  -  by "));
  EXPECT_EQ(QFileInfo("default.bin").size(), 0);
}

TEST_F(WindowTest, ADefaultFileIsNeverChangedNorNeeded) {
  writeBytes("default.bin", {1, 2, 3});
  makeWindow();
  EXPECT_EQ(readBytes("default.bin"), (std::vector<std::uint8_t>{1, 2, 3}));
  QDir().mkdir("gone");  // a current folder that no longer exists
  QDir::setCurrent("gone");
  QDir("..").rmdir("gone");
  makeWindow();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(fakes_.boxes.empty());
}

TEST_F(WindowTest, CompactLayoutBelow800Pixels) {
  for (const auto& [width, listHeight, windowHeight] :
       {std::tuple{800, 319, 500}, {799, 280, 450}}) {
    makeWindow(width);
    EXPECT_EQ(std::tuple(window_->view().Lst_Asci->height(), window_->height()),
              std::tuple(listHeight, windowHeight))
        << width;
  }
}

TEST_F(WindowTest, ChoosingATypeEvenTheCurrentOneEmptiesTheImageAndResetsTheView) {
  makeWindow();
  simulator_.chip().assign(simulator_.chip().size(), 0x5A);
  trigger("MnuRead");
  ASSERT_EQ(g_.EpromImage.at(0), 0x5A);
  for (const auto& [item, label, rows, lastAddress] :
       {std::tuple{"Mnu2732", "Eprom:   2732", 256, " 00FF0"},
        {"Mnu2716", "Eprom:   2716", 128, " 007F0"},
        {"Mnu27128", "Eprom:  27128", 1024, " 03FF0"}}) {
    trigger(item);
    EXPECT_EQ(std::tuple(text(window_->LblEprom), text(window_->LblChkSum)),
              std::tuple(label, "CheckSum = 0"));
    EXPECT_EQ(std::tuple(g_.EpromImage.size(), int{g_.EpromImage.at(0)}), std::tuple(rows * 16, 0));
    EXPECT_EQ(window_->view().asciModel().rowCount(), rows);
    EXPECT_EQ(entry(window_->view().addressModel(), rows - 1), lastAddress);
    EXPECT_EQ(entry(window_->view().asciModel(), 0), kPlaceholderAsciEntry);
    for (const QAction* type : window_->typeItems)
      EXPECT_EQ(type->isChecked(), type->objectName() == item);
  }
  // The unavailable 27080 keeps its row: chosen by the program, it works.
  window_->Select_Eprom(kEpromCatalogue.back());
  EXPECT_EQ(entry(window_->view().addressModel(), 65535), " FFFF0");
}

TEST_F(WindowTest, EachToolbarButtonRunsItsCommand) {
  makeWindow();
  for (const QAction* button : window_->Toolbar1->actions())
    EXPECT_TRUE(button->data().isNull() || !button->icon().pixmap(32).isNull());
  for (const char* key : {"Open", "SaveAs", "Convert"}) click(key);
  ASSERT_EQ(fakes_.requests.size(), 3u);
  EXPECT_EQ(
      std::tuple(fakes_.requests[0].title, fakes_.requests[1].title, fakes_.requests[2].title),
      std::tuple("Open", "Save As", "File Conversion "));
  for (const char* key : {"Read", "Write", "Help"}) click(key);
  ASSERT_EQ(fakes_.boxes.size(), 3u);
  EXPECT_EQ(std::tuple(fakes_.boxes[0].title, fakes_.boxes[1].title, fakes_.boxes[2].title),
            std::tuple("Will Read Eprom 2732", "Will Write Eprom", "About"));
  for (const char* key : {"CRC32", "HexEditor"}) click(key);
  EXPECT_EQ(fakes_.launches, (std::vector<Launch>{{"crc32.exe", {}}, {"hedit.exe", {}}}));
  click("Option");
  EXPECT_EQ(openOptionsWindows().size(), 1u);
  openOptionsWindows()[0]->close();
}

TEST_F(WindowTest, ToolbarKeysCompareExactlyAndDiagnosticDoesNothing) {
  makeWindow();
  for (const char* key : {"open", "Help ", ""}) window_->Toolbar1_ButtonClick(key);
  trigger("MnuDiagnostic");
  EXPECT_TRUE(fakes_.requests.empty() && fakes_.boxes.empty() && fakes_.launches.empty());
}

TEST_F(WindowTest, RightClickOnToolbarOrMenuBarOpensNoPopup) {
  makeWindow();
  QWidget* gap = window_->Toolbar1->widgetForAction(window_->Toolbar1->actions().at(2));
  for (QWidget* clicked :
       {static_cast<QWidget*>(window_->Toolbar1), gap, static_cast<QWidget*>(window_->menuBar())}) {
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {2, 2},
                                 clicked->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(clicked, &rightClick);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << clicked->metaObject()->className();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
}

TEST_F(WindowTest, OneOptionsWindowNotModalThatOutlivesTheMainWindow) {
  makeWindow();
  trigger("MnuOption");
  trigger("MnuOption");  // brings the open one forward
  ASSERT_EQ(openOptionsWindows().size(), 1u);
  FrmOption* options = openOptionsWindows()[0];
  EXPECT_FALSE(options->isModal());
  trigger("MnuExit");
  EXPECT_FALSE(window_->isVisible());
  options->Option_Lpt3->setChecked(true);
  options->cmdOK->click();
  EXPECT_EQ(g_.port.LptBase, 956);
  EXPECT_TRUE(openOptionsWindows().empty());
}
