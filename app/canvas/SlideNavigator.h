#pragma once

// The interface the canvas menu steps through a window's kept slides with ("上一幅图案", "下一幅图案").
class SlideNavigator
{
public:
    virtual ~SlideNavigator() = default;
    // True once the window has shown a slide.
    virtual bool hasSlides() const = 0;
    virtual bool hasPrevious() const = 0;
    virtual bool hasNext() const = 0;
    virtual void showPrevious() = 0;
    virtual void showNext() = 0;
};
