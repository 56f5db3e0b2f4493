#include "platform/x11/frame_extents.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace kolvart {
namespace {

// How long the window manager has to answer the frame request. It answers
// within a few milliseconds, also on a busy machine; one that claims to
// answer and does not costs no more than this once.
constexpr auto answerTimeout = std::chrono::milliseconds(500);
constexpr auto pollInterval = std::chrono::milliseconds(1);

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* raw) {
    return Reply<T>(raw, &std::free);
}

xcb_connection_t* x11Connection() {
    auto* app = qGuiApp;
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atomReply(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    const auto answer = reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return answer ? answer->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a property, empty where it is missing or of another type.
std::vector<std::uint32_t> property(xcb_connection_t* connection, xcb_window_t window,
                                    xcb_atom_t name, xcb_atom_t type, std::uint32_t length) {
    const auto answer = reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr));
    if (!answer || answer->type != type || answer->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(answer.get()));
    return {values, values + xcb_get_property_value_length(answer.get()) / 4};
}

// From the X server's pixels to the window's own.
QMargins scaled(const QWindow& window, int left, int top, int right, int bottom) {
    const qreal ratio = window.devicePixelRatio();
    const auto own = [ratio](int pixels) {
        return qRound(pixels / ratio);
    };
    return {own(left), own(top), own(right), own(bottom)};
}

} // namespace

std::optional<QMargins> announcedFrameMargins(QWindow& window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());

    const auto intern = [connection](const char* name) {
        return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    };
    const auto checkCookie = intern("_NET_SUPPORTING_WM_CHECK");
    const auto supportedCookie = intern("_NET_SUPPORTED");
    const auto requestCookie = intern("_NET_REQUEST_FRAME_EXTENTS");
    const auto extentsCookie = intern("_NET_FRAME_EXTENTS");
    const auto treeCookie = xcb_query_tree(connection, id);
    const xcb_atom_t check = atomReply(connection, checkCookie);
    const xcb_atom_t supported = atomReply(connection, supportedCookie);
    const xcb_atom_t request = atomReply(connection, requestCookie);
    const xcb_atom_t extents = atomReply(connection, extentsCookie);
    const auto tree = reply(xcb_query_tree_reply(connection, treeCookie, nullptr));
    if (!tree || !check || !supported || !request || !extents)
        return std::nullopt;
    const xcb_window_t root = tree->root;

    // A window manager runs: the root names its check window, and that
    // window names itself (a stale name from an ended one does not).
    const auto wm = property(connection, root, check, XCB_ATOM_WINDOW, 1);
    if (wm.size() != 1 || property(connection, wm[0], check, XCB_ATOM_WINDOW, 1) != wm)
        return std::nullopt;
    const auto features = property(connection, root, supported, XCB_ATOM_ATOM, 4096);
    if (std::find(features.begin(), features.end(), request) == features.end())
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // The answer is the property _NET_FRAME_EXTENTS on the window: left,
    // right, top, bottom.
    const auto deadline = std::chrono::steady_clock::now() + answerTimeout;
    for (;;) {
        const auto values = property(connection, id, extents, XCB_ATOM_CARDINAL, 4);
        if (values.size() == 4)
            return scaled(window, static_cast<int>(values[0]), static_cast<int>(values[2]),
                          static_cast<int>(values[1]), static_cast<int>(values[3]));
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(pollInterval);
    }
}

std::optional<QMargins> actualFrameMargins(QWindow& window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window.handle())
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());

    // Up the tree to the window just below the root: the frame, where a
    // window manager has put the window into one.
    xcb_window_t top = id;
    xcb_window_t root = XCB_WINDOW_NONE;
    for (;;) {
        const auto tree =
            reply(xcb_query_tree_reply(connection, xcb_query_tree(connection, top), nullptr));
        if (!tree)
            return std::nullopt;
        root = tree->root;
        if (tree->parent == root || tree->parent == XCB_WINDOW_NONE)
            break;
        top = tree->parent;
    }
    if (top == id)
        return QMargins();

    const auto geometryCookie = xcb_get_geometry(connection, id);
    const auto frameCookie = xcb_get_geometry(connection, top);
    const auto positionCookie = xcb_translate_coordinates(connection, id, root, 0, 0);
    const auto client = reply(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
    const auto frame = reply(xcb_get_geometry_reply(connection, frameCookie, nullptr));
    const auto position =
        reply(xcb_translate_coordinates_reply(connection, positionCookie, nullptr));
    if (!client || !frame || !position)
        return std::nullopt;
    const int frameRight = frame->x + frame->width + 2 * frame->border_width;
    const int frameBottom = frame->y + frame->height + 2 * frame->border_width;
    return scaled(window, position->dst_x - frame->x, position->dst_y - frame->y,
                  frameRight - (position->dst_x + client->width),
                  frameBottom - (position->dst_y + client->height));
}

} // namespace kolvart
