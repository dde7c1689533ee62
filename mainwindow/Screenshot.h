#pragma once

#include <QString>

#include "mainwindow/FrmMain.h"
#include "programmer/BoardSimulator.h"

// For the README's picture: puts a recognisable pattern into a blank
// simulated chip, reads it from the Read command as a user would, and saves
// the window as a PNG file. Returns false when the file cannot be written.
bool Take_Screenshot(FrmMain& window, BoardSimulator& simulator, const QString& file);
