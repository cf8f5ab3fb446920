// The pointer settings: the pages' tables and summary fields, the settings
// file (hostile contents included) and the split between a desktop and the
// file, with the desktop played by a fake GSettings schema.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "fake_pointer_desktop.h"
#include "gsettings_pointer_backend.h"
#include "logging.h"
#include "pointer_settings.h"
#include "x11_pointer_backend.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString kDefaults = "defaultMouseAccel:0,defaultScrollLinesX:3,defaultMouseSpeed:5,"
                          "defaultMouseDoubleClick:5,defaultScrollLinesY:3";

} // namespace

class PointerSettingsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString summaryOfFile(const QString& path)
    {
        PointerSettings settings(nullptr, std::make_unique<PointerSettingsFile>(path));
        return settings.summaryFields();
    }

private slots:
    void tablesAndSummaryFields()
    {
        using namespace PointerTables;
        QCOMPARE(summaryFields(Readings()), kDefaults);
        Readings readings;
        readings.acceleration = accelerationPreset(2);
        readings.speed = 20;
        readings.doubleClickTime = 340;
        readings.wheelLines = wheelLines(65535);
        readings.wheelChars = 7;
        QCOMPARE(summaryFields(readings), QString("defaultMouseAccel:8,defaultScrollLinesX:7,defaultMouseSpeed:10,"
                                                  "defaultMouseDoubleClick:7,defaultScrollLinesY:65535"));

        // Set through one table, read through the other.
        QCOMPARE(accelerationField(accelerationPreset(1)), 1);
        QCOMPARE(accelerationField(accelerationPreset(3)), 1);
        QCOMPARE(doubleClickField(doubleClickTime(3)), 5); // 760 ms is no reading entry
        QCOMPARE(doubleClickField(doubleClickTime(0)), 0);
        QCOMPARE(speedField(pointerSpeed(0)), 0);
        QCOMPARE(speedField(55), 5); // out of range reads as unreadable

        // The tables end where they end.
        QVERIFY(!accelerationPreset(-1) && !accelerationPreset(4));
        QVERIFY(!pointerSpeed(12) && !doubleClickTime(12) && !doubleClickTime(-1));
        QCOMPARE(*doubleClickTime(11), 200);
        QCOMPARE(*wheelLines(-1), -1);
        QVERIFY(!wheelLines(-2) && !wheelLines(65536) && !wheelChars(-1));
    }

    void theFileKeepsEverySettingAndForeignMembers()
    {
        const QString path = m_dir.filePath("a/b/pointer.json");
        PointerSettings settings(nullptr, std::make_unique<PointerSettingsFile>(path));
        QVERIFY(settings.setAccelerationPreset(2));
        QVERIFY(settings.setSpeedIndex(7));
        QVERIFY(settings.setDoubleClickIndex(9));
        QVERIFY(settings.setWheelLines(65535));
        QVERIFY(settings.setWheelChars(4));
        QCOMPARE(settings.summaryFields(), QString("defaultMouseAccel:8,defaultScrollLinesX:4,defaultMouseSpeed:6,"
                                                   "defaultMouseDoubleClick:7,defaultScrollLinesY:65535"));

        // Outside the tables nothing changes.
        const QByteArray before = readAll(path);
        QVERIFY(!settings.setAccelerationPreset(4));
        QVERIFY(!settings.setSpeedIndex(-1));
        QVERIFY(!settings.setDoubleClickIndex(12));
        QVERIFY(!settings.setWheelLines(-7));
        QCOMPARE(readAll(path), before);

        // A member someone else added survives a write.
        QJsonObject object = QJsonDocument::fromJson(before).object();
        QCOMPARE(object.value("wheelScrollLines").toInt(), -1);
        object.insert("note", "mine");
        QVERIFY(writeAll(path, QJsonDocument(object).toJson()));
        QVERIFY(settings.setWheelLines(5));
        QCOMPARE(QJsonDocument::fromJson(readAll(path)).object().value("note").toString(), QString("mine"));
    }

    void hostileFilesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("{\"speed\":");
        QTest::newRow("an array") << QByteArray("[20]");
        QTest::newRow("texts") << QByteArray(R"({"speed":"20","doubleClickTime":"340","wheelScrollLines":"7"})");
        QTest::newRow("fractions") << QByteArray(R"({"speed":19.5,"wheelScrollChars":2.5})");
        QTest::newRow("huge") << QByteArray(R"({"speed":1e300,"wheelScrollLines":-1e300,"doubleClickTime":4294967636})");
        QTest::newRow("out of range") << QByteArray(R"({"speed":99,"doubleClickTime":-340,"wheelScrollLines":-2})");
        QTest::newRow("bad acceleration")
            << QByteArray(R"({"acceleration":[4,6,"2"],"wheelScrollChars":[],"wheelScrollLines":null})");
        QTest::newRow("acceleration too short") << QByteArray(R"({"acceleration":[4,6]})");
        QTest::newRow("acceleration level") << QByteArray(R"({"acceleration":[1,10,9]})");
        QTest::newRow("oversized") << QByteArray(R"({"speed":20,"pad":")") + QByteArray(70000, 'x') + "\"}";
    }

    void hostileFilesReadAsDefaults()
    {
        QFETCH(QByteArray, contents);
        const QString path = m_dir.filePath(QString("hostile-%1.json").arg(QTest::currentDataTag()));
        QVERIFY(writeAll(path, contents));
        QCOMPARE(summaryOfFile(path), kDefaults);
    }

    void aMalformedFileIsMovedAsideBeforeAWrite()
    {
        const QString path = m_dir.filePath("malformed.json");
        QVERIFY(writeAll(path, "{ broken"));
        PointerSettings settings(nullptr, std::make_unique<PointerSettingsFile>(path));
        QVERIFY(settings.setSpeedIndex(11));
        QCOMPARE(readAll(path + ".corrupt"), QByteArray("{ broken"));
        QCOMPARE(QJsonDocument::fromJson(readAll(path)).object().value("speed").toInt(), 20);
    }

    void aFolderOrAPipeInPlaceOfTheFile()
    {
        const QString folder = m_dir.filePath("folder.json");
        QVERIFY(QDir().mkpath(folder));
        PointerSettings settings(nullptr, std::make_unique<PointerSettingsFile>(folder));
        QCOMPARE(settings.summaryFields(), kDefaults);
        QVERIFY(!settings.setWheelChars(2));
        QVERIFY(QFileInfo(folder).isDir());

        // Reading a pipe would wait for a writer forever.
        const QString pipe = m_dir.filePath("pipe.json");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QCOMPARE(summaryOfFile(pipe), kDefaults);
    }

    void theDesktopKeepsWhatItHasTheFileTheRest()
    {
        const QString log = m_dir.filePath("split.log");
        Logger::setFilePath(log);
        auto* store = FakeGSettingsStore::gnomeMouse();
        const QString path = m_dir.filePath("split.json");
        PointerSettings settings(std::make_unique<GSettingsPointerBackend>(std::unique_ptr<GSettingsStore>(store)),
                                 std::make_unique<PointerSettingsFile>(path));

        QVERIFY(settings.setSpeedIndex(11));
        QCOMPARE(store->keys["speed"].value.toDouble(), 1.0);
        QVERIFY(settings.setDoubleClickIndex(3));
        QCOMPARE(store->keys["double-click"].value.toInt(), 760);
        QVERIFY(!readAll(log).contains("stored only"));
        QVERIFY(settings.setWheelLines(65535));
        QCOMPARE(readAll(log).count("stored only"), 1);
        QVERIFY(readAll(log).contains("wheelScrollLines stored only in " + path.toUtf8()));

        // The level a page set reads back while the desktop agrees with it.
        QVERIFY(settings.setAccelerationPreset(2));
        QCOMPARE(store->keys["accel-profile"].value.toString(), QString("adaptive"));
        QCOMPARE(settings.summaryFields(), QString("defaultMouseAccel:8,defaultScrollLinesX:3,defaultMouseSpeed:10,"
                                                   "defaultMouseDoubleClick:5,defaultScrollLinesY:65535"));

        // Changed on the desktop: the desktop's values win.
        store->keys["accel-profile"].value = QString("flat");
        store->keys["speed"].value = -0.33;
        store->keys["double-click"].value = 410;
        PointerTables::Readings readings = settings.read();
        QCOMPARE(readings.acceleration->acceleration, 0);
        QCOMPARE(*readings.speed, 7); // -0.33 lies between speeds 6 and 7
        QCOMPARE(PointerTables::doubleClickField(readings.doubleClickTime), 6);
        QVERIFY(settings.setAccelerationPreset(0));
        store->keys["accel-profile"].value = QString("default");
        QCOMPARE(settings.read().acceleration->acceleration, 1);

        // A locked key fails the command, and nothing is stored.
        store->keys["double-click"].writable = false;
        const QByteArray before = readAll(path);
        QVERIFY(!settings.setDoubleClickIndex(0));
        QCOMPARE(readAll(path), before);
        Logger::setFilePath(QString());
    }

    void thePagesLearnWhatTheDesktopAppliesAndX11GetsItsAccelerationBack()
    {
        // GNOME applies acceleration, speed and double-click; the wheel is
        // only stored.
        PointerSettings gnome(std::make_unique<GSettingsPointerBackend>(
                                  std::unique_ptr<GSettingsStore>(FakeGSettingsStore::gnomeMouse())),
                              std::make_unique<PointerSettingsFile>(m_dir.filePath("gnome.json")));
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        QCOMPARE(gnome.supportJson(),
                 QString(R"({"Applied":["acceleration","speed","doubleClickTime"],"Desktop":"GSettings",)"
                         R"("StoredOnly":["wheelScrollLines","wheelScrollChars"],"Tool":"Settings › Mouse & Touchpad"})"));

        // Plain X11 applies the acceleration only, and forgets it at a new
        // login: the program applies the stored one again at start.
        const QString path = m_dir.filePath("x11.json");
        auto* control = new FakePointerControl;
        {
            PointerSettings first(std::make_unique<X11PointerBackend>(std::unique_ptr<X11PointerControl>(control)),
                                  std::make_unique<PointerSettingsFile>(path));
            QVERIFY(first.setAccelerationPreset(0));
        }
        auto* relogin = new FakePointerControl;  // the X server's default again
        PointerSettings second(std::make_unique<X11PointerBackend>(std::unique_ptr<X11PointerControl>(relogin)),
                               std::make_unique<PointerSettingsFile>(path));
        qputenv("XDG_CURRENT_DESKTOP", "");
        const PointerSettings::Support x11 = second.support();
        QCOMPARE(x11.desktop, QString("X11"));
        QCOMPARE(x11.applied, QList<PointerSetting>{PointerSetting::Acceleration});
        QCOMPARE(x11.tool, QString());
        QCOMPARE(second.reapplyForgotten(), 1);
        QCOMPARE(relogin->changes, 1);
        QCOMPARE(second.read().acceleration->acceleration, 0);
        // GSettings remembers by itself: nothing is applied again.
        QCOMPARE(gnome.reapplyForgotten(), 0);

        // Without a desktop nothing is applied; the forced file stands for
        // the desktop (tests, orvanta-cli) and applies everything.
        PointerSettings none(nullptr, std::make_unique<PointerSettingsFile>(m_dir.filePath("none.json")));
        QCOMPARE(none.support().desktop, QString("none"));
        QVERIFY(none.support().applied.isEmpty());
        qputenv("ORVANTA_POINTER_SETTINGS", QFile::encodeName(m_dir.filePath("forced2.json")));
        const std::unique_ptr<PointerSettings> forced = PointerSettings::fromEnvironment();
        qunsetenv("ORVANTA_POINTER_SETTINGS");
        QCOMPARE(forced->support().desktop, QString("file"));
        QCOMPARE(forced->support().applied.size(), 5);
        QCOMPARE(PointerSettings::settingsToolFor("KDE"), QString("System Settings › Input Devices › Mouse"));
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    void theForcedFileComesFromTheEnvironment()
    {
        const QString path = m_dir.filePath("forced.json");
        qputenv("ORVANTA_POINTER_SETTINGS", QFile::encodeName(path));
        const std::unique_ptr<PointerSettings> settings = PointerSettings::fromEnvironment();
        qunsetenv("ORVANTA_POINTER_SETTINGS");
        QVERIFY(!settings->desktop());
        QCOMPARE(settings->file().path(), path);

        QVERIFY(PointerSettings::appliesGnomeSettings("ubuntu:GNOME"));
        QVERIFY(PointerSettings::appliesGnomeSettings("Budgie:GNOME"));
        QVERIFY(!PointerSettings::appliesGnomeSettings("KDE"));
        QVERIFY(!PointerSettings::appliesGnomeSettings(""));
    }
};

QTEST_GUILESS_MAIN(PointerSettingsTest)
#include "tst_pointer_settings.moc"
