#pragma once

#include <QFont>
#include <QMessageBox>

// Window managers draw titles in a font of their own, which a program cannot
// ask for: the application's font in bold, at no less than 11 points, is at
// least as wide as the common ones.
QFont titleBarFont();

// A message box sizes itself to its text and buttons; with a short text the
// window manager has too little room for the title and cuts it ("Will …
// 2732"). Keeps `box` wide enough for its whole title in a title bar. Call
// it once the title is set.
void fitBoxToTitle(QMessageBox& box);
