#pragma once

#include <QString>

#include "Launcher.h"

// Finds `program` beside VeskEprom's executable first, then on the PATH; a
// name ending in ".exe" is also looked for without it. Empty when not found.
QString findProgram(const QString& program, const QString& besideDir);

// QProcess::startDetached: no shell, so a file name with blanks stays one argument.
class QtLauncher final : public Launcher {
 public:
  Expected<> start(const std::string& program, const std::vector<std::string>& arguments) override;
};
