#include "QtMessages.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "BoxTitle.h"
#include "Messages.h"

namespace {

// Laid out as when it is shown, without running it.
int shownWidth(QMessageBox& box) {
  box.setWindowModality(Qt::NonModal);
  box.show();
  return box.width();
}

// The window manager draws the title beside the window's icon and its three
// buttons, which take 100 pixels at the very least.
int titleBarWidth(const QString& title) {
  return QFontMetrics(titleBarFont()).horizontalAdvance(title) + 100;
}

}  // namespace

TEST(MessageBox, BelongsToItsOwnerAndIsWideEnoughForItsWholeTitle) {
  QWidget owner;
  for (const char* title : {"Will Read Eprom 2732", "Will Read Eprom272001", "Will Write Eprom",
                            "Program not started", "Warning !"}) {
    const std::unique_ptr<QMessageBox> box =
        makeMessageBox(&owner, title, "4096 Byte\rsecond line", MessageIcon::Information);
    EXPECT_EQ(box->parentWidget(), &owner);
    EXPECT_EQ(box->windowTitle(), title);
    EXPECT_EQ(box->text(), "4096 Byte\nsecond line");
    EXPECT_GE(shownWidth(*box), titleBarWidth(title)) << title;
  }

  // zeza's boxes: the banner as title, no icon, often a short text.
  QMessageBox zeza(QMessageBox::NoIcon, kZezaBanner, "Can't find file a", QMessageBox::Ok);
  fitBoxToTitle(zeza);
  EXPECT_GE(shownWidth(zeza), titleBarWidth(kZezaBanner));
}
