#pragma once

// Stepping through the kept slides of a window, as the canvas menu offers it.
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
