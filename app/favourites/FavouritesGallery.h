#pragma once

#include "FavouriteStore.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

class FavouritesModel;
class QAction;
class QLabel;
class QListView;
class QMenu;
class QModelIndex;
class QPushButton;
class QTimer;
class ThumbnailCache;

// What the gallery asks of the pattern windows; it knows nothing else of them.
struct GalleryServices
{
    // Draws the code's picture scaled to fit size; called OFF the GUI thread (thread-safe); a null
    // image when the code does not draw.
    std::function<QImage(const QString& code, QSize size)> drawThumbnail;
    // Shows the code's slide in its window, paused (GUI thread).
    std::function<void(const QString& code)> show;
    // Saves the code's picture as PNG, asking for the file as the canvas menu does and offering the
    // favourite's name as the file's (GUI thread).
    std::function<void(QWidget* owner, const QString& code, const QString& name)> exportPng;
};

// The favourites window: a grid of thumbnails, newest first, each named below. Items are shown,
// renamed in place, copied as codes, exported, removed (with undo while the window is open), or
// shown in turn every few seconds. A store that is unavailable leaves only its message; a
// read-only one shows its favourites with its message, and nothing that would change them.
class FavouritesGallery : public QWidget
{
    Q_OBJECT

public:
    static constexpr int showIntervalMs = 3000;
    static constexpr int thumbnailSide = 160;

    FavouritesGallery(FavouriteStore& store, GalleryServices services, QWidget* parent = nullptr);
    ~FavouritesGallery() override;

    bool isShowing() const;
    // Shown while minimised, the gallery comes back: the favourites show would be out of sight.
    void setVisible(bool visible) override;

public slots:
    // Reads the store again, e.g. after a favourite was added from a canvas.
    void reload();
    // Shows the favourites in turn, the newest at once, wrapping around.
    void startShow();
    void stopShow();
    void removeSelected();
    // Brings the last removal back.
    void undoRemove();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItemAction(const char* name, const QString& text, const QKeySequence& shortcut);
    void createActions();
    void createLayout();
    void createList();
    void openMenu(const QPoint& at);
    void showNext();
    void selectRow(int row);
    QString currentCode() const;
    QString currentName() const;
    void updateState();

    FavouriteStore& m_store;
    GalleryServices m_services;
    ThumbnailCache* m_thumbnails = nullptr;
    FavouritesModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_emptyHint = nullptr;
    QMenu* m_menu = nullptr;
    QPushButton* m_showButton = nullptr;
    QPushButton* m_undoButton = nullptr;
    QTimer* m_showTimer = nullptr;
    QAction* m_undoAction = nullptr;
    QList<QAction*> m_itemActions;
    QList<QAction*> m_changeActions; // rename and delete: off while the store is read-only
    QList<QList<Favourite>> m_removals;
    int m_nextShown = 0;
};
