#include "app/messages/PathText.h"

#include <QDir>

QString pathForMessage(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    QString shown;
    shown.reserve(native.size());
    for (const QChar c : native) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            shown += QLatin1String("\\n");
        else if (u == u'\r')
            shown += QLatin1String("\\r");
        else if (u == u'\t')
            shown += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            shown += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
