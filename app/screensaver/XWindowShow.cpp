#include "app/screensaver/XWindowShow.h"

#include "app/output/StopSignals.h"
#include "draw/output/FrameRenderer.h"
#include "draw/pattern/WindowlessShow.h"
#include "draw/raster/PixelBuffer.h"

#include <QElapsedTimer>
#include <QImage>

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <poll.h>

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void noteStop(int) { stopRequested.store(true); }

constexpr int slideMilliseconds = 3000;
constexpr qsizetype bandBytes = 16 << 20;

struct ConnectionClose
{
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionClose>;

int fail(const QString& reason)
{
    std::fprintf(stderr, "pattern-designer: %s\n", qPrintable(reason));
    return 1;
}

// The window a screensaver gives its hacks, or the screen's root window.
std::optional<xcb_window_t> screensaverWindow(const xcb_screen_t* screen)
{
    const QString named = qEnvironmentVariable("XSCREENSAVER_WINDOW");
    if (named.trimmed().isEmpty())
        return screen->root;
    if (const auto id = parseWindowId(named))
        return *id;
    return std::nullopt;
}

// True when the window's pixels are 32-bit words holding 0x00RRGGBB in the machine's order,
// which is how an RGB32 image lies in memory.
bool takesRgb32(xcb_connection_t* connection, const xcb_screen_t* screen, xcb_visualid_t visual, std::uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats)) {
        if (formats.data->depth == depth)
            thirtyTwoBits = formats.data->bits_per_pixel == 32;
    }
    if (!thirtyTwoBits)
        return false;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t* type = visuals.data;
            if (type->visual_id == visual)
                return type->_class == XCB_VISUAL_CLASS_TRUE_COLOR && type->red_mask == 0xFF0000u
                       && type->green_mask == 0xFF00u && type->blue_mask == 0xFFu;
        }
    }
    return false;
}

class XWindowPainter
{
public:
    XWindowPainter(xcb_connection_t* connection, xcb_window_t window, std::uint8_t depth)
        : m_connection(connection), m_window(window), m_depth(depth), m_gc(xcb_generate_id(connection))
    {
        xcb_create_gc(connection, m_gc, window, 0, nullptr);
        // Requests are limited in length; the picture goes in bands of rows that fit.
        m_maxBytes = std::size_t(xcb_get_maximum_request_length(connection)) * 4 - 64;
    }
    ~XWindowPainter() { xcb_free_gc(m_connection, m_gc); }

    // The image's first rows, at the window's row y.
    void put(const QImage& image, int y, int rowCount)
    {
        const std::size_t rowBytes = std::size_t(image.bytesPerLine());
        const int rowsAtOnce = std::max(1, int(m_maxBytes / rowBytes));
        for (int top = 0; top < rowCount; top += rowsAtOnce) {
            const int rows = std::min(rowsAtOnce, rowCount - top);
            xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, std::uint16_t(image.width()),
                          std::uint16_t(rows), 0, std::int16_t(y + top), 0, m_depth,
                          std::uint32_t(rowBytes * std::size_t(rows)), image.constScanLine(top));
        }
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window;
    std::uint8_t m_depth;
    xcb_gcontext_t m_gc;
    std::size_t m_maxBytes = 0;
};

// The frame drawn and sent a band of rows at a time: a window of any size costs no more memory
// than a band, and a stop request waits for one band at most. A frame that fits in one band is
// kept, to be put again when the window is uncovered.
void showFrame(const FrameRenderer& renderer, XWindowPainter& painter, QImage* kept)
{
    *kept = QImage();
    const QSize size = renderer.frameSize();
    const qsizetype rowBytes = qsizetype(size.width()) * 4;
    const int bandRows = int(std::clamp<qsizetype>(bandBytes / rowBytes, 1, size.height()));
    QImage band(size.width(), bandRows, QImage::Format_RGB32);
    if (band.isNull())
        return;
    for (int top = 0; top < size.height(); top += bandRows) {
        if (stopRequested.load())
            return;
        PixelBuffer view = PixelBuffer::of(band);
        view.height = std::min(bandRows, size.height() - top);
        renderer.renderRows(view, top);
        painter.put(band, top, view.height);
    }
    if (bandRows == size.height())
        *kept = band;
}

} // namespace

std::optional<quint32> parseWindowId(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qulonglong id = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? trimmed.mid(2).toULongLong(&ok, 16)
                                                                                         : trimmed.toULongLong(&ok, 10);
    if (!ok || id == 0 || id > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(id);
}

int runXWindowShow(PatternWindow kind, const XWindowTarget& target)
{
    int screenNumber = 0;
    Connection connection(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get()))
        return fail(QStringLiteral("无法连接 X 显示（DISPLAY）。"));
    xcb_connection_t* x = connection.get();
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.data;

    const std::optional<xcb_window_t> window =
        target.windowId.isEmpty() ? screensaverWindow(screen) : std::optional<xcb_window_t>(parseWindowId(target.windowId));
    if (!window)
        return fail(QStringLiteral("窗口号“%1”无效。")
                        .arg(target.windowId.isEmpty() ? qEnvironmentVariable("XSCREENSAVER_WINDOW") : target.windowId));

    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(x, xcb_get_geometry(x, *window), &error), &std::free);
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, *window), nullptr), &std::free);
    std::free(error);
    if (!geometry || !attributes)
        return fail(QStringLiteral("窗口 0x%1 不存在。").arg(*window, 0, 16));
    if (!takesRgb32(x, screen, attributes->visual, geometry->depth))
        return fail(QStringLiteral("窗口 0x%1 的颜色格式不受支持（需要 24 位真彩色）。").arg(*window, 0, 16));

    // Told when the window changes size, is uncovered or goes away; nothing else is asked of it.
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;
    xcb_change_window_attributes(x, *window, XCB_CW_EVENT_MASK, &events);
    xcb_flush(x);

    catchStopSignals(noteStop);
    std::signal(SIGPIPE, SIG_IGN);

    WindowlessShow show(kind);
    XWindowPainter painter(x, *window, geometry->depth);
    QSize size(geometry->width, geometry->height);
    std::shared_ptr<const PictureSource> picture = show.next();
    QImage frame;
    if (!size.isEmpty())
        showFrame(FrameRenderer(picture, size), painter, &frame);
    QElapsedTimer sinceSlide;
    sinceSlide.start();

    pollfd watched{xcb_get_file_descriptor(x), POLLIN, 0};
    while (!stopRequested.load()) {
        const int wait = std::max(0, slideMilliseconds - int(sinceSlide.elapsed()));
        poll(&watched, 1, wait);
        if (xcb_connection_has_error(x))
            return 0; // the display went away
        bool redraw = false;
        bool resized = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == 0) {
                // BadWindow or BadDrawable: the window is gone.
                const auto* problem = reinterpret_cast<xcb_generic_error_t*>(event);
                const bool gone = problem->error_code == XCB_WINDOW || problem->error_code == XCB_DRAWABLE;
                std::free(event);
                if (gone)
                    return 0;
                continue;
            }
            if (type == XCB_DESTROY_NOTIFY) {
                std::free(event);
                return 0;
            }
            if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                const QSize now(configure->width, configure->height);
                if (configure->window == *window && now != size) {
                    size = now;
                    resized = true;
                }
            } else if (type == XCB_EXPOSE) {
                redraw = true;
            }
            std::free(event);
        }
        if (stopRequested.load())
            break;
        if (sinceSlide.elapsed() >= slideMilliseconds) {
            picture = show.next();
            sinceSlide.restart();
            resized = true;
        }
        if (size.isEmpty() || !(resized || redraw))
            continue;
        if (resized || frame.isNull())
            showFrame(FrameRenderer(picture, size), painter, &frame);
        else
            painter.put(frame, 0, frame.height());
    }
    return 0;
}
