#include "ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

// At most this many kB of thumbnails in memory; the rest are read again from their files.
constexpr int memoryBudgetKb = 48 * 1024;

QImage readCached(const QString& path, QSize size)
{
    QImageReader reader(path, "png");
    const QImage image = reader.read();
    return image.size() == size ? image : QImage();
}

// Written under another name and renamed, so a second gallery never reads half a file.
void writeCached(const QString& folder, const QString& path, const QImage& image)
{
    if (!QDir().mkpath(folder))
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG"))
        file.commit();
}

// The picture centred on a transparent square of the thumbnail's size, whatever the drawer gave.
QImage fitted(const QImage& drawn, QSize size)
{
    if (drawn.isNull() || drawn.size() == size)
        return drawn;
    const QImage scaled = drawn.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawImage(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled);
    return canvas;
}

} // namespace

ThumbnailCache::ThumbnailCache(Drawer draw, QSize size, const QString& folder, QObject* parent)
    : QObject(parent), m_draw(std::move(draw)), m_size(size), m_folder(folder), m_pixmaps(memoryBudgetKb)
{
    // One core stays with the GUI thread on small machines.
    const int workers = std::max(1, QThread::idealThreadCount() - 1);
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

ThumbnailCache::~ThumbnailCache()
{
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
        m_toMake.clear();
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

QString ThumbnailCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/thumbnails");
}

QString ThumbnailCache::filePath(const QString& code) const
{
    const QByteArray key = QStringLiteral("%1|%2x%3").arg(code).arg(m_size.width()).arg(m_size.height()).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return m_folder + u'/' + QString::fromLatin1(hash) + QStringLiteral(".png");
}

std::optional<QPixmap> ThumbnailCache::request(const QString& code)
{
    if (const QPixmap* pixmap = m_pixmaps.object(code))
        return *pixmap;
    if (m_undrawable.contains(code))
        return QPixmap();
    if (m_pending.contains(code))
        return std::nullopt;
    m_pending.insert(code);
    {
        const std::lock_guard lock(m_lock);
        m_toMake.push_back(code);
    }
    m_wake.notify_one();
    return std::nullopt;
}

void ThumbnailCache::work()
{
    for (;;) {
        QString code;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || !m_toMake.empty(); });
            if (m_stopping)
                return;
            code = std::move(m_toMake.front());
            m_toMake.pop_front();
        }
        const QString path = filePath(code);
        QImage image = readCached(path, m_size);
        if (image.isNull()) {
            image = fitted(m_draw ? m_draw(code, m_size) : QImage(), m_size);
            if (!image.isNull())
                writeCached(m_folder, path, image);
        }
        {
            const std::lock_guard lock(m_lock);
            m_made.push_back({std::move(code), std::move(image)});
        }
        // By name, so that nothing of this thread's making travels with the call.
        QMetaObject::invokeMethod(this, "deliverMade", Qt::QueuedConnection);
    }
}

void ThumbnailCache::deliverMade()
{
    std::vector<Made> made;
    {
        const std::lock_guard lock(m_lock);
        made.swap(m_made);
    }
    for (const Made& thumbnail : made) {
        m_pending.remove(thumbnail.code);
        if (thumbnail.image.isNull()) {
            m_undrawable.insert(thumbnail.code);
        } else {
            const int costKb = std::max<qsizetype>(1, thumbnail.image.sizeInBytes() / 1024);
            m_pixmaps.insert(thumbnail.code, new QPixmap(QPixmap::fromImage(thumbnail.image)), costKb);
        }
        emit thumbnailReady(thumbnail.code);
    }
}
