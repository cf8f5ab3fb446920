#include "device_notifier.h"
#include "hotplug_source.h"
#include "udev_hotplug_source.h"

#include "logging.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FakeHotplugSource : public HotplugSource {
public:
    explicit FakeHotplugSource(bool canStart = true)
        : m_canStart(canStart)
    {
    }
    bool start() override
    {
        ++starts;
        watching = m_canStart;
        return m_canStart;
    }
    void stop() override { watching = false; }
    QString description() const override { return QStringLiteral("fake"); }
    void report(int kind) { emit deviceChanged(kind); }

    int starts = 0;
    bool watching = false;

private:
    bool m_canStart;
};

QStringList logMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        messages.append(line.mid(line.indexOf(QLatin1String("] ")) + 2));
    return messages;
}

QList<int> kinds(const QSignalSpy &spy)
{
    QList<int> result;
    for (const QList<QVariant> &arguments : spy)
        result.append(arguments.at(0).toInt());
    return result;
}

} // namespace

class TestDeviceNotifier : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_log;

private slots:
    void init()
    {
        m_log = m_dir.filePath(QStringLiteral("app-%1.log").arg(QTest::currentTestFunction()));
        Logger::setFilePath(m_log);
        Logger::setMinSeverity(LogSeverity::Info);
    }

    void everySourcesChangesAreLoggedAndSignalledInOrder()
    {
        DeviceNotifier notifier;
        auto *hardware = new FakeHotplugSource;
        auto *emulated = new FakeHotplugSource;
        notifier.addSource(hardware);
        notifier.addSource(emulated);
        notifier.addSource(hardware); // a second registration must not double the notices
        QSignalSpy spy(&notifier, &DeviceNotifier::signal_devicesChanged);

        hardware->report(DeviceChange::Arrival);
        emulated->report(DeviceChange::Removal);
        hardware->report(0); // kinds other than arrival and removal do not concern the page
        hardware->report(3);
        emulated->report(DeviceChange::Arrival);

        QCOMPARE(kinds(spy), (QList<int>{2, 1, 2}));
        QCOMPARE(logMessages(m_log), (QStringList{"DBT_DEVICEARRIVAL case", "DBT_DEVICEREMOVECOMPLETE case",
                                                  "DBT_DEVICEARRIVAL case"}));
    }

    void aSourceThatCannotStartIsLoggedAndTheOthersStillWatch()
    {
        auto *notifier = new DeviceNotifier;
        auto *broken = new FakeHotplugSource(false);
        auto *working = new FakeHotplugSource;
        notifier->addSource(broken);
        notifier->addSource(working);
        QCOMPARE(notifier->sources().size(), 2);

        QCOMPARE(notifier->start(), 1);
        QVERIFY(working->watching);
        const QStringList messages = logMessages(m_log);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().startsWith(QLatin1String("Application Error: device notifications from fake")));

        // Sources belong to the notifier: a deleted source is forgotten, and
        // the notifier takes the rest with it.
        QPointer<FakeHotplugSource> survivor(working);
        delete broken;
        QCOMPARE(notifier->sources(), (QVector<HotplugSource *>{working}));
        delete notifier;
        QVERIFY(survivor.isNull());
    }

    void udevActionsMapToArrivalAndRemovalOnly()
    {
        QCOMPARE(UdevHotplugSource::kindForAction("add"), DeviceChange::Arrival);
        QCOMPARE(UdevHotplugSource::kindForAction("remove"), DeviceChange::Removal);
        for (const char *ignored : {"bind", "unbind", "change", "move", "online", "offline", "", "ADD"})
            QCOMPARE(UdevHotplugSource::kindForAction(QString::fromLatin1(ignored)), 0);
    }

    void systemNotifierFollowsTheDeviceSetNamedByTheEnvironment()
    {
        const QString set = m_dir.filePath(QStringLiteral("system-devices.json"));
        QFile file(set);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"devices":[]})");
        file.close();
        qputenv("ORVANTA_DEVICES", QFile::encodeName(set));

        DeviceNotifier *notifier = DeviceNotifier::createForSystem();
        qunsetenv("ORVANTA_DEVICES");
        QSignalSpy spy(notifier, &DeviceNotifier::signal_devicesChanged);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"devices":[{"vendorId":"258A","productId":"1007"}]})");
        file.close();

        QTRY_COMPARE(kinds(spy), QList<int>{DeviceChange::Arrival});
        QVERIFY(logMessages(m_log).contains(QStringLiteral("DBT_DEVICEARRIVAL case")));
        delete notifier;
    }
};

QTEST_GUILESS_MAIN(TestDeviceNotifier)
#include "tst_device_notifier.moc"
