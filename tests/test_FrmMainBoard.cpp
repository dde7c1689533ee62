// The window's read on the board simulator.
#include <QApplication>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <set>

#include "WindowTestKit.h"

TEST_F(WindowTest, ReadShowsTheChipKeepingTheSelectedRowInViewAndFillAll00ClearsIt) {
  for (std::size_t i = 0; i < 4096; ++i)
    simulator_.chip()[i] = static_cast<std::uint8_t>(i / 16 == 1 ? 0 : i);
  HexView::setSelectedRow(view().Lst_Address, 40);
  view().Lst_Asci->verticalScrollBar()->setValue(150);  // the selected row out of sight
  trigger("MnuRead");
  EXPECT_EQ(fakes_.boxes,
            (std::vector<Box>{{"Will Read Eprom 2732", "4096 Byte", MessageIcon::Information}}));
  EXPECT_EQ(checkSum(), "CheckSum = 7F688");  // 7F800h for 16 x 00h..FFh, less row 1 (178h)
  for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci}) {
    EXPECT_EQ(HexView::selectedRow(list), 40) << list->objectName().toStdString();
    EXPECT_EQ(HexView::topRow(list), HexView::topRow(view().Lst_Data))
        << list->objectName().toStdString();
    const QRect row40 = list->visualRect(list->model()->index(40, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(row40)) << list->objectName().toStdString();
  }
  EXPECT_EQ(entry(view().asciModel(), 4), "  @ABCDEFGHIJKLMNO");
  // A row of 00 from the chip looks like a reset row in the bytes, but not in the characters.
  EXPECT_EQ(entry(view().dataModel(), 1), kPlaceholderDataEntry);
  EXPECT_EQ(entry(view().asciModel(), 1), "  " + std::string(16, '\0'));
  EXPECT_FALSE(view().ProgressBar1->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  trigger("MnuFill00");
  EXPECT_EQ(checkSum(), "CheckSum = 0");
  EXPECT_EQ(entry(view().asciModel(), 4), kPlaceholderAsciEntry);
  EXPECT_EQ(std::count(g_.EpromImage.data(), g_.EpromImage.data() + 4096, 0), 4096);
}

// The values a progress bar showed when it was painted part-way.
struct PaintedValues final : QObject {
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto* bar = static_cast<QProgressBar*>(watched);
    if (event->type() == QEvent::Paint && bar->value() > 0 && bar->value() < bar->maximum())
      values.insert(bar->value());
    return false;
  }
  std::set<int> values;
};

TEST_F(WindowTest, ProgressMovesWhileTheWindowTakesNoOtherCommandNorClose) {
  PaintedValues painted;
  view().ProgressBar1->installEventFilter(&painted);
  simulator_.setLatency(std::chrono::microseconds(25));  // about a third of a second for a 2732
  int delays = 0, windowSystemServedAt = 0;
  fakes_.onDelay = [&] {
    if (++delays != 5000) return;
    click("Read");         // user input: dropped
    trigger("MnuFill00");  // a second command: refused
    window_->close();      // a run cannot be cut short
    QTimer::singleShot(
        0, [&] { windowSystemServedAt = delays; });  // as the window system's requests are
  };
  trigger("MnuRead");
  fakes_.onDelay = nullptr;
  EXPECT_GE(painted.values.size(), 2u);
  EXPECT_TRUE(windowSystemServedAt > 5000 && windowSystemServedAt < delays) << windowSystemServedAt;
  EXPECT_EQ(fakes_.boxes.size(), 1u);
  EXPECT_EQ(checkSum(), "CheckSum = FF000");
  EXPECT_TRUE(window_->isVisible());
  trigger("MnuFill00");  // and afterwards everything works again
  EXPECT_EQ(checkSum(), "CheckSum = 0");
}
