#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenuBar>

#include "FrmOption.h"
#include "HexRows.h"
#include "WindowTestKit.h"

namespace {

FrmOption* Open_Options_Window() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* options = qobject_cast<FrmOption*>(widget); options && options->isVisible()) {
      return options;
    }
  }
  return nullptr;
}

}  // namespace

TEST_F(WindowTest, StartsWithThe2732AndEveryDefault) {
  Make_Window();
  for (const EpromTypeRow& row : kEpromCatalogue) {
    QAction* item = Action(row.menuItem);
    EXPECT_EQ(item->isChecked(), std::string(row.menuItem) == "Mnu2732") << row.menuItem;
    EXPECT_EQ(item->isEnabled(),
              std::string(row.caption) != "274001" && std::string(row.caption) != "27080");
  }
  EXPECT_EQ(Label(window->LblEprom), "Eprom:   2732");
  EXPECT_EQ(Label(window->LblFileName), "File: default.bin");
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum =  0");
  EXPECT_EQ(g.EpromImage.Size(), 4096);
  EXPECT_EQ(g.CurrentFileTitle, "");
  EXPECT_EQ(window->View().AddressModel().rowCount(), 256);
  EXPECT_EQ(Entry(window->View().DataModel(), 255), kPlaceholderDataEntry);
  EXPECT_EQ(Entry(window->View().AsciModel(), 255), kPlaceholderAsciEntry);
  EXPECT_FALSE(window->View().ProgressBar1->isVisible());

  EXPECT_TRUE(window->windowTitle().startsWith("Vesk Eprom Programmer V1.1  -  by "));
  EXPECT_TRUE(window->windowTitle().endsWith(")  "));
  EXPECT_TRUE(QFileInfo::exists("default.bin"));
  EXPECT_EQ(QFileInfo("default.bin").size(), 0);
}

TEST_F(WindowTest, DefaultFileIsNeverChangedNorNeeded) {
  WriteBytes("default.bin", {1, 2, 3});
  Make_Window();
  EXPECT_EQ(ReadBytes("default.bin"), (std::vector<std::uint8_t>{1, 2, 3}));

  QDir().mkdir("gone");  // a current folder that no longer exists
  QDir::setCurrent("gone");
  QDir("..").rmdir("gone");
  Make_Window();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Label(window->LblFileName), "File: default.bin");
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(WindowTest, CompactLayoutBelow800Pixels) {
  for (const auto& [width, listHeight, windowHeight] :
       {std::tuple{800, 319, 500}, std::tuple{799, 280, 450}}) {
    Make_Window(width);
    EXPECT_EQ(window->View().Lst_Asci->height(), listHeight) << width;
    EXPECT_EQ(window->height(), windowHeight) << width;
    EXPECT_GE(window->width(), 643);
  }
}

TEST_F(WindowTest, TypeSelectionResetsLabelsRowsAndImage) {
  Make_Window();
  simulator.Chip().assign(simulator.Chip().size(), 0x5A);
  Action("MnuRead")->trigger();
  ASSERT_EQ(g.EpromImage.At(0), 0x5A);

  const struct {
    const char* item;
    const char* label;
    int rows;
    const char* lastAddress;
  } cases[] = {{"Mnu2732", "Eprom:   2732", 256, " 00FF0"},  // the current type, chosen again
               {"Mnu2716", "Eprom:   2716", 128, " 007F0"},
               {"Mnu27128", "Eprom:  27128", 1024, " 03FF0"}};
  for (const auto& c : cases) {
    Action(c.item)->trigger();
    EXPECT_EQ(Label(window->LblEprom), c.label);
    EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 0");
    EXPECT_EQ(g.EpromImage.Size(), c.rows * 16);
    EXPECT_EQ(g.EpromImage.At(0), 0) << c.item;
    EXPECT_EQ(window->View().AsciModel().rowCount(), c.rows);
    EXPECT_EQ(Entry(window->View().AddressModel(), c.rows - 1), c.lastAddress);
    EXPECT_EQ(Entry(window->View().AsciModel(), 0), kPlaceholderAsciEntry);
    EXPECT_EQ(std::count_if(window->TypeItems.begin(), window->TypeItems.end(),
                            [](QAction* item) { return item->isChecked(); }),
              1);
    EXPECT_TRUE(Action(c.item)->isChecked());
  }

  // The unavailable 27080 keeps its row: selected by the program, it works.
  window->Select_Eprom(kEpromCatalogue.back());
  EXPECT_EQ(window->View().DataModel().rowCount(), 65536);
  EXPECT_EQ(Entry(window->View().AddressModel(), 65535), " FFFF0");
}

TEST_F(WindowTest, ToolbarKeysRunTheirCommandsExactly) {
  Make_Window();
  const QList<QAction*> actions = window->Toolbar1->actions();
  ASSERT_EQ(actions.size(), 13);  // nine buttons and four gaps
  for (QAction* action : actions) {
    EXPECT_TRUE(action->data().isNull() || !action->icon().pixmap(32).isNull());
  }

  const auto before = [&] {
    return std::tuple{dialogs.requests.size(), messages.boxes.size(), launcher.launches.size()};
  };
  for (const char* key : {"open", "Help "}) {
    const auto counts = before();
    window->Toolbar1_ButtonClick(key);
    EXPECT_EQ(before(), counts) << key;
  }
  Action("MnuDiagnostic")->trigger();
  EXPECT_EQ(before(), std::tuple(0u, 0u, 0u));

  Click_Toolbar("Open");
  EXPECT_EQ(dialogs.requests.back().title, "Open");
  Click_Toolbar("SaveAs");
  EXPECT_EQ(dialogs.requests.back().title, "Save As");
  Click_Toolbar("Convert");
  EXPECT_EQ(dialogs.requests.back().title, "File Conversion ");
  Click_Toolbar("Read");
  EXPECT_EQ(messages.boxes.back().title, "Will Read Eprom 2732");
  Click_Toolbar("Write");
  EXPECT_EQ(messages.boxes.back().title, "Will Write Eprom");
  Click_Toolbar("Help");
  EXPECT_EQ(messages.boxes.back().title, "About");
  Click_Toolbar("CRC32");
  EXPECT_EQ(launcher.launches.back(), (Launch{"crc32.exe", {}}));
  Click_Toolbar("HexEditor");
  EXPECT_EQ(launcher.launches.back(), (Launch{"hedit.exe", {}}));
  Click_Toolbar("Option");
  Action("MnuOption")->trigger();  // brings the open one forward
  const QWidgetList windows = QApplication::topLevelWidgets();
  EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                          [](QWidget* w) { return qobject_cast<FrmOption*>(w) && w->isVisible(); }),
            1);
  FrmOption* options = Open_Options_Window();
  ASSERT_NE(options, nullptr);
  EXPECT_FALSE(options->isModal());
  options->close();
}

TEST_F(WindowTest, RightClickOnToolbarOrMenuBarOpensNoPopup) {
  Make_Window();
  QWidget* gap = window->Toolbar1->widgetForAction(window->Toolbar1->actions().at(2));
  for (QWidget* clicked :
       {static_cast<QWidget*>(window->Toolbar1), gap, static_cast<QWidget*>(window->menuBar())}) {
    const QPoint inside(2, 2);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside, clicked->mapToGlobal(inside));
    QApplication::sendEvent(clicked, &rightClick);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << clicked->metaObject()->className();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
}

TEST_F(WindowTest, OptionsWindowOutlivesTheClosedMainWindow) {
  Make_Window();
  Action("MnuOption")->trigger();
  FrmOption* options = Open_Options_Window();
  ASSERT_NE(options, nullptr);
  Action("MnuExit")->trigger();
  EXPECT_FALSE(window->isVisible());
  ASSERT_TRUE(options->isVisible());
  options->Option_Lpt3->setChecked(true);
  options->cmdOK->click();
  EXPECT_EQ(g.Port.LptBase, 956);
  EXPECT_EQ(Open_Options_Window(), nullptr);
}
