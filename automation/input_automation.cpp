#include "input_automation.h"

#include "command_exec.h"
#include "device_filter.h"
#include "evdev_input_filter.h"
#include "key_capture_target.h"
#include "keyboard_capture.h"
#include "libevdev_backend.h"
#include "logging.h"
#include "report_log_virtual_hid.h"
#include "scripted_input_filter.h"
#include "system_calls.h"
#include "uinput_virtual_hid.h"
#include "virtual_report.h"
#include "x11_desktop_actions.h"
#include "x11_keyboard_capture.h"

#include <QGuiApplication>
#include <QThread>

namespace {

QString environment(const char* name)
{
    return qEnvironmentVariable(name);
}

} // namespace

InputAutomationSetup InputAutomationSetup::forWindow(std::unique_ptr<KeyCaptureTarget> target)
{
    InputAutomationSetup setup;
    setup.captureTarget = std::move(target);
    setup.desktop = true;
    setup.inputScript = environment("ORVANTA_INPUT_SCRIPT");
    setup.reportLog = environment("ORVANTA_VIRTUAL_HID_LOG");
    return setup;
}

InputAutomationSetup InputAutomationSetup::headless()
{
    InputAutomationSetup setup;
    setup.inputScript = environment("ORVANTA_INPUT_SCRIPT");
    setup.reportLog = environment("ORVANTA_VIRTUAL_HID_LOG");
    setup.startFilterWithFirstMap = true;
    return setup;
}

InputAutomation::InputAutomation(Parts parts, QObject* parent)
    : QObject(parent)
{
    init(std::move(parts));
}

InputAutomation::InputAutomation(InputAutomationSetup setup, QObject* parent)
    : QObject(parent)
{
    Parts parts;
    // The virtual device: uinput in the program, the report log where one
    // is named (beside uinput in the program, alone in orvanta-cli).
    std::unique_ptr<VirtualHidClient> device;
    if (setup.desktop)
        device = std::make_unique<UinputVirtualHid>(SystemCalls::system());
    if (!setup.reportLog.isEmpty())
        device = std::make_unique<ReportLogVirtualHid>(setup.reportLog, std::move(device));
    parts.client = std::move(device);

    // The filter: the script where one is named, else the mice of the
    // desktop (the program only).
    if (!setup.inputScript.isEmpty())
        parts.filterDriver = std::make_unique<ScriptedInputFilter>(setup.inputScript);
    else if (setup.desktop)
        parts.filterDriver = std::make_unique<EvdevInputFilter>(std::make_unique<LibevdevBackend>());

    // The capture: a grab on X11, focus only elsewhere, state only without
    // a window.
    KeyCaptureTarget* target = setup.captureTarget.get();
    if (target && X11KeyboardCapture::available())
        parts.capture = std::make_unique<X11KeyboardCapture>(target);
    else if (target)
        parts.capture = std::make_unique<FocusKeyboardCapture>(
            target, QStringLiteral("the platform \"%1\" offers no keyboard grab").arg(QGuiApplication::platformName()));
    parts.captureTarget = std::move(setup.captureTarget);
    parts.desktop = std::make_unique<X11DesktopActions>();
    parts.startFilterWithFirstMap = setup.startFilterWithFirstMap;
    init(std::move(parts));
}

void InputAutomation::init(Parts parts)
{
    qRegisterMetaType<pvmulti_client>("pvmulti_client");
    if (!m_keys.load())
        LOG_ERROR(QStringLiteral("Application Error: cannot read the key value table %1").arg(KeyValueTable::defaultPath()));
    m_captureTarget = std::move(parts.captureTarget);
    m_capture = parts.capture ? std::move(parts.capture)
                              : std::make_unique<FocusKeyboardCapture>(nullptr, QString());
    m_client = std::move(parts.client);
    m_desktop = std::move(parts.desktop);
    m_pendingDriver = std::move(parts.filterDriver);
    m_startFilterWithFirstMap = parts.startFilterWithFirstMap;
}

InputAutomation::~InputAutomation()
{
    shutdown();
}

bool InputAutomation::connectVMulti()
{
    m_virtualDeviceOpen = m_client && m_client->connect();
    return m_virtualDeviceOpen;
}

void InputAutomation::disconnectVMulti()
{
    if (m_client)
        m_client->disconnect();
    m_virtualDeviceOpen = false;
}

bool InputAutomation::openFilter()
{
    if (m_filter || !m_pendingDriver)
        return m_filter != nullptr;
    auto filter = std::make_unique<DEVICE_FILTER>(std::move(m_pendingDriver), m_keys, *this);
    if (!filter->open()) {
        LOG_ERROR(QStringLiteral("Application Error: no input filter: software remapping is off"));
        return false;
    }
    m_filter = std::move(filter);
    return true;
}

void InputAutomation::runFilter()
{
    if (!m_filter || m_filterStarted || m_shutDown)
        return;
    m_filterStarted = true;
    m_filterThread = new QThread(this);
    m_filterThread->setObjectName(QStringLiteral("input filter"));
    m_filter->moveToThread(m_filterThread);
    connect(m_filterThread, &QThread::started, m_filter.get(), &DEVICE_FILTER::start);
    m_filterThread->start();
}

// The filter takes the mice's buttons and hands on the rest through the
// virtual device: without that device a grabbed mouse would go dead, so
// the filter never starts before the device is open.
bool InputAutomation::virtualDeviceReady(const char* what)
{
    if (m_virtualDeviceOpen)
        return true;
    if (!m_toldNoVirtualDevice)
        LOG_ERROR(QStringLiteral("Application Error: the input filter is not started (%1): the virtual keyboard and"
                                 " mouse did not open, so a grabbed mouse would go dead")
                      .arg(QLatin1String(what)));
    m_toldNoVirtualDevice = true;
    return false;
}

void InputAutomation::startFilter()
{
    if (!virtualDeviceReady("at start"))
        return;
    if (openFilter())
        runFilter();
}

std::optional<bool> InputAutomation::refreshVirtualDrive(const QString& virtualStr)
{
    if (virtualStr.isEmpty())
        return std::nullopt;
    if (!m_filter && !virtualDeviceReady("for RefreshVirtualDrive"))
        return false;
    if (!m_filter && m_startFilterWithFirstMap)
        openFilter();
    if (!m_filter)
        return false;
    const bool triggers = m_filter->refresh(virtualStr);
    runFilter();
    return triggers;
}

void InputAutomation::runCommands(const VirtualTask& task)
{
    QMutexLocker lock(&m_executorMutex);
    if (m_shutDown)
        return;
    if (m_executor) {
        m_executor->handOver(task);
        return;
    }
    if (!commandExec::accepts(task))
        return;
    // The executor and its thread live from the first trigger to the end.
    m_executorThread = new QThread;
    m_executorThread->setObjectName(QStringLiteral("command executor"));
    m_executor = new commandExec(task, m_client.get(), m_desktop.get());
    m_executor->moveToThread(m_executorThread);
    // Direct: the all-zero report of a finished task goes out before the
    // executor takes the next one, never in the middle of it.
    connect(m_executor, &commandExec::taskFinished, this, &InputAutomation::onTaskFinished, Qt::DirectConnection);
    connect(m_executorThread, &QThread::started, m_executor, &commandExec::start);
    m_executorThread->start(QThread::InheritPriority);
}

void InputAutomation::stopCommands()
{
    emit StopVCMDOutput(true);
    QMutexLocker lock(&m_executorMutex);
    if (m_executor)
        m_executor->requestStop();
}

void InputAutomation::onTaskFinished(pvmulti_client client)
{
    if (client)
        client->write(VirtualReport::keyboard(0));
    LOG_INFO(QStringLiteral("onTaskFinished reset all key==========================="));
}

void InputAutomation::shutdown()
{
    if (m_shutDown)
        return;
    // The capture first: the keyboard goes back to the desktop.
    m_capture->stop();

    // The filter next, so no trigger comes in while the rest goes down; its
    // loop gives every mouse back when it ends.
    if (m_filter) {
        m_filter->stop();
        if (m_filterThread) {
            m_filterThread->quit();
            m_filterThread->wait();
        }
    }
    m_filter.reset();
    delete m_filterThread;
    m_filterThread = nullptr;

    {
        QMutexLocker lock(&m_executorMutex);
        m_shutDown = true;
        if (m_executor) {
            m_executor->quit();
            m_executorThread->quit();
            m_executorThread->wait();
        }
        delete m_executor;
        m_executor = nullptr;
        delete m_executorThread;
        m_executorThread = nullptr;
    }

    if (m_client && m_client->isConnected()) {
        m_client->write(VirtualReport::keyboard(0));
        m_client->write(VirtualReport::mouse(0));
    }
    disconnectVMulti();
}
