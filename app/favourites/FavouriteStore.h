#pragma once

#include "FavouriteSchema.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <future>
#include <memory>
#include <optional>

// One kept slide: its full code, the window that draws it ("curves" or "geometric"), the name the
// user sees and the time it was kept (read back with the UTC offset it was written with).
struct Favourite
{
    qint64 id = 0;
    QString code;
    QString name;
    QDateTime added;
    QString window;
};

// The favourites database, favourites.sqlite in the program's data folder. Every change is one
// transaction, so two programs may add at once and a killed program loses at most the change in
// flight. A store that could not be opened answers every call with a failure; problem() then says
// why, in words for the user. A store that found another program's lock tries again on its next
// use, and meanwhile waits for the lock on a thread of its own. Used from the thread that
// created it.
class FavouriteStore
{
public:
    static constexpr int schemaVersion = 1;

    // How the last use went: Ready and ReadOnly show the favourites, only Ready keeps new ones.
    enum class State {
        Ready,
        ReadOnly,    // the file or its folder cannot be written: shown, not changed
        Busy,        // another program held the lock: the next use tries again
        Unavailable, // see problem()
    };

    struct Options
    {
        // How long a call waits for another program's lock before the store says it is busy.
        int lockWaitMs;
        // Opens for reading only, as is done by itself for a file or folder this user cannot
        // write (tests ask for it: they run as root, whom file modes do not stop).
        bool readOnly;
    };
    // A window's store waits briefly: a second program adding holds the lock for milliseconds.
    static constexpr Options windowOptions{250, false};

    // The database in the program's data folder.
    FavouriteStore();
    // The database in folder (tests, a second profile).
    explicit FavouriteStore(const QString& folder, Options options = windowOptions);
    ~FavouriteStore();
    FavouriteStore(const FavouriteStore&) = delete;
    FavouriteStore& operator=(const FavouriteStore&) = delete;

    static QString defaultFolder();
    static QString fileName();
    QString filePath() const;

    // Whether the favourites can be shown (Ready or ReadOnly); a busy store tries again first.
    bool isAvailable();
    State state() const;
    // Empty when all is well; otherwise what went wrong, in Chinese. A damaged database that was
    // moved aside leaves a message here while the new one works.
    QString problem() const;

    // Keeps code; a code that is already kept is returned as it is, unchanged. The name defaults to
    // the time it was added. Nothing, with state() saying why, when the store is read-only or busy.
    std::optional<Favourite> add(const QString& code, const QString& window,
                                 const QDateTime& added = QDateTime::currentDateTime(), const QString& name = {});
    // Newest first; equal times by id, the later first.
    QList<Favourite> all();
    int count();
    // False for an empty name or an id that is not there.
    bool rename(qint64 id, const QString& name);
    // The rows removed, for undo.
    QList<Favourite> remove(const QList<qint64>& ids);
    // Puts removed rows back with their ids, names and times; rows whose code was kept again in
    // the meantime stay as they are now.
    bool restore(const QList<Favourite>& rows);

    // "2026-12-11 08:30:05": the local time of added.
    static QString defaultName(const QDateTime& added);

private:
    void open();
    void openAfterMovingAside(OpenResult& result);
    // At the start of each use: a busy store tries again. Whether the favourites can be read.
    bool readable();
    // Whether a change may be tried now.
    bool writable();
    // Notes a change that could not begin; false.
    bool refused(WriteOutcome outcome);
    void waitForLockInBackground();

    QString m_connection;
    QString m_folder;
    QString m_path;
    QString m_problem;
    Options m_options;
    State m_state = State::Unavailable;
    std::shared_ptr<std::atomic<bool>> m_stopWaiting;
    std::future<void> m_waiter;
};
