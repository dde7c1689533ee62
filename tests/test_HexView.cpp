// The three lists of the hex view move as one.
#include <QAbstractItemModelTester>
#include <QScrollBar>

#include "WindowTestKit.h"

class HexViewTest : public WindowTest {
 protected:
  void SetUp() override {
    makeWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void expectAligned(int selected, int top) const {
    for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci})
      EXPECT_EQ(std::tuple(HexView::selectedRow(list), HexView::topRow(list)),
                std::tuple(selected, top))
          << list->objectName().toStdString();
  }
  static QPoint centreOfRow(QListView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
  }
};

TEST_F(HexViewTest, AClickOrAKeyInAnyListMovesAllThree) {
  QTest::mouseClick(view().Lst_Data->viewport(), Qt::LeftButton, {},
                    centreOfRow(view().Lst_Data, 5));
  expectAligned(5, 0);
  QTest::mouseClick(view().Lst_Asci->viewport(), Qt::LeftButton, {},
                    centreOfRow(view().Lst_Asci, 2));
  expectAligned(2, 0);
  for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci})
    QTest::keyClick(list, Qt::Key_Down);
  expectAligned(5, 0);
  QTest::keyClick(view().Lst_Asci, Qt::Key_End);
  expectAligned(255, view().Lst_Asci->verticalScrollBar()->maximum());
}

TEST_F(HexViewTest, TheOneScrollBarCarriesTheOthersAndKeepsTheSelection) {
  QScrollBar* bar = view().Lst_Asci->verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(view().Lst_Address->verticalScrollBar()->isVisible() ||
               view().Lst_Data->verticalScrollBar()->isVisible());
  HexView::setSelectedRow(view().Lst_Data, 3);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_GT(bar->value(), 3);  // the selected row is out of sight
  expectAligned(3, bar->value());
  bar->triggerAction(QAbstractSlider::SliderToMaximum);  // a last page every list can show
  expectAligned(3, bar->maximum());
}

TEST_F(HexViewTest, EveryRowOfTheBiggestChipIsReachableAndNothingCanBeTypedIn) {
  window_->Select_Eprom(kEpromCatalogue.back());
  HexView::setSelectedRow(view().Lst_Data, 65535);
  expectAligned(65535, view().Lst_Data->verticalScrollBar()->maximum());
  QTest::keyClicks(view().Lst_Data, "12ab");
  QTest::mouseDClick(view().Lst_Data->viewport(), Qt::LeftButton, {},
                     centreOfRow(view().Lst_Data, 65535));
  EXPECT_EQ(std::tuple(int{g_.EpromImage.at(1048575)}, entry(view().dataModel(), 65535)),
            std::tuple(0, kPlaceholderDataEntry));
}

// Qt's own checks of a model's contract, through reads that keep the row
// count and type changes that do not.
TEST_F(HexViewTest, ItsModelsKeepQtsModelContract) {
  std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
  for (QListView* list : {view().Lst_Address, view().Lst_Data, view().Lst_Asci})
    testers.push_back(std::make_unique<QAbstractItemModelTester>(
        list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
  for (const char* item : {"MnuRead", "Mnu27512", "MnuRead", "MnuFill00", "Mnu2716"}) trigger(item);
  EXPECT_EQ(view().dataModel().rowCount(), 128);
}
