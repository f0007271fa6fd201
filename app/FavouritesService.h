#pragma once

#include <QObject>
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>

#include <memory>

class FavouriteStore;
class FavouritesGallery;
class QWidget;

// The favourites beyond the gallery's own window: the store opened on first use, keeping the
// shown slide from a canvas menu, the gallery with its show (ended by play in a pattern window)
// and its export of a favourite as PNG.
class FavouritesService : public QObject
{
    Q_OBJECT

public:
    static FavouritesService& instance();

    // Connects a pattern window's favourites requests and its play; called for each new window.
    void attachWindow(QWidget* window);

    // Keeps the code as a favourite and notes "已收藏" on the window's canvas; a message box
    // tells why not.
    void addFavourite(QWidget* owner, const QString& code);
    // Opens the gallery, or brings it to the front.
    void showFavourites();
    // The store, opened on first use.
    FavouriteStore& favourites();

    // Forgets the gallery and the store (tests, and the program's end).
    void reset();

private:
    FavouritesService();
    ~FavouritesService() override;
    void stopFavouritesShow();
    // The store, telling the user once about a problem found when opening it.
    FavouriteStore& openedFavourites(QWidget* owner);

    std::unique_ptr<FavouriteStore> m_store;
    QPointer<FavouritesGallery> m_gallery;
};

// The picture of a code, scaled to fit size; a null image for a text that names no slide. Safe
// off the GUI thread.
QImage patternThumbnail(const QString& code, QSize size);
