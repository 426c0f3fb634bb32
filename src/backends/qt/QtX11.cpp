// SPDX-License-Identifier: MIT

#include "backends/qt/QtX11.h"

#include <QGuiApplication>

#include <xcb/randr.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* Connection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The screen Qt opened: the one $DISPLAY names.
xcb_screen_t* DefaultScreen(xcb_connection_t* connection) {
    char* host = nullptr;
    int display = 0, number = 0;
    if (xcb_parse_display(nullptr, &host, &display, &number))
        std::free(host);
    else
        number = 0;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0 && number > 0; --number)
        xcb_screen_next(&it);
    return it.rem > 0 ? it.data : nullptr;
}

// True when the screen's pixels come as 32-bit words 0x00RRGGBB in this machine's order.
bool PlainRgb32(xcb_connection_t* connection, const xcb_screen_t& screen) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const std::uint16_t probe = 1;
    const bool littleEndian = *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian)
        return false;
    bool thirtyTwo = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it))
        if (it.data->depth == screen.root_depth)
            thirtyTwo = it.data->bits_per_pixel == 32;
    if (!thirtyTwo)
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem > 0; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen.root_visual)
                return v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                       v.data->blue_mask == 0xff;
    return false;
}

} // namespace

namespace QtX11 {

bool Active() {
    return Connection() != nullptr;
}

std::optional<QRect> WindowGeometry(WId window) {
    xcb_connection_t* c = Connection();
    if (!c)
        return std::nullopt;
    xcb_screen_t* screen = DefaultScreen(c);
    if (!screen)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window);
    // Both questions go out before either answer is awaited: one round trip.
    const auto geometryCookie = xcb_get_geometry(c, id);
    const auto placeCookie = xcb_translate_coordinates(c, id, screen->root, 0, 0);
    Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    Reply<xcb_translate_coordinates_reply_t> place(
        xcb_translate_coordinates_reply(c, placeCookie, nullptr));
    if (!geometry || !place)
        return std::nullopt;
    return QRect(place->dst_x, place->dst_y, geometry->width, geometry->height);
}

void MoveWindow(WId window, QPoint topLeft) {
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    const std::uint32_t values[] = {static_cast<std::uint32_t>(topLeft.x()),
                                    static_cast<std::uint32_t>(topLeft.y())};
    xcb_configure_window(c, static_cast<xcb_window_t>(window),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(c);
}

void ResizeWindow(WId window, QSize size) {
    xcb_connection_t* c = Connection();
    if (!c || size.isEmpty())
        return;
    const std::uint32_t values[] = {static_cast<std::uint32_t>(size.width()),
                                    static_cast<std::uint32_t>(size.height())};
    xcb_configure_window(c, static_cast<xcb_window_t>(window),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(c);
}

void SetWindowShape(WId window, const Region& region) {
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(region.size());
    for (const RegionRect& r : region)
        rects.push_back({static_cast<std::int16_t>(r.X), static_cast<std::int16_t>(r.Y),
                         static_cast<std::uint16_t>(r.Width),
                         static_cast<std::uint16_t>(r.Height)});
    // The region's bands are sorted top to bottom, left to right, as YXBanded wants.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED,
                         static_cast<xcb_window_t>(window), 0, 0,
                         static_cast<std::uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
}

std::optional<QRect> MonitorAt(QPoint topLeft) {
    xcb_connection_t* c = Connection();
    xcb_screen_t* screen = c ? DefaultScreen(c) : nullptr;
    if (!screen)
        return std::nullopt;
    Reply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, screen->root, 1), nullptr));
    if (!monitors)
        return std::nullopt;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it))
        if (QPoint(it.data->x, it.data->y) == topLeft)
            return QRect(it.data->x, it.data->y, it.data->width, it.data->height);
    return std::nullopt;
}

Picture GrabRoot(const QRect& rect) {
    xcb_connection_t* c = Connection();
    if (!c || rect.isEmpty())
        return nullptr;
    xcb_screen_t* screen = DefaultScreen(c);
    if (!screen || !PlainRgb32(c, *screen))
        return nullptr;
    auto image = std::make_shared<Image>(rect.width(), rect.height(), 0xff000000u);
    const QRect part =
        rect.intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (part.isEmpty())
        return image;
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root,
                      static_cast<std::int16_t>(part.x()), static_cast<std::int16_t>(part.y()),
                      static_cast<std::uint16_t>(part.width()),
                      static_cast<std::uint16_t>(part.height()), ~0u),
        nullptr));
    if (!reply)
        return nullptr;
    const auto length = static_cast<std::size_t>(xcb_get_image_data_length(reply.get()));
    const std::size_t rowBytes = static_cast<std::size_t>(part.width()) * 4;
    if (length < rowBytes * static_cast<std::size_t>(part.height()))
        return nullptr;
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    for (int y = 0; y < part.height(); ++y) {
        std::uint32_t* row = &image->At(part.x() - rect.x(), part.y() - rect.y() + y);
        std::memcpy(row, data + rowBytes * static_cast<std::size_t>(y), rowBytes);
        for (int x = 0; x < part.width(); ++x)
            row[x] |= 0xff000000u;
    }
    return image;
}

} // namespace QtX11
