#pragma once

#include <QString>

class QApplication;

// Installs Qt's own Chinese translation of its standard dialogs and menus, whatever the user's
// locale. False when the translation file cannot be found or read.
bool loadChineseQtTranslation(QApplication& app);

// Everything the application object needs before the first window: name, icon on every window,
// the desktop entry shells match the windows to, the Chinese standard dialogs, Enter pressing
// the focused button, and windows fitted to a screen too small for them.
void setUpApplication(QApplication& app);

// The program's version, as --version prints it ("1.0").
QString programVersion();
