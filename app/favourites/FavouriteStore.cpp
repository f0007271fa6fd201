#include "FavouriteStore.h"

#include "FavouriteSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <chrono>

namespace {

const QString selectColumns = QStringLiteral("SELECT id, code, name, added, window FROM favourites");
// A store that found the lock taken waits for it this long on its own thread, a slice at a time
// so that closing the store need not wait long for the thread.
constexpr int backgroundWaitMs = 60000;
constexpr int backgroundSliceMs = 250;

QString connectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("favourites-%1").arg(next++);
}

OpenRequest requestFor(const QString& path, const QString& folder, const FavouriteStore::Options& options)
{
    // Another user's file, or one in a folder that cannot take the -wal beside it, is only read.
    const QFileInfo file(path);
    const bool unwritable = file.exists() && (!file.isWritable() || !QFileInfo(folder).isWritable());
    return {QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.lockWaitMs), options.readOnly || unwritable};
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

QString readOnlyText(const QString& shownPath)
{
    return QStringLiteral("收藏夹数据库“%1”无法写入：已有的收藏可以查看，但不能收藏新的图案，也不能改名或删除。")
        .arg(shownPath);
}

QString busyText(const QString& shownPath)
{
    return QStringLiteral("收藏夹数据库“%1”正被另一个程序占用，暂时无法使用；稍后再试即可。").arg(shownPath);
}

bool isKnownWindow(const QString& window)
{
    return window == QStringLiteral("curves") || window == QStringLiteral("geometric");
}

// Waits for another program's lock on a connection of its own, preparing the file once it is
// free, so the window's next use finds it ready. Stops early when told to.
void prepareWhenFree(const QString& path, OpenRequest request, const std::shared_ptr<std::atomic<bool>>& stop)
{
    request.options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(backgroundSliceMs);
    const QString name = connectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        for (int waited = 0; waited < backgroundWaitMs && !*stop; waited += backgroundSliceMs) {
            const OpenResult result = prepareFavouriteDatabase(db, request);
            db.close();
            if (result.outcome != OpenOutcome::Busy)
                break;
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

FavouriteStore::FavouriteStore() : FavouriteStore(defaultFolder())
{
}

FavouriteStore::FavouriteStore(const QString& folder, Options options)
    : m_connection(connectionName()), m_folder(folder), m_options(options)
{
    m_path = QDir(folder).filePath(fileName());
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
    open();
}

FavouriteStore::~FavouriteStore()
{
    if (m_stopWaiting)
        *m_stopWaiting = true;
    if (m_waiter.valid())
        m_waiter.wait(); // one slice of the busy timeout at most
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

bool FavouriteStore::isAvailable()
{
    return readable();
}

FavouriteStore::State FavouriteStore::state() const
{
    return m_state;
}

QString FavouriteStore::problem() const
{
    if (m_state == State::Busy)
        return busyText(QDir::toNativeSeparators(m_path));
    return m_problem;
}

void FavouriteStore::open()
{
    const QString shownPath = QDir::toNativeSeparators(m_path);
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    OpenResult result = prepareFavouriteDatabase(db, requestFor(m_path, m_folder, m_options));
    QString movedTo;
    // Another program's file is kept aside like a damaged one: nothing in it is ours to change.
    if (result.outcome == OpenOutcome::Damaged || result.outcome == OpenOutcome::Foreign) {
        db.close();
        movedTo = moveDamagedDatabase(m_path);
        if (movedTo.isEmpty()) {
            m_state = State::Unavailable;
            m_problem = QStringLiteral("收藏夹数据库“%1”已损坏，且无法移开，收藏夹暂不可用。").arg(shownPath);
            return;
        }
        result = prepareFavouriteDatabase(db, requestFor(m_path, m_folder, m_options));
    }
    m_problem.clear();
    switch (result.outcome) {
    case OpenOutcome::Ready:
        m_state = State::Ready;
        if (!movedTo.isEmpty())
            m_problem = QStringLiteral("收藏夹数据库已损坏，原文件已移至“%1”保留；已新建一个空的收藏夹。")
                            .arg(QDir::toNativeSeparators(movedTo));
        return;
    case OpenOutcome::ReadOnly:
        m_state = State::ReadOnly;
        m_problem = readOnlyText(shownPath);
        return;
    case OpenOutcome::Busy:
        db.close();
        m_state = State::Busy;
        waitForLockInBackground();
        return;
    default:
        m_state = State::Unavailable;
        m_problem = unavailableText(result, shownPath);
        db.close();
    }
}

void FavouriteStore::waitForLockInBackground()
{
    if (m_waiter.valid() && m_waiter.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_stopWaiting = std::make_shared<std::atomic<bool>>(false);
    m_waiter = std::async(std::launch::async, prepareWhenFree, m_path, requestFor(m_path, m_folder, m_options),
                          m_stopWaiting);
}

bool FavouriteStore::readable()
{
    if (m_state == State::Busy) {
        // A change that found the lock taken leaves the connection open; an opening did not.
        if (QSqlDatabase::database(m_connection, false).isOpen())
            m_state = State::Ready;
        else
            open();
    }
    return m_state == State::Ready || m_state == State::ReadOnly;
}

bool FavouriteStore::writable()
{
    return readable() && m_state == State::Ready;
}

bool FavouriteStore::refused(WriteOutcome outcome)
{
    if (outcome == WriteOutcome::Busy) {
        m_state = State::Busy;
    } else if (outcome == WriteOutcome::ReadOnly) {
        m_state = State::ReadOnly;
        m_problem = readOnlyText(QDir::toNativeSeparators(m_path));
    }
    return false;
}

QString FavouriteStore::defaultName(const QDateTime& added)
{
    return added.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<Favourite> FavouriteStore::add(const QString& code, const QString& window, const QDateTime& added,
                                             const QString& name)
{
    if (code.isEmpty() || !isKnownWindow(window) || !writable())
        return std::nullopt;
    const QDateTime time = added.isValid() ? added : QDateTime::currentDateTime();
    const QString shownName = name.trimmed().isEmpty() ? defaultName(time) : name.trimmed();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    std::optional<Favourite> result;
    const WriteOutcome done = inWriteTransaction(db, [&] {
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
    if (done != WriteOutcome::Done) {
        refused(done);
        return std::nullopt;
    }
    return result;
}

QList<Favourite> FavouriteStore::all()
{
    QList<Favourite> rows;
    if (!readable())
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

int FavouriteStore::count()
{
    if (!readable())
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
    if (trimmed.isEmpty() || !writable())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const WriteOutcome done = inWriteTransaction(db, [&] {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE favourites SET name = ? WHERE id = ?"));
        query.addBindValue(trimmed);
        query.addBindValue(id);
        return query.exec() && query.numRowsAffected() == 1;
    });
    return done == WriteOutcome::Done || refused(done);
}

QList<Favourite> FavouriteStore::remove(const QList<qint64>& ids)
{
    QList<Favourite> removed;
    if (!writable())
        return removed;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const WriteOutcome done = inWriteTransaction(db, [&] {
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
    if (done != WriteOutcome::Done) {
        refused(done);
        return {};
    }
    return removed;
}

bool FavouriteStore::restore(const QList<Favourite>& rows)
{
    if (!writable())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const WriteOutcome done = inWriteTransaction(db, [&] {
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
    return done == WriteOutcome::Done || refused(done);
}
