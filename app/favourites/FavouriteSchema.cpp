#include "FavouriteSchema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <array>

namespace {

constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

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

// steps[n] takes a database from version n to n + 1; a later version appends its step here.
using MigrationStep = bool (*)(QSqlQuery&);
constexpr std::array<MigrationStep, favouriteSchemaVersion> migrationSteps{createVersion1};

OpenResult failure(const QSqlError& error)
{
    return {isDamageError(error) ? OpenOutcome::Damaged : OpenOutcome::Failed, error.text(), 0};
}

// The schema version, Ready when this program knows it; TooNew for a later program's database.
OpenResult readableVersion(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failure(query.lastError());
    const int version = query.value(0).toInt();
    if (version > favouriteSchemaVersion)
        return {OpenOutcome::TooNew, {}, version};
    return {OpenOutcome::Ready, {}, version};
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

OpenResult migrateLocked(QSqlDatabase& db, QSqlQuery& query)
{
    const OpenResult known = readableVersion(db);
    if (known.outcome != OpenOutcome::Ready)
        return known;
    for (int step = known.version; step < favouriteSchemaVersion; ++step) {
        if (!migrationSteps[size_t(step)](query))
            return failure(query.lastError());
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(favouriteSchemaVersion)))
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

OpenResult inspect(QSqlDatabase& db)
{
    const OpenResult known = readableVersion(db);
    if (known.outcome != OpenOutcome::Ready)
        return known;
    return checkIntegrity(db);
}

} // namespace

bool isDamageError(const QSqlError& error)
{
    // The driver reports extended result codes; the low byte is the primary one.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == sqliteCorrupt || code == sqliteNotADatabase);
}

bool beginWrite(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("BEGIN IMMEDIATE"));
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

OpenResult prepareFavouriteDatabase(QSqlDatabase& db, const QString& options)
{
    // An existing file is looked at read-only first: a later program's database, a damaged one and
    // a foreign file with a -wal beside it are left byte for byte as they were (a writing
    // connection would replay or delete the WAL when it closes).
    if (QFileInfo::exists(db.databaseName())) {
        db.setConnectOptions(options + QStringLiteral(";QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return failure(db.lastError());
        const OpenResult inspected = inspect(db);
        db.close();
        if (inspected.outcome != OpenOutcome::Ready)
            return inspected;
    }
    db.setConnectOptions(options);
    if (!db.open())
        return failure(db.lastError());
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return failure(query.lastError());
    query.finish();
    return migrate(db);
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
