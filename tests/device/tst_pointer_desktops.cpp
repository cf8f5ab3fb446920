// The desktop backends of the pointer settings: GSettings over a fake
// schema and over GIO itself (a schema compiled for the test, GIO's memory
// backend), and X11 over a fake X server and, when a display is there
// (xvfb-run), over a real one.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "fake_pointer_desktop.h"
#include "gio_settings_store.h"
#include "gsettings_pointer_backend.h"
#include "pointer_settings.h"
#include "x11_pointer_backend.h"
#include "xlib_pointer_control.h"

namespace {

const QByteArray kSchemas = R"(<schemalist>
  <enum id="test.AccelProfile">
    <value nick="default" value="0"/><value nick="flat" value="1"/><value nick="adaptive" value="2"/>
  </enum>
  <schema id="org.gnome.desktop.peripherals.mouse" path="/org/gnome/desktop/peripherals/mouse/">
    <key name="speed" type="d"><default>0</default><range min="-1" max="1"/></key>
    <key name="accel-profile" enum="test.AccelProfile"><default>'default'</default></key>
    <key name="double-click" type="i"><default>400</default></key>
  </schema>
  <schema id="test.oldmouse" path="/test/oldmouse/">
    <key name="speed" type="i"><default>0</default></key>
    <key name="double-click" type="i"><default>400</default></key>
  </schema>
</schemalist>)";

} // namespace

class PointerDesktopsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_schemaDir;
    bool m_schemasCompiled = false;

private slots:
    void initTestCase()
    {
        // Before GIO first looks at its schemas and settings backend.
        const QString compiler = QStandardPaths::findExecutable("glib-compile-schemas");
        QFile file(m_schemaDir.filePath("test.gschema.xml"));
        if (!compiler.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(kSchemas) == kSchemas.size()) {
            file.close();
            m_schemasCompiled = QProcess::execute(compiler, {m_schemaDir.path()}) == 0;
        }
        qputenv("GSETTINGS_SCHEMA_DIR", QFile::encodeName(m_schemaDir.path()));
        qputenv("GSETTINGS_BACKEND", "memory");
    }

    void gsettingsMapsEverySpeedAndReadsItBack()
    {
        auto* store = FakeGSettingsStore::gnomeMouse();
        GSettingsPointerBackend backend{std::unique_ptr<GSettingsStore>(store)};
        QVERIFY(backend.usable());
        QVERIFY(!backend.keeps(PointerSetting::WheelLines) && !backend.keeps(PointerSetting::WheelChars));
        for (int index = 0; index < 12; ++index) {
            const int speed = *PointerTables::pointerSpeed(index);
            QVERIFY(backend.writeValue(PointerSetting::Speed, speed));
            const double value = store->keys["speed"].value.toDouble();
            QVERIFY(value >= -1.0 && value <= 1.0);
            QCOMPARE(*backend.readValue(PointerSetting::Speed), speed);
        }
        QCOMPARE(store->keys["speed"].value.toDouble(), 1.0);
        // The desktop's default is the middle speed; its slowest the slowest.
        store->keys["speed"].value = 0.0;
        QCOMPARE(*backend.readValue(PointerSetting::Speed), 10);
        store->keys["speed"].value = -1.0;
        QCOMPARE(*backend.readValue(PointerSetting::Speed), 1);

        QVERIFY(backend.writeAcceleration(*PointerTables::accelerationPreset(0)));
        QCOMPARE(store->keys["accel-profile"].value.toString(), QString("flat"));
        QVERIFY(backend.writeAcceleration(*PointerTables::accelerationPreset(3)));
        QCOMPARE(store->keys["accel-profile"].value.toString(), QString("adaptive"));
    }

    void gsettingsUsesOnlyTheKeysTheSchemaHas()
    {
        auto* store = FakeGSettingsStore::gnomeMouse();
        store->keys["accel-profile"].choices = QStringList{"default", "adaptive"}; // no "flat"
        store->keys["speed"].type = "i";
        GSettingsPointerBackend backend{std::unique_ptr<GSettingsStore>(store)};
        QVERIFY(!backend.keeps(PointerSetting::Acceleration));
        QVERIFY(!backend.keeps(PointerSetting::Speed));
        QVERIFY(backend.keeps(PointerSetting::DoubleClickTime));
        QVERIFY(!backend.writeAcceleration({}));
        QVERIFY(!backend.writeValue(PointerSetting::Speed, 10));
        QVERIFY(store->writes.isEmpty());

        GSettingsPointerBackend none{std::make_unique<FakeGSettingsStore>()};
        QVERIFY(!none.usable());
    }

    void gsettingsThroughGio()
    {
        if (!m_schemasCompiled)
            QSKIP("glib-compile-schemas is not installed");
        auto* store = new GioSettingsStore(GSettingsPointerBackend::schemaId());
        QVERIFY(store->installed());
        QVERIFY(!store->accepts("accel-profile", "steep"));
        QVERIFY(!store->writeDouble("speed", 1.5)); // outside the key's range
        QVERIFY(!store->writeInt("no-such-key", 1));

        QTemporaryDir dir;
        PointerSettings settings(std::make_unique<GSettingsPointerBackend>(std::unique_ptr<GSettingsStore>(store)),
                                 std::make_unique<PointerSettingsFile>(dir.filePath("pointer.json")));
        QCOMPARE(settings.summaryFields(), QString("defaultMouseAccel:1,defaultScrollLinesX:3,defaultMouseSpeed:5,"
                                                   "defaultMouseDoubleClick:5,defaultScrollLinesY:3"));
        QVERIFY(settings.setAccelerationPreset(2));
        QVERIFY(settings.setSpeedIndex(2));
        QVERIFY(settings.setDoubleClickIndex(11));
        QCOMPARE(*store->readString("accel-profile"), QString("adaptive"));
        QCOMPARE(*store->readDouble("speed"), -0.8);
        QCOMPARE(*store->readInt("double-click"), 200);
        QCOMPARE(settings.summaryFields(), QString("defaultMouseAccel:8,defaultScrollLinesX:3,defaultMouseSpeed:1,"
                                                   "defaultMouseDoubleClick:9,defaultScrollLinesY:3"));

        // A schema without the keys, and no schema at all.
        GSettingsPointerBackend old{std::make_unique<GioSettingsStore>("test.oldmouse")};
        QVERIFY(!old.keeps(PointerSetting::Speed) && !old.keeps(PointerSetting::Acceleration));
        QVERIFY(old.keeps(PointerSetting::DoubleClickTime));
        GioSettingsStore absent("org.orvanta.absent");
        QVERIFY(!absent.installed());
        QVERIFY(!absent.readInt("double-click") && !absent.writeInt("double-click", 1));
    }

    void x11MapsTheAccelerationLevels()
    {
        auto* control = new FakePointerControl;
        X11PointerBackend backend{std::unique_ptr<X11PointerControl>(control)};
        // The X server's default, twice as fast above 4 pixels, is level 1.
        QCOMPARE(PointerTables::accelerationField(backend.readAcceleration(std::nullopt)), 1);

        QVERIFY(backend.writeAcceleration(*PointerTables::accelerationPreset(2)));
        QCOMPARE(control->control.numerator, 3);
        QCOMPARE(control->control.denominator, 1);
        QCOMPARE(control->control.threshold, 4);
        QCOMPARE(PointerTables::accelerationField(backend.readAcceleration(std::nullopt)), 8);
        QVERIFY(backend.writeAcceleration(*PointerTables::accelerationPreset(0)));
        QCOMPARE(control->control.numerator, 1);
        QCOMPARE(backend.readAcceleration(std::nullopt)->acceleration, 0);

        // Whatever another program set reads as some level, never garbage.
        control->control = {3, 2, 2};
        QCOMPARE(backend.readAcceleration(std::nullopt)->acceleration, 1);
        control->control = {1, 0, 2};
        QVERIFY(!backend.readAcceleration(std::nullopt));
        control->control = {2000000000, 1, 2};
        QCOMPARE(PointerTables::accelerationField(backend.readAcceleration(std::nullopt)), 0);
        control->reachable = false;
        QVERIFY(!backend.readAcceleration(std::nullopt));
        QVERIFY(!backend.writeAcceleration({}));
    }

    void x11OnALiveServer()
    {
        // Only on the X server xvfb-run starts for this test, never on the
        // display of whoever runs the tests.
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsSet("ORVANTA_TEST_XVFB"))
            QSKIP("runs on its own X server under xvfb-run (ctest: tst_pointer_x11_live)");
        XlibPointerControl probe;
        QVERIFY(probe.reachable());
        PointerControl original;
        QVERIFY(probe.read(&original));

        QTemporaryDir dir;
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("XDG_SESSION_TYPE");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        const std::unique_ptr<PointerSettings> settings = PointerSettings::fromEnvironment();
        QVERIFY(settings->desktop());
        QCOMPARE(settings->desktop()->name(), QString("X11"));
        QCOMPARE(settings->file().path(), dir.filePath("orvanta/pointer.json"));

        QVERIFY(settings->setAccelerationPreset(2));
        PointerControl now;
        QVERIFY(probe.read(&now));
        QCOMPARE(now.numerator / now.denominator, 3);
        QCOMPARE(now.threshold, 4);
        QVERIFY(settings->setSpeedIndex(3)); // kept in the file
        QVERIFY(settings->summaryFields().startsWith("defaultMouseAccel:8,defaultScrollLinesX:3,defaultMouseSpeed:2,"));
        QVERIFY(probe.change(original));

        // A display that is not there.
        XlibPointerControl gone(":4711");
        QVERIFY(!gone.reachable());
        QVERIFY(!gone.read(&now));
    }
};

QTEST_GUILESS_MAIN(PointerDesktopsTest)
#include "tst_pointer_desktops.moc"
