#pragma once

#include "FavouriteStore.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>

class ThumbnailCache;

// The favourites as a list, newest first: the name to show and edit, and the thumbnail, asked for
// only when a view wants an item's picture. A rename is saved to the store at once.
class FavouritesModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        CodeRole,
        // True once the item's own picture (or its failure to draw) is known; never starts drawing.
        ThumbnailReadyRole,
    };

    FavouritesModel(FavouriteStore& store, ThumbnailCache& thumbnails, QObject* parent = nullptr);

    // Reads the store again.
    void reload();
    const Favourite& favourite(int row) const { return m_rows.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void thumbnailReady(const QString& code);
    QVariant decoration(const Favourite& row) const;

    FavouriteStore& m_store;
    ThumbnailCache& m_thumbnails;
    QList<Favourite> m_rows;
    QHash<QString, int> m_rowOfCode;
    QPixmap m_placeholder;
    QPixmap m_undrawable;
};
