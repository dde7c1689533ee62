// The window's Qt services: finding the programs it starts, and its message boxes.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>

#include "BoxTitle.h"
#include "Messages.h"
#include "QtLauncher.h"
#include "QtMessages.h"

namespace {

TEST(FindProgram, BesideTheExecutableFirstThenPathWithOrWithoutExe) {
  QTemporaryDir beside, onPath;
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", onPath.path().toLocal8Bit());
  for (const QString& path : {beside.filePath("zeza"), onPath.filePath("zeza"),
                              onPath.filePath("hedit"), beside.filePath("crc32.exe")}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    if (!path.endsWith(".exe")) file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  }
  EXPECT_EQ(findProgram("zeza", beside.path()), beside.filePath("zeza"));
  EXPECT_EQ(findProgram("hedit.exe", beside.path()), onPath.filePath("hedit"));
  EXPECT_EQ(findProgram("crc32.exe", beside.path()), "");  // there, but not executable
  qputenv("PATH", oldPath);
}

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
    EXPECT_EQ(std::tuple(box->parentWidget(), box->text()),
              std::tuple(&owner, "4096 Byte\nsecond line"));
    expectWholeTitleFits(*box);
  }
  // zeza's boxes: the banner as title, no icon, often a short text.
  QMessageBox zeza(QMessageBox::NoIcon, kZezaBanner, "Can't find file a", QMessageBox::Ok);
  fitBoxToTitle(zeza);
  expectWholeTitleFits(zeza);
}

}  // namespace
