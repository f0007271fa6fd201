#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Thumbnails of pattern codes, drawn on request off the GUI thread. A finished thumbnail is kept
// in memory and as a PNG file in the cache folder, so the next gallery reads it instead of drawing
// it; the folder may vanish at any time, and a missing or unreadable file is simply drawn again.
// Work goes to the workers and comes back through queues under one lock, so that each side sees
// what the other wrote.
class ThumbnailCache : public QObject
{
    Q_OBJECT

public:
    // Thread-safe: runs on the workers' threads. A null image when the code does not draw.
    using Drawer = std::function<QImage(const QString& code, QSize size)>;

    ThumbnailCache(Drawer draw, QSize size, const QString& folder, QObject* parent = nullptr);
    // Waits for the thumbnails being made: none is delivered to a deleted cache.
    ~ThumbnailCache() override;

    // <cache folder>/thumbnails
    static QString defaultFolder();
    // The file a code's thumbnail of this size is kept in.
    QString filePath(const QString& code) const;
    QSize size() const { return m_size; }

    // The thumbnail if it is at hand; otherwise starts making it (once) and returns nothing.
    // A code that does not draw answers a null pixmap.
    std::optional<QPixmap> request(const QString& code);
    // Whether request() would answer at once; starts nothing.
    bool isKnown(const QString& code) const { return m_pixmaps.contains(code) || m_undrawable.contains(code); }

signals:
    void thumbnailReady(const QString& code);

private:
    struct Made
    {
        QString code;
        QImage image;
    };

    void work();
    Q_INVOKABLE void deliverMade();

    const Drawer m_draw;
    const QSize m_size;
    const QString m_folder;

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<QString> m_toMake; // codes waiting for a worker
    std::vector<Made> m_made;      // thumbnails waiting for this thread
    bool m_stopping = false;
    std::vector<std::thread> m_workers;

    QCache<QString, QPixmap> m_pixmaps;
    QSet<QString> m_pending;
    QSet<QString> m_undrawable;
};
