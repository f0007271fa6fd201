#include "app/registry/WindowRegistry.h"

#include "app/widgets/BringToFront.h"
#include "app/widgets/FramedPlacement.h"
#include "app/widgets/WindowScaler.h"
#include "draw/base/Twips.h"

#include <QScreen>

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
    bringToFront(shown);
    return shown;
}

void WindowRegistry::placeGeometricDesigner(const QWidget* mainWindow)
{
    QWidget* designer = existing(WindowId::Geometric);
    if (!designer)
        return;
    // Placed again once framed: a first showing knows only the inner sizes.
    placeOnceFramed(designer, [designer, main = QPointer<const QWidget>(mainWindow)] {
        // Shrunk first on a screen too small for it: the place depends on its outer width.
        if (WindowScaler* scaler = WindowScaler::of(designer))
            scaler->fitToScreen();
        const int mainWidth = main ? pixelsToTwips(main->frameGeometry().width()) : 0;
        const int left = mainWidth - pixelsToTwips(designer->frameGeometry().width()) - 50;
        QPoint place = twipsPoint(left, 1500);
        if (const QScreen* screen = designer->screen(); screen && windowsFitScreen())
            place = keptInside(QRect(place, designer->size() + frameExtra(designer)), screen->availableGeometry());
        designer->move(place);
    });
}

void WindowRegistry::clear()
{
    m_windows = {};
    m_factories = {};
}
