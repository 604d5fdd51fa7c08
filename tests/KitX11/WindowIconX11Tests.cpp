#include "Platform/Kit/Application.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Image.h"
#include "Platform/Kit/Window.h"
#include "tests/KitX11/X11TestSupport.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

using namespace Kit;
using X11TestSupport::waitUntil;

namespace {

// The window's _NET_WM_ICON: width, height and that many ARGB pixels, for each size it holds.
std::vector<std::uint32_t> windowIcon(const QWidget& widget)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    const char name[] = "_NET_WM_ICON";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    std::vector<std::uint32_t> values;
    if (!atom || atom->atom == XCB_ATOM_NONE) {
        std::free(atom);
        return values;
    }
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, static_cast<xcb_window_t>(widget.winId()), atom->atom,
                                                XCB_ATOM_CARDINAL, 0, 1 << 20),
                               nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    std::free(atom);
    return values;
}

} // namespace

TEST(WindowIconX11Test, EveryWindowCarriesTheApplicationIcon)
{
    const Image icon = Image::withSize({32, 32}, false, [](const Rect& rect) {
        GraphicsContext::current()->fillRect(rect, Colour::fromRGB255(200, 40, 20));
        return true;
    });
    Application::shared().setApplicationIconImage(icon);
    Window window(Rect({100, 100}, {240, 120}), Window::titled);
    window.makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return window.qtWidget()->isVisible(); }));

    std::vector<std::uint32_t> values;
    ASSERT_TRUE(waitUntil([&] { return !(values = windowIcon(*window.qtWidget())).empty(); }));
    bool found = false;
    for (std::size_t at = 0; at + 2 <= values.size(); at += 2 + std::size_t(values[at]) * values[at + 1]) {
        const std::uint32_t width = values[at], height = values[at + 1];
        if (width != 32 || height != 32 || at + 2 + width * height > values.size())
            continue;
        found = true;
        EXPECT_EQ(values[at + 2 + 16 * width + 16], 0xFFC82814u) << std::hex << values[at + 2 + 16 * width + 16];
    }
    EXPECT_TRUE(found) << "a 32 x 32 icon among " << values.size() << " values";
}
