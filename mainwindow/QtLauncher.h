#pragma once

#include <QObject>
#include <QString>

#include "Launcher.h"

// Finds `program` beside VeskEprom's executable first, then on the PATH; a
// name ending in ".exe" is also looked for without it. Empty when not found.
QString findProgram(const QString& program, const QString& besideDir);

// QProcess::startDetached: no shell, so a file name with blanks stays one
// argument, and a started program outlives VeskEprom. Its end is watched
// through a pidfd, which becomes readable when the process ends.
class QtLauncher final : public Launcher {
 public:
  Expected<> start(const std::string& program, const std::vector<std::string>& arguments) override;
  Expected<> startWatched(const std::string& program, const std::vector<std::string>& arguments,
                          std::function<void()> ended) override;

 private:
  // Parent of the watches of the programs' ends; the programs outlive them.
  QObject watches_;
};
