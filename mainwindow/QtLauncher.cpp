#include "QtLauncher.h"

#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <cstring>

namespace {

// Calls `ended` once when the process behind `pidfd` has ended, then deletes
// itself; deleted earlier (VeskEprom ends first), it leaves the process alone.
class EndWatch final : public QObject {
 public:
  EndWatch(int pidfd, std::function<void()> ended, QObject* parent)
      : QObject(parent), pidfd_(pidfd), ended_(std::move(ended)) {
    auto* notifier = new QSocketNotifier(pidfd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
      notifier->setEnabled(false);
      deleteLater();
      ended_();
    });
  }
  ~EndWatch() override { ::close(pidfd_); }
  EndWatch(const EndWatch&) = delete;
  EndWatch& operator=(const EndWatch&) = delete;

 private:
  int pidfd_;
  std::function<void()> ended_;
};

}  // namespace

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
  return startWatched(program, arguments, {});
}

Expected<> QtLauncher::startWatched(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    std::function<void()> ended) {
  const QString name = QString::fromStdString(program);
  const QString path = findProgram(name, QCoreApplication::applicationDirPath());
  if (path.isEmpty()) return Failure{"It was found neither beside VeskEprom nor on the PATH."};
  QStringList qtArguments;
  for (const std::string& argument : arguments) qtArguments << QString::fromStdString(argument);
  QProcess process;
  process.setProgram(path);
  process.setArguments(qtArguments);
  qint64 pid = 0;
  if (!process.startDetached(&pid)) {
    return Failure{process.errorString().isEmpty() ? "It could not be started."
                                                   : process.errorString().toStdString()};
  }
  if (!ended) return {};
  // By number: this C library's <sys/pidfd.h> declares pidfd_open() for C only.
  const auto pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (pidfd >= 0) {
    new EndWatch(pidfd, std::move(ended), &watches_);
  } else if (errno == ESRCH) {
    // Gone before it could be watched: it has ended.
    QTimer::singleShot(0, &watches_, std::move(ended));
  } else {
    return Failure{"It was started, but its end cannot be followed: " +
                   std::string(std::strerror(errno))};
  }
  return {};
}
