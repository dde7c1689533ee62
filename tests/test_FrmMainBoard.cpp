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
  makeWindow();
  for (std::size_t i = 0; i < 4096; ++i) simulator_.chip()[i] = static_cast<std::uint8_t>(i);
  HexView& view = window_->view();
  HexView::setSelectedRow(view.Lst_Address, 40);
  action("MnuRead")->trigger();

  EXPECT_EQ(messages_.boxes,
            (std::vector<Box>{{"Will Read Eprom 2732", "4096 Byte", MessageIcon::Information}}));
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 7F800");  // 16 x (0 + ... + 255)
  for (QListView* list : {view.Lst_Address, view.Lst_Data, view.Lst_Asci}) {
    EXPECT_EQ(HexView::selectedRow(list), 40);
    EXPECT_EQ(HexView::topRow(list), HexView::topRow(view.Lst_Address));
  }
  EXPECT_EQ(entry(view.asciModel(), 4), "  @ABCDEFGHIJKLMNO");
  EXPECT_FALSE(view.ProgressBar1->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, ReadOfZerosBlanksAndFillAll00) {
  makeWindow();
  std::fill_n(simulator_.chip().begin(), 16384, 0x00);
  action("Mnu27128")->trigger();
  action("MnuRead")->trigger();
  EXPECT_EQ(messages_.boxes.back().title, "Will Read Eprom27128");
  // A chip of 00 reads like a reset in the byte column, but not in the characters.
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 0");
  EXPECT_EQ(entry(window_->view().dataModel(), 7), kPlaceholderDataEntry);
  EXPECT_EQ(entry(window_->view().asciModel(), 7), "  " + std::string(16, '\0'));

  std::fill_n(simulator_.chip().begin(), 16384, 0xFF);
  action("Mnu2716")->trigger();
  clickToolbar("Read");
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 7F800");
  action("MnuFill00")->trigger();
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 0");
  EXPECT_EQ(entry(window_->view().asciModel(), 127), kPlaceholderAsciEntry);
  EXPECT_EQ(std::count(g_.EpromImage.data(), g_.EpromImage.data() + 2048, 0), 2048);
}

TEST_F(WindowTest, WriteBurnsTheImageAndLeavesTheViewAlone) {
  makeWindow();
  writeBytes(filePath("image.bin"), std::vector<std::uint8_t>(4096, 0x3C));
  dialogs_.answers.push_back(chosen("image.bin"));
  action("MnuOpen")->trigger();
  clickToolbar("Write");
  EXPECT_EQ(messages_.boxes,
            (std::vector<Box>{{"Will Write Eprom", "4096 Byte", MessageIcon::Information}}));
  EXPECT_EQ(simulator_.chip()[4095], 0x3C);
  EXPECT_EQ(simulator_.chip()[4096], 0xFF);
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 3C000");

  action("MnuWrite")->trigger();  // the chip is no longer blank
  EXPECT_EQ(messages_.boxes.back().text, "The Eprom is not Empty");
}

TEST_F(WindowTest, ProgressMovesWhileTheWindowTakesNoOtherCommand) {
  makeWindow();
  PaintedValues painted;
  window_->view().ProgressBar1->installEventFilter(&painted);
  simulator_.setLatency(std::chrono::microseconds(25));  // about a third of a second for a 2732
  int attempts = 0;
  timing_.onDelay = [&] {
    if (++attempts != 5000) return;
    clickToolbar("Read");            // user input: dropped
    action("MnuFill00")->trigger();  // a second command: refused
    window_->close();                // a run cannot be cut short
  };
  action("MnuRead")->trigger();
  timing_.onDelay = nullptr;

  EXPECT_GE(painted.values.size(), 2u);
  EXPECT_EQ(messages_.boxes.size(), 1u);
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = FF000");
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(window_->commandRunning());
  action("MnuFill00")->trigger();  // and afterwards everything works again
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 0");
}

// The window manager's close (title-bar button, Alt+F4) reaches Qt as a queued
// window-system event, which the run's repaints leave waiting with the input.
TEST_F(WindowTest, WindowManagerCloseDuringARunIsDroppedLikeInput) {
  makeWindow();
  simulator_.setLatency(std::chrono::microseconds(25));
  std::fill_n(simulator_.chip().begin(), 4096, 0x11);
  int attempts = 0;
  timing_.onDelay = [&] {
    if (++attempts == 2000) QWindowSystemInterface::handleCloseEvent(window_->windowHandle());
  };
  action("MnuRead")->trigger();
  timing_.onDelay = nullptr;
  QCoreApplication::processEvents();

  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(labelText(window_->LblChkSum), "CheckSum = 11000");
  // Idle, the same request closes the window.
  QWindowSystemInterface::handleCloseEvent(window_->windowHandle());
  QCoreApplication::processEvents();
  EXPECT_FALSE(window_->isVisible());
}
