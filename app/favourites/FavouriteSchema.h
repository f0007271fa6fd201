#pragma once

#include <QString>

class QSqlDatabase;
class QSqlError;

// The favourites table's layout as this program writes it, in PRAGMA user_version.
constexpr int favouriteSchemaVersion = 1;
// PRAGMA application_id of every favourites database this program makes ("PDFV"): a file without
// it is claimed only when it is empty or holds exactly the table earlier copies made.
constexpr int favouriteApplicationId = 0x50444656;

enum class OpenOutcome {
    Ready,    // open, checked, marked, in WAL mode and at favouriteSchemaVersion
    ReadOnly, // ours and current, but opened for reading only: the file or its folder is unwritable
    Damaged,  // not an SQLite file, one that fails its integrity check, or an impossible version
    Foreign,  // another program's SQLite file: left exactly as it is
    TooNew,   // written by a later program: left exactly as it is
    Busy,     // another program holds the lock it needs; worth trying again later
    Failed,   // could not be opened or written (folder, permissions)
};

// What opening the favourites database came to.
struct OpenResult
{
    OpenOutcome outcome = OpenOutcome::Failed;
    QString detail; // the driver's words, for Failed
    int version = 0;
};

// How the favourites database is opened: the connect options (busy timeout) and whether to write.
struct OpenRequest
{
    QString options;
    bool readOnly = false; // the caller knows the place cannot be written
};

// Opens db (its file name set), checks that the file is this program's (or empty), and only then
// brings it to the current version and marks it. Nothing is written to a file that is not ours.
OpenResult prepareFavouriteDatabase(QSqlDatabase& db, const OpenRequest& request);

// Whether an error says the file itself is broken, as opposed to busy or unwritable.
bool isDamageError(const QSqlError& error);
// Whether an error says another connection holds the lock (worth trying again).
bool isBusyError(const QSqlError& error);
// Whether an error says the file may be read but not written.
bool isReadOnlyError(const QSqlError& error);

// Renames a damaged database (with its -wal and -shm files) to path.damaged-<time>; the new name,
// or an empty string when it could not be moved.
QString moveDamagedDatabase(const QString& path);

// How a change came out: written, undone (the work refused or the commit failed), or not begun
// because another program holds the lock or the file cannot be written.
enum class WriteOutcome { Done, Undone, Busy, ReadOnly };

// Runs work between BEGIN IMMEDIATE and COMMIT: the write lock is taken first, so a second
// program waits for it (busy timeout) instead of failing on a lock upgrade. Rolls back on false.
template <typename Work>
WriteOutcome inWriteTransaction(QSqlDatabase& db, Work&& work);

// Done when the write lock was taken.
WriteOutcome beginWrite(QSqlDatabase& db);
bool commitWrite(QSqlDatabase& db);
void rollBack(QSqlDatabase& db);

template <typename Work>
WriteOutcome inWriteTransaction(QSqlDatabase& db, Work&& work)
{
    if (const WriteOutcome begun = beginWrite(db); begun != WriteOutcome::Done)
        return begun;
    if (!work()) {
        rollBack(db);
        return WriteOutcome::Undone;
    }
    return commitWrite(db) ? WriteOutcome::Done : WriteOutcome::Undone;
}
