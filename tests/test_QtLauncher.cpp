#include "QtLauncher.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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
