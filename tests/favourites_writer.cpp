// Adds favourites to the store in a folder, as a second copy of the program would, and prints
// each code on its own line once its add has returned. Used by the store's tests for two writers
// at once, for a writer killed mid-loop, and for another program holding the lock.
//
//   favourites_writer FOLDER PREFIX COUNT   adds PREFIX-0 .. PREFIX-(COUNT-1); COUNT 0 = until killed
//   favourites_writer FOLDER --hold         takes the database's write lock, prints "held", and
//                                           keeps it until a line (or end of file) on its input
//   favourites_writer FOLDER --look         prints the store's state (ready, read-only, busy,
//                                           unavailable), each kept code, then whether one more
//                                           add was taken ("add taken") or not ("add refused")
// Exit status: 0 when all were added, 1 for bad arguments, 2 when the store is unavailable (or
// the lock could not be taken), 3 when an add failed.
#include "app/favourites/FavouriteStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

// An exclusive transaction, as another program holding the file would have.
int holdLock(const QString& folder)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    db.setDatabaseName(QDir(folder).filePath(FavouriteStore::fileName()));
    QSqlQuery query(db);
    if (!db.open() || !query.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
        std::fprintf(stderr, "lock not taken: %s\n", qPrintable(query.lastError().text()));
        return 2;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    (void)std::fgets(line, sizeof line, stdin);
    query.exec(QStringLiteral("ROLLBACK"));
    return 0;
}

const char* stateName(FavouriteStore::State state)
{
    switch (state) {
    case FavouriteStore::State::Ready:
        return "ready";
    case FavouriteStore::State::ReadOnly:
        return "read-only";
    case FavouriteStore::State::Busy:
        return "busy";
    case FavouriteStore::State::Unavailable:
        break;
    }
    return "unavailable";
}

// What a copy of the program run by another user sees of the store.
int look(const QString& folder)
{
    FavouriteStore store(folder);
    std::printf("%s\n", stateName(store.state()));
    for (const Favourite& row : store.all())
        std::printf("%s\n", qPrintable(row.code));
    const bool taken = store.add(QStringLiteral("LOOK-ADDED"), QStringLiteral("curves")).has_value();
    std::printf("%s\n", taken ? "add taken" : "add refused");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(2) == QStringLiteral("--hold"))
        return holdLock(args.at(1));
    if (args.size() == 3 && args.at(2) == QStringLiteral("--look"))
        return look(args.at(1));
    bool countOk = false;
    const int count = args.size() == 4 ? args.at(3).toInt(&countOk) : -1;
    if (!countOk || count < 0) {
        std::fprintf(stderr, "usage: favourites_writer FOLDER PREFIX COUNT | FOLDER --hold | FOLDER --look\n");
        return 1;
    }
    // No window to keep responsive: wait as long as another copy needs.
    FavouriteStore store(args.at(1), FavouriteStore::Options{10000, false});
    if (!store.isAvailable()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.problem()));
        return 2;
    }
    for (int n = 0; n < count || count == 0; ++n) {
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
