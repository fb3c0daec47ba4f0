#include "faces/qt/X11Window.h"
#include <QGuiApplication>
#include <QHash>
#include <QWidget>
#include <QWindow>
#include <initializer_list>
#include <utility>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace zrm58::x11 {
namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Atoms never change within a connection: each name is asked of the server once.
QHash<QByteArray, xcb_atom_t>& atomCache() {
    static QHash<QByteArray, xcb_atom_t> cache;
    return cache;
}

// Asks the server for every name not yet known in one go, then waits once: each request waited
// for alone costs a round trip to the server, and the strip's first appearance waits for them.
void internAtoms(xcb_connection_t* c, std::initializer_list<const char*> names) {
    std::vector<std::pair<const char*, xcb_intern_atom_cookie_t>> asked;
    for (const char* name : names)
        if (!atomCache().contains(name))
            asked.emplace_back(name,
                               xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name));
    for (const auto& [name, cookie] : asked) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
        if (reply && reply->atom != XCB_ATOM_NONE) atomCache().insert(name, reply->atom);
        free(reply);
    }
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    internAtoms(c, {name});
    return atomCache().value(name, XCB_ATOM_NONE);
}

xcb_window_t windowOf(QWidget* w) {
    return w && w->windowHandle() ? static_cast<xcb_window_t>(w->winId())
                                  : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

std::vector<xcb_atom_t> readState(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    std::vector<xcb_atom_t> atoms;
    if (auto* r = xcb_get_property_reply(c, cookie, nullptr)) {
        auto* data = static_cast<xcb_atom_t*>(xcb_get_property_value(r));
        atoms.assign(data, data + xcb_get_property_value_length(r) / sizeof(xcb_atom_t));
        free(r);
    }
    return atoms;
}

// Changes one _NET_WM_STATE flag the way the EWMH asks for it.
void setNetWmState(QWidget* w, const char* stateName, bool on) {
    xcb_connection_t* c = connection();
    const xcb_window_t win = windowOf(w);
    if (!c || win == XCB_WINDOW_NONE) return;
    internAtoms(c, {"_NET_WM_STATE", stateName, "WM_S0"});
    const xcb_atom_t netState = atom(c, "_NET_WM_STATE");
    const xcb_atom_t flag = atom(c, stateName);

    // The three questions asked together: one wait instead of three.
    const auto attrsAsked = xcb_get_window_attributes(c, win);
    const auto wmAsked = xcb_get_selection_owner(c, atom(c, "WM_S0"));
    const auto stateAsked = xcb_get_property(c, 0, win, netState, XCB_ATOM_ATOM, 0, 64);
    auto* attrs = xcb_get_window_attributes_reply(c, attrsAsked, nullptr);
    const bool mapped = attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
    free(attrs);
    xcb_get_selection_owner_reply_t* wm = xcb_get_selection_owner_reply(c, wmAsked, nullptr);
    const bool haveWm = wm && wm->owner != XCB_WINDOW_NONE;
    free(wm);

    if (mapped && haveWm) {
        // A mapped window's state belongs to the window manager: ask it.
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = win;
        ev.type = netState;
        ev.data.data32[0] = on ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        ev.data.data32[1] = flag;
        ev.data.data32[3] = 1; // source: a normal application
        xcb_send_event(c, 0, rootOf(c),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
        xcb_discard_reply(c, stateAsked.sequence);
    } else {
        // Unmapped, the window manager reads the property when the window is mapped; without a
        // window manager the property is the only record of the state.
        std::vector<xcb_atom_t> atoms = readState(c, stateAsked);
        std::erase(atoms, flag);
        if (on) atoms.push_back(flag);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, netState, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(c);
}

} // namespace

bool available() {
    return connection() != nullptr;
}

void setStaysOnTop(QWidget* w, bool on) {
    setNetWmState(w, "_NET_WM_STATE_ABOVE", on);
}

void setUtilityWindowType(QWidget* w) {
    xcb_connection_t* c = connection();
    const xcb_window_t win = windowOf(w);
    if (!c || win == XCB_WINDOW_NONE) return;
    // In order of preference. Tiling managers (i3, sway) float a utility window as they float a
    // dialog, and a utility window keeps what the strip relies on: a task-bar button unless
    // told otherwise, stay-on-top on request, no focus or border the strip did not ask for.
    internAtoms(
        c, {"_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE"});
    const xcb_atom_t types[] = {atom(c, "_NET_WM_WINDOW_TYPE_UTILITY"),
                                atom(c, "_NET_WM_WINDOW_TYPE_NORMAL")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, atom(c, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 2, types);
    xcb_flush(c);
}

void setSkipTaskbar(QWidget* w, bool on) {
    setNetWmState(w, "_NET_WM_STATE_SKIP_TASKBAR", on);
}

void setInputRegion(QWidget* w, const QRegion& region) {
    xcb_connection_t* c = connection();
    const xcb_window_t win = windowOf(w);
    if (!c || win == XCB_WINDOW_NONE) return;
    const qreal dpr = w->devicePixelRatioF();
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : region) {
        rects.push_back({static_cast<int16_t>(r.x() * dpr), static_cast<int16_t>(r.y() * dpr),
                         static_cast<uint16_t>(r.width() * dpr),
                         static_cast<uint16_t>(r.height() * dpr)});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, win,
                         0, 0, static_cast<uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
}

bool compositorActive() {
    xcb_connection_t* c = connection();
    if (!c) return true; // elsewhere the toolkit composes translucent windows itself
    auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, "_NET_WM_CM_S0")),
                                            nullptr);
    const bool active = r && r->owner != XCB_WINDOW_NONE;
    free(r);
    return active;
}

QStringList netWmState(QWidget* w) {
    QStringList names;
    xcb_connection_t* c = connection();
    const xcb_window_t win = windowOf(w);
    if (!c || win == XCB_WINDOW_NONE) return names;
    const xcb_atom_t netState = atom(c, "_NET_WM_STATE");
    for (xcb_atom_t a : readState(c, xcb_get_property(c, 0, win, netState, XCB_ATOM_ATOM, 0, 64))) {
        auto* r = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, a), nullptr);
        if (!r) continue;
        names << QString::fromLatin1(xcb_get_atom_name_name(r), xcb_get_atom_name_name_length(r));
        free(r);
    }
    return names;
}

} // namespace zrm58::x11
