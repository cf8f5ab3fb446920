#include "device_set_snapshot.h"
#include "device_set_watch_source.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QJsonObject mouse(const QString &productId)
{
    return QJsonObject{{"name", "mouse " + productId},
                       {"vendorId", "258A"},
                       {"productId", productId},
                       {"interfaces", QJsonArray{QJsonObject{{"collection", "01"}}, QJsonObject{{"collection", "02"}}}},
                       {"properties", QJsonObject{{"61", "01,01,00,00"}}}};
}

QByteArray setText(const QJsonArray &devices)
{
    return QJsonDocument(QJsonObject{{"devices", devices}}).toJson();
}

// As the emulator saves: a temporary file beside the set, renamed over it.
bool saveLikeEmulator(const QString &path, const QByteArray &text)
{
    const QString temporary = path + QStringLiteral(".tmp-4242");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

QList<int> kinds(const QSignalSpy &spy)
{
    QList<int> result;
    for (const QList<QVariant> &arguments : spy)
        result.append(arguments.at(0).toInt());
    return result;
}

} // namespace

class TestDeviceSetWatch : public QObject {
    Q_OBJECT

private slots:
    void onlyWhatEnumerationShowsMakesADeviceChange()
    {
        const QJsonArray two{mouse("1007"), mouse("1008")};
        const DeviceSetSnapshot before = deviceSetSnapshot(setText(two));
        QCOMPARE(before.size(), 2);

        // A save after a device write: new settings, factory copy, explicit
        // flags at their defaults, members reordered by the serializer.
        QJsonObject written = mouse("1007");
        written.insert("properties", QJsonObject{{"61", "01,02,00,00"}});
        written.insert("memory", QJsonArray{QJsonObject{{"address", "0x60"}, {"data", "01"}}});
        written.insert("factory", QJsonObject{{"properties", QJsonObject{}}});
        written.insert("present", true);
        written.insert("bootLoader", false);
        written.insert("firmwareVersion", "12");
        QCOMPARE(deviceSetSnapshot(setText(QJsonArray{written, mouse("1008")})), before);

        // The same ids spelled another way are the same device.
        QJsonObject respelled = mouse("0x1007");
        respelled.insert("vendorId", 0x258A);
        QCOMPARE(deviceSetSnapshot(setText(QJsonArray{respelled, mouse("1008")})), before);

        // Unplugged: one removal, nothing arrives.
        QJsonObject unplugged = mouse("1008");
        unplugged.insert("present", false);
        DeviceSetChange change = diffDeviceSets(before, deviceSetSnapshot(setText(QJsonArray{mouse("1007"), unplugged})));
        QCOMPARE(change.removed.size(), 1);
        QVERIFY(change.arrived.isEmpty());

        // Into the boot loader: the device leaves and the boot loader comes.
        QJsonObject updating = mouse("1008");
        updating.insert("bootLoader", true);
        change = diffDeviceSets(before, deviceSetSnapshot(setText(QJsonArray{mouse("1007"), updating})));
        QCOMPARE(change.removed.size(), 1);
        QCOMPARE(change.arrived.size(), 1);

        // Other ids or interfaces enumerate as another device.
        QJsonObject rewired = mouse("1008");
        rewired.insert("interfaces", QJsonArray{QJsonObject{{"collection", "05"}}});
        QCOMPARE(diffDeviceSets(before, deviceSetSnapshot(setText(QJsonArray{mouse("1007"), rewired}))).arrived.size(), 1);
        QCOMPARE(diffDeviceSets(before, deviceSetSnapshot(setText(QJsonArray{mouse("1007"), mouse("1009")}))).removed.size(), 1);
    }

    void identicalEntriesAreTwoDevicesAndBadFilesHoldNone()
    {
        QCOMPARE(deviceSetSnapshot(setText(QJsonArray{mouse("1007"), mouse("1007")})).size(), 2);
        QCOMPARE(deviceSetSnapshot(setText(QJsonArray{mouse("1007"), 5, "x", QJsonValue()})).size(), 1);
        QVERIFY(deviceSetSnapshot("{\"devices\": [").isEmpty());
        QVERIFY(deviceSetSnapshot("[]").isEmpty());
        QVERIFY(deviceSetSnapshot(QByteArray()).isEmpty());
        QVERIFY(readDeviceSetSnapshot(QStringLiteral("/nonexistent/devices.json")).isEmpty());
    }

    void defaultPathIsTheEnvironmentsFileElseTheApplicationFolder()
    {
        qputenv("ORVANTA_DEVICES", "/tmp/elsewhere/set.json");
        QCOMPARE(DeviceSetWatchSource::defaultFilePath(), QStringLiteral("/tmp/elsewhere/set.json"));
        qunsetenv("ORVANTA_DEVICES");
        QCOMPARE(DeviceSetWatchSource::defaultFilePath(), QCoreApplication::applicationDirPath() + "/devices.json");
    }

    void watchFollowsTheFileThroughRenamesDeletionAndRecreation()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devices.json");
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{mouse("1007"), mouse("1008")})));

        DeviceSetWatchSource source(path);
        QSignalSpy spy(&source, &HotplugSource::deviceChanged);
        QVERIFY(source.start());

        // A settings save is no change; the unplug saved after it is one
        // removal, which also shows that the watch outlived the rename.
        QJsonObject written = mouse("1007");
        written.insert("properties", QJsonObject{{"61", "01,04,00,00"}});
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{written, mouse("1008")})));
        QTest::qWait(50);
        QJsonObject unplugged = mouse("1008");
        unplugged.insert("present", false);
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{written, unplugged})));
        QTRY_COMPARE(kinds(spy), QList<int>{1});

        // Firmware update: removal before arrival.
        spy.clear();
        QJsonObject updating = written;
        updating.insert("bootLoader", true);
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{updating, unplugged})));
        QTRY_COMPARE(kinds(spy), (QList<int>{1, 2}));

        // Deleted: the remaining device goes; written anew: two arrive.
        spy.clear();
        QVERIFY(QFile::remove(path));
        QTRY_COMPARE(kinds(spy), QList<int>{1});
        spy.clear();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(setText(QJsonArray{mouse("1007"), mouse("100A")}));
        file.close();
        QTRY_COMPARE(kinds(spy), (QList<int>{2, 2}));

        // Edited in place after all those renames: only the watch on the
        // file itself sees this, so it must have been taken up again.
        spy.clear();
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{mouse("1007"), mouse("100A")})));
        QTest::qWait(50);
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
        file.write(setText(QJsonArray{mouse("1007")}));
        file.close();
        QTRY_COMPARE(kinds(spy), QList<int>{1});

        // A stopped source reports nothing; started again, it takes the file
        // as it is then without notices.
        spy.clear();
        source.stop();
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{})));
        QTest::qWait(50);
        QVERIFY(source.start());
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{mouse("1007")})));
        QTRY_COMPARE(kinds(spy), QList<int>{2});
    }

    void aFileNotThereYetIsWatchedThroughItsFolder()
    {
        QTemporaryDir dir;
        DeviceSetWatchSource missingFolder(dir.filePath("no-folder/devices.json"));
        QVERIFY(!missingFolder.start());

        const QString path = dir.filePath("devices.json");
        DeviceSetWatchSource source(path);
        QSignalSpy spy(&source, &HotplugSource::deviceChanged);
        QVERIFY(source.start());
        QVERIFY(saveLikeEmulator(path, setText(QJsonArray{mouse("1007")})));
        QTRY_COMPARE(kinds(spy), QList<int>{2});
    }
};

QTEST_GUILESS_MAIN(TestDeviceSetWatch)
#include "tst_device_set_watch.moc"
