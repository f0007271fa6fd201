#pragma once

#include <QString>

#include <memory>

class QSettings;

// The program's settings file (on Linux ~/.config/pattern-designer/pattern-designer.conf). The
// organisation is named after the program as well: left empty, Qt would file it under "Unknown
// Organization".
std::unique_ptr<QSettings> programSettings();

// The user's Pictures folder, or the home folder where there is none.
QString defaultSaveFolder();

// The folder save, export and open dialogs open in: where the last file was saved, across runs; the
// Pictures folder (or home) the first time, or once the remembered folder has gone.
QString rememberedSaveFolder();

// Remembers the folder of a file just saved.
void rememberSaveFolder(const QString& savedFile);
