#include "FavouritesGallery.h"

#include "FavouriteDelegate.h"
#include "FavouritesModel.h"
#include "ThumbnailCache.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

FavouritesGallery::FavouritesGallery(FavouriteStore& store, GalleryServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_store(store), m_services(std::move(services))
{
    setObjectName(QStringLiteral("frmFavourites"));
    setWindowTitle(QStringLiteral("澄岚图案收藏夹"));
    m_thumbnails = new ThumbnailCache(m_services.drawThumbnail, QSize(thumbnailSide, thumbnailSide),
                                      ThumbnailCache::defaultFolder(), this);
    m_model = new FavouritesModel(m_store, *m_thumbnails, this);
    m_showTimer = new QTimer(this);
    m_showTimer->setObjectName(QStringLiteral("favouritesShowTimer"));
    m_showTimer->setInterval(showIntervalMs);
    connect(m_showTimer, &QTimer::timeout, this, &FavouritesGallery::showNext);
    createLayout();
    createActions();
    resize(760, 560);
    reload();
}

FavouritesGallery::~FavouritesGallery()
{
    // The view goes before the model and the cache it reads from.
    delete m_list;
}

bool FavouritesGallery::isShowing() const
{
    return m_showTimer->isActive();
}

void FavouritesGallery::setVisible(bool visible)
{
    if (visible && isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    QWidget::setVisible(visible);
}

void FavouritesGallery::createLayout()
{
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblFavouritesProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_emptyHint = new QLabel(QStringLiteral("还没有收藏的图案。在图案上单击右键，选择“收藏图案”即可收藏。"), this);
    m_emptyHint->setObjectName(QStringLiteral("lblFavouritesEmpty"));
    m_emptyHint->setWordWrap(true);
    createList();

    m_showButton = new QPushButton(QStringLiteral("放映收藏"), this);
    m_showButton->setObjectName(QStringLiteral("cmdFavouritesShow"));
    m_showButton->setCheckable(true);
    connect(m_showButton, &QPushButton::clicked, this, [this](bool on) { on ? startShow() : stopShow(); });
    m_undoButton = new QPushButton(QStringLiteral("撤销"), this);
    m_undoButton->setObjectName(QStringLiteral("cmdUndoRemove"));
    connect(m_undoButton, &QPushButton::clicked, this, &FavouritesGallery::undoRemove);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_showButton);
    buttons->addStretch();
    buttons->addWidget(m_undoButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_problem);
    layout->addWidget(m_emptyHint);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
}

void FavouritesGallery::createList()
{
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("lstFavourites"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWrapping(true);
    m_list->setWordWrap(true);
    // One size for every item: laying out the grid reads no item's picture.
    m_list->setUniformItemSizes(true);
    m_list->setIconSize(QSize(thumbnailSide, thumbnailSide));
    const int textHeight = 2 * m_list->fontMetrics().lineSpacing();
    m_list->setItemDelegate(new FavouriteDelegate(QSize(thumbnailSide + 16, thumbnailSide + textHeight + 8), m_list));
    m_list->setGridSize(QSize(thumbnailSide + 24, thumbnailSide + textHeight + 16));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setModel(m_model);
    connect(m_list, &QListView::customContextMenuRequested, this, &FavouritesGallery::openMenu);
    connect(m_list, &QListView::activated, this, [this](const QModelIndex& index) {
        if (m_services.show)
            m_services.show(index.data(FavouritesModel::CodeRole).toString());
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FavouritesGallery::updateState);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &FavouritesGallery::updateState);
}

QAction* FavouritesGallery::addItemAction(const char* name, const QString& text, const QKeySequence& shortcut)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    // Keys reach the grid only while the gallery has the focus; an open name editor keeps its own.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    m_menu->addAction(action);
    m_itemActions.append(action);
    return action;
}

void FavouritesGallery::createActions()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnuFavourite"));
    connect(addItemAction("actShowFavourite", QStringLiteral("显示"), {}), &QAction::triggered, this, [this] {
        if (m_services.show && !currentCode().isEmpty())
            m_services.show(currentCode());
    });
    QAction* rename = addItemAction("actRenameFavourite", QStringLiteral("重命名"), Qt::Key_F2);
    connect(rename, &QAction::triggered, this, [this] {
        if (m_list->currentIndex().isValid())
            m_list->edit(m_list->currentIndex());
    });
    connect(addItemAction("actCopyFavouriteCode", QStringLiteral("复制代码"), QKeySequence::Copy), &QAction::triggered,
            this, [this] {
                if (!currentCode().isEmpty())
                    QGuiApplication::clipboard()->setText(currentCode());
            });
    connect(addItemAction("actExportFavourite", QStringLiteral("导出…"), {}), &QAction::triggered, this, [this] {
        if (m_services.exportPng && !currentCode().isEmpty())
            m_services.exportPng(this, currentCode(), currentName());
    });
    m_menu->addSeparator();
    QAction* remove = addItemAction("actDeleteFavourite", QStringLiteral("删除"), QKeySequence::Delete);
    connect(remove, &QAction::triggered, this, &FavouritesGallery::removeSelected);
    m_changeActions = {rename, remove};
    // Ctrl+Z, like the button; not in the item menu.
    m_undoAction = new QAction(QStringLiteral("撤销"), this);
    m_undoAction->setObjectName(QStringLiteral("actUndoRemove"));
    m_undoAction->setShortcut(QKeySequence::Undo);
    m_undoAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_undoAction);
    connect(m_undoAction, &QAction::triggered, this, &FavouritesGallery::undoRemove);
}

void FavouritesGallery::openMenu(const QPoint& at)
{
    const QModelIndex index = m_list->indexAt(at);
    if (!index.isValid() || !m_store.isAvailable())
        return;
    // Within a selection the clicked item becomes the one acted on and the selection stays.
    if (m_list->selectionModel()->isSelected(index))
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    else
        m_list->setCurrentIndex(index);
    updateState();
    m_menu->popup(m_list->viewport()->mapToGlobal(at));
}

QString FavouritesGallery::currentCode() const
{
    return m_list->currentIndex().data(FavouritesModel::CodeRole).toString();
}

QString FavouritesGallery::currentName() const
{
    return m_list->currentIndex().data(Qt::EditRole).toString();
}

void FavouritesGallery::reload()
{
    const int current = m_list->currentIndex().row();
    m_model->reload();
    if (current >= 0)
        selectRow(std::min(current, m_model->rowCount() - 1));
    updateState();
}

void FavouritesGallery::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
}

void FavouritesGallery::updateState()
{
    const bool available = m_store.isAvailable();
    const bool hasItems = available && m_model->rowCount() > 0;
    m_problem->setText(m_store.problem());
    m_problem->setVisible(!m_store.problem().isEmpty());
    m_emptyHint->setVisible(available && !hasItems);
    m_list->setVisible(available);
    const bool writable = available && m_store.state() == FavouriteStore::State::Ready;
    const bool hasCurrent = hasItems && m_list->currentIndex().isValid();
    for (QAction* action : std::as_const(m_itemActions))
        action->setEnabled(hasCurrent && (writable || !m_changeActions.contains(action)));
    m_list->setEditTriggers(writable ? QAbstractItemView::EditKeyPressed : QAbstractItemView::NoEditTriggers);
    m_showButton->setEnabled(hasItems || isShowing());
    m_undoButton->setEnabled(writable && !m_removals.isEmpty());
    m_undoAction->setEnabled(m_undoButton->isEnabled());
}

void FavouritesGallery::removeSelected()
{
    QList<qint64> ids;
    int firstRow = m_model->rowCount();
    for (const QModelIndex& index : m_list->selectionModel()->selectedIndexes()) {
        ids.append(index.data(FavouritesModel::IdRole).toLongLong());
        firstRow = std::min(firstRow, index.row());
    }
    if (ids.isEmpty() && m_list->currentIndex().isValid()) {
        ids.append(m_list->currentIndex().data(FavouritesModel::IdRole).toLongLong());
        firstRow = m_list->currentIndex().row();
    }
    const QList<Favourite> removed = m_store.remove(ids);
    if (removed.isEmpty())
        return;
    m_removals.append(removed);
    m_model->reload();
    selectRow(std::min(firstRow, m_model->rowCount() - 1));
    updateState();
}

void FavouritesGallery::undoRemove()
{
    if (m_removals.isEmpty())
        return;
    const QList<Favourite> rows = m_removals.takeLast();
    if (!m_store.restore(rows))
        m_removals.append(rows); // still there to try again
    m_model->reload();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->favourite(row).id == rows.constFirst().id)
            selectRow(row);
    }
    updateState();
}

void FavouritesGallery::startShow()
{
    if (!m_store.isAvailable() || m_model->rowCount() == 0) {
        m_showButton->setChecked(false);
        return;
    }
    m_nextShown = 0;
    m_showButton->setChecked(true);
    // While the show runs, the button is the way to stop it.
    m_showButton->setText(QStringLiteral("停止放映"));
    m_showTimer->start();
    showNext();
}

void FavouritesGallery::stopShow()
{
    m_showTimer->stop();
    m_showButton->setChecked(false);
    m_showButton->setText(QStringLiteral("放映收藏"));
    updateState();
}

void FavouritesGallery::showNext()
{
    const int count = m_model->rowCount();
    if (count == 0) {
        stopShow();
        return;
    }
    const int row = m_nextShown % count;
    m_nextShown = row + 1;
    selectRow(row);
    if (m_services.show)
        m_services.show(m_model->favourite(row).code);
}

void FavouritesGallery::closeEvent(QCloseEvent* event)
{
    stopShow();
    QWidget::closeEvent(event);
}
