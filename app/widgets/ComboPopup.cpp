#include "app/widgets/ComboPopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>

void fitPopupToEntries(QComboBox* combo)
{
    QAbstractItemView* view = combo->view();
    // The list shows a scroll bar once it holds more entries than it shows at a time.
    const int scrollBar = combo->count() > combo->maxVisibleItems() ? view->verticalScrollBar()->sizeHint().width() : 0;
    const int frame = 2 * view->frameWidth();
    view->setMinimumWidth(view->sizeHintForColumn(0) + scrollBar + frame);
}
