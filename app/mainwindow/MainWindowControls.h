#pragma once

#include "draw/curves/CurveControls.h"

class MainWindow;

// The main window's boxes as the curve routines read and write them: the category and pen width
// boxes, the four parameter boxes, the code label and the canvas.
class MainWindowControls final : public CurveControls
{
public:
    explicit MainWindowControls(MainWindow& window) : m_window(window) {}

    QString divisorText() const override;
    QString penWidthText() const override;
    QString paramText(int index) const override;
    void setParamText(int index, const QString& text) override;
    void showPatternCode(const QString& code) override;
    Surface& curveCanvas() override;

private:
    MainWindow& m_window;
};
