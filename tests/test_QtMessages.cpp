#include "QtMessages.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "BoxTitle.h"
#include "Messages.h"

// Laid out as when it is shown, without running it: wide enough for the
// title beside the window's icon and its three buttons (100 pixels at least).
void expectWholeTitleFits(QMessageBox& box) {
  box.setWindowModality(Qt::NonModal);
  box.show();
  EXPECT_GE(box.width(), QFontMetrics(titleBarFont()).horizontalAdvance(box.windowTitle()) + 100)
      << box.windowTitle().toStdString();
}

TEST(MessageBox, BelongsToItsOwnerShowsEveryLineAndTheWholeTitle) {
  QWidget owner;
  for (const char* title :
       {"Will Read Eprom 2732", "Will Read Eprom272001", "Program not started"}) {
    const std::unique_ptr<QMessageBox> box =
        makeMessageBox(&owner, title, "4096 Byte\rsecond line", MessageIcon::Information);
    EXPECT_EQ(box->parentWidget(), &owner);
    EXPECT_EQ(box->text(), "4096 Byte\nsecond line");
    expectWholeTitleFits(*box);
  }
  // zeza's boxes: the banner as title, no icon, often a short text.
  QMessageBox zeza(QMessageBox::NoIcon, kZezaBanner, "Can't find file a", QMessageBox::Ok);
  fitBoxToTitle(zeza);
  expectWholeTitleFits(zeza);
}
