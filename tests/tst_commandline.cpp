// The real program started with a pattern code or a pattern file on a private X server: the slide
// is on the canvas, paused, and stays; a damaged code is explained and the show goes on.

#include "PatternCodeFixtures.h"
#include "XvfbSession.h"

#include "app/messages/PatternMessages.h"
#include "draw/output/OutputJob.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString mainCaption = QStringLiteral("澄岚数学图案自动设计器");

// The band of the canvas that no label or logo covers.
const QRect clearBand(0, 40, 800, 560);

// Colours only: a screenshot carries a colour space and a fourth byte that a rendered image has not.
bool sameColours(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFFu) != (b.pixel(x, y) & 0xFFFFFFu))
                return false;
    return true;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheSlideShownAndPaused_data();
    void startsWithTheSlideShownAndPaused();
    void damagedCodeIsExplained();
};

void TestCommandLine::startsWithTheSlideShownAndPaused_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("--code") << false;
    QTest::newRow("a saved PNG") << true;
}

void TestCommandLine::startsWithTheSlideShownAndPaused()
{
    QFETCH(bool, fromFile);
    const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
    QVERIFY2(!binary.isEmpty(), "DESIGNER_BINARY is not set");
    if (const QString missing = xvfb::missingTool({"Xvfb", "xdotool", "import"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));

    SlideRecipe recipe;
    recipe.randomState = 0x1234567u;
    recipe.width = 5;
    recipe.divisor = 6.0;
    recipe.backColour = RGB(0, 32, 48);
    const QString code = PatternCode::encode(recipe);
    QString shortCode;
    const auto picture = slidePicture(recipe, &shortCode);
    const QImage expected = picture->render(1.0).copy(clearBand);

    QTemporaryDir folder;
    QStringList arguments{QStringLiteral("--code"), code.toLower()};
    if (fromFile) {
        const QString path = folder.filePath(QStringLiteral("saved pattern.png"));
        QVERIFY(runOutputJob(asShownJob({picture, shortCode, code}, 1.0, ExportFormat::Png, path)).ok());
        arguments = {path};
    }
    xvfb::Session session;
    QVERIFY2(session.started(), "Xvfb did not start");
    QVERIFY2(session.startProgram(binary, arguments), "the designer did not start");
    const QString window = session.waitForWindow(mainCaption);
    QVERIFY2(!window.isEmpty(), "no main window");
    const QRect place = session.geometry(window);

    QImage band;
    const bool shown = xvfb::pollUntil(
        [&] { return sameColours(band = session.screenshot().copy(clearBand.translated(place.topLeft())), expected); }, 15000);
    if (!shown && !qEnvironmentVariableIsEmpty("DESIGNER_DEBUG_DIR")) {
        band.save(qEnvironmentVariable("DESIGNER_DEBUG_DIR") + QStringLiteral("/band.png"));
        expected.save(qEnvironmentVariable("DESIGNER_DEBUG_DIR") + QStringLiteral("/expected.png"));
        session.screenshot().save(qEnvironmentVariable("DESIGNER_DEBUG_DIR") + QStringLiteral("/screen.png"));
    }
    QVERIFY2(shown, "the canvas never showed the slide of the code");
    // Paused: well past a slide's three seconds it is still there.
    QTest::qWait(4000);
    QVERIFY(sameColours(session.screenshot().copy(clearBand.translated(place.topLeft())), expected));
    QVERIFY(session.programRunning());
}

void TestCommandLine::damagedCodeIsExplained()
{
    const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
    if (const QString missing = xvfb::missingTool({"Xvfb", "xdotool", "import"}); !missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
    QString damaged = PatternCode::encode(SlideRecipe{});
    damaged[4] = damaged[4] == u'Q' ? u'R' : u'Q';
    xvfb::Session session;
    QVERIFY2(session.started(), "Xvfb did not start");
    QVERIFY(session.startProgram(binary, {QStringLiteral("--code"), damaged}));
    // The message box, titled as the code dialog, over the running program.
    QVERIFY2(!session.waitForWindow(QStringLiteral("图案代码")).isEmpty(), "no message about the damaged code");
    QVERIFY(session.programRunning());
    // The line was written before the box, but reaches this side only as events are handled.
    const QString line = patternCodeProblemText(PatternCode::Problem::Damaged);
    QByteArray errors;
    QTRY_VERIFY2_WITH_TIMEOUT((errors += session.programErrors(), QString::fromUtf8(errors).contains(line)),
                              qPrintable(QStringLiteral("the line \"%1\" on standard error").arg(line)), 10000);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
