#pragma once

#include "app/canvas/SaveDialog.h"
#include "app/output/OutputRunner.h"
#include "draw/output/ExportNames.h"
#include "draw/output/OutputJob.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;
class SlideShowClock;

// What the canvas menu's items do with the picture taken when it opened: copy it, save it as PNG,
// as PNG at four times the size or as SVG, or export it at a chosen size. Every file is an output
// job written by a worker thread, followed by a short note on the canvas and the folder
// remembered; a failure is told to the user in the canvas's window. The window's show waits while
// a dialog of these is up, so that what is saved is what was seen.
class PatternActions : public QObject
{
    Q_OBJECT

public:
    // Returns the file to write, or an empty string to cancel.
    using FileChooser = std::function<QString(QWidget* owner, const SaveRequest& request)>;
    using ErrorReporter = std::function<void(QWidget* owner, const QString& message)>;

    // Notes go on canvas; dialogs belong to its window.
    PatternActions(QWidget* canvas, QObject* parent);

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }
    void setShowClock(SlideShowClock* clock) { m_showClock = clock; }

    void copy(const PatternPicture& pattern);
    // By value: the dialogs run event loops in which the menu may open again and take another picture.
    void save(PatternPicture pattern, ExportKind kind);
    // The export dialog, the file dialog, then the export behind a progress dialog.
    void exportPattern(PatternPicture pattern);

signals:
    // A save or export has ended (written, failed or cancelled), after the user was told.
    void patternWritten(const QString& path, const OutputResult& result);

private:
    QWidget* owner() const;
    // Runs the job off the user-interface thread; tells the user how it ended.
    void runJob(OutputJob job, ProgressShown shown, std::function<void()> written = {});

    QPointer<QWidget> m_canvas;
    QPointer<SlideShowClock> m_showClock;
    FileChooser m_chooseFile;
    ErrorReporter m_reportError;
};
