#include "FavouritesModel.h"

#include "ThumbnailCache.h"

#include <QPainter>

namespace {

QPixmap placeholder(QSize size, bool undrawable)
{
    QPixmap pixmap(size);
    pixmap.fill(QColor(236, 236, 236));
    if (undrawable) {
        // A cross: this code draws nothing in this program.
        QPainter painter(&pixmap);
        painter.setPen(QPen(QColor(190, 190, 190), 3));
        painter.drawLine(QPoint(size.width() / 3, size.height() / 3), QPoint(2 * size.width() / 3, 2 * size.height() / 3));
        painter.drawLine(QPoint(2 * size.width() / 3, size.height() / 3), QPoint(size.width() / 3, 2 * size.height() / 3));
    }
    return pixmap;
}

QString windowTitle(const QString& window)
{
    return window == QStringLiteral("geometric") ? QStringLiteral("几何图案") : QStringLiteral("曲线图案");
}

} // namespace

FavouritesModel::FavouritesModel(FavouriteStore& store, ThumbnailCache& thumbnails, QObject* parent)
    : QAbstractListModel(parent), m_store(store), m_thumbnails(thumbnails),
      m_placeholder(placeholder(thumbnails.size(), false)), m_undrawable(placeholder(thumbnails.size(), true))
{
    connect(&m_thumbnails, &ThumbnailCache::thumbnailReady, this, &FavouritesModel::thumbnailReady);
}

void FavouritesModel::reload()
{
    beginResetModel();
    m_rows = m_store.all();
    m_rowOfCode.clear();
    for (int row = 0; row < m_rows.size(); ++row)
        m_rowOfCode.insert(m_rows.at(row).code, row);
    endResetModel();
}

int FavouritesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FavouritesModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Favourite& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return row.name;
    case Qt::ToolTipRole:
        return QStringLiteral("%1\n%2，收藏于 %3")
            .arg(row.name, windowTitle(row.window), row.added.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    case Qt::DecorationRole:
        return decoration(row);
    case IdRole:
        return row.id;
    case CodeRole:
        return row.code;
    case ThumbnailReadyRole:
        return m_thumbnails.isKnown(row.code);
    default:
        return {};
    }
}

QVariant FavouritesModel::decoration(const Favourite& row) const
{
    const std::optional<QPixmap> thumbnail = m_thumbnails.request(row.code);
    if (!thumbnail)
        return m_placeholder;
    return thumbnail->isNull() ? m_undrawable : *thumbnail;
}

bool FavouritesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    // An empty name is refused: the item keeps the one it had.
    const QString name = value.toString().trimmed();
    Favourite& row = m_rows[index.row()];
    if (name.isEmpty() || name == row.name || !m_store.rename(row.id, name))
        return false;
    row.name = name;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    return true;
}

Qt::ItemFlags FavouritesModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

void FavouritesModel::thumbnailReady(const QString& code)
{
    const auto found = m_rowOfCode.constFind(code);
    if (found == m_rowOfCode.cend())
        return;
    const QModelIndex changed = index(*found);
    emit dataChanged(changed, changed, {Qt::DecorationRole, ThumbnailReadyRole});
}
