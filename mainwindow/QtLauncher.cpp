#include "QtLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString findProgram(const QString& program, const QString& besideDir) {
  QStringList names{program};
  if (program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
    names << program.chopped(4);
  }
  for (const QString& name : names) {
    const QFileInfo beside(QDir(besideDir), name);
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  }
  for (const QString& name : names) {
    QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty()) return onPath;
  }
  return {};
}

Expected<> QtLauncher::start(const std::string& program,
                             const std::vector<std::string>& arguments) {
  const QString name = QString::fromStdString(program);
  const QString path = findProgram(name, QCoreApplication::applicationDirPath());
  if (path.isEmpty()) return Failure{"It was found neither beside VeskEprom nor on the PATH."};
  QStringList qtArguments;
  for (const std::string& argument : arguments) qtArguments << QString::fromStdString(argument);
  QProcess process;
  process.setProgram(path);
  process.setArguments(qtArguments);
  if (!process.startDetached()) {
    return Failure{process.errorString().isEmpty() ? "It could not be started."
                                                   : process.errorString().toStdString()};
  }
  return {};
}
