#include "FavouriteStore.h"

#include "FavouriteSchema.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>

namespace {

// A second program adding at the same moment holds the lock for milliseconds; wait for it.
const QString connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
const QString selectColumns = QStringLiteral("SELECT id, code, name, added, window FROM favourites");

QString connectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("favourites-%1").arg(next++);
}

// Local time with its offset, so the text alone says when it was.
QString timeText(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// The time keeps the offset it was written with: converting a thousand rows to local time would
// cost more than reading them.
Favourite rowOf(const QSqlQuery& query)
{
    return {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
            QDateTime::fromString(query.value(3).toString(), Qt::ISODateWithMs),
            query.value(4).toString()};
}

std::optional<Favourite> findBy(QSqlDatabase& db, const QString& column, const QVariant& value)
{
    QSqlQuery query(db);
    query.prepare(selectColumns + QStringLiteral(" WHERE %1 = ?").arg(column));
    query.addBindValue(value);
    if (query.exec() && query.next())
        return rowOf(query);
    return std::nullopt;
}

QString unavailableText(const OpenResult& result, const QString& shownPath)
{
    if (result.outcome == OpenOutcome::TooNew)
        return QStringLiteral("收藏夹数据库“%1”来自更新版本的程序（版本 %2，本程序只认识到版本 %3）。"
                              "为保护其中的收藏，收藏夹暂不可用。")
            .arg(shownPath)
            .arg(result.version)
            .arg(favouriteSchemaVersion);
    return QStringLiteral("无法打开收藏夹数据库“%1”（%2）。收藏夹暂不可用。").arg(shownPath, result.detail);
}

bool isKnownWindow(const QString& window)
{
    return window == QStringLiteral("curves") || window == QStringLiteral("geometric");
}

} // namespace

FavouriteStore::FavouriteStore() : FavouriteStore(defaultFolder())
{
}

FavouriteStore::FavouriteStore(const QString& folder) : m_connection(connectionName())
{
    open(folder);
}

FavouriteStore::~FavouriteStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString FavouriteStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString FavouriteStore::fileName()
{
    return QStringLiteral("favourites.sqlite");
}

QString FavouriteStore::filePath() const
{
    return m_path;
}

bool FavouriteStore::isAvailable() const
{
    return m_available;
}

QString FavouriteStore::problem() const
{
    return m_problem;
}

void FavouriteStore::open(const QString& folder)
{
    m_path = QDir(folder).filePath(fileName());
    const QString shownPath = QDir::toNativeSeparators(m_path);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        m_problem = QStringLiteral("缺少 SQLite 数据库驱动（libqt6sql6-sqlite），收藏夹暂不可用。");
        return;
    }
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        m_problem = QStringLiteral("无法创建收藏夹所在的文件夹“%1”，收藏夹暂不可用。").arg(QDir::toNativeSeparators(folder));
        return;
    }
    db.setDatabaseName(m_path);
    OpenResult result = prepareFavouriteDatabase(db, connectOptions);
    QString movedTo;
    if (result.outcome == OpenOutcome::Damaged) {
        db.close();
        movedTo = moveDamagedDatabase(m_path);
        if (movedTo.isEmpty()) {
            m_problem = QStringLiteral("收藏夹数据库“%1”已损坏，且无法移开，收藏夹暂不可用。").arg(shownPath);
            return;
        }
        result = prepareFavouriteDatabase(db, connectOptions);
    }
    if (result.outcome == OpenOutcome::Ready) {
        m_available = true;
        if (!movedTo.isEmpty())
            m_problem = QStringLiteral("收藏夹数据库已损坏，原文件已移至“%1”保留；已新建一个空的收藏夹。")
                            .arg(QDir::toNativeSeparators(movedTo));
        return;
    }
    m_problem = unavailableText(result, shownPath);
    db.close();
}

QString FavouriteStore::defaultName(const QDateTime& added)
{
    return added.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<Favourite> FavouriteStore::add(const QString& code, const QString& window, const QDateTime& added,
                                             const QString& name)
{
    if (!m_available || code.isEmpty() || !isKnownWindow(window))
        return std::nullopt;
    const QDateTime time = added.isValid() ? added : QDateTime::currentDateTime();
    const QString shownName = name.trimmed().isEmpty() ? defaultName(time) : name.trimmed();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    std::optional<Favourite> result;
    const bool done = inWriteTransaction(db, [&] {
        if ((result = findBy(db, QStringLiteral("code"), code)))
            return true;
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO favourites (code, name, added, window) VALUES (?, ?, ?, ?)"));
        for (const QString& value : {code, shownName, timeText(time), window})
            query.addBindValue(value);
        if (!query.exec())
            return false;
        result = Favourite{query.lastInsertId().toLongLong(), code, shownName, time, window};
        return true;
    });
    return done ? result : std::nullopt;
}

QList<Favourite> FavouriteStore::all() const
{
    QList<Favourite> rows;
    if (!m_available)
        return rows;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // julianday() reads the offset, so times written in other time zones still sort by instant.
    if (!query.exec(selectColumns + QStringLiteral(" ORDER BY julianday(added) DESC, id DESC")))
        return rows;
    while (query.next())
        rows.append(rowOf(query));
    return rows;
}

int FavouriteStore::count() const
{
    if (!m_available)
        return 0;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT COUNT(*) FROM favourites")) && query.next())
        return query.value(0).toInt();
    return 0;
}

bool FavouriteStore::rename(qint64 id, const QString& name)
{
    const QString trimmed = name.trimmed();
    if (!m_available || trimmed.isEmpty())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return inWriteTransaction(db, [&] {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE favourites SET name = ? WHERE id = ?"));
        query.addBindValue(trimmed);
        query.addBindValue(id);
        return query.exec() && query.numRowsAffected() == 1;
    });
}

QList<Favourite> FavouriteStore::remove(const QList<qint64>& ids)
{
    QList<Favourite> removed;
    if (!m_available)
        return removed;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const bool done = inWriteTransaction(db, [&] {
        for (qint64 id : ids) {
            const std::optional<Favourite> row = findBy(db, QStringLiteral("id"), id);
            if (!row)
                continue;
            QSqlQuery query(db);
            query.prepare(QStringLiteral("DELETE FROM favourites WHERE id = ?"));
            query.addBindValue(id);
            if (!query.exec())
                return false;
            removed.append(*row);
        }
        return true;
    });
    return done ? removed : QList<Favourite>{};
}

bool FavouriteStore::restore(const QList<Favourite>& rows)
{
    if (!m_available)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    return inWriteTransaction(db, [&] {
        for (const Favourite& row : rows) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("INSERT INTO favourites (id, code, name, added, window)"
                                         " VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
            query.addBindValue(row.id);
            for (const QString& value : {row.code, row.name, timeText(row.added), row.window})
                query.addBindValue(value);
            if (!query.exec())
                return false;
        }
        return true;
    });
}
