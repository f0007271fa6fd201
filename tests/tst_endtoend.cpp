#include "XvfbSession.h"

#include <QImage>
#include <QtTest>

namespace {

const QString caption = QStringLiteral("澄岚数学图案自动设计器（永久免费版）");

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void firstSlideOnScreen()
    {
        if (!xvfb::missingTool({QStringLiteral("Xvfb")}).isEmpty())
            QSKIP("Xvfb is not installed: the end-to-end test needs a virtual X server");
        const QString missing = xvfb::missingTool({QStringLiteral("xdotool"), QStringLiteral("import")});
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        const QString binary = qEnvironmentVariable("DESIGNER_BINARY");
        QVERIFY2(!binary.isEmpty(), "DESIGNER_BINARY is not set");

        xvfb::Session session;
        QVERIFY2(session.started(), "Xvfb did not start or gave no display number");
        QVERIFY2(session.startProgram(binary), "the designer did not start");

        QByteArray windows;
        xvfb::pollUntil([&] {
            session.run(QStringLiteral("xdotool"), {"search", "--name", caption}, &windows);
            return !windows.trimmed().isEmpty();
        }, 30000);
        QVERIFY2(!windows.trimmed().isEmpty(), "no window with the designer's caption");

        // The first slide comes 3 seconds after start-up; look a little later, and again while
        // a slow machine is still drawing it.
        QTest::qWait(4000);
        const QList<QRgb> curveColours{qRgb(250, 250, 0), qRgb(0, 250, 0), qRgb(0, 0, 250), qRgb(250, 30, 130)};
        QImage screen;
        xvfb::pollUntil([&] {
            screen = session.screenshot();
            bool allColours = !screen.isNull();
            for (QRgb colour : curveColours)
                allColours = allColours && xvfb::countColour(screen, colour) > 20;
            return allColours;
        }, 30000, 500);
        QVERIFY2(!screen.isNull(), "no screenshot");
        QVERIFY2(session.programRunning(), "the designer stopped");
        QVERIFY2(xvfb::countColour(screen, qRgb(0, 64, 0)) > 100000, "no dark green window background");
        QVERIFY2(xvfb::countColour(screen, qRgb(255, 192, 255)) > 200000, "no canvas");
        for (QRgb colour : curveColours)
            QVERIFY2(xvfb::countColour(screen, colour) > 20, qPrintable(QColor(colour).name() + " dots missing"));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
