#include "ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>

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
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThumbnailCache::~ThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
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
    m_pool.start([this, code, path = filePath(code), folder = m_folder, size = m_size, draw = m_draw] {
        QImage image = readCached(path, size);
        if (image.isNull()) {
            image = fitted(draw ? draw(code, size) : QImage(), size);
            if (!image.isNull())
                writeCached(folder, path, image);
        }
        QMetaObject::invokeMethod(this, [this, code, image] { deliver(code, image); }, Qt::QueuedConnection);
    });
    return std::nullopt;
}

void ThumbnailCache::deliver(const QString& code, const QImage& image)
{
    m_pending.remove(code);
    if (image.isNull()) {
        m_undrawable.insert(code);
    } else {
        const int costKb = std::max<qsizetype>(1, image.sizeInBytes() / 1024);
        m_pixmaps.insert(code, new QPixmap(QPixmap::fromImage(image)), costKb);
    }
    emit thumbnailReady(code);
}
