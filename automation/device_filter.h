#pragma once

#include "input_filter_driver.h"
#include "trigger_map.h"

#include <QMutex>
#include <QObject>
#include <QSet>

#include <memory>

class KeyValueTable;
class TaskRunner;

// The software remapping's filter: on a thread of its own it receives the
// mouse strokes of the right, middle, fourth and fifth button, swallows
// those of configured buttons and turns them into tasks for the executor,
// and sends every other stroke on.
//
// A press (play types 0 to 2) runs the button's task; a release runs it
// again for play types 0 and 3 and stops it for types 1 and 2. A release
// whose press went on to the system goes on too, so no button stays down
// on the desktop.
class DEVICE_FILTER : public QObject
{
    Q_OBJECT
public:
    DEVICE_FILTER(std::unique_ptr<InputFilterDriver> driver, const KeyValueTable& keys, TaskRunner& runner,
                  QObject* parent = nullptr);
    ~DEVICE_FILTER() override;

    // Replaces the trigger map with the one of a configuration text
    // ("VirtualStr"); buttons held under the old map are let go first.
    // True when the text has a "map" element with a child element. Any
    // thread.
    bool refresh(const QString& virtualStr);
    // Ends the loop of start(); any thread.
    void stop();

    // Opens the driver with the mouse filter 0x3FC (right, middle, fourth
    // and fifth button down and up); false when it cannot filter here.
    bool open();
    // One stroke: true when it was swallowed. Filter thread.
    bool handleStroke(const InputStroke& stroke);

    int triggerCount() const;

public slots:
    // The filter loop, after open(): hands every stroke to handleStroke,
    // sends on what it does not swallow, and closes the driver when
    // receiving ends (stop(), or a failure of the driver).
    void start();

signals:
    void finished();

private:
    void release(const TriggerKey& key, const TriggerRecord& record);

    std::unique_ptr<InputFilterDriver> m_driver;
    const KeyValueTable& m_keys;
    TaskRunner& m_runner;
    mutable QMutex m_mutex;
    TriggerMap m_map;
    QSet<quint32> m_held;          // trigger keys whose button is down
    QSet<quint16> m_swallowedDown; // button-down states whose press was swallowed
};
