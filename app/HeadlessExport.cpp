#include "app/HeadlessExport.h"

#include "app/messages/OutputMessages.h"
#include "app/messages/PatternMessages.h"
#include "app/output/StopSignals.h"
#include "draw/output/OutputJob.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/PatternFileReader.h"
#include "draw/pattern/SlideReplay.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void noteInterrupt(int) { interrupted.store(true); }

// Progress on a terminal, and Ctrl+C or a termination as a clean stop (no file left behind).
class TerminalProgress final : public OutputProgress
{
public:
    TerminalProgress() : m_terminal(isatty(STDERR_FILENO) == 1) {}
    ~TerminalProgress() override
    {
        if (m_terminal && m_shown >= 0)
            std::fputs("\n", stderr);
    }

    void advanced(int percent) override
    {
        if (!m_terminal || percent == m_shown)
            return;
        m_shown = percent;
        std::fprintf(stderr, "\r正在导出… %3d%%", percent);
        std::fflush(stderr);
    }
    bool cancelled() const override { return interrupted.load(); }

private:
    bool m_terminal;
    int m_shown = -1;
};

int fail(const QString& reason)
{
    std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(reason));
    return 1;
}

} // namespace

int runExportCommand(const ExportCommand& command)
{
    // A stop asked for while the file is read or the picture built ends the export as cleanly as
    // one during the drawing.
    catchStopSignals(noteInterrupt);
    QString text = command.code;
    if (!command.file.isEmpty()) {
        const PatternFileCode found = readPatternFileCodeByLocalName(command.localFile);
        if (found.problem != PatternFileProblem::None)
            return fail(patternFileProblemText(found.problem, command.file));
        text = found.code;
    }
    const PatternCode::Reading reading = PatternCode::decode(text);
    // A code given on the command line that names no slide is a mistake in what was given, like
    // a wrong option; a file's code is the file's problem.
    if (!reading.recipe) {
        fail(patternCodeProblemText(reading.problem));
        return command.file.isEmpty() ? 2 : 1;
    }

    OutputJob job;
    job.pattern.picture = slidePicture(*reading.recipe, &job.pattern.code);
    job.pattern.fullCode = reading.code;
    job.frame = command.frame;
    if (job.frame.pixels.isEmpty())
        job.frame.pixels = patternCanvasSize(reading.recipe->window);
    job.format = command.format;
    job.path = command.output;

    // A file size limit must show as a failed write, not end the program with the temporary file
    // left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    OutputResult result;
    {
        TerminalProgress progress;
        result = runOutputJob(job, &progress);
    }
    if (result.cancelled())
        return std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(outputErrorText(result.error))), 130;
    if (!result.ok())
        return fail(exportFailureLine(command.output, result.error));
    return 0;
}
