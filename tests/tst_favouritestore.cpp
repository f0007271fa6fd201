// The favourites database: what it keeps and in which order, renames, removal and undo, and the
// faults it survives: a damaged file, another program's file or an impossible version (judged
// before anything is written), a later program's database, a folder it cannot write, a file it
// may only read, another program holding the lock, two programs adding at once, and a program
// killed while adding.
#include "app/favourites/FavouriteStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <climits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

namespace {

const QString curves = QStringLiteral("curves");
const QString geometric = QStringLiteral("geometric");

QDateTime morning()
{
    return QDateTime(QDate(2026, 12, 11), QTime(8, 30, 5));
}

// A connection of the test's own, beside the store's, to look at the file as SQLite sees it.
class RawDatabase
{
public:
    explicit RawDatabase(const QString& path, const QString& options = {})
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        db.open();
    }
    ~RawDatabase()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QVariant value(const QString& sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }
    bool exec(const QString& sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return query.exec(sql);
    }

private:
    QString m_name = QStringLiteral("raw-%1").arg(quintptr(this));
};

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool writeFile(const QString& path, const QByteArray& bytes, qint64 at = 0)
{
    QFile file(path);
    if (!file.open(at == 0 ? QIODevice::WriteOnly : QIODevice::ReadWrite) || !file.seek(at))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QStringList codesOf(const QList<Favourite>& rows)
{
    QStringList codes;
    for (const Favourite& row : rows)
        codes << row.code;
    return codes;
}

QString writerProgram()
{
    const QString fromCtest = qEnvironmentVariable("FAVOURITES_WRITER");
    return fromCtest.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/favourites_writer") : fromCtest;
}

// The favourites table as every copy of the program so far has made it.
const QString ourTable = QStringLiteral("CREATE TABLE favourites (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                        " code TEXT NOT NULL UNIQUE COLLATE NOCASE, name TEXT NOT NULL,"
                                        " added TEXT NOT NULL, window TEXT NOT NULL)");
const QString ourRow = QStringLiteral("INSERT INTO favourites (code, name, added, window)"
                                      " VALUES ('TN1OLD', '旧的', '2026-12-11T08:30:05.000+00:00', 'curves')");
// The mark this program puts in its own files, spelled out apart from the program's constant.
constexpr qint64 ourMark = 0x50444656;

// A file's bytes and modification time: what "left as it was" means.
struct FileSnapshot
{
    QByteArray hash;
    QDateTime modified;
    bool operator==(const FileSnapshot&) const = default;
};

FileSnapshot snapshot(const QString& path)
{
    return {fileHash(path), QFileInfo(path).fileTime(QFileDevice::FileModificationTime)};
}

char* toString(const FileSnapshot& file)
{
    return qstrdup(QByteArray(file.hash.toHex().left(12) + ' ' + file.modified.toString(Qt::ISODateWithMs).toUtf8()));
}

// The one file a store moved aside in folder, or an empty string.
QString movedAsideIn(const QString& folder)
{
    const QStringList moved = QDir(folder).entryList({QStringLiteral("favourites.sqlite.damaged-*")}, QDir::Files);
    for (const QString& name : moved) {
        if (!name.endsWith(QStringLiteral("-wal")) && !name.endsWith(QStringLiteral("-shm")))
            return QDir(folder).filePath(name);
    }
    return {};
}

// Another program holding the database's write lock (favourites_writer --hold) until released.
class LockHolder
{
public:
    ~LockHolder()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    bool take(const QString& folder)
    {
        m_process.start(writerProgram(), {folder, QStringLiteral("--hold")});
        QByteArray said;
        while (!said.contains('\n') && m_process.waitForReadyRead(10000))
            said += m_process.readAllStandardOutput();
        return said == "held\n";
    }
    bool isHolding() const { return m_process.state() == QProcess::Running; }
    bool release()
    {
        m_process.write("\n");
        m_process.closeWriteChannel();
        return m_process.waitForFinished(10000) && m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

bool hasChinese(const QString& text)
{
    return text.contains(QRegularExpression(QStringLiteral("\\p{Han}")));
}

} // namespace

class TestFavouriteStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void keepsWhatWasAddedAcrossOpenings();
    void defaultFolderFollowsXdgDataHome();
    void addingAKeptCodeChangesNothing_data();
    void addingAKeptCodeChangesNothing();
    void refusesWhatCannotBeKept_data();
    void refusesWhatCannotBeKept();
    void newestFirstByInstantThenLaterId();
    void renameSavesTrimmedNames_data();
    void renameSavesTrimmedNames();
    void removeAndRestoreRoundTrip();
    void restoreLeavesACodeKeptAgain();
    void damagedFileIsMovedAsideAndANewOneWorks_data();
    void damagedFileIsMovedAsideAndANewOneWorks();
    void laterVersionIsLeftUntouched();
    void fileIsJudgedBeforeAnythingIsWritten_data();
    void fileIsJudgedBeforeAnythingIsWritten();
    void unwritablePlaceFailsEveryCall_data();
    void unwritablePlaceFailsEveryCall();
    void lockHeldElsewhereIsTriedAgainLater_data();
    void lockHeldElsewhereIsTriedAgainLater();
    void readOnlyStoreShowsButChangesNothing();
    void unwritablePlaceIsOpenedForReading_data();
    void unwritablePlaceIsOpenedForReading();
    void twoProgramsAddingAtOnceLoseNothing();
    void killedWriterLeavesEveryPrintedCode();

private:
    QString path() const { return m_dir->filePath(FavouriteStore::fileName()); }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFavouriteStore::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (m_home.path() + QStringLiteral("/cache")).toUtf8());
}

void TestFavouriteStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFavouriteStore::keepsWhatWasAddedAcrossOpenings()
{
    std::optional<Favourite> added;
    {
        FavouriteStore store(m_dir->path());
        QVERIFY(store.isAvailable());
        QCOMPARE(store.problem(), QString());
        added = store.add(QStringLiteral("TN1ABCD"), geometric, morning());
        QVERIFY(added);
        QCOMPARE(added->name, QStringLiteral("2026-12-11 08:30:05"));
    }
    FavouriteStore store(m_dir->path());
    const QList<Favourite> rows = store.all();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].id, added->id);
    QCOMPARE(rows[0].code, QStringLiteral("TN1ABCD"));
    QCOMPARE(rows[0].name, QStringLiteral("2026-12-11 08:30:05"));
    QCOMPARE(rows[0].added, morning());
    QCOMPARE(rows[0].window, geometric);

    RawDatabase raw(path());
    QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), FavouriteStore::schemaVersion);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // The time is stored as ISO 8601 text carrying its offset.
    const QString text = raw.value(QStringLiteral("SELECT added FROM favourites")).toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^2026-12-11T\\d\\d:\\d\\d:05\\.000([+-]\\d\\d:\\d\\d|Z)$")).match(text).hasMatch(),
             qPrintable(text));
    // The window column takes only the two windows.
    QVERIFY(!raw.exec(QStringLiteral("INSERT INTO favourites (code, name, added, window) VALUES ('X', 'x', '2026-01-01', 'other')")));
}

void TestFavouriteStore::defaultFolderFollowsXdgDataHome()
{
    qputenv("XDG_DATA_HOME", m_dir->path().toUtf8());
    FavouriteStore store;
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toUtf8());
    QVERIFY(store.isAvailable());
    QVERIFY2(store.filePath().startsWith(m_dir->path() + u'/'), qPrintable(store.filePath()));
    QVERIFY(store.add(QStringLiteral("TN1DEFAULT"), curves));
    QVERIFY(QFile::exists(store.filePath()));
}

void TestFavouriteStore::addingAKeptCodeChangesNothing_data()
{
    QTest::addColumn<QString>("again");
    QTest::newRow("same text") << QStringLiteral("TN1ABCD");
    QTest::newRow("other letter case") << QStringLiteral("tn1abcd");
}

void TestFavouriteStore::addingAKeptCodeChangesNothing()
{
    QFETCH(QString, again);
    FavouriteStore store(m_dir->path());
    const auto first = store.add(QStringLiteral("TN1ABCD"), curves, morning(), QStringLiteral("蓝花"));
    QVERIFY(first);
    const auto second = store.add(again, geometric, morning().addDays(1), QStringLiteral("别的"));
    QVERIFY(second);
    QCOMPARE(second->id, first->id);
    QCOMPARE(second->code, QStringLiteral("TN1ABCD"));
    QCOMPARE(second->name, QStringLiteral("蓝花"));
    QCOMPARE(second->added, morning());
    QCOMPARE(second->window, curves);
    QCOMPARE(store.count(), 1);
    QCOMPARE(store.all().at(0).name, QStringLiteral("蓝花"));
}

void TestFavouriteStore::refusesWhatCannotBeKept_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("window");
    QTest::newRow("empty code") << QString() << curves;
    QTest::newRow("unknown window") << QStringLiteral("TN1ABCD") << QStringLiteral("gradient");
    QTest::newRow("no window") << QStringLiteral("TN1ABCD") << QString();
}

void TestFavouriteStore::refusesWhatCannotBeKept()
{
    QFETCH(QString, code);
    QFETCH(QString, window);
    FavouriteStore store(m_dir->path());
    QVERIFY(!store.add(code, window));
    QCOMPARE(store.count(), 0);
}

void TestFavouriteStore::newestFirstByInstantThenLaterId()
{
    FavouriteStore store(m_dir->path());
    const QDateTime t = morning();
    QVERIFY(store.add(QStringLiteral("OLDEST"), curves, t));
    QVERIFY(store.add(QStringLiteral("NEWEST"), curves, t.addSecs(7200)));
    QVERIFY(store.add(QStringLiteral("TIE-FIRST"), curves, t.addSecs(3600)));
    QVERIFY(store.add(QStringLiteral("TIE-SECOND"), geometric, t.addSecs(3600)));
    // Written with another offset: its text sorts apart from its instant, 90 minutes after t.
    QVERIFY(store.add(QStringLiteral("FAR-EAST"), curves, t.addSecs(5400).toTimeZone(QTimeZone(9 * 3600))));
    QVERIFY(store.add(QStringLiteral("FAR-WEST"), curves, t.addSecs(600).toTimeZone(QTimeZone(-10 * 3600))));
    const QStringList expected{QStringLiteral("NEWEST"),     QStringLiteral("FAR-EAST"),  QStringLiteral("TIE-SECOND"),
                               QStringLiteral("TIE-FIRST"), QStringLiteral("FAR-WEST"), QStringLiteral("OLDEST")};
    QCOMPARE(codesOf(store.all()), expected);
    QCOMPARE(store.count(), 6);
}

void TestFavouriteStore::renameSavesTrimmedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("plain") << QStringLiteral("晚霞") << true << QStringLiteral("晚霞");
    QTest::newRow("spaces around") << QStringLiteral("  晚霞 二 ") << true << QStringLiteral("晚霞 二");
    QTest::newRow("empty") << QString() << false << QStringLiteral("原名");
    QTest::newRow("only spaces") << QStringLiteral("   ") << false << QStringLiteral("原名");
}

void TestFavouriteStore::renameSavesTrimmedNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QFETCH(QString, kept);
    qint64 id = 0;
    {
        FavouriteStore store(m_dir->path());
        id = store.add(QStringLiteral("TN1ABCD"), curves, morning(), QStringLiteral("原名"))->id;
        QCOMPARE(store.rename(id, name), accepted);
        QVERIFY(!store.rename(id + 100, QStringLiteral("无此项")));
    }
    FavouriteStore reopened(m_dir->path());
    QCOMPARE(reopened.all().at(0).name, kept);
}

void TestFavouriteStore::removeAndRestoreRoundTrip()
{
    FavouriteStore store(m_dir->path());
    QList<qint64> ids;
    for (int n = 0; n < 4; ++n)
        ids << store.add(QStringLiteral("CODE%1").arg(n), n % 2 ? geometric : curves, morning().addSecs(n),
                         QStringLiteral("名%1").arg(n))->id;
    const QList<Favourite> before = store.all();

    const QList<Favourite> removed = store.remove({ids[1], ids[3], ids[3] + 1000});
    QCOMPARE(codesOf(removed), (QStringList{QStringLiteral("CODE1"), QStringLiteral("CODE3")}));
    QCOMPARE(removed[1].name, QStringLiteral("名3"));
    QCOMPARE(removed[1].window, geometric);
    QCOMPARE(codesOf(store.all()), (QStringList{QStringLiteral("CODE2"), QStringLiteral("CODE0")}));

    // A favourite added meanwhile never takes a removed one's id, so undo can put them back.
    const auto later = store.add(QStringLiteral("LATER"), curves, morning().addSecs(-60));
    QVERIFY(later->id > ids[3]);
    QVERIFY(store.restore(removed));
    QList<Favourite> after = store.all();
    QCOMPARE(after.takeLast().code, QStringLiteral("LATER"));
    QCOMPARE(after.size(), before.size());
    for (int n = 0; n < after.size(); ++n) {
        QCOMPARE(after[n].id, before[n].id);
        QCOMPARE(after[n].code, before[n].code);
        QCOMPARE(after[n].name, before[n].name);
        QCOMPARE(after[n].added, before[n].added);
        QCOMPARE(after[n].window, before[n].window);
    }
}

void TestFavouriteStore::restoreLeavesACodeKeptAgain()
{
    FavouriteStore store(m_dir->path());
    const qint64 id = store.add(QStringLiteral("AGAIN"), curves, morning(), QStringLiteral("旧"))->id;
    QVERIFY(store.add(QStringLiteral("OTHER"), curves, morning()));
    const QList<Favourite> removed = store.remove({id});
    const auto again = store.add(QStringLiteral("AGAIN"), curves, morning().addDays(1), QStringLiteral("新"));
    QVERIFY(store.restore(removed));
    QCOMPARE(store.count(), 2);
    QCOMPARE(store.all().at(0).id, again->id);
    QCOMPARE(store.all().at(0).name, QStringLiteral("新"));
}

void TestFavouriteStore::damagedFileIsMovedAsideAndANewOneWorks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("withWal");
    QTest::newRow("random bytes") << QStringLiteral("random") << false;
    QTest::newRow("random bytes with a WAL beside") << QStringLiteral("random") << true;
    QTest::newRow("text file") << QStringLiteral("text") << false;
    QTest::newRow("database with overwritten pages") << QStringLiteral("pages") << false;
}

void TestFavouriteStore::damagedFileIsMovedAsideAndANewOneWorks()
{
    QFETCH(QString, kind);
    QFETCH(bool, withWal);
    if (kind == QStringLiteral("random")) {
        QVERIFY(writeFile(path(), randomBytes(20000)));
    } else if (kind == QStringLiteral("text")) {
        QVERIFY(writeFile(path(), QByteArrayLiteral("我的收藏：TN1ABCD, TN1EFGH\n")));
    } else {
        {
            FavouriteStore store(m_dir->path());
            for (int n = 0; n < 400; ++n)
                QVERIFY(store.add(QStringLiteral("TN1-%1-%2").arg(n).arg(QString(60, u'X')), curves));
        }
        QVERIFY(!QFile::exists(path() + QStringLiteral("-wal"))); // all of it in the file itself
        QVERIFY(writeFile(path(), QByteArray(2 * 4096, char(0x5a)), 4096)); // pages 2 and 3
    }
    if (withWal)
        QVERIFY(writeFile(path() + QStringLiteral("-wal"), randomBytes(4000)));
    const QByteArray original = fileHash(path());
    const QByteArray originalWal = fileHash(path() + QStringLiteral("-wal"));

    FavouriteStore store(m_dir->path());
    QVERIFY(store.isAvailable());
    // The file keeps its bytes under the new name; its -wal (and any -shm SQLite made) go with it.
    const QRegularExpression movedName(QStringLiteral("^(favourites\\.sqlite\\.damaged-\\d{8}-\\d{6})(-wal|-shm)?$"));
    QString movedPath;
    for (const QString& name : QDir(m_dir->path()).entryList(QDir::Files)) {
        if (name.startsWith(QStringLiteral("favourites.sqlite-")) || name == FavouriteStore::fileName())
            continue;
        const QRegularExpressionMatch match = movedName.match(name);
        QVERIFY2(match.hasMatch(), qPrintable(name));
        if (match.captured(2).isEmpty())
            movedPath = m_dir->filePath(name);
    }
    QVERIFY(!movedPath.isEmpty());
    QCOMPARE(fileHash(movedPath), original);
    if (withWal)
        QCOMPARE(fileHash(movedPath + QStringLiteral("-wal")), originalWal);
    QVERIFY2(store.problem().contains(QDir::toNativeSeparators(movedPath)), qPrintable(store.problem()));
    QVERIFY(hasChinese(store.problem()));

    QCOMPARE(store.count(), 0);
    QVERIFY(store.add(QStringLiteral("TN1NEW"), curves));
    QCOMPARE(codesOf(store.all()), QStringList{QStringLiteral("TN1NEW")});
    RawDatabase raw(path());
    QCOMPARE(raw.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

void TestFavouriteStore::laterVersionIsLeftUntouched()
{
    {
        RawDatabase raw(path());
        QVERIFY(raw.exec(QStringLiteral("CREATE TABLE favourites (id INTEGER PRIMARY KEY, code TEXT, colour TEXT)")));
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO favourites (code, colour) VALUES ('TN9FUTURE', 'red')")));
        QVERIFY(raw.exec(QStringLiteral("PRAGMA user_version = 7")));
    }
    const QByteArray original = fileHash(path());
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);
    {
        FavouriteStore store(m_dir->path());
        QVERIFY(!store.isAvailable());
        QVERIFY2(store.problem().contains(QStringLiteral("7")), qPrintable(store.problem()));
        QVERIFY(hasChinese(store.problem()));
        QVERIFY(!store.add(QStringLiteral("TN1ABCD"), curves));
        QVERIFY(store.all().isEmpty());
    }
    QCOMPARE(fileHash(path()), original);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), filesBefore);
}

void TestFavouriteStore::fileIsJudgedBeforeAnythingIsWritten_data()
{
    // The statements that make the file (none: a file of no bytes); what the store does with it:
    // "kept" opens it and marks it as ours, "aside" moves it away unchanged and starts a new one,
    // "newer" leaves it unchanged and unavailable; and how many favourites it then shows.
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<int>("shown");
    const QString mark = QStringLiteral("PRAGMA application_id = %1").arg(ourMark);
    const auto version = [](qint64 n) { return QStringLiteral("PRAGMA user_version = %1").arg(n); };
    const QString notes = QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)");
    const QString aNote = QStringLiteral("INSERT INTO notes (body) VALUES ('购物清单')");

    QTest::newRow("no bytes at all") << QStringList() << "kept" << 0;
    QTest::newRow("empty database, version 0") << QStringList{notes, QStringLiteral("DROP TABLE notes")} << "kept" << 0;
    QTest::newRow("ours from before the mark") << QStringList{ourTable, ourRow, version(1)} << "kept" << 1;
    QTest::newRow("ours, marked") << QStringList{ourTable, ourRow, version(1), mark} << "kept" << 1;
    QTest::newRow("another program's notes") << QStringList{notes, aNote} << "aside" << 0;
    QTest::newRow("another program's notes, version 1") << QStringList{notes, aNote, version(1)} << "aside" << 0;
    QTest::newRow("another program's own favourites table")
        << QStringList{QStringLiteral("CREATE TABLE favourites (id INTEGER PRIMARY KEY, title TEXT)"),
                       QStringLiteral("INSERT INTO favourites (title) VALUES ('书签')"), version(1)}
        << "aside" << 0;
    QTest::newRow("our table under another application id")
        << QStringList{ourTable, ourRow, version(1), QStringLiteral("PRAGMA application_id = 1234")} << "aside" << 0;
    QTest::newRow("our table beside another's, unmarked") << QStringList{ourTable, ourRow, notes, version(1)} << "aside" << 0;
    QTest::newRow("version -1, unmarked") << QStringList{ourTable, ourRow, version(-1)} << "aside" << 0;
    QTest::newRow("version -1, marked") << QStringList{ourTable, ourRow, version(-1), mark} << "aside" << 0;
    QTest::newRow("version INT_MIN, unmarked") << QStringList{ourTable, ourRow, version(INT_MIN)} << "aside" << 0;
    QTest::newRow("version INT_MIN, marked") << QStringList{ourTable, ourRow, version(INT_MIN), mark} << "aside" << 0;
    QTest::newRow("version 0 with the table, unmarked") << QStringList{ourTable, ourRow} << "aside" << 0;
    QTest::newRow("version 0 with the table, marked") << QStringList{ourTable, ourRow, mark} << "aside" << 0;
    QTest::newRow("version 1 without the table, marked") << QStringList{notes, version(1), mark} << "aside" << 0;
    QTest::newRow("newer version, marked") << QStringList{ourTable, ourRow, version(2), mark} << "newer" << 0;
    QTest::newRow("version INT_MAX, marked") << QStringList{ourTable, ourRow, version(INT_MAX), mark} << "newer" << 0;
}

void TestFavouriteStore::fileIsJudgedBeforeAnythingIsWritten()
{
    QFETCH(QStringList, sql);
    QFETCH(QString, verdict);
    QFETCH(int, shown);
    if (sql.isEmpty()) {
        QVERIFY(writeFile(path(), QByteArray()));
    } else {
        RawDatabase raw(path());
        for (const QString& statement : sql)
            QVERIFY2(raw.exec(statement), qPrintable(statement));
    }
    const FileSnapshot before = snapshot(path());
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);

    FavouriteStore store(m_dir->path());
    if (verdict == QStringLiteral("newer")) {
        QVERIFY(!store.isAvailable());
        QVERIFY(hasChinese(store.problem()));
        QVERIFY(!store.add(QStringLiteral("TN1NEW"), curves));
        QCOMPARE(snapshot(path()), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), filesBefore);
        return;
    }
    QVERIFY2(store.isAvailable(), qPrintable(store.problem()));
    QCOMPARE(store.count(), shown);
    QVERIFY(store.add(QStringLiteral("TN1NEW"), curves));
    const QString moved = movedAsideIn(m_dir->path());
    if (verdict == QStringLiteral("aside")) {
        // Kept aside byte for byte, with no WAL made for it, and the user told where.
        QVERIFY(!moved.isEmpty());
        QCOMPARE(snapshot(moved), before);
        QVERIFY(!QFile::exists(moved + QStringLiteral("-wal")));
        QVERIFY2(store.problem().contains(QDir::toNativeSeparators(moved)), qPrintable(store.problem()));
        QVERIFY(hasChinese(store.problem()));
    } else {
        QCOMPARE(moved, QString());
        QCOMPARE(store.problem(), QString());
    }
    RawDatabase raw(path());
    QCOMPARE(raw.value(QStringLiteral("PRAGMA application_id")).toLongLong(), ourMark);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(raw.value(QStringLiteral("SELECT COUNT(*) FROM favourites")).toInt(), shown + 1);
}

void TestFavouriteStore::unwritablePlaceFailsEveryCall_data()
{
    QTest::addColumn<QString>("place");
    QTest::newRow("folder under a regular file") << QStringLiteral("under-file");
    QTest::newRow("database name taken by a folder") << QStringLiteral("folder-as-file");
    QTest::newRow("no folder at all") << QStringLiteral("empty");
}

void TestFavouriteStore::unwritablePlaceFailsEveryCall()
{
    QFETCH(QString, place);
    QString folder;
    if (place == QStringLiteral("under-file")) {
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("plain")), "not a folder"));
        folder = m_dir->filePath(QStringLiteral("plain/favourites"));
    } else if (place == QStringLiteral("folder-as-file")) {
        QVERIFY(QDir(m_dir->path()).mkdir(FavouriteStore::fileName()));
        folder = m_dir->path();
    }
    FavouriteStore store(folder);
    QVERIFY(!store.isAvailable());
    QVERIFY(hasChinese(store.problem()));
    QVERIFY(!store.add(QStringLiteral("TN1ABCD"), curves));
    QVERIFY(store.all().isEmpty());
    QCOMPARE(store.count(), 0);
    QVERIFY(!store.rename(1, QStringLiteral("名")));
    QVERIFY(store.remove({1}).isEmpty());
    QVERIFY(!store.restore({Favourite{1, QStringLiteral("TN1ABCD"), QStringLiteral("名"), morning(), curves}}));
    // Nothing was moved or made in place of what was there.
    if (place == QStringLiteral("folder-as-file"))
        QVERIFY(QFileInfo(path()).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.damaged-*")}, QDir::AllEntries), QStringList());
}

void TestFavouriteStore::lockHeldElsewhereIsTriedAgainLater_data()
{
    // The file before the lock is taken, and whether opening it needs the lock (to make or mark it).
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("openingWrites");
    QTest::addColumn<int>("shown");
    QTest::newRow("no file yet") << QStringLiteral("none") << true << 0;
    QTest::newRow("ours from before the mark") << QStringLiteral("unmarked") << true << 1;
    QTest::newRow("ours, current") << QStringLiteral("current") << false << 1;
}

void TestFavouriteStore::lockHeldElsewhereIsTriedAgainLater()
{
    QFETCH(QString, file);
    QFETCH(bool, openingWrites);
    QFETCH(int, shown);
    if (file == QStringLiteral("unmarked")) {
        RawDatabase raw(path());
        for (const QString& statement : {QStringLiteral("PRAGMA journal_mode=WAL"), ourTable, ourRow,
                                         QStringLiteral("PRAGMA user_version = 1")})
            QVERIFY2(raw.exec(statement), qPrintable(statement));
    } else if (file == QStringLiteral("current")) {
        FavouriteStore store(m_dir->path());
        QVERIFY(store.add(QStringLiteral("TN1OLD"), curves));
    }
    LockHolder holder;
    QVERIFY2(holder.take(m_dir->path()), "the other program to take the lock");

    // Each call comes back while the other program still holds the lock, saying it is busy.
    FavouriteStore store(m_dir->path());
    if (openingWrites) {
        QCOMPARE(store.state(), FavouriteStore::State::Busy);
        QVERIFY(!store.isAvailable());
        QVERIFY(store.all().isEmpty());
    } else {
        QCOMPARE(store.state(), FavouriteStore::State::Ready);
        QCOMPARE(store.count(), shown); // reading waits for no one
    }
    QVERIFY(!store.add(QStringLiteral("TN1NEW"), curves));
    QCOMPARE(store.state(), FavouriteStore::State::Busy);
    QVERIFY(hasChinese(store.problem()));
    QVERIFY(holder.isHolding());
    {
        RawDatabase raw(path(), QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY2(!raw.exec(QStringLiteral("BEGIN IMMEDIATE")), "the lock to be still held");
    }

    QVERIFY2(holder.release(), "the other program to let the lock go");
    if (openingWrites) {
        // The store's own thread was waiting: it makes and marks the file without being asked.
        QTRY_VERIFY2_WITH_TIMEOUT(RawDatabase(path()).value(QStringLiteral("PRAGMA application_id")).toLongLong() == ourMark,
                                  "the store's waiting thread to mark the file once the lock is free", 20000);
    }
    QVERIFY(store.isAvailable());
    QCOMPARE(store.state(), FavouriteStore::State::Ready);
    QCOMPARE(store.problem(), QString());
    QCOMPARE(store.count(), shown);
    QVERIFY(store.add(QStringLiteral("TN1NEW"), curves));
    QCOMPARE(store.count(), shown + 1);
}

void TestFavouriteStore::readOnlyStoreShowsButChangesNothing()
{
    qint64 kept = 0;
    {
        FavouriteStore store(m_dir->path());
        QVERIFY(store.add(QStringLiteral("TN1FIRST"), curves, morning()));
        kept = store.add(QStringLiteral("TN1SECOND"), geometric, morning().addSecs(60))->id;
    }
    const FileSnapshot before = snapshot(path());

    // Opened for reading, as for a file this user cannot write (chmod does not stop root, who
    // runs these tests; the next test has another user look at such a file).
    FavouriteStore store(m_dir->path(), FavouriteStore::Options{250, true});
    QVERIFY(store.isAvailable());
    QCOMPARE(store.state(), FavouriteStore::State::ReadOnly);
    QCOMPARE(codesOf(store.all()), (QStringList{QStringLiteral("TN1SECOND"), QStringLiteral("TN1FIRST")}));
    QVERIFY(hasChinese(store.problem()));
    QVERIFY(!store.add(QStringLiteral("TN1THIRD"), curves));
    QVERIFY(!store.rename(kept, QStringLiteral("新名")));
    QVERIFY(store.remove({kept}).isEmpty());
    QVERIFY(!store.restore({Favourite{99, QStringLiteral("TN1BACK"), QStringLiteral("名"), morning(), curves}}));
    QCOMPARE(store.state(), FavouriteStore::State::ReadOnly);
    QCOMPARE(store.count(), 2);
    QCOMPARE(snapshot(path()), before);
}

void TestFavouriteStore::unwritablePlaceIsOpenedForReading_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::newRow("file mode 0444") << false;
    QTest::newRow("folder this user cannot write") << true;
}

// Another user (nobody, when the tests run as root) opens favourites it may read but not write.
void TestFavouriteStore::unwritablePlaceIsOpenedForReading()
{
    QFETCH(bool, fileWritable);
    const bool root = ::geteuid() == 0;
    const QString folder = m_dir->filePath(QStringLiteral("profile"));
    {
        FavouriteStore store(folder);
        QVERIFY(store.add(QStringLiteral("TN1KEPT"), curves));
    }
    const QString file = QDir(folder).filePath(FavouriteStore::fileName());
    const QFileDevice::Permissions everyoneReads = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions everyoneEnters = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(m_dir->path(), everyoneReads | everyoneEnters | QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(file, everyoneReads | (fileWritable ? QFileDevice::WriteOwner : QFileDevice::Permissions())));
    QVERIFY(QFile::setPermissions(folder, everyoneReads | everyoneEnters | (fileWritable ? QFileDevice::Permissions() : QFileDevice::WriteOwner)));
    // The user who looks owns what it should be able to write, and nothing else.
    const uid_t nobody = 65534;
    if (root) {
        QCOMPARE(::chown(qPrintable(file), fileWritable ? nobody : 0, fileWritable ? nobody : 0), 0);
        QCOMPARE(::chown(qPrintable(folder), fileWritable ? 0 : nobody, fileWritable ? 0 : nobody), 0);
    }
    const FileSnapshot before = snapshot(file);

    QProcess look;
    if (root)
        look.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                               QStringLiteral("--clear-groups"), writerProgram(), folder,
                                               QStringLiteral("--look")});
    else
        look.start(writerProgram(), {folder, QStringLiteral("--look")});
    QVERIFY2(look.waitForFinished(30000), "the other user's look at the favourites to end");
    QVERIFY2(look.exitCode() == 0, look.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(look.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{QStringLiteral("read-only"), QStringLiteral("TN1KEPT"), QStringLiteral("add refused")}));
    QCOMPARE(snapshot(file), before);
    QVERIFY(QFile::setPermissions(folder, everyoneReads | everyoneEnters | QFileDevice::WriteOwner));
}

void TestFavouriteStore::twoProgramsAddingAtOnceLoseNothing()
{
    constexpr int perWriter = 150;
    QProcess first, second;
    first.start(writerProgram(), {m_dir->path(), QStringLiteral("A"), QString::number(perWriter)});
    second.start(writerProgram(), {m_dir->path(), QStringLiteral("B"), QString::number(perWriter)});
    for (QProcess* writer : {&first, &second}) {
        QVERIFY2(writer->waitForFinished(120000), qPrintable(writer->errorString()));
        QVERIFY2(writer->exitStatus() == QProcess::NormalExit && writer->exitCode() == 0,
                 writer->readAllStandardError().constData());
        QCOMPARE(writer->readAllStandardOutput().count('\n'), perWriter);
    }
    FavouriteStore store(m_dir->path());
    QCOMPARE(store.count(), 2 * perWriter);
    const QStringList codes = codesOf(store.all());
    for (const QString& prefix : {QStringLiteral("A"), QStringLiteral("B")}) {
        for (int n = 0; n < perWriter; ++n)
            QVERIFY2(codes.contains(QStringLiteral("%1-%2").arg(prefix).arg(n)), qPrintable(prefix + QString::number(n)));
    }
}

void TestFavouriteStore::killedWriterLeavesEveryPrintedCode()
{
    QProcess writer;
    writer.start(writerProgram(), {m_dir->path(), QStringLiteral("K"), QStringLiteral("0")});
    QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
    QByteArray printed;
    while (printed.count('\n') < 60) {
        QVERIFY2(writer.waitForReadyRead(30000), writer.readAllStandardError().constData());
        printed += writer.readAllStandardOutput();
    }
    writer.kill(); // SIGKILL: no destructor, no close, mid-add
    QVERIFY(writer.waitForFinished(10000));
    printed += writer.readAllStandardOutput();
    // Only whole lines were printed after their add returned.
    const QList<QByteArray> lines = printed.left(printed.lastIndexOf('\n')).split('\n');

    {
        RawDatabase raw(path());
        QCOMPARE(raw.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
    FavouriteStore store(m_dir->path());
    QVERIFY(store.isAvailable());
    QCOMPARE(store.problem(), QString());
    const QStringList codes = codesOf(store.all());
    QVERIFY(codes.size() >= lines.size());
    for (const QByteArray& line : lines)
        QVERIFY2(codes.contains(QString::fromUtf8(line)), line.constData());
}

QTEST_GUILESS_MAIN(TestFavouriteStore)
#include "tst_favouritestore.moc"
