#include "evdev_input_filter.h"

#include "logging.h"

#include <linux/input-event-codes.h>

EvdevInputFilter::EvdevInputFilter(std::unique_ptr<EvdevBackend> backend)
    : m_backend(std::move(backend))
{
}

EvdevInputFilter::~EvdevInputFilter()
{
    close();
}

quint16 EvdevInputFilter::strokeState(const KernelInputEvent& event)
{
    if (event.type != EV_KEY || (event.value != 0 && event.value != 1))
        return 0;
    quint16 down = 0;
    switch (event.code) {
    case BTN_LEFT:
        down = MouseState::LeftDown;
        break;
    case BTN_RIGHT:
        down = MouseState::RightDown;
        break;
    case BTN_MIDDLE:
        down = MouseState::MiddleDown;
        break;
    case BTN_SIDE:
    case BTN_BACK:
        down = MouseState::FourthDown;
        break;
    case BTN_EXTRA:
    case BTN_FORWARD:
        down = MouseState::FifthDown;
        break;
    default:
        return 0;
    }
    // Each button's up state is the bit above its down state.
    return event.value ? down : quint16(down << 1);
}

bool EvdevInputFilter::open()
{
    QString error;
    if (!m_backend->start(&error)) {
        LOG_ERROR(error);
        return false;
    }
    m_open = true;
    m_interrupted = false;
    rescan();
    return true;
}

void EvdevInputFilter::warnOnce(const QString& node, const QString& text)
{
    if (m_warned.contains(node))
        return;
    m_warned.insert(node);
    LOG_WARNING(text);
}

void EvdevInputFilter::rescan()
{
    const QStringList nodes = m_backend->mouseNodes();
    const QList<int> handles = m_devices.keys();
    for (int handle : handles) {
        if (!nodes.contains(m_devices.value(handle).node))
            drop(handle);
    }
    QStringList open;
    for (const Device& device : qAsConst(m_devices))
        open << device.node;
    for (const QString& node : nodes) {
        if (open.contains(node))
            continue;
        QString error;
        bool denied = false;
        const int handle = m_backend->openDevice(node, &error, &denied);
        if (handle < 0) {
            warnOnce(node, denied ? QStringLiteral("Application Error: input filter: permission denied on %1: install "
                                                   "the udev rule packaging/udev/70-orvanta.rules (see README)")
                                        .arg(node)
                                  : QStringLiteral("Application Error: input filter: cannot open %1: %2").arg(node, error));
            continue;
        }
        // The clone comes first: a grabbed mouse without one would leave the
        // pointer dead.
        if (!m_backend->createClone(handle, &error)) {
            warnOnce(node, QStringLiteral("Application Error: input filter: no uinput clone for %1, left alone: %2")
                               .arg(node, error));
            m_backend->closeDevice(handle);
            continue;
        }
        if (!m_backend->grab(handle)) {
            warnOnce(node, QStringLiteral("Application Error: input filter: %1 is grabbed by another program, left "
                                          "alone")
                               .arg(node));
            m_backend->closeDevice(handle);
            continue;
        }
        m_warned.remove(node);
        m_devices.insert(handle, Device{node, {}});
        LOG_INFO(QStringLiteral("Application Info: input filter took %1").arg(node));
    }
}

void EvdevInputFilter::drop(int handle)
{
    if (!m_devices.contains(handle))
        return;
    LOG_INFO(QStringLiteral("Application Info: input filter dropped %1").arg(m_devices.value(handle).node));
    m_devices.remove(handle);
    m_backend->closeDevice(handle);
}

std::optional<InputStroke> EvdevInputFilter::receive()
{
    while (m_strokes.isEmpty()) {
        if (!m_open || m_interrupted)
            return std::nullopt;
        QVector<int> readable;
        bool changed = false;
        const EvdevBackend::WaitResult result = m_backend->wait(m_devices.keys().toVector(), &readable, &changed);
        if (result != EvdevBackend::Ready || m_interrupted)
            return std::nullopt;
        if (changed)
            rescan();
        for (int handle : qAsConst(readable)) {
            if (!m_devices.contains(handle))
                continue;
            QVector<KernelInputEvent> events;
            if (!m_backend->read(handle, &events)) {
                drop(handle);
                continue;
            }
            process(handle, events);
        }
    }
    return m_strokes.dequeue();
}

void EvdevInputFilter::process(int handle, const QVector<KernelInputEvent>& events)
{
    Device& device = m_devices[handle];
    for (const KernelInputEvent& event : events) {
        if (event.type == EV_SYN && event.code == SYN_REPORT) {
            finishFrame(handle, device);
        } else if (event.type == EV_SYN && event.code == SYN_DROPPED) {
            // The kernel lost events; what follows re-states the device.
            device.frame.clear();
        } else {
            device.frame.append(event);
        }
    }
}

void EvdevInputFilter::finishFrame(int handle, Device& device)
{
    QVector<KernelInputEvent> passed;
    for (const KernelInputEvent& event : qAsConst(device.frame)) {
        const quint16 state = strokeState(event);
        if (state & m_filter)
            m_strokes.enqueue(InputStroke{handle, state, event.code});
        else
            passed.append(event);
    }
    device.frame.clear();
    if (passed.isEmpty())
        return;
    passed.append({EV_SYN, SYN_REPORT, 0});
    m_backend->writeClone(handle, passed);
}

void EvdevInputFilter::send(const InputStroke& stroke)
{
    if (!m_devices.contains(stroke.device))
        return;
    // The up states are the odd bits: 0x002, 0x008, ... 0x200.
    const qint32 value = (stroke.state & 0x2AA) ? 0 : 1;
    m_backend->writeClone(stroke.device, {{EV_KEY, stroke.code, value}, {EV_SYN, SYN_REPORT, 0}});
}

void EvdevInputFilter::interrupt()
{
    m_interrupted = true;
    m_backend->wake();
}

void EvdevInputFilter::close()
{
    const QList<int> handles = m_devices.keys();
    for (int handle : handles)
        drop(handle);
    if (m_open)
        m_backend->stop();
    m_open = false;
}

QStringList EvdevInputFilter::grabbedNodes() const
{
    QStringList nodes;
    for (const Device& device : m_devices)
        nodes << device.node;
    return nodes;
}
