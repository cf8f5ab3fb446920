#include "uinput_virtual_hid.h"

#include "logging.h"
#include "system_calls.h"

#include <QDebug>

#include <linux/input.h>
#include <linux/uinput.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <vector>

namespace {

QString accessAdvice(int error, const QString& node)
{
    if (error == EACCES || error == EPERM)
        return QStringLiteral("Application Error: virtual input device: permission denied on %1: install the udev "
                              "rule packaging/udev/70-orvanta.rules (see README)")
            .arg(node);
    if (error == ENOENT || error == ENODEV || error == ENXIO)
        return QStringLiteral("Application Error: virtual input device: %1 is missing: load the uinput module "
                              "(modprobe uinput)")
            .arg(node);
    return QStringLiteral("Application Error: virtual input device: cannot open %1: %2")
        .arg(node, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

UinputVirtualHid::UinputVirtualHid(SystemCalls& calls, const QString& node)
    : m_calls(calls)
    , m_node(node.toLocal8Bit())
{
}

UinputVirtualHid::~UinputVirtualHid()
{
    disconnect();
}

bool UinputVirtualHid::open()
{
    qDebug().noquote() << QStringLiteral("\n....looking for our HID device (with UP=0x%1 and Usage=0x%2)\n")
                              .arg(0xFF00, 0, 16)
                              .arg(1, 0, 16);
    m_keyboard = createDevice("Orvanta virtual keyboard", true);
    if (m_keyboard >= 0)
        m_mouse = createDevice("Orvanta virtual mouse", false);
    if (m_keyboard < 0 || m_mouse < 0) {
        destroyDevice(&m_keyboard);
        destroyDevice(&m_mouse);
        qDebug().noquote() << QStringLiteral("Failure: Could not find our HID device \n");
        return false;
    }
    m_translator = HidReportTranslator();
    qDebug().noquote() << QStringLiteral("Success: Found my device.. \n");
    return true;
}

int UinputVirtualHid::createDevice(const char* name, bool keyboard)
{
    const int fd = m_calls.open(m_node.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        LOG_ERROR(accessAdvice(errno, QString::fromLocal8Bit(m_node)));
        return -1;
    }
    bool ok = m_calls.ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0;
    const QVector<quint16> codes =
        keyboard ? HidReportTranslator::keyboardKeys() : HidReportTranslator::mouseButtons();
    for (quint16 code : codes)
        ok = ok && m_calls.ioctl(fd, UI_SET_KEYBIT, code) == 0;
    if (!keyboard) {
        ok = ok && m_calls.ioctl(fd, UI_SET_EVBIT, EV_REL) == 0;
        for (unsigned long axis : {REL_X, REL_Y, REL_WHEEL})
            ok = ok && m_calls.ioctl(fd, UI_SET_RELBIT, axis) == 0;
    }

    if (ok) {
        uinput_setup setup;
        std::memset(&setup, 0, sizeof setup);
        setup.id.bustype = BUS_VIRTUAL;
        setup.id.vendor = kVendorId;
        setup.id.product = kProductId;
        setup.id.version = 1;
        std::strncpy(setup.name, name, UINPUT_MAX_NAME_SIZE - 1);
        if (m_calls.ioctlPointer(fd, UI_DEV_SETUP, &setup) != 0) {
            // Kernels before 4.5 take the description as a write.
            uinput_user_dev legacy;
            std::memset(&legacy, 0, sizeof legacy);
            std::strncpy(legacy.name, name, UINPUT_MAX_NAME_SIZE - 1);
            legacy.id = setup.id;
            ok = m_calls.write(fd, &legacy, sizeof legacy) == ssize_t(sizeof legacy);
        }
    }
    ok = ok && m_calls.ioctl(fd, UI_DEV_CREATE, 0) == 0;
    if (!ok) {
        LOG_ERROR(QStringLiteral("Application Error: virtual input device: cannot create %1: %2")
                      .arg(QString::fromLatin1(name), QString::fromLocal8Bit(std::strerror(errno))));
        m_calls.close(fd);
        return -1;
    }
    return fd;
}

void UinputVirtualHid::destroyDevice(int* fd)
{
    if (*fd < 0)
        return;
    m_calls.ioctl(*fd, UI_DEV_DESTROY, 0);
    m_calls.close(*fd);
    *fd = -1;
}

void UinputVirtualHid::close()
{
    // Nothing stays down on the desktop once the device goes.
    writeEvents(m_keyboard, m_translator.releaseKeyboard());
    writeEvents(m_mouse, m_translator.releaseMouse());
    destroyDevice(&m_keyboard);
    destroyDevice(&m_mouse);
}

bool UinputVirtualHid::writeReport(const QByteArray& report)
{
    QVector<KernelInputEvent> events;
    const HidReportTranslator::Device device = m_translator.translate(report, &events);
    if (device == HidReportTranslator::None)
        return false;
    return writeEvents(device == HidReportTranslator::Keyboard ? m_keyboard : m_mouse, events);
}

bool UinputVirtualHid::writeEvents(int fd, const QVector<KernelInputEvent>& events)
{
    if (events.isEmpty())
        return true;
    if (fd < 0)
        return false;
    std::vector<input_event> raw(size_t(events.size()));
    std::memset(raw.data(), 0, raw.size() * sizeof(input_event));
    for (int i = 0; i < events.size(); ++i) {
        raw[size_t(i)].type = events[i].type;
        raw[size_t(i)].code = events[i].code;
        raw[size_t(i)].value = events[i].value;
    }
    const ssize_t size = ssize_t(raw.size() * sizeof(input_event));
    if (m_calls.write(fd, raw.data(), size_t(size)) != size) {
        qDebug().noquote() << QStringLiteral("failed WriteFile %1\n").arg(errno);
        return false;
    }
    return true;
}
