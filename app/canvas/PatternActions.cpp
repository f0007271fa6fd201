#include "app/canvas/PatternActions.h"

#include "app/canvas/ExportDialog.h"
#include "app/canvas/SaveFolder.h"
#include "app/messages/OutputMessages.h"
#include "app/output/PatternClipboard.h"
#include "app/widgets/SlideShowClock.h"
#include "app/widgets/StatusNote.h"

#include <QFileInfo>
#include <QWidget>

#include <optional>

PatternActions::PatternActions(QWidget* canvas, QObject* parent)
    : QObject(parent),
      m_canvas(canvas),
      m_chooseFile(askSaveFileName),
      m_reportError(showSaveFailure)
{
    setObjectName(QStringLiteral("patternActions"));
}

QWidget* PatternActions::owner() const { return m_canvas ? m_canvas->window() : nullptr; }

void PatternActions::copy(const PatternPicture& pattern)
{
    if (!pattern.picture)
        return;
    copyPattern(pattern);
    showStatusNote(m_canvas, QStringLiteral("已复制"));
}

void PatternActions::save(PatternPicture pattern, ExportKind kind)
{
    QWidget* owner = this->owner();
    if (!pattern.picture)
        return;
    std::optional<SlideShowClock::Hold> hold(std::in_place, m_showClock);
    const QString path = m_chooseFile(owner, saveRequestFor(kind, pattern.code));
    if (path.isEmpty())
        return;
    OutputJob job;
    if (kind == ExportKind::Svg) {
        job = asShownJob(pattern, 1.0, ExportFormat::Svg, path);
    } else {
        const PictureTarget target = pictureTargetFor(path);
        // The file dialog asked about the name typed, not about the one with ".png" added.
        if (target.path != path && !confirmReplacing(owner, target.path))
            return;
        job = asShownJob(pattern, kind == ExportKind::Png4x ? 4.0 : 1.0, target.format, target.path);
    }
    // The name is chosen: the show goes on while the file is written.
    hold.reset();
    runJob(std::move(job), ProgressShown::WhenSlow);
}

void PatternActions::exportPattern(PatternPicture pattern)
{
    QWidget* owner = this->owner();
    if (!pattern.picture)
        return;
    // On the heap and watched: a window closed meanwhile takes the dialog and these actions with it.
    const QPointer<PatternActions> self(this);
    std::optional<SlideShowClock::Hold> hold(std::in_place, m_showClock);
    const QPointer<ExportDialog> dialog = new ExportDialog(pattern.picture, owner);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog || !self)
        return;
    const std::optional<ExportFrame> frame = dialog->reading().frame;
    const ExportFormat format = dialog->format();
    // Remembered for the next export only once this one is written.
    const ExportChoice choice = dialog->choice();
    delete dialog;
    if (!accepted || !frame)
        return;
    const QString path = m_chooseFile(owner, exportRequestFor(format, pattern.code, rememberedSaveFolder()));
    if (path.isEmpty() || !self)
        return;

    OutputJob job;
    job.pattern = pattern;
    job.frame = *frame;
    job.format = format;
    job.path = path;
    if (format == ExportFormat::Png) {
        const PictureTarget target = pictureTargetFor(path);
        job.path = target.path;
        job.format = target.format;
        if (job.path != path && !confirmReplacing(owner, job.path))
            return;
    }
    // The choices are made: the show goes on while the file is written.
    hold.reset();
    runJob(std::move(job), ProgressShown::AtOnce, [choice] { rememberExportChoice(choice); });
}

void PatternActions::runJob(OutputJob job, ProgressShown shown, std::function<void()> written)
{
    const QString path = job.path;
    // Watched: the window may go between the worker's end and the report.
    const QPointer<PatternActions> self(this);
    runJobWithProgress(owner(), std::move(job), [self, path, written](const OutputResult& result) {
        // What is remembered for the next time does not depend on the window still being there.
        if (result.ok()) {
            rememberSaveFolder(path);
            if (written)
                written();
        }
        if (!self)
            return;
        if (result.ok())
            showStatusNote(self->m_canvas, QStringLiteral("已保存到 %1").arg(QFileInfo(path).absolutePath()));
        else if (!result.cancelled())
            self->m_reportError(self->owner(), saveFailureMessage(path, result.error));
        emit self->patternWritten(path, result);
    }, shown);
}
