#pragma once

#include "draw/export/ExportNames.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class PictureSource;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class SlideNavigator;

// The right-click menu of a pattern canvas: copy the pattern, save it as PNG, as PNG at four
// times the size, or as SVG. The picture and its code are taken when the menu opens, so a slide
// that follows while a dialog is open changes nothing in what is copied or saved.
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

    // Takes the picture and code now and shows the menu at globalPos without waiting.
    void openAt(const QPoint& globalPos);

    void copyShownPattern();
    void saveShownPattern(ExportKind kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addMenuAction(const char* name, const QString& text);
    void enableItems();

    QPointer<QWidget> m_canvas;
    QMenu* m_menu = nullptr;
    Snapshot m_snapshot;
    CodeSource m_code;
    FileChooser m_chooseFile;
    ErrorReporter m_reportError;
    SlideNavigator* m_navigator = nullptr;
    QAction* m_previous = nullptr;
    QAction* m_next = nullptr;
    std::shared_ptr<const PictureSource> m_shownPicture;
    QString m_shownCode;
};

// The message for a failed save: the file and the reason, in Chinese.
QString saveFailureMessage(const QString& path, const QString& reason);

// Shows the failure as a warning box owned by the canvas's window.
void showSaveFailure(QWidget* owner, const QString& message);

CanvasMenu* attachCanvasMenu(QWidget* canvas, CanvasMenu::Snapshot snapshot, CanvasMenu::CodeSource code);
