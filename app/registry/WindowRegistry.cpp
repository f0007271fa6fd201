#include "app/registry/WindowRegistry.h"

#include "app/widgets/FramedPlacement.h"
#include "draw/base/Twips.h"

WindowRegistry& WindowRegistry::instance()
{
    static WindowRegistry registry;
    return registry;
}

void WindowRegistry::setFactory(WindowId id, Factory factory) { m_factories[index(id)] = std::move(factory); }

void WindowRegistry::adopt(WindowId id, QWidget* window) { m_windows[index(id)] = window; }

QWidget* WindowRegistry::window(WindowId id)
{
    if (!m_windows[index(id)] && m_factories[index(id)])
        m_windows[index(id)] = m_factories[index(id)]();
    return m_windows[index(id)];
}

QWidget* WindowRegistry::existing(WindowId id) const { return m_windows[index(id)]; }

PictureBox* WindowRegistry::canvas(WindowId id)
{
    auto* host = dynamic_cast<CanvasHost*>(window(id));
    return host ? host->hostedCanvas() : nullptr;
}

QWidget* WindowRegistry::show(WindowId id)
{
    QWidget* shown = window(id);
    if (!shown)
        return nullptr;
    shown->show();
    shown->raise();
    shown->activateWindow();
    return shown;
}

void WindowRegistry::placeGeometricDesigner(const QWidget* mainWindow)
{
    QWidget* designer = existing(WindowId::Geometric);
    if (!designer)
        return;
    // Placed again once framed: a first showing knows only the inner sizes.
    placeOnceFramed(designer, [designer, main = QPointer<const QWidget>(mainWindow)] {
        const int mainWidth = main ? pixelsToTwips(main->frameGeometry().width()) : 0;
        const int left = mainWidth - pixelsToTwips(designer->frameGeometry().width()) - 50;
        designer->move(twipsPoint(left, 1500));
    });
}

void WindowRegistry::clear()
{
    m_windows = {};
    m_factories = {};
}
