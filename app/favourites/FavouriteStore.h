#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

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
// why, in words for the user. Used from the thread that created it.
class FavouriteStore
{
public:
    static constexpr int schemaVersion = 1;

    // The database in the program's data folder.
    FavouriteStore();
    // The database in folder (tests, a second profile).
    explicit FavouriteStore(const QString& folder);
    ~FavouriteStore();
    FavouriteStore(const FavouriteStore&) = delete;
    FavouriteStore& operator=(const FavouriteStore&) = delete;

    static QString defaultFolder();
    static QString fileName();
    QString filePath() const;

    bool isAvailable() const;
    // Empty when all is well; otherwise what went wrong, in Chinese. A damaged database that was
    // moved aside leaves a message here while the new one works.
    QString problem() const;

    // Keeps code; a code that is already kept is returned as it is, unchanged. The name defaults to
    // the time it was added.
    std::optional<Favourite> add(const QString& code, const QString& window,
                                 const QDateTime& added = QDateTime::currentDateTime(), const QString& name = {});
    // Newest first; equal times by id, the later first.
    QList<Favourite> all() const;
    int count() const;
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
    void open(const QString& folder);

    QString m_connection;
    QString m_path;
    QString m_problem;
    bool m_available = false;
};
