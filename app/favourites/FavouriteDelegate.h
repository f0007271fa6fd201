#pragma once

#include <QSize>
#include <QStyledItemDelegate>

// Draws a favourite as the style does (thumbnail, name below), but gives every item one size
// without reading it: laying out the grid must not ask for any thumbnail. A name being typed is
// kept when the item's thumbnail arrives meanwhile.
class FavouriteDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    FavouriteDelegate(QSize itemSize, QObject* parent);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

private:
    QSize m_itemSize;
};
