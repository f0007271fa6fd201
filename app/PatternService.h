#pragma once

#include "draw/pattern/PatternCode.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class CanvasMenu;
class FavouriteStore;
class FavouritesGallery;
class QWidget;

// What a pattern does beyond its window: shown again from its full code, from a file that holds
// one, or from the favourites. It opens the window a slide belongs to, places it as the main
// window's button would, and shows the slide there, paused.
class PatternService : public QObject
{
    Q_OBJECT

public:
    static PatternService& instance();

    // Connects a pattern window's canvas menu and play signal; called for each new window.
    void attachWindow(QWidget* window);

    // Shows the slide in its window, opening the window if needed.
    void showRecipe(const SlideRecipe& recipe);
    // Shows the slide a code names; the problem otherwise (nothing is shown then).
    PatternCode::Problem showCode(const QString& text);

    // "图案代码…": the dialog, then the slide of the code typed there.
    void askForCode(QWidget* owner, const QString& shownCode);
    // "打开图案文件…": a file dialog, then the file's slide.
    void askForFile(QWidget* owner);
    // Shows the slide a PNG or SVG file names; a message box tells why not. True when shown.
    bool openFile(QWidget* owner, const QString& path);

    // Keeps the code as a favourite; a message box tells why not.
    void addFavourite(QWidget* owner, const QString& code);
    // Opens the gallery, or brings it to the front.
    void showFavourites();
    // The store, opened on first use.
    FavouriteStore& favourites();

    // Forgets the gallery and the store (tests).
    void reset();

private:
    PatternService();
    ~PatternService() override;
    void stopFavouritesShow();
    // The store, telling the user once about a problem found when opening it.
    FavouriteStore& openedFavourites(QWidget* owner);

    std::unique_ptr<FavouriteStore> m_store;
    QPointer<FavouritesGallery> m_gallery;
};

// The picture of a code, scaled to fit size; a null image for a text that names no slide. Safe
// off the GUI thread.
QImage patternThumbnail(const QString& code, QSize size);
