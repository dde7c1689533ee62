#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <chrono>
#include <set>

#include "HexRows.h"
#include "WindowTestKit.h"

namespace {

// The values a progress bar showed when it was painted part-way.
class PaintedValues final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto* bar = static_cast<QProgressBar*>(watched);
    if (event->type() == QEvent::Paint && bar->value() > 0 && bar->value() < bar->maximum()) {
      values.insert(bar->value());
    }
    return false;
  }
  std::set<int> values;
};

}  // namespace

TEST_F(WindowTest, ReadShowsTheChipAndKeepsTheSelectedRow) {
  Make_Window();
  for (std::size_t i = 0; i < 4096; ++i) simulator.Chip()[i] = static_cast<std::uint8_t>(i);
  HexView& view = window->View();
  HexView::Set_Selected_Row(view.Lst_Address, 40);
  Action("MnuRead")->trigger();

  EXPECT_EQ(messages.boxes,
            (std::vector<Box>{{"Will Read Eprom 2732", "4096 Byte", MessageIcon::Information}}));
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 7F800");  // 16 x (0 + ... + 255)
  for (QListView* list : {view.Lst_Address, view.Lst_Data, view.Lst_Asci}) {
    EXPECT_EQ(HexView::Selected_Row(list), 40);
    EXPECT_EQ(HexView::Top_Row(list), HexView::Top_Row(view.Lst_Address));
  }
  EXPECT_EQ(Entry(view.AsciModel(), 4), "  @ABCDEFGHIJKLMNO");
  EXPECT_FALSE(view.ProgressBar1->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, ReadOfZerosBlanksAndFillAll00) {
  Make_Window();
  std::fill_n(simulator.Chip().begin(), 16384, 0x00);
  Action("Mnu27128")->trigger();
  Action("MnuRead")->trigger();
  EXPECT_EQ(messages.boxes.back().title, "Will Read Eprom27128");
  // A chip of 00 reads like a reset in the byte column, but not in the characters.
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 0");
  EXPECT_EQ(Entry(window->View().DataModel(), 7), kPlaceholderDataEntry);
  EXPECT_EQ(Entry(window->View().AsciModel(), 7), "  " + std::string(16, '\0'));

  std::fill_n(simulator.Chip().begin(), 16384, 0xFF);
  Action("Mnu2716")->trigger();
  Click_Toolbar("Read");
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 7F800");
  Action("MnuFill00")->trigger();
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 0");
  EXPECT_EQ(Entry(window->View().AsciModel(), 127), kPlaceholderAsciEntry);
  EXPECT_EQ(std::count(g.EpromImage.Data(), g.EpromImage.Data() + 2048, 0), 2048);
}

TEST_F(WindowTest, WriteBurnsTheImageAndLeavesTheViewAlone) {
  Make_Window();
  WriteBytes(Path("image.bin"), std::vector<std::uint8_t>(4096, 0x3C));
  dialogs.answers.push_back(Chosen("image.bin"));
  Action("MnuOpen")->trigger();
  Click_Toolbar("Write");
  EXPECT_EQ(messages.boxes,
            (std::vector<Box>{{"Will Write Eprom", "4096 Byte", MessageIcon::Information}}));
  EXPECT_EQ(simulator.Chip()[4095], 0x3C);
  EXPECT_EQ(simulator.Chip()[4096], 0xFF);
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 3C000");

  Action("MnuWrite")->trigger();  // the chip is no longer blank
  EXPECT_EQ(messages.boxes.back().text, "The Eprom is not Empty");
}

TEST_F(WindowTest, ProgressMovesWhileTheWindowTakesNoOtherCommand) {
  Make_Window();
  PaintedValues painted;
  window->View().ProgressBar1->installEventFilter(&painted);
  simulator.SetLatency(std::chrono::microseconds(25));  // about a third of a second for a 2732
  int attempts = 0;
  timing.onDelay = [&] {
    if (++attempts != 5000) return;
    Click_Toolbar("Read");           // user input: dropped
    Action("MnuFill00")->trigger();  // a second command: refused
    window->close();                 // a run cannot be cut short
  };
  Action("MnuRead")->trigger();
  timing.onDelay = nullptr;

  EXPECT_GE(painted.values.size(), 2u);
  EXPECT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = FF000");
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->Command_Running());
  Action("MnuFill00")->trigger();  // and afterwards everything works again
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 0");
}

// The window manager's close (title-bar button, Alt+F4) reaches Qt as a queued
// window-system event, which the run's repaints leave waiting with the input.
TEST_F(WindowTest, WindowManagerCloseDuringARunIsDroppedLikeInput) {
  Make_Window();
  simulator.SetLatency(std::chrono::microseconds(25));
  std::fill_n(simulator.Chip().begin(), 4096, 0x11);
  int attempts = 0;
  timing.onDelay = [&] {
    if (++attempts == 2000) QWindowSystemInterface::handleCloseEvent(window->windowHandle());
  };
  Action("MnuRead")->trigger();
  timing.onDelay = nullptr;
  QCoreApplication::processEvents();

  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Label(window->LblChkSum), "CheckSum = 11000");
  // Idle, the same request closes the window.
  QWindowSystemInterface::handleCloseEvent(window->windowHandle());
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isVisible());
}
