#include "FavouriteSchema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr int sqliteBusy = 5;
constexpr int sqliteLocked = 6;
constexpr int sqliteReadOnly = 8;
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

const QString tableName = QStringLiteral("favourites");

int primaryCode(const QSqlError& error)
{
    // The driver reports extended result codes; the low byte is the primary one.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok ? code : -1;
}

bool createVersion1(QSqlQuery& query)
{
    // Codes are case-insensitive, so NOCASE keeps one row per pattern however it was typed.
    return query.exec(QStringLiteral("CREATE TABLE favourites ("
                                     " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                     " code TEXT NOT NULL UNIQUE COLLATE NOCASE,"
                                     " name TEXT NOT NULL,"
                                     " added TEXT NOT NULL,"
                                     " window TEXT NOT NULL CHECK (window IN ('curves', 'geometric')))"));
}

// The columns of the current layout, to know an unmarked file of ours from another's.
const QStringList currentColumns{QStringLiteral("id"), QStringLiteral("code"), QStringLiteral("name"),
                                 QStringLiteral("added"), QStringLiteral("window")};

// steps[n] takes a database from version n to n + 1; a later version appends its step here.
using MigrationStep = bool (*)(QSqlQuery&);
constexpr std::array<MigrationStep, favouriteSchemaVersion> migrationSteps{createVersion1};

OpenResult failure(const QSqlError& error)
{
    if (isBusyError(error))
        return {OpenOutcome::Busy, error.text(), 0};
    if (isReadOnlyError(error))
        return {OpenOutcome::ReadOnly, error.text(), 0};
    return {isDamageError(error) ? OpenOutcome::Damaged : OpenOutcome::Failed, error.text(), 0};
}

// What the file's header and schema say about it, read without writing anything.
struct FileState
{
    qint64 applicationId = 0;
    int version = 0;
    QStringList objects; // tables, indexes, views and triggers, SQLite's own left out
    QStringList columns; // of the favourites table
};

// The file's verdict; current when it is ours at this version and marked, so nothing is written.
struct Verdict
{
    OpenResult result;
    bool current = false;
};

bool readOne(QSqlDatabase& db, const QString& sql, QVariant& value, QSqlError& error)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next()) {
        error = query.lastError();
        return false;
    }
    value = query.value(0);
    return true;
}

bool readNames(QSqlDatabase& db, const QString& sql, QStringList& names, QSqlError& error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        error = query.lastError();
        return false;
    }
    while (query.next())
        names << query.value(0).toString();
    return true;
}

std::optional<FileState> readFileState(QSqlDatabase& db, QSqlError& error)
{
    FileState state;
    QVariant id, version;
    if (!readOne(db, QStringLiteral("PRAGMA application_id"), id, error)
        || !readOne(db, QStringLiteral("PRAGMA user_version"), version, error)
        || !readNames(db, QStringLiteral("SELECT name FROM sqlite_master WHERE name NOT LIKE 'sqlite!_%' ESCAPE '!'"),
                      state.objects, error)
        || !readNames(db, QStringLiteral("SELECT name FROM pragma_table_info('favourites')"), state.columns, error))
        return std::nullopt;
    state.applicationId = id.toLongLong();
    state.version = version.toInt();
    return state;
}

// A file is ours when marked, or unmarked but empty or holding exactly the table earlier copies
// made; a negative or missing version in a marked file cannot have been written by any copy.
Verdict classify(const FileState& file)
{
    const bool hasTable = file.objects.contains(tableName);
    const bool onlyOurTable = file.objects == QStringList{tableName} && file.columns == currentColumns;
    const bool blank = file.objects.isEmpty() && file.version == 0;
    const auto verdict = [&](OpenOutcome outcome, bool current = false) {
        return Verdict{{outcome, {}, file.version}, current};
    };
    if (file.applicationId != 0 && file.applicationId != favouriteApplicationId)
        return verdict(OpenOutcome::Foreign);
    if (file.applicationId == 0) {
        if (blank)
            return verdict(OpenOutcome::Ready);
        // A later copy's table is left as it is, marked or not.
        if (hasTable && file.version > favouriteSchemaVersion)
            return verdict(OpenOutcome::TooNew);
        if (onlyOurTable && file.version == favouriteSchemaVersion)
            return verdict(OpenOutcome::Ready);
        return verdict(OpenOutcome::Foreign);
    }
    if (file.version > favouriteSchemaVersion)
        return verdict(OpenOutcome::TooNew);
    if (blank)
        return verdict(OpenOutcome::Ready);
    if (file.version < 1 || !hasTable)
        return verdict(OpenOutcome::Damaged);
    const bool current = file.version == favouriteSchemaVersion;
    if (current && !onlyOurTable)
        return verdict(OpenOutcome::Damaged);
    return verdict(OpenOutcome::Ready, current);
}

Verdict inspectState(QSqlDatabase& db)
{
    QSqlError error;
    const std::optional<FileState> file = readFileState(db, error);
    if (!file)
        return {failure(error), false};
    return classify(*file);
}

OpenResult checkIntegrity(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
        return failure(query.lastError());
    if (!query.next())
        return failure(query.lastError());
    if (query.value(0).toString() != QStringLiteral("ok"))
        return {OpenOutcome::Damaged, query.value(0).toString(), 0};
    return {OpenOutcome::Ready, {}, 0};
}

// Whose the file is, and for our own whether it is whole.
Verdict inspect(QSqlDatabase& db)
{
    const Verdict verdict = inspectState(db);
    if (verdict.result.outcome != OpenOutcome::Ready)
        return verdict;
    const OpenResult integrity = checkIntegrity(db);
    if (integrity.outcome != OpenOutcome::Ready)
        return {integrity, false};
    return verdict;
}

OpenResult migrateLocked(QSqlDatabase& db, QSqlQuery& query)
{
    // Read again under the lock: another copy may have made or marked the file meanwhile.
    const Verdict known = inspectState(db);
    if (known.result.outcome != OpenOutcome::Ready)
        return known.result;
    for (int step = std::max(known.result.version, 0); step < favouriteSchemaVersion; ++step) {
        if (!migrationSteps[size_t(step)](query))
            return failure(query.lastError());
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(favouriteSchemaVersion))
        || !query.exec(QStringLiteral("PRAGMA application_id = %1").arg(favouriteApplicationId)))
        return failure(query.lastError());
    return {OpenOutcome::Ready, {}, favouriteSchemaVersion};
}
// Version and steps are read inside the write lock, all steps in one transaction: a second
// program starting at the same moment waits and then finds the work done.
OpenResult migrate(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(query.lastError());
    const OpenResult result = migrateLocked(db, query);
    if (result.outcome != OpenOutcome::Ready) {
        rollBack(db);
        return result;
    }
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        rollBack(db);
        return failure(error);
    }
    return result;
}

// Opens the file for reading only: a place that cannot be written still shows its favourites.
OpenResult openForReading(QSqlDatabase& db, const QString& options, int version)
{
    db.close();
    db.setConnectOptions(options + QStringLiteral(";QSQLITE_OPEN_READONLY"));
    if (!db.open())
        return failure(db.lastError());
    return {OpenOutcome::ReadOnly, {}, version};
}

// Opens the file for reading only and judges it; left open. Immutable: read as a file no one
// changes, with no -shm beside it.
Verdict inspectReading(QSqlDatabase& db, const QString& options, bool immutable)
{
    QString readOptions = options + QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (immutable) {
        readOptions += QStringLiteral(";QSQLITE_OPEN_URI");
        db.setDatabaseName(QUrl::fromLocalFile(db.databaseName()).toString(QUrl::FullyEncoded)
                           + QStringLiteral("?immutable=1"));
    }
    db.setConnectOptions(readOptions);
    if (!db.open())
        return {failure(db.lastError()), false};
    return inspect(db);
}

// Reading failed for want of writing beside the file (its -shm), not for what is in it.
bool isUnreadableHere(const OpenResult& result)
{
    return result.outcome == OpenOutcome::ReadOnly || result.outcome == OpenOutcome::Failed;
}

} // namespace

bool isDamageError(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == sqliteCorrupt || code == sqliteNotADatabase;
}

bool isBusyError(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == sqliteBusy || code == sqliteLocked;
}

bool isReadOnlyError(const QSqlError& error)
{
    return primaryCode(error) == sqliteReadOnly;
}

WriteOutcome beginWrite(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return WriteOutcome::Done;
    if (isBusyError(query.lastError()))
        return WriteOutcome::Busy;
    return isReadOnlyError(query.lastError()) ? WriteOutcome::ReadOnly : WriteOutcome::Undone;
}

bool commitWrite(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("COMMIT")))
        return true;
    rollBack(db);
    return false;
}

void rollBack(QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("ROLLBACK"));
}

OpenResult prepareFavouriteDatabase(QSqlDatabase& db, const OpenRequest& request)
{
    // An existing file is looked at read-only first: another program's file, a later program's
    // database, a damaged one and one with a -wal beside it are left byte for byte as they were (WAL
    // mode is itself a change to the header, and a writing connection replays a WAL on closing).
    bool current = false;
    int version = 0;
    const QString path = db.databaseName();
    const bool existed = QFileInfo::exists(path);
    if (existed) {
        Verdict verdict = inspectReading(db, request.options, false);
        // A WAL file in a folder that cannot take its -shm is read as a file nobody changes.
        if (request.readOnly && isUnreadableHere(verdict.result))
            verdict = inspectReading(db, request.options, true);
        if (verdict.result.outcome == OpenOutcome::Ready && request.readOnly)
            return {OpenOutcome::ReadOnly, {}, verdict.result.version};
        db.close();
        db.setDatabaseName(path);
        if (verdict.result.outcome != OpenOutcome::Ready)
            return isUnreadableHere(verdict.result) ? OpenResult{OpenOutcome::Failed, verdict.result.detail, 0}
                                                    : verdict.result;
        current = verdict.current;
        version = verdict.result.version;
    }
    db.setConnectOptions(request.options);
    if (!db.open())
        return failure(db.lastError());
    OpenResult result;
    {
        QSqlQuery query(db);
        // Ours, current and in WAL mode: nothing to write, so no lock to wait for.
        if (current && query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next()
            && query.value(0).toString() == QStringLiteral("wal"))
            return {OpenOutcome::Ready, {}, favouriteSchemaVersion};
        const bool wal = query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        query.finish();
        result = !wal ? failure(query.lastError()) : current ? OpenResult{OpenOutcome::Ready, {}, version} : migrate(db);
    }
    // SQLite quietly opens a file it may not write for reading: found out at the first write.
    if (existed && result.outcome == OpenOutcome::ReadOnly)
        return openForReading(db, request.options, version);
    return result;
}

QString moveDamagedDatabase(const QString& path)
{
    const QString base = path + QStringLiteral(".damaged-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    const auto taken = [](const QString& name) {
        return QFile::exists(name) || QFile::exists(name + QStringLiteral("-wal"))
               || QFile::exists(name + QStringLiteral("-shm"));
    };
    for (int n = 2; taken(target); ++n)
        target = base + QStringLiteral("-%1").arg(n);
    if (!QFile::rename(path, target))
        return {};
    // A WAL left beside the new database would be replayed into it: it goes with the old one, and
    // if it cannot, the new database is not started.
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFile::exists(path + suffix) && !QFile::rename(path + suffix, target + suffix))
            return {};
    }
    return target;
}
