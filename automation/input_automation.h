#pragma once

#include "desktop_actions.h"
#include "input_filter_driver.h"
#include "key_capture_target.h"
#include "key_value_table.h"
#include "keyboard_capture.h"
#include "task_runner.h"
#include "virtual_hid_client.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class DEVICE_FILTER;
class QThread;
class commandExec;

// How the input automation of a program is put together.
struct InputAutomationSetup {
    // The program's browser views for the keyboard capture; owned by the
    // automation. nullptr: the capture keeps its state only (orvanta-cli).
    std::unique_ptr<KeyCaptureTarget> captureTarget;
    // The program with a window uses the real mice and uinput; orvanta-cli
    // only what the two variables below name.
    bool desktop = false;
    // ORVANTA_INPUT_SCRIPT: a stroke list played instead of the mice.
    QString inputScript;
    // ORVANTA_VIRTUAL_HID_LOG: a file receiving every output report.
    QString reportLog;
    // orvanta-cli starts the filter with the first configuration, so that a
    // script's strokes meet the trigger map they were written for.
    bool startFilterWithFirstMap = false;

    // The main window's: real devices, the variables read from the
    // environment.
    static InputAutomationSetup forWindow(std::unique_ptr<KeyCaptureTarget> target);
    // orvanta-cli's: only what the variables name.
    static InputAutomationSetup headless();
};

// The input automation of the program, in one object: the keyboard capture
// of macro recording, the virtual keyboard and mouse (`pvmulti_client`), the
// input filter `DEVICE_FILTER` on its own thread and the executor
// `commandExec` on another, created with the first trigger. The main window
// and orvanta-cli each own one.
//
// The page commands reach it in the GUI thread; the filter calls
// runCommands and stopCommands on its thread.
class InputAutomation : public QObject, public TaskRunner
{
    Q_OBJECT
public:
    // The parts, for tests and benchmarks; any may be null: no client means
    // reports go nowhere, no filter driver means no filter exists, no
    // capture means a capture that keeps its state only.
    struct Parts {
        std::unique_ptr<VirtualHidClient> client;
        std::unique_ptr<InputFilterDriver> filterDriver;
        std::unique_ptr<KeyboardCapture> capture;
        std::unique_ptr<DesktopActions> desktop;
        std::unique_ptr<KeyCaptureTarget> captureTarget;
        bool startFilterWithFirstMap = false;
    };

    explicit InputAutomation(Parts parts, QObject* parent = nullptr);
    explicit InputAutomation(InputAutomationSetup setup, QObject* parent = nullptr);
    // shutdown().
    ~InputAutomation() override;

    KeyboardCapture& keyboardCapture() { return *m_capture; }
    const KeyValueTable& keyValues() const { return m_keys; }

    // Opens the virtual device; the result is also the virtual-device-open
    // flag.
    // Opens the virtual device; the input filter starts only once it is.
    bool connectVMulti();
    void disconnectVMulti();
    bool GetVirtualDeviceStatus() const { return m_virtualDeviceOpen; }
    pvmulti_client client() const { return m_client.get(); }

    // Opens the filter and starts its thread (once). Without a driver, or
    // when the driver cannot open, no filter exists afterwards.
    void startFilter();
    bool hasFilter() const { return m_filter != nullptr; }
    DEVICE_FILTER* filter() const { return m_filter.get(); }

    // "RefreshVirtualDrive": nullopt for an empty text (no reply); else
    // whether the new map has triggers. Without a filter: false.
    std::optional<bool> refreshVirtualDrive(const QString& virtualStr);

    // TaskRunner: the first task creates the executor and its thread; later
    // ones are handed to it. Any thread.
    void runCommands(const VirtualTask& task) override;
    void stopCommands() override;

    // Stops the filter (no mouse stays grabbed), ends the capture (the
    // keyboard is ungrabbed), ends the executor and sends all-zero keyboard
    // and mouse reports before closing the virtual device. Nothing stays
    // down. Idempotent.
    void shutdown();

signals:
    void StopVCMDOutput(bool stop);

public slots:
    // After each task: an all-zero keyboard report.
    void onTaskFinished(pvmulti_client client);

private:
    bool virtualDeviceReady(const char* what);
    void init(Parts parts);
    // Creates and opens the filter; false when there is none.
    bool openFilter();
    void runFilter();

    KeyValueTable m_keys;
    std::unique_ptr<KeyCaptureTarget> m_captureTarget;
    std::unique_ptr<KeyboardCapture> m_capture;
    std::unique_ptr<VirtualHidClient> m_client;
    std::unique_ptr<DesktopActions> m_desktop;
    std::unique_ptr<InputFilterDriver> m_pendingDriver;
    std::unique_ptr<DEVICE_FILTER> m_filter;
    QThread* m_filterThread = nullptr;
    bool m_filterStarted = false;
    bool m_startFilterWithFirstMap = false;
    bool m_toldNoVirtualDevice = false;
    bool m_virtualDeviceOpen = false;
    bool m_shutDown = false;

    QMutex m_executorMutex;
    commandExec* m_executor = nullptr;
    QThread* m_executorThread = nullptr;
};
