#pragma once

#include "app/registry/WindowRegistry.h"
#include "app/widgets/PictureBox.h"

#include <QWidget>

// A stand-in for a pattern window: a top-level window whose whole client area is one canvas.
class FakeCanvasWindow : public QWidget, public CanvasHost
{
public:
    explicit FakeCanvasWindow(QSize size)
    {
        resize(size);
        m_canvas = new PictureBox(this);
        m_canvas->setGeometry(0, 0, size.width(), size.height());
        m_canvas->setBackColor(RGB(0, 0, 0));
    }
    PictureBox* hostedCanvas() override { return m_canvas; }

private:
    PictureBox* m_canvas = nullptr;
};
