#pragma once

#include "app/canvas/SaveDialog.h"
#include "app/output/OutputRunner.h"
#include "draw/output/ExportNames.h"
#include "draw/output/OutputJob.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QString>

#include <functional>
#include <memory>

class PictureSource;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class SlideNavigator;

// The right-click menu of a pattern canvas: copy the pattern, its full code, save it as PNG, as PNG
// at four times the size, or as SVG, export it at a chosen size (PNG, SVG or PDF); every file is
// an output job written by a worker thread. Open a pattern file, keep the pattern as a favourite. The
// picture and its codes are taken when the menu opens, so a slide that follows while a dialog is
// open changes nothing in what is copied, saved or kept. What reaches beyond the window (the code
// dialog, files, favourites) is asked for by signals. PNG and SVG files dropped on the canvas are
// passed on the same way.
class CanvasMenu : public QObject
{
    Q_OBJECT

public:
    using Snapshot = std::function<std::shared_ptr<const PictureSource>()>;
    using CodeSource = std::function<QString()>;
    // Returns the file to write, or an empty string to cancel.
    using FileChooser = std::function<QString(QWidget* owner, const SaveRequest& request)>;
    using ErrorReporter = std::function<void(QWidget* owner, const QString& message)>;

    // Watches canvas (and the labels inside it) for context-menu requests; owned by canvas.
    CanvasMenu(QWidget* canvas, Snapshot snapshot, CodeSource code);

    QMenu* menu() const { return m_menu; }
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }
    // Adds the items that step through the window's kept slides (after a separator).
    void setNavigator(SlideNavigator* navigator);
    // The full code of the shown slide; empty when the canvas shows no slide as it was drawn.
    void setFullCodeSource(CodeSource fullCode) { m_fullCode = std::move(fullCode); }
    // The window's show timer: it waits while the menu or a dialog opened from it is up, so that
    // what is saved is what was seen, and goes on afterwards if it was running.
    void setShowTimer(QTimer* timer) { m_showTimer = timer; }
    bool holdingShow() const { return m_holds > 0; }
    // "全屏放映" is checked while the window's full-screen show is up.
    void setFullScreenShown(bool shown);

    // Takes the picture and code now and shows the menu at globalPos without waiting.
    void openAt(const QPoint& globalPos);

    void copyShownPattern();
    void saveShownPattern(ExportKind kind);
    // "导出图案…": the export dialog, the file dialog, then the export behind a progress dialog.
    void exportShownPattern();
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
    void holdShow();
    void releaseShow();
    // Runs the job off the user-interface thread; tells the user how it ended.
    void runJob(OutputJob job, ProgressShown shown);
    // Holds the show for as long as it lives.
    struct ShowHold;

    QPointer<QWidget> m_canvas;
    QMenu* m_menu = nullptr;
    Snapshot m_snapshot;
    CodeSource m_code;
    CodeSource m_fullCode;
    FileChooser m_chooseFile;
    ErrorReporter m_reportError;
    SlideNavigator* m_navigator = nullptr;
    QPointer<QTimer> m_showTimer;
    int m_holds = 0;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    QAction* m_addFavourite = nullptr;
    QAction* m_fullScreen = nullptr;
    // The picture and codes taken when the menu opened.
    PatternPicture m_shown;
};

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code);
