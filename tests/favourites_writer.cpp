// Adds favourites to the store in a folder, as a second copy of the program would, and prints
// each code on its own line once its add has returned. Used by the store's tests for two writers
// at once and for a writer killed mid-loop.
//
//   favourites_writer FOLDER PREFIX COUNT   adds PREFIX-0 .. PREFIX-(COUNT-1); COUNT 0 = until killed
// Exit status: 0 when all were added, 1 for bad arguments, 2 when the store is unavailable,
// 3 when an add failed.
#include "app/favourites/FavouriteStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool countOk = false;
    const int count = args.size() == 4 ? args.at(3).toInt(&countOk) : -1;
    if (!countOk || count < 0) {
        std::fprintf(stderr, "usage: favourites_writer FOLDER PREFIX COUNT\n");
        return 1;
    }
    FavouriteStore store(args.at(1));
    if (!store.isAvailable()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.problem()));
        return 2;
    }
    for (int n = 0; count == 0 || n < count; ++n) {
        const QString code = QStringLiteral("%1-%2").arg(args.at(2)).arg(n);
        if (!store.add(code, n % 2 ? QStringLiteral("geometric") : QStringLiteral("curves"))) {
            std::fprintf(stderr, "add failed: %s\n", qPrintable(code));
            return 3;
        }
        std::printf("%s\n", qPrintable(code));
        std::fflush(stdout);
    }
    return 0;
}
