#include "FavouriteDelegate.h"

#include <QLineEdit>

FavouriteDelegate::FavouriteDelegate(QSize itemSize, QObject* parent)
    : QStyledItemDelegate(parent), m_itemSize(itemSize)
{
}

QSize FavouriteDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return m_itemSize;
}

void FavouriteDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The view refills an open editor whenever its item changes, a new thumbnail included.
    if (const auto* line = qobject_cast<QLineEdit*>(editor); line && line->isModified())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}
