#include "platform/desktop/WindowPresence.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>

namespace eggtimer {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// Tells the launcher that the start it announced under `id` is complete
// (the startup notification protocol's "remove" message: its text in pieces
// of 20 bytes, the first of type _NET_STARTUP_INFO_BEGIN).
void completeStartup(const QByteArray& id) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr)
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    // The id is quoted as the protocol asks: backslashes and quotes escaped.
    QByteArray quoted = id;
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    const QByteArray message = "remove: ID=\"" + quoted + "\"";
    const qsizetype length = message.size() + 1; // with its NUL
    for (qsizetype sent = 0; sent < length; sent += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = screen->root;
        event.type = sent == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + sent, std::min<qsizetype>(20, length - sent));
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}

} // namespace

void presentWindow(QWidget* window, const QString& activationToken) {
    if (window == nullptr)
        return;
    const QString platform = QGuiApplication::platformName();
    if (!activationToken.isEmpty() && platform == QStringLiteral("wayland"))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8()); // spent by Qt at the activation
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    if (!activationToken.isEmpty() && platform == QStringLiteral("xcb"))
        completeStartup(activationToken.toUtf8());
}

} // namespace eggtimer
