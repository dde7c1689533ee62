#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenuBar>

#include "FrmOption.h"
#include "HexRows.h"
#include "WindowTestKit.h"

namespace {

FrmOption* openOptionsWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* options = qobject_cast<FrmOption*>(widget); options && options->isVisible()) {
      return options;
    }
  }
  return nullptr;
}

}  // namespace

TEST_F(WindowTest, StartsWithThe2732AndEveryDefault) {
  makeWindow();
  for (const EpromTypeRow& row : kEpromCatalogue) {
    QAction* item = action(row.menuItem);
    EXPECT_EQ(item->isChecked(), std::string(row.menuItem) == "Mnu2732") << row.menuItem;
    EXPECT_EQ(item->isEnabled(),
              std::string(row.caption) != "274001" && std::string(row.caption) != "27080");
  }
  EXPECT_EQ(labelText(window_->LblEprom), "Eprom:   2732");
  EXPECT_EQ(labelText(window_->LblFileName), "File: default.bin");
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum =  0");
  EXPECT_EQ(g_.EpromImage.size(), 4096);
  EXPECT_EQ(g_.CurrentFileTitle, "");
  EXPECT_EQ(window_->view().addressModel().rowCount(), 256);
  EXPECT_EQ(entry(window_->view().dataModel(), 255), kPlaceholderDataEntry);
  EXPECT_EQ(entry(window_->view().asciModel(), 255), kPlaceholderAsciEntry);
  EXPECT_FALSE(window_->view().ProgressBar1->isVisible());

  EXPECT_TRUE(window_->windowTitle().startsWith("Vesk Eprom Programmer V1.1  -  by "));
  EXPECT_TRUE(window_->windowTitle().endsWith(")  "));
  EXPECT_TRUE(QFileInfo::exists("default.bin"));
  EXPECT_EQ(QFileInfo("default.bin").size(), 0);
}

TEST_F(WindowTest, DefaultFileIsNeverChangedNorNeeded) {
  writeBytes("default.bin", {1, 2, 3});
  makeWindow();
  EXPECT_EQ(readBytes("default.bin"), (std::vector<std::uint8_t>{1, 2, 3}));

  QDir().mkdir("gone");  // a current folder that no longer exists
  QDir::setCurrent("gone");
  QDir("..").rmdir("gone");
  makeWindow();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(labelText(window_->LblFileName), "File: default.bin");
  EXPECT_TRUE(messages_.boxes.empty());
}

TEST_F(WindowTest, CompactLayoutBelow800Pixels) {
  for (const auto& [width, listHeight, windowHeight] :
       {std::tuple{800, 319, 500}, std::tuple{799, 280, 450}}) {
    makeWindow(width);
    EXPECT_EQ(window_->view().Lst_Asci->height(), listHeight) << width;
    EXPECT_EQ(window_->height(), windowHeight) << width;
    EXPECT_GE(window_->width(), 643);
  }
}

TEST_F(WindowTest, TypeSelectionResetsLabelsRowsAndImage) {
  makeWindow();
  simulator_.chip().assign(simulator_.chip().size(), 0x5A);
  action("MnuRead")->trigger();
  ASSERT_EQ(g_.EpromImage.at(0), 0x5A);

  const struct {
    const char* item;
    const char* label;
    int rows;
    const char* lastAddress;
  } cases[] = {{"Mnu2732", "Eprom:   2732", 256, " 00FF0"},  // the current type, chosen again
               {"Mnu2716", "Eprom:   2716", 128, " 007F0"},
               {"Mnu27128", "Eprom:  27128", 1024, " 03FF0"}};
  for (const auto& c : cases) {
    action(c.item)->trigger();
    EXPECT_EQ(labelText(window_->LblEprom), c.label);
    EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 0");
    EXPECT_EQ(g_.EpromImage.size(), c.rows * 16);
    EXPECT_EQ(g_.EpromImage.at(0), 0) << c.item;
    EXPECT_EQ(window_->view().asciModel().rowCount(), c.rows);
    EXPECT_EQ(entry(window_->view().addressModel(), c.rows - 1), c.lastAddress);
    EXPECT_EQ(entry(window_->view().asciModel(), 0), kPlaceholderAsciEntry);
    EXPECT_EQ(std::count_if(window_->typeItems.begin(), window_->typeItems.end(),
                            [](QAction* item) { return item->isChecked(); }),
              1);
    EXPECT_TRUE(action(c.item)->isChecked());
  }

  // The unavailable 27080 keeps its row: selected by the program, it works.
  window_->Select_Eprom(kEpromCatalogue.back());
  EXPECT_EQ(window_->view().dataModel().rowCount(), 65536);
  EXPECT_EQ(entry(window_->view().addressModel(), 65535), " FFFF0");
}

TEST_F(WindowTest, ToolbarKeysRunTheirCommandsExactly) {
  makeWindow();
  const QList<QAction*> actions = window_->Toolbar1->actions();
  ASSERT_EQ(actions.size(), 13);  // nine buttons and four gaps
  for (QAction* action : actions) {
    EXPECT_TRUE(action->data().isNull() || !action->icon().pixmap(32).isNull());
  }

  const auto before = [&] {
    return std::tuple{dialogs_.requests.size(), messages_.boxes.size(), launcher_.launches.size()};
  };
  for (const char* key : {"open", "Help "}) {
    const auto counts = before();
    window_->Toolbar1_ButtonClick(key);
    EXPECT_EQ(before(), counts) << key;
  }
  action("MnuDiagnostic")->trigger();
  EXPECT_EQ(before(), std::tuple(0u, 0u, 0u));

  clickToolbar("Open");
  EXPECT_EQ(dialogs_.requests.back().title, "Open");
  clickToolbar("SaveAs");
  EXPECT_EQ(dialogs_.requests.back().title, "Save As");
  clickToolbar("Convert");
  EXPECT_EQ(dialogs_.requests.back().title, "File Conversion ");
  clickToolbar("Read");
  EXPECT_EQ(messages_.boxes.back().title, "Will Read Eprom 2732");
  clickToolbar("Write");
  EXPECT_EQ(messages_.boxes.back().title, "Will Write Eprom");
  clickToolbar("Help");
  EXPECT_EQ(messages_.boxes.back().title, "About");
  clickToolbar("CRC32");
  EXPECT_EQ(launcher_.launches.back(), (Launch{"crc32.exe", {}}));
  clickToolbar("HexEditor");
  EXPECT_EQ(launcher_.launches.back(), (Launch{"hedit.exe", {}}));
  clickToolbar("Option");
  action("MnuOption")->trigger();  // brings the open one forward
  const QWidgetList windows = QApplication::topLevelWidgets();
  EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                          [](QWidget* w) { return qobject_cast<FrmOption*>(w) && w->isVisible(); }),
            1);
  FrmOption* options = openOptionsWindow();
  ASSERT_NE(options, nullptr);
  EXPECT_FALSE(options->isModal());
  options->close();
}

TEST_F(WindowTest, RightClickOnToolbarOrMenuBarOpensNoPopup) {
  makeWindow();
  QWidget* gap = window_->Toolbar1->widgetForAction(window_->Toolbar1->actions().at(2));
  for (QWidget* clicked :
       {static_cast<QWidget*>(window_->Toolbar1), gap, static_cast<QWidget*>(window_->menuBar())}) {
    const QPoint inside(2, 2);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside, clicked->mapToGlobal(inside));
    QApplication::sendEvent(clicked, &rightClick);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << clicked->metaObject()->className();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
}

TEST_F(WindowTest, OptionsWindowOutlivesTheClosedMainWindow) {
  makeWindow();
  action("MnuOption")->trigger();
  FrmOption* options = openOptionsWindow();
  ASSERT_NE(options, nullptr);
  action("MnuExit")->trigger();
  EXPECT_FALSE(window_->isVisible());
  ASSERT_TRUE(options->isVisible());
  options->Option_Lpt3->setChecked(true);
  options->cmdOK->click();
  EXPECT_EQ(g_.port.LptBase, 956);
  EXPECT_EQ(openOptionsWindow(), nullptr);
}
