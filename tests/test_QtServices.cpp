// The window's Qt services: finding the programs it starts, and its message boxes.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

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

TEST(QtLauncher, TellsWhenAProgramHasEndedWithoutWaitingForIt) {
  QTemporaryDir folder;
  const QString mark = folder.filePath("done");
  QtLauncher launcher;
  int ended = 0;
  bool markedBeforeTheEnd = false;
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(launcher.startWatched("sh", {"-c", "sleep 1; : >\"$0\"", mark.toStdString()}, [&] {
    ++ended;
    markedBeforeTheEnd = QFile::exists(mark);
  }));
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(ended, 0);
  // One that ends at once is told too, and one that cannot start fails.
  ASSERT_TRUE(launcher.startWatched("true", {}, [&] { ended += 10; }));
  EXPECT_FALSE(launcher.startWatched("no-such-program.exe", {}, [&] { ended += 100; }));
  EXPECT_TRUE(QTest::qWaitFor([&] { return ended == 11; }, 20000)) << ended;
  EXPECT_TRUE(markedBeforeTheEnd);
  QTest::qWait(100);
  EXPECT_EQ(ended, 11);  // each told once
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
