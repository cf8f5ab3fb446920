#include "libevdev_backend.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <libudev.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool propertyIs(udev_device* device, const char* name)
{
    const char* value = udev_device_get_property_value(device, name);
    return value && std::strcmp(value, "1") == 0;
}

} // namespace

LibevdevBackend::LibevdevBackend() = default;

LibevdevBackend::~LibevdevBackend()
{
    stop();
}

bool LibevdevBackend::start(QString* error)
{
    // Every mouse the filter takes needs a clone: without /dev/uinput no
    // mouse may be grabbed at all.
    const int probe = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (probe < 0) {
        const int cause = errno;
        if (cause == EACCES || cause == EPERM)
            *error = QStringLiteral("Application Error: input filter: permission denied on /dev/uinput: install the "
                                    "udev rule packaging/udev/70-orvanta.rules (see README)");
        else
            *error = QStringLiteral("Application Error: input filter: cannot open /dev/uinput (%1): load the uinput "
                                    "module (modprobe uinput)")
                         .arg(errorText(cause));
        return false;
    }
    ::close(probe);

    m_udev = udev_new();
    if (!m_udev) {
        *error = QStringLiteral("Application Error: input filter: udev is not available");
        return false;
    }
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd.load() < 0) {
        *error = QStringLiteral("Application Error: input filter: no eventfd: %1").arg(errorText(errno));
        stop();
        return false;
    }
    // Without the monitor the filter still works with the mice present at
    // start; new ones are then not taken on.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor
        && (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr) < 0
            || udev_monitor_enable_receiving(m_monitor) < 0)) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    return true;
}

void LibevdevBackend::stop()
{
    const QList<int> handles = m_devices.keys();
    for (int handle : handles)
        closeDevice(handle);
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
    const int wakeFd = m_wakeFd.exchange(-1);
    if (wakeFd >= 0)
        ::close(wakeFd);
}

QStringList LibevdevBackend::mouseNodes()
{
    QStringList nodes;
    if (!m_udev)
        return nodes;
    udev_enumerate* enumerate = udev_enumerate_new(m_udev);
    if (!enumerate)
        return nodes;
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_add_match_property(enumerate, "ID_INPUT_MOUSE", "1");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        const char* syspath = udev_list_entry_get_name(entry);
        // uinput devices (ours, and other remappers') live under
        // /devices/virtual: taking them would feed the filter its own output.
        if (!syspath || std::strstr(syspath, "/devices/virtual/"))
            continue;
        udev_device* device = udev_device_new_from_syspath(m_udev, syspath);
        if (!device)
            continue;
        const char* node = udev_device_get_devnode(device);
        // A node that is a keyboard as well is left alone: its keys are not
        // the filter's to read.
        if (node && std::strncmp(node, "/dev/input/event", 16) == 0 && !propertyIs(device, "ID_INPUT_TOUCHPAD")
            && !propertyIs(device, "ID_INPUT_TABLET") && !propertyIs(device, "ID_INPUT_JOYSTICK")
            && !propertyIs(device, "ID_INPUT_KEYBOARD"))
            nodes << QFile::decodeName(node);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    nodes.sort();
    return nodes;
}

int LibevdevBackend::openDevice(const QString& node, QString* error, bool* denied)
{
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *denied = errno == EACCES || errno == EPERM;
        *error = errorText(errno);
        return -1;
    }
    Device device;
    const int rc = libevdev_new_from_fd(fd, &device.dev);
    if (rc < 0) {
        *error = errorText(-rc);
        ::close(fd);
        return -1;
    }
    m_devices.insert(fd, device);
    return fd;
}

bool LibevdevBackend::createClone(int handle, QString* error)
{
    Device& device = m_devices[handle];
    const int rc = libevdev_uinput_create_from_device(device.dev, LIBEVDEV_UINPUT_OPEN_MANAGED, &device.clone);
    if (rc < 0) {
        device.clone = nullptr;
        *error = errorText(-rc);
        return false;
    }
    return true;
}

bool LibevdevBackend::grab(int handle)
{
    Device& device = m_devices[handle];
    device.grabbed = libevdev_grab(device.dev, LIBEVDEV_GRAB) == 0;
    return device.grabbed;
}

void LibevdevBackend::closeDevice(int handle)
{
    if (!m_devices.contains(handle))
        return;
    Device device = m_devices.take(handle);
    if (device.grabbed)
        libevdev_grab(device.dev, LIBEVDEV_UNGRAB);
    if (device.clone)
        libevdev_uinput_destroy(device.clone);
    libevdev_free(device.dev);
    ::close(handle);
}

bool LibevdevBackend::drainMonitor()
{
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        const char* node = udev_device_get_devnode(device);
        if (action && node && std::strncmp(node, "/dev/input/event", 16) == 0
            && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
            changed = true;
        udev_device_unref(device);
    }
    return changed;
}

EvdevBackend::WaitResult LibevdevBackend::wait(const QVector<int>& handles, QVector<int>* readable,
                                               bool* devicesChanged)
{
    readable->clear();
    *devicesChanged = false;
    const int wakeFd = m_wakeFd;
    if (wakeFd < 0)
        return Failed;
    std::vector<pollfd> fds;
    fds.push_back({wakeFd, POLLIN, 0});
    const int monitorFd = m_monitor ? udev_monitor_get_fd(m_monitor) : -1;
    fds.push_back({monitorFd, POLLIN, 0});   // a negative descriptor is skipped by poll
    for (int handle : handles)
        fds.push_back({handle, POLLIN, 0});

    int count;
    do {
        count = ::poll(fds.data(), nfds_t(fds.size()), -1);
    } while (count < 0 && errno == EINTR);
    if (count < 0)
        return Failed;

    if (fds[0].revents) {
        quint64 value = 0;
        if (::read(wakeFd, &value, sizeof value) < 0) {
            // Nothing to do: the wake-up counts all the same.
        }
        return Woken;
    }
    if (fds[1].revents & POLLIN)
        *devicesChanged = drainMonitor();
    for (size_t i = 2; i < fds.size(); ++i) {
        if (fds[i].revents)
            readable->append(fds[i].fd);
    }
    return Ready;
}

bool LibevdevBackend::read(int handle, QVector<KernelInputEvent>* events)
{
    events->clear();
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return false;
    input_event event;
    unsigned int flags = LIBEVDEV_READ_FLAG_NORMAL;
    while (true) {
        const int rc = libevdev_next_event(it->dev, flags, &event);
        if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
            events->append({event.type, event.code, event.value});
        } else if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // After SYN_DROPPED libevdev hands out the device's state again;
            // take it, then go on with normal reading.
            events->append({event.type, event.code, event.value});
            flags = LIBEVDEV_READ_FLAG_SYNC;
        } else if (rc == -EAGAIN) {
            if (flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            return true;
        } else {
            return false;   // -ENODEV: the mouse went away
        }
    }
}

bool LibevdevBackend::writeClone(int handle, const QVector<KernelInputEvent>& events)
{
    auto it = m_devices.find(handle);
    if (it == m_devices.end() || !it->clone)
        return false;
    bool ok = true;
    for (const KernelInputEvent& event : events)
        ok = libevdev_uinput_write_event(it->clone, event.type, event.code, event.value) == 0 && ok;
    return ok;
}

void LibevdevBackend::wake()
{
    const quint64 one = 1;
    const int wakeFd = m_wakeFd;
    if (wakeFd >= 0 && ::write(wakeFd, &one, sizeof one) < 0) {
        // The counter is full: a wake-up is pending already.
    }
}
