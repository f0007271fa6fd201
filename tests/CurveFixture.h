#pragma once

#include "PixelCount.h"

#include "draw/curves/CurveControls.h"
#include "draw/surface/Surface.h"

#include <QStringList>

#include <array>
#include <utility>
#include <vector>

// The main window's curve controls without a window: plain texts and an 800 x 800 canvas with the
// main window's design colours. Shared by the tests, the fuzz target and the benchmarks.
class FakeCurveControls : public CurveControls
{
public:
    explicit FakeCurveControls(qreal devicePixelRatio = 1.0) : canvas(QSize(800, 800), devicePixelRatio)
    {
        canvas.setBackColor(RGB(255, 192, 255));
        canvas.setDrawWidth(1);
    }

    QString divisor = QStringLiteral("90");
    QString penWidth = QStringLiteral("5");
    std::array<QString, 4> params{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")};
    QString patternCodeShown;
    Surface canvas{QSize(800, 800)};
    bool recordReads = false;
    mutable QStringList reads; // which texts were read, in order, while recordReads is set

    void setParams(const QString& R, const QString& r, const QString& d, const QString& N)
    {
        params = {R, r, d, N};
    }

    QString divisorText() const override
    {
        log(QStringLiteral("divisor"));
        return divisor;
    }
    QString penWidthText() const override { return penWidth; }
    QString paramText(int index) const override
    {
        log(QStringLiteral("param%1").arg(index));
        return params[size_t(index)];
    }
    void setParamText(int index, const QString& text) override { params[size_t(index)] = text; }
    void showPatternCode(const QString& code) override { patternCodeShown = code; }
    Surface& curveCanvas() override { return canvas; }

private:
    void log(const QString& what) const
    {
        if (recordReads)
            reads.append(what);
    }
};
