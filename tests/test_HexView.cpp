#include <QScrollBar>

#include "WindowTestKit.h"

class HexViewTest : public WindowTest {
 protected:
  void SetUp() override {
    Make_Window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  HexView& View() { return window->View(); }
  void Expect_Aligned(int selected, int top) {
    for (QListView* list : {View().Lst_Address, View().Lst_Data, View().Lst_Asci}) {
      EXPECT_EQ(HexView::Selected_Row(list), selected) << list->objectName().toStdString();
      EXPECT_EQ(HexView::Top_Row(list), top) << list->objectName().toStdString();
    }
  }
  QPoint Centre_Of_Row(QListView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
  }
};

TEST_F(HexViewTest, ClickInAnyListSelectsTheRowInAll) {
  QTest::mouseClick(View().Lst_Data->viewport(), Qt::LeftButton, {},
                    Centre_Of_Row(View().Lst_Data, 5));
  Expect_Aligned(5, 0);
  QTest::mouseClick(View().Lst_Asci->viewport(), Qt::LeftButton, {},
                    Centre_Of_Row(View().Lst_Asci, 2));
  Expect_Aligned(2, 0);
}

TEST_F(HexViewTest, ArrowAndPageKeysMoveAllThree) {
  int row = 0;
  for (QListView* list : {View().Lst_Address, View().Lst_Data, View().Lst_Asci}) {
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    Expect_Aligned(++row, 0);
  }
  QTest::keyClick(View().Lst_Asci, Qt::Key_End);
  Expect_Aligned(255, View().Lst_Asci->verticalScrollBar()->maximum());
}

TEST_F(HexViewTest, VisibleScrollBarCarriesTheOthersAndKeepsTheSelection) {
  QScrollBar* bar = View().Lst_Asci->verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(View().Lst_Address->verticalScrollBar()->isVisible());
  EXPECT_FALSE(View().Lst_Data->verticalScrollBar()->isVisible());
  HexView::Set_Selected_Row(View().Lst_Data, 3);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_GT(bar->value(), 3);  // the selected row is out of sight
  Expect_Aligned(3, bar->value());
  // The last page is one every list can show.
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  Expect_Aligned(3, bar->maximum());
}

TEST_F(HexViewTest, PointerOverAListBringsTheOthersBack) {
  HexView::Set_Selected_Row(View().Lst_Address, 1);
  View().Lst_Data->verticalScrollBar()->blockSignals(true);
  View().Lst_Data->verticalScrollBar()->setValue(30);  // out of step, as if by a stray event
  View().Lst_Data->verticalScrollBar()->blockSignals(false);
  QTest::mouseMove(View().Lst_Address->viewport(), Centre_Of_Row(View().Lst_Address, 0));
  Expect_Aligned(1, 0);
}

TEST_F(HexViewTest, RowsOfTheBiggestChipAreAllReachable) {
  window->Select_Eprom(kEpromCatalogue.back());
  HexView::Set_Selected_Row(View().Lst_Data, 65535);
  const int top = HexView::Top_Row(View().Lst_Data);
  EXPECT_EQ(top, View().Lst_Data->verticalScrollBar()->maximum());
  Expect_Aligned(65535, top);
  // Looking only: typing and double clicks change no byte.
  QTest::keyClicks(View().Lst_Data, "12ab");
  QTest::mouseDClick(View().Lst_Data->viewport(), Qt::LeftButton, {},
                     Centre_Of_Row(View().Lst_Data, 65535));
  EXPECT_EQ(g.EpromImage.At(1048575), 0);
  EXPECT_EQ(Entry(View().DataModel(), 65535).substr(0, 3), " 00");
}
