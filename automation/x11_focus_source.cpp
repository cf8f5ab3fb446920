#include "x11_focus_source.h"

#include <QSet>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Properties are read up to this many 32-bit units (16 KiB): enough for a
// class, a title or a window list, and a bound on what a hostile client
// can make the program copy.
constexpr uint32_t kMaxLongs = 4096;
constexpr int kMaxWindows = 1024;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

X11FocusSource::X11FocusSource(const QString& display, Scope scope, QObject* parent)
    : FocusSource(parent)
    , m_display(display)
    , m_scope(scope)
{
}

X11FocusSource::~X11FocusSource()
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11FocusSource::start()
{
    if (m_connection)
        return m_reason.isEmpty();
    int screenNumber = 0;
    const QByteArray display = m_display.toLocal8Bit();
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        m_reason = QStringLiteral("The X display cannot be reached");
        emit reasonChanged();
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        lost(QStringLiteral("The X display has no such screen"));
        return false;
    }
    m_root = screens.data->root;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    Reply<xcb_generic_error_t> error(
        xcb_request_check(m_connection, xcb_change_window_attributes_checked(m_connection, m_root, XCB_CW_EVENT_MASK, &mask)));
    if (error) {
        lost(QStringLiteral("The X display does not let this program watch it"));
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11FocusSource::readEvents);
    report();
    readEvents();
    return m_connection != nullptr;
}

void X11FocusSource::lost(const QString& why)
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_reason = why;
    emit reasonChanged();
}

uint32_t X11FocusSource::atom(const char* name) const
{
    const QByteArray key(name);
    auto it = m_atoms.constFind(key);
    if (it != m_atoms.constEnd())
        return *it;
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, uint16_t(key.size()), name), nullptr));
    const uint32_t value = reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
    if (value != XCB_ATOM_NONE)
        m_atoms.insert(key, value);
    return value;
}

namespace {

// A property's bytes (format 8) or units (format 32); empty when the
// window or the property is missing.
QByteArray readProperty(xcb_connection_t* c, uint32_t window, uint32_t name, uint32_t type, uint8_t* format = nullptr)
{
    if (!window || name == XCB_ATOM_NONE)
        return QByteArray();
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, kMaxLongs), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return QByteArray();
    if (format)
        *format = reply->format;
    const int length = xcb_get_property_value_length(reply.get());
    return length > 0 ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length) : QByteArray();
}

QVector<uint32_t> units(const QByteArray& bytes)
{
    QVector<uint32_t> out(bytes.size() / 4);
    if (!out.isEmpty())
        std::memcpy(out.data(), bytes.constData(), size_t(out.size()) * 4);
    return out;
}

} // namespace

uint32_t X11FocusSource::activeWindow()
{
    uint8_t format = 0;
    const QVector<uint32_t> value = units(readProperty(m_connection, m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, &format));
    return format == 32 && !value.isEmpty() ? value.first() : 0;
}

QString X11FocusSource::windowClass(uint32_t window) const
{
    // "instance\0class\0": the class names the program ("Firefox"); the
    // instance stands in when there is no class.
    const QList<QByteArray> parts = readProperty(m_connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    const QByteArray name = parts.size() > 1 && !parts[1].isEmpty() ? parts[1] : parts.value(0);
    return QString::fromLocal8Bit(name);
}

FocusedWindow X11FocusSource::describe(uint32_t window)
{
    if (!window)
        return FocusedWindow();
    uint8_t format = 0;
    const QVector<uint32_t> types =
        units(readProperty(m_connection, window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, &format));
    if (format == 32 && types.contains(atom("_NET_WM_WINDOW_TYPE_DESKTOP")))
        return FocusedWindow();
    QByteArray title = readProperty(m_connection, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    const QString text = title.isEmpty()
                             ? QString::fromLatin1(readProperty(m_connection, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY))
                             : QString::fromUtf8(title);
    format = 0;
    const QVector<uint32_t> pid = units(readProperty(m_connection, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, &format));
    return FocusedWindow::of(windowClass(window), text, format == 32 && !pid.isEmpty() ? qint64(pid.first()) : 0);
}

FocusedWindow X11FocusSource::current()
{
    if (!m_connection)
        return FocusedWindow();
    const uint32_t window = activeWindow();
    follow(window);
    return describe(window);
}

// Title changes of the window in front arrive as its property changes.
void X11FocusSource::follow(uint32_t window)
{
    if (window == m_followed)
        return;
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    const uint32_t watch = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (m_followed && m_followed != m_root)
        xcb_change_window_attributes(m_connection, m_followed, XCB_CW_EVENT_MASK, &none);
    if (window && window != m_root)
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &watch);
    m_followed = window;
    xcb_flush(m_connection);
}

void X11FocusSource::report()
{
    const FocusedWindow window = current();
    if (m_reported && window == m_last)
        return;
    m_reported = true;
    m_last = window;
    emit windowActivated(window);
}

void X11FocusSource::readEvents()
{
    if (!m_connection)
        return;
    bool changed = false;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
        Reply<xcb_generic_event_t> event(raw);
        // Errors (response type 0) are those of windows gone meanwhile.
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
        if (notify->window == m_root && notify->atom == atom("_NET_ACTIVE_WINDOW"))
            changed = true;
        else if (notify->window == m_followed && notify->window != m_root
                 && (notify->atom == atom("_NET_WM_NAME") || notify->atom == XCB_ATOM_WM_NAME))
            changed = true;
    }
    if (xcb_connection_has_error(m_connection)) {
        lost(QStringLiteral("The connection to the X display was lost"));
        return;
    }
    if (changed)
        report();
}

QStringList X11FocusSource::runningClasses() const
{
    if (!m_connection)
        return {};
    uint8_t format = 0;
    const QVector<uint32_t> windows =
        units(readProperty(m_connection, m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, &format));
    QSet<QString> classes;
    for (int i = 0; i < windows.size() && i < kMaxWindows && classes.size() < kMaxClasses; ++i) {
        const QString name = windowClass(windows[i]).left(FocusedWindow::kMaxApp).trimmed();
        if (!name.isEmpty())
            classes.insert(name);
    }
    QStringList sorted(classes.begin(), classes.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}
