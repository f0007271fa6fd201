#pragma once

#include "app/canvas/PatternActions.h"
#include "app/widgets/SlideShowClock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class PictureSource;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class SlideNavigator;

// The right-click menu of a pattern canvas: copy the pattern, its full code, save it as PNG, as PNG
// at four times the size, or as SVG, export it at a chosen size, open a pattern file, keep the
// pattern as a favourite, step through the kept slides, show it in full screen. The picture and
// its codes are taken when the menu opens, and the pattern actions work on that, so a slide that
// follows while a dialog is open changes nothing in what is copied, saved or kept. The window's
// show is held while the menu or a dialog opened from it is up. What reaches beyond the window
// (the code dialog, files, favourites) is asked for by signals. PNG and SVG files dropped on the
// canvas are passed on the same way.
class CanvasMenu : public QObject
{
    Q_OBJECT

public:
    using Snapshot = std::function<std::shared_ptr<const PictureSource>()>;
    using CodeSource = std::function<QString()>;
    using FileChooser = PatternActions::FileChooser;
    using ErrorReporter = PatternActions::ErrorReporter;

    // Watches canvas (and the labels inside it) for context-menu requests; owned by canvas.
    CanvasMenu(QWidget* canvas, Snapshot snapshot, CodeSource code);

    QMenu* menu() const { return m_menu; }
    void setFileChooser(FileChooser chooser) { m_actions->setFileChooser(std::move(chooser)); }
    void setErrorReporter(ErrorReporter reporter) { m_actions->setErrorReporter(std::move(reporter)); }
    // Adds the items that step through the window's kept slides (after a separator).
    void setNavigator(SlideNavigator* navigator);
    // The full code of the shown slide; empty when the canvas shows no slide as it was drawn.
    void setFullCodeSource(CodeSource fullCode) { m_fullCode = std::move(fullCode); }
    // The window's show: it waits while the menu or a dialog opened from it is up, so that what is
    // saved is what was seen, and goes on afterwards if it was running.
    void setShowClock(SlideShowClock* clock);
    bool holdingShow() const;
    // "全屏放映" is checked while the window's full-screen show is up.
    void setFullScreenShown(bool shown);

    // Takes the picture and code now and shows the menu at globalPos without waiting.
    void openAt(const QPoint& globalPos);

    void copyShownPattern() { m_actions->copy(m_shown); }
    void saveShownPattern(ExportKind kind) { m_actions->save(m_shown, kind); }
    // "导出图案…": the export dialog, the file dialog, then the export behind a progress dialog.
    void exportShownPattern() { m_actions->exportPattern(m_shown); }
    QString shownFullCode() const { return m_shown.fullCode; }

signals:
    // "全屏放映"
    void fullScreenRequested();
    // "图案代码…": the code of the shown slide (may be empty).
    void patternCodeRequested(const QString& shownFullCode);
    // "打开图案文件…"
    void openFileRequested();
    // A file dropped on the canvas.
    void fileDropped(const QString& path);
    // "收藏图案": the shown slide's code.
    void addFavouriteRequested(const QString& fullCode);
    // "收藏夹…"
    void favouritesRequested();
    // A save or export has ended (written, failed or cancelled), after the user was told.
    void patternWritten(const QString& path, const OutputResult& result);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addMenuAction(const char* name, const QString& text);
    bool isKeyboardMenuInWindow(QObject* watched, const QEvent& event) const;
    void enableItems();
    // The menu's own hold on the show, from opening until after the chosen item has run.
    void holdWhileUp();
    void releaseWhenDown();

    QPointer<QWidget> m_canvas;
    QMenu* m_menu = nullptr;
    Snapshot m_snapshot;
    CodeSource m_code;
    CodeSource m_fullCode;
    PatternActions* m_actions;
    SlideNavigator* m_navigator = nullptr;
    QPointer<SlideShowClock> m_showClock;
    // Openings not yet let go of: the menu may open again before the last closing is over.
    int m_openings = 0;
    std::optional<SlideShowClock::Hold> m_hold;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    QAction* m_addFavourite = nullptr;
    QAction* m_fullScreen = nullptr;
    // The picture and codes taken when the menu opened.
    PatternPicture m_shown;
};

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code);
