#include <QScrollBar>

#include "WindowTestKit.h"

class HexViewTest : public WindowTest {
 protected:
  void SetUp() override {
    makeWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  HexView& view() { return window_->view(); }
  void expectAligned(int selected, int top) {
    for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci}) {
      EXPECT_EQ(HexView::selectedRow(list), selected) << list->objectName().toStdString();
      EXPECT_EQ(HexView::topRow(list), top) << list->objectName().toStdString();
    }
  }
  QPoint centreOfRow(QListView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
  }
};

TEST_F(HexViewTest, ClickInAnyListSelectsTheRowInAll) {
  QTest::mouseClick(view().Lst_Data->viewport(), Qt::LeftButton, {},
                    centreOfRow(view().Lst_Data, 5));
  expectAligned(5, 0);
  QTest::mouseClick(view().Lst_Asci->viewport(), Qt::LeftButton, {},
                    centreOfRow(view().Lst_Asci, 2));
  expectAligned(2, 0);
}

TEST_F(HexViewTest, ArrowAndPageKeysMoveAllThree) {
  int row = 0;
  for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci}) {
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    expectAligned(++row, 0);
  }
  QTest::keyClick(view().Lst_Asci, Qt::Key_End);
  expectAligned(255, view().Lst_Asci->verticalScrollBar()->maximum());
}

TEST_F(HexViewTest, VisibleScrollBarCarriesTheOthersAndKeepsTheSelection) {
  QScrollBar* bar = view().Lst_Asci->verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(view().Lst_Address->verticalScrollBar()->isVisible());
  EXPECT_FALSE(view().Lst_Data->verticalScrollBar()->isVisible());
  HexView::setSelectedRow(view().Lst_Data, 3);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_GT(bar->value(), 3);  // the selected row is out of sight
  expectAligned(3, bar->value());
  // The last page is one every list can show.
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  expectAligned(3, bar->maximum());
}

TEST_F(HexViewTest, PointerOverAListBringsTheOthersBack) {
  HexView::setSelectedRow(view().Lst_Address, 1);
  view().Lst_Data->verticalScrollBar()->blockSignals(true);
  view().Lst_Data->verticalScrollBar()->setValue(30);  // out of step, as if by a stray event
  view().Lst_Data->verticalScrollBar()->blockSignals(false);
  QTest::mouseMove(view().Lst_Address->viewport(), centreOfRow(view().Lst_Address, 0));
  expectAligned(1, 0);
}

TEST_F(HexViewTest, RowsOfTheBiggestChipAreAllReachable) {
  window_->Select_Eprom(kEpromCatalogue.back());
  HexView::setSelectedRow(view().Lst_Data, 65535);
  const int top = HexView::topRow(view().Lst_Data);
  EXPECT_EQ(top, view().Lst_Data->verticalScrollBar()->maximum());
  expectAligned(65535, top);
  // Looking only: typing and double clicks change no byte.
  QTest::keyClicks(view().Lst_Data, "12ab");
  QTest::mouseDClick(view().Lst_Data->viewport(), Qt::LeftButton, {},
                     centreOfRow(view().Lst_Data, 65535));
  EXPECT_EQ(g_.EpromImage.at(1048575), 0);
  EXPECT_EQ(entry(view().dataModel(), 65535).substr(0, 3), " 00");
}
