#pragma once

#include "evdev_backend.h"
#include "input_filter_driver.h"

#include <QMap>
#include <QQueue>
#include <QSet>

#include <atomic>
#include <memory>

// The input filter on Linux: every mouse is grabbed (after its uinput clone
// exists, so the pointer never goes dead) and its events are read frame by
// frame. Button presses and releases that the filter selects become
// strokes; everything else in the frame (left button, movement, wheel,
// other buttons, other event types) goes straight on through the clone.
// A stroke that is sent on goes out through the clone too; one that is
// swallowed never reaches the system.
//
// Right, middle, back (BTN_SIDE or BTN_BACK) and forward (BTN_EXTRA or
// BTN_FORWARD) map onto the stroke states of the second to fifth button;
// BTN_LEFT onto the first. Mice that appear are taken on; a mouse that
// disappears is dropped and the filter goes on with the others.
class EvdevInputFilter : public InputFilterDriver
{
public:
    explicit EvdevInputFilter(std::unique_ptr<EvdevBackend> backend);
    ~EvdevInputFilter() override;

    bool open() override;
    void setMouseFilter(quint16 states) override { m_filter = states; }
    std::optional<InputStroke> receive() override;
    void send(const InputStroke& stroke) override;
    void interrupt() override;
    void close() override;

    // The stroke state of a button event; 0 for anything else.
    static quint16 strokeState(const KernelInputEvent& event);
    // The devices taken on, by node.
    QStringList grabbedNodes() const;

private:
    struct Device {
        QString node;
        QVector<KernelInputEvent> frame;
    };

    void rescan();
    void drop(int handle);
    void process(int handle, const QVector<KernelInputEvent>& events);
    void finishFrame(int handle, Device& device);
    void warnOnce(const QString& node, const QString& text);

    std::unique_ptr<EvdevBackend> m_backend;
    QMap<int, Device> m_devices;
    QSet<QString> m_warned;
    QQueue<InputStroke> m_strokes;
    quint16 m_filter = 0;
    bool m_open = false;
    std::atomic<bool> m_interrupted{false};
};
