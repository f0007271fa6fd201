#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class PictureBox;

enum class WindowId { Main, Geometric, GradientPicker, Count };

// A window whose one canvas the registry hands out, so that the picker can lay its gradient under it.
class CanvasHost
{
public:
    virtual ~CanvasHost() = default;
    virtual PictureBox* hostedCanvas() = 0;
};

// Owns the single instance of each window. A window is built by its factory the first time it is
// asked for, handed out while it lives, and forgotten once the user closes it (windows delete
// themselves on close), so the next request builds it afresh. Windows reach each other only here.
class WindowRegistry
{
public:
    using Factory = std::function<QWidget*()>;

    static WindowRegistry& instance();

    void setFactory(WindowId id, Factory factory);
    // Registers a window built elsewhere (the start-up window).
    void adopt(WindowId id, QWidget* window);

    // The living instance, built now if there is none; nullptr when no factory is known.
    QWidget* window(WindowId id);
    // The living instance or nullptr; never builds.
    QWidget* existing(WindowId id) const;
    // The canvas of a window, built if needed; nullptr when the window has none.
    PictureBox* canvas(WindowId id);
    // Shows the window (built if needed) modeless, in front and active, back from minimised;
    // nullptr when none exists.
    QWidget* show(WindowId id);
    // Moves the geometric designer to its place beside the main window: its left edge at the main
    // window's outer width less its own outer width less 50 twips, 1500 twips from the top. When
    // windows fit their screens, a designer too large for its screen is shrunk first, and one
    // that would reach past the screen's edge from there is moved just inside it.
    void placeGeometricDesigner(const QWidget* mainWindow);

    // Forgets every window and factory (tests).
    void clear();

private:
    static size_t index(WindowId id) { return static_cast<size_t>(id); }

    std::array<QPointer<QWidget>, size_t(WindowId::Count)> m_windows;
    std::array<Factory, size_t(WindowId::Count)> m_factories;
};
