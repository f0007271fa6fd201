// Draws the main window's logo (549 x 417) from the program's own hypotrochoids and its name.

#include "draw/curves/CurvePlotter.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int logoWidth = 549;
constexpr int logoHeight = 417;

void drawCurve(QPainter& painter, const CurveParameters& parameters, double phase, const QColor& colour,
               QPointF centre, double scale)
{
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    traceCurve(parameters, phase, [&](float x, float y) {
        painter.drawPoint(QPointF(centre.x() + (x - 400) * scale, centre.y() + (y - 400) * scale));
    });
}

void drawBackground(QPainter& painter)
{
    QLinearGradient gradient(0, 0, logoWidth, logoHeight);
    gradient.setColorAt(0, QColor(18, 40, 92));
    gradient.setColorAt(1, QColor(70, 12, 84));
    painter.fillRect(0, 0, logoWidth, logoHeight, gradient);
}

void drawCurves(QPainter& painter)
{
    const QPointF centre(logoWidth / 2.0, 160);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    drawCurve(painter, {90.0, 2880, 60, 47, 150}, 5, QColor(250, 250, 0, 150), centre, 1.0);
    drawCurve(painter, {90.0, 2880, 70, 31, 120}, 0, QColor(0, 250, 0, 140), centre, 1.0);
    drawCurve(painter, {90.0, 1440, 45, 53, 130}, 0, QColor(60, 120, 250, 170), centre, 0.9);
    drawCurve(painter, {90.0, 2880, 30, 41, 150}, 0, QColor(250, 30, 130, 160), centre, 0.8);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void drawName(QPainter& painter)
{
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setPixelSize(46);
    font.setBold(true);
    const QString name = QStringLiteral("澄岚数学图案");
    const QRectF band(0, 318, logoWidth, 70);
    QPainterPath path;
    const QFontMetricsF metrics(font);
    const double x = (logoWidth - metrics.horizontalAdvance(name)) / 2;
    path.addText(x, band.top() + metrics.ascent(), font, name);
    painter.setPen(QPen(QColor(20, 10, 40), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    QLinearGradient gold(0, band.top(), 0, band.bottom());
    gold.setColorAt(0, QColor(255, 240, 150));
    gold.setColorAt(1, QColor(240, 170, 40));
    painter.fillPath(path, gold);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: make_logo OUTPUT.png\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage logo(logoWidth, logoHeight, QImage::Format_RGB32);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    drawBackground(painter);
    drawCurves(painter);
    drawName(painter);
    painter.end();
    return logo.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
