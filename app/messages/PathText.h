#pragma once

#include <QString>

// A path as a message shows it: control characters (a newline, a tab, an escape) written as
// backslash escapes, so that a message stays one line and shows what the name really holds.
QString pathForMessage(const QString& path);
