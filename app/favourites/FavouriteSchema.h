#pragma once

#include <QString>

class QSqlDatabase;
class QSqlError;

// The favourites table's layout as this program writes it, in PRAGMA user_version.
constexpr int favouriteSchemaVersion = 1;

enum class OpenOutcome {
    Ready,   // open, checked, in WAL mode and at favouriteSchemaVersion
    Damaged, // not an SQLite file, or one that fails its integrity check
    TooNew,  // written by a later program: left exactly as it is
    Failed,  // could not be opened or written (folder, permissions, locks)
};

// What opening the favourites database came to.
struct OpenResult
{
    OpenOutcome outcome = OpenOutcome::Failed;
    QString detail; // the driver's words, for Failed
    int version = 0;
};

// Opens db (its file name set) with the driver's connect options, checks it and brings it to the
// current version.
OpenResult prepareFavouriteDatabase(QSqlDatabase& db, const QString& options);

// Whether an error says the file itself is broken, as opposed to busy or unwritable.
bool isDamageError(const QSqlError& error);

// Renames a damaged database (with its -wal and -shm files) to path.damaged-<time>; the new name,
// or an empty string when it could not be moved.
QString moveDamagedDatabase(const QString& path);

// Runs work between BEGIN IMMEDIATE and COMMIT: the write lock is taken first, so a second
// program waits for it (busy timeout) instead of failing on a lock upgrade. Rolls back on false.
template <typename Work>
bool inWriteTransaction(QSqlDatabase& db, Work&& work);

bool beginWrite(QSqlDatabase& db);
bool commitWrite(QSqlDatabase& db);
void rollBack(QSqlDatabase& db);

template <typename Work>
bool inWriteTransaction(QSqlDatabase& db, Work&& work)
{
    if (!beginWrite(db))
        return false;
    if (!work()) {
        rollBack(db);
        return false;
    }
    return commitWrite(db);
}
