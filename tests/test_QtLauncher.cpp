#include "mainwindow/QtLauncher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Make_Program(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

TEST(FindProgram, BesideTheExecutableFirstThenPathWithOrWithoutExe) {
  QTemporaryDir beside, onPath;
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", onPath.path().toLocal8Bit());
  Make_Program(beside.filePath("zeza"));
  Make_Program(onPath.filePath("zeza"));
  Make_Program(onPath.filePath("hedit"));
  QFile(beside.filePath("crc32.exe")).open(QIODevice::WriteOnly);  // not executable

  EXPECT_EQ(Find_Program("zeza", beside.path()), beside.filePath("zeza"));
  EXPECT_EQ(Find_Program("hedit.exe", beside.path()), onPath.filePath("hedit"));
  EXPECT_EQ(Find_Program("crc32.exe", beside.path()), "");
  qputenv("PATH", oldPath);
}
