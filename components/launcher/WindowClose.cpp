// The close request to a program's top-level windows on an X11 display: the
// desktop's own way of asking a window to close (WM_DELETE_WINDOW), which the
// program may answer as it likes (ask to save, refuse, close).

#include "ExecuteProcess.h"

#include <QByteArray>
#include <QList>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The values of a 32-bit property (empty when absent).
QList<uint32_t> Property32(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    QList<uint32_t> values;
    if (property == XCB_ATOM_NONE)
        return values;
    xcb_get_property_reply_t *r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 4096), nullptr);
    if (r && r->format == 32) {
        const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(r));
        const int n = xcb_get_property_value_length(r) / 4;
        for (int i = 0; i < n; ++i)
            values << v[i];
    }
    std::free(r);
    return values;
}

} // namespace

int KrRequestWindowsClose(qint64 pid)
{
    if (pid <= 1 || qEnvironmentVariableIsEmpty("DISPLAY"))
        return 0;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return 0;
    }
    int asked = 0;
    const xcb_setup_t *setup = xcb_get_setup(c);
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
        const xcb_window_t root = it.data->root;
        const xcb_atom_t netPid = Atom(c, "_NET_WM_PID");
        const xcb_atom_t protocols = Atom(c, "WM_PROTOCOLS");
        const xcb_atom_t deleteWindow = Atom(c, "WM_DELETE_WINDOW");
        if (netPid == XCB_ATOM_NONE || protocols == XCB_ATOM_NONE || deleteWindow == XCB_ATOM_NONE)
            continue;
        // The window manager's list of client windows, else the root's children.
        QList<uint32_t> windows = Property32(c, root, Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
        if (windows.isEmpty()) {
            if (xcb_query_tree_reply_t *t = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
                const xcb_window_t *ch = xcb_query_tree_children(t);
                for (int i = 0; i < xcb_query_tree_children_length(t); ++i)
                    windows << ch[i];
                std::free(t);
            }
        }
        for (const uint32_t w : windows) {
            const QList<uint32_t> owner = Property32(c, w, netPid, XCB_ATOM_CARDINAL);
            if (owner.isEmpty() || qint64(owner.first()) != pid)
                continue;
            xcb_get_window_attributes_reply_t *a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
            const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(a);
            if (!viewable)
                continue;
            if (!Property32(c, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW).isEmpty())
                continue; // a dialog of another window: its owner is asked
            if (!Property32(c, w, protocols, XCB_ATOM_ATOM).contains(deleteWindow))
                continue;
            xcb_client_message_event_t ev;
            std::memset(&ev, 0, sizeof ev);
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = w;
            ev.type = protocols;
            ev.data.data32[0] = deleteWindow;
            ev.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
            ++asked;
        }
    }
    xcb_flush(c);
    xcb_disconnect(c);
    return asked;
}
