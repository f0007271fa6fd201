#pragma once

#include <QString>

// The program's title: shown by message boxes that are given none, and written into saved files.
inline const QString& applicationTitle()
{
    static const QString title = QStringLiteral("澄岚数学图案自动设计器");
    return title;
}
