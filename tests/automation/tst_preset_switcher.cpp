// The presets that follow the window in front: the files (refused as a
// whole when bad, the last good kept), the rules, and the switcher fed by a
// scripted focus source (bursts, the desktop, the program's own window,
// programs without a rule, presets chosen by hand, stage writes).
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "active_stage_writer.h"
#include "focus_source.h"
#include "preset_match.h"
#include "preset_store.h"
#include "preset_switcher.h"

namespace {

class ScriptedFocusSource : public FocusSource
{
public:
    QString name() const override { return QStringLiteral("scripted"); }
    bool start() override { return true; }
    QString reason() const override { return QString(); }
    QStringList runningClasses() const override { return {QStringLiteral("firefox")}; }
    void focus(const QString& app, const QString& title = QString(), qint64 pid = 100)
    {
        emit windowActivated(FocusedWindow::of(app, title, pid));
    }
};

class RecordingStageWriter : public ActiveStageWriter
{
public:
    bool writeActiveStage(const PresetStage& stage) override
    {
        written << stage;
        return true;
    }
    QVector<PresetStage> written;
};

QString mapWith(const QString& key)
{
    return QStringLiteral("<map><key name=\"右键\" scancode=\"4\" flag=\"10\" type=\"Keyboard\" playtype=\"0\" "
                          "playcount=\"1\" playdelay=\"0\" playauxiliary=\"0\"><task value=\"%1\"/></key></map>")
        .arg(key);
}

// Default (key A), Web (key B, stage 2 on one mouse), Code (key C, stage
// 0), Empty (no map); firefox → Web, a firefox window titled "GitHub" →
// Code, kate → Code.
PresetSet sampleSet()
{
    PresetSet set;
    set.presets = {Preset{QStringLiteral("Default"), mapWith(QStringLiteral("A")), std::nullopt},
                   Preset{QStringLiteral("Web"), mapWith(QStringLiteral("B")),
                          PresetStage{QStringLiteral("258A0016"), QStringLiteral("M1.0"), 2}},
                   Preset{QStringLiteral("Code"), mapWith(QStringLiteral("C")),
                          PresetStage{QStringLiteral("258A0016"), QStringLiteral("M1.0"), 0}},
                   Preset{QStringLiteral("Empty"), QString(), std::nullopt}};
    set.defaultPreset = QStringLiteral("Default");
    set.rules = {PresetRule{QStringLiteral("firefox"), QString(), QStringLiteral("Web")},
                 PresetRule{QStringLiteral("Firefox"), QStringLiteral("github"), QStringLiteral("Code")},
                 PresetRule{QStringLiteral("kate"), QString(), QStringLiteral("Code")}};
    return set;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A page document with one member replaced.
QByteArray pageJsonWith(const char* member, const QJsonValue& value)
{
    QJsonObject object = QJsonDocument::fromJson(sampleSet().pageJson()).object();
    object.insert(QLatin1String(member), value);
    return QJsonDocument(object).toJson();
}

} // namespace

class TestPresetSwitcher : public QObject
{
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        PresetStore store{dir.path()};
        QStringList maps;
        RecordingStageWriter stages;
        ScriptedFocusSource* source = new ScriptedFocusSource;
        PresetSwitcher switcher{store, [this](const QString& map) { maps << map; }};

        explicit Rig(bool withSample = true)
        {
            if (withSample) {
                QString why;
                PresetStore seed(dir.path());
                if (!seed.save(sampleSet(), &why))
                    qFatal("cannot seed: %s", qPrintable(why));
            }
            switcher.setSource(std::unique_ptr<FocusSource>(source));
            switcher.setStageWriter(&stages);
            switcher.setOwnProcess(4242);
            switcher.setDebounce(40);
            switcher.start();
        }
        QString lastMap() const { return maps.value(maps.size() - 1); }
    };

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void filesRoundTripAndTheRemapFileBecomesTheDefault()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("remap.xml")), mapWith(QStringLiteral("Q")).toUtf8());
        PresetStore store(dir.path());
        store.load();
        QCOMPARE(store.set().presets.size(), 1);
        QCOMPARE(store.set().defaultPreset, QStringLiteral("Default"));
        QCOMPARE(store.set().presets[0].map, mapWith(QStringLiteral("Q")));
        QVERIFY(store.problems().isEmpty());

        QString why;
        QVERIFY2(store.save(sampleSet(), &why), qPrintable(why));
        PresetStore again(dir.path());
        again.load();
        QCOMPARE(again.set().presetsJson(), sampleSet().presetsJson());
        QCOMPARE(again.set().rulesJson(), sampleSet().rulesJson());
        QCOMPARE(again.set().presets[1].stage->stage, 2);
        // Maps as the pages write them: XML over several lines.
        PresetSet lines = sampleSet();
        lines.presets[0].map = QStringLiteral("<map name=\"Orvanta\">\n  <key scancode=\"4\" flag=\"10\">\r\n\t<task value=\"A\"/></key>\n</map>\n");
        QVERIFY2(PresetSet::fromPageJson(lines.pageJson(), &why), qPrintable(why));
        // A remap file that is no map document is not taken.
        QTemporaryDir other;
        writeFile(other.filePath(QStringLiteral("remap.xml")), "<html/>");
        PresetStore fresh(other.path());
        fresh.load();
        QVERIFY(fresh.set().presets[0].map.isEmpty());
    }

    void badFilesAreRefusedAndTheLastGoodStays()
    {
        QTemporaryDir dir;
        PresetStore store(dir.path());
        QString why;
        QVERIFY(store.save(sampleSet(), &why));
        const QByteArray good = store.set().presetsJson();
        QSignalSpy changed(&store, &PresetStore::changed);

        const QList<QByteArray> bad = {
            "{", "[]", "{\"presets\": [], \"default\": \"x\"}",
            "{\"format\": 2, \"default\": \"A\", \"presets\": [{\"name\": \"A\"}]}",
            "{\"default\": \"B\", \"presets\": [{\"name\": \"A\"}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\"}, {\"name\": \"a\"}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\\u0007\"}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\", \"map\": \"<html/>\"}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\", \"map\": 5}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\", \"dpiStage\": {\"device\": \"258A0016\", \"driver\": \"M1.0\", \"stage\": 8}}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\", \"dpiStage\": {\"device\": \"../x\", \"driver\": \"M1.0\", \"stage\": 1}}]}",
            "{\"default\": \"A\", \"presets\": [{\"name\": \"A\", \"dpiStage\": {\"device\": \"258A0016\", \"driver\": \"M1.0\", \"stage\": 1.5}}]}",
            QByteArray("{\"default\": \"A\", \"presets\": [{\"name\": \"") + QByteArray(65, 'n') + "\"}]}",
            QByteArray(int(PresetSet::kMaxFileSize) + 10, ' '),
        };
        for (const QByteArray& text : bad) {
            writeFile(dir.filePath(PresetStore::presetsFileName()), text);
            store.load();
            QVERIFY2(store.set().presetsJson() == good, text.left(120).constData());
            QCOMPARE(store.problems().size(), 1);
            QVERIFY(store.problems()[0].startsWith(QStringLiteral("presets.json was refused")));
        }
        // Rules go wrong on their own; the presets stay read.
        writeFile(dir.filePath(PresetStore::presetsFileName()), good);
        writeFile(dir.filePath(PresetStore::rulesFileName()), "{\"rules\": [{\"app\": \"\", \"preset\": \"Web\"}]}");
        store.load();
        QCOMPARE(store.set().rules.size(), 3);
        QCOMPARE(store.problems().size(), 1);
        QVERIFY(store.problems()[0].startsWith(QStringLiteral("preset-rules.json was refused")));
        // Mended: taken, and the problem is gone.
        writeFile(dir.filePath(PresetStore::rulesFileName()), "{\"rules\": []}");
        store.load();
        QVERIFY(store.set().rules.isEmpty());
        QVERIFY(store.problems().isEmpty());
        QVERIFY(changed.count() >= 2);
    }

    void pageDocumentsAreChecked()
    {
        QString why;
        QVERIFY(PresetSet::fromPageJson(sampleSet().pageJson(), &why));
        // A rule naming a preset that is not there.
        QJsonArray rules{QJsonObject{{"app", "x"}, {"preset", "Nope"}}};
        QVERIFY(!PresetSet::fromPageJson(pageJsonWith("rules", rules), &why));
        QVERIFY(why.contains(QStringLiteral("Nope")));
        QJsonArray many;
        for (int i = 0; i <= PresetSet::kMaxPresets; ++i)
            many.append(QJsonObject{{"name", QStringLiteral("p%1").arg(i)}});
        QVERIFY(!PresetSet::fromPageJson(pageJsonWith("presets", many), &why));
        QVERIFY(!PresetSet::fromPageJson(pageJsonWith("default", QStringLiteral("Nope")), &why));
        QVERIFY(!PresetSet::fromPageJson(pageJsonWith("rules", QStringLiteral("x")), &why));
        // Saving refuses such a set and leaves the files alone.
        QTemporaryDir dir;
        PresetStore store(dir.path());
        PresetSet broken = sampleSet();
        broken.rules.append(PresetRule{QStringLiteral("x"), QString(), QStringLiteral("Nope")});
        QVERIFY(!store.save(broken, &why));
        QVERIFY(!QFile::exists(dir.filePath(PresetStore::presetsFileName())));
    }

    void rulesMatchClassFirstThenTitle()
    {
        PresetSet set = sampleSet();
        const auto choose = [&](const QString& app, const QString& title = QString()) {
            return choosePreset(set, FocusedWindow::of(app, title, 1));
        };
        QCOMPARE(choose(QStringLiteral("FIREFOX")).preset, QStringLiteral("Web"));
        QCOMPARE(choose(QStringLiteral("firefox"), QStringLiteral("Pull requests · GitHub — Mozilla")).preset, QStringLiteral("Code"));
        QCOMPARE(choose(QStringLiteral("firefox"), QStringLiteral("Pull requests · GitHub")).rule, 1);
        QCOMPARE(choose(QStringLiteral("firefox-esr")).preset, QStringLiteral("Default"));
        QCOMPARE(choose(QStringLiteral("firefox-esr")).rule, -1);
        QCOMPARE(choose(QString()).preset, QStringLiteral("Default"));
        // A rule whose preset is gone is passed over.
        set.presets.removeAt(1);
        QCOMPARE(choose(QStringLiteral("firefox")).preset, QStringLiteral("Default"));
        QCOMPARE(choose(QStringLiteral("firefox"), QStringLiteral("GitHub")).preset, QStringLiteral("Code"));
    }

    void theDefaultIsInEffectAtTheStart()
    {
        Rig rig;
        QCOMPARE(rig.switcher.activePreset(), QStringLiteral("Default"));
        QCOMPARE(rig.maps, QStringList{mapWith(QStringLiteral("A"))});
        QCOMPARE(rig.switcher.state().value(QStringLiteral("cause")).toString(), QStringLiteral("start"));
        QCOMPARE(rig.switcher.state().value(QStringLiteral("source")).toString(), QStringLiteral("scripted"));
    }

    void aBurstSettlesOnItsLastWindow()
    {
        Rig rig;
        rig.source->focus(QStringLiteral("kate"));
        rig.source->focus(QStringLiteral("konsole"));
        rig.source->focus(QStringLiteral("firefox"), QStringLiteral("Start"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        // Code (kate) was never put into effect on the way.
        QCOMPARE(rig.maps, (QStringList{mapWith(QStringLiteral("A")), mapWith(QStringLiteral("B"))}));
        QCOMPARE(rig.switcher.cause(), PresetSwitcher::Cause::Rule);
        QCOMPARE(rig.switcher.state().value(QStringLiteral("app")).toString(), QStringLiteral("firefox"));
        QCOMPARE(rig.switcher.state().value(QStringLiteral("rule")).toInt(), 0);
        // A burst that comes back to where it was changes nothing.
        rig.source->focus(QStringLiteral("kate"));
        rig.source->focus(QStringLiteral("firefox"), QStringLiteral("Start"));
        QTest::qWait(150);
        QCOMPARE(rig.maps.size(), 2);
    }

    void unknownProgramsAndTheDesktopGetTheDefault()
    {
        Rig rig;
        rig.source->focus(QStringLiteral("firefox"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        rig.source->focus(QStringLiteral("gimp-2.10"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Default"));
        QCOMPARE(rig.switcher.cause(), PresetSwitcher::Cause::NoRule);
        rig.source->focus(QStringLiteral("kate"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Code"));
        rig.source->focus(QString());
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Default"));
        QCOMPARE(rig.switcher.cause(), PresetSwitcher::Cause::Desktop);
        QCOMPARE(rig.lastMap(), mapWith(QStringLiteral("A")));
    }

    void theProgramsOwnWindowIsPassedOver()
    {
        Rig rig;
        rig.source->focus(QStringLiteral("firefox"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        const int maps = rig.maps.size();
        rig.source->focus(QStringLiteral("orvanta"), QStringLiteral("Orvanta"), 4242);
        QTest::qWait(150);
        QCOMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        QCOMPARE(rig.maps.size(), maps);
        // A burst that ends on the program's window settles on the window
        // before it.
        rig.source->focus(QStringLiteral("kate"));
        rig.source->focus(QStringLiteral("orvanta"), QStringLiteral("Orvanta"), 4242);
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Code"));
    }

    void aPresetChosenByHandStaysUntilAnotherProgramComes()
    {
        Rig rig;
        rig.source->focus(QStringLiteral("firefox"), QStringLiteral("one"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        QVERIFY(!rig.switcher.choose(QStringLiteral("Nope")));
        QVERIFY(rig.switcher.choose(QStringLiteral("Empty")));
        QCOMPARE(rig.lastMap(), QStringLiteral("<map/>"));
        QCOMPARE(rig.switcher.cause(), PresetSwitcher::Cause::Manual);
        // The same program changing its title keeps the choice.
        rig.source->focus(QStringLiteral("firefox"), QStringLiteral("two"));
        QTest::qWait(150);
        QCOMPARE(rig.switcher.activePreset(), QStringLiteral("Empty"));
        rig.source->focus(QStringLiteral("kate"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Code"));
    }

    void stagesAreWrittenOnceTheFocusIsQuiet()
    {
        Rig rig;
        QVERIFY(rig.stages.written.isEmpty()); // Default has none
        rig.source->focus(QStringLiteral("firefox"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        QTRY_COMPARE(rig.stages.written.size(), 1);
        QCOMPARE(rig.stages.written[0].stage, 2);
        QCOMPARE(rig.stages.written[0].device, QStringLiteral("258A0016"));
        // Switching by hand back and forth: one write, the last stage.
        rig.switcher.choose(QStringLiteral("Code"));
        rig.switcher.choose(QStringLiteral("Web"));
        rig.switcher.choose(QStringLiteral("Code"));
        QTRY_COMPARE(rig.stages.written.size(), 2);
        QTest::qWait(150);
        QCOMPARE(rig.stages.written.size(), 2);
        QCOMPARE(rig.stages.written[1].stage, 0);
        // A preset without a stage cancels one still waiting.
        rig.switcher.choose(QStringLiteral("Web"));
        rig.switcher.choose(QStringLiteral("Empty"));
        QTest::qWait(150);
        QCOMPARE(rig.stages.written.size(), 2);
        // The active preset given another stage on the page: written; its
        // map saved again alone: not.
        rig.switcher.choose(QStringLiteral("Code"));
        QTRY_COMPARE(rig.stages.written.size(), 3);
        PresetSet set = sampleSet();
        set.presets[2].stage->stage = 5;
        QString why;
        QVERIFY(rig.store.save(set, &why));
        QTRY_COMPARE(rig.stages.written.size(), 4);
        QCOMPARE(rig.stages.written[3].stage, 5);
        set.presets[2].map = mapWith(QStringLiteral("Q"));
        QVERIFY(rig.store.save(set, &why));
        QTest::qWait(150);
        QCOMPARE(rig.stages.written.size(), 4);
        QCOMPARE(rig.lastMap(), mapWith(QStringLiteral("Q")));
    }

    void aPresetFileThatWentBadKeepsTheActivePreset()
    {
        Rig rig;
        rig.source->focus(QStringLiteral("firefox"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        QSignalSpy state(&rig.switcher, &PresetSwitcher::stateChanged);
        writeFile(rig.dir.filePath(PresetStore::presetsFileName()), "{ not json");
        // The watcher reloads by itself.
        QTRY_VERIFY(!rig.switcher.state().value(QStringLiteral("problems")).toArray().isEmpty());
        QCOMPARE(rig.switcher.activePreset(), QStringLiteral("Web"));
        QCOMPARE(rig.lastMap(), mapWith(QStringLiteral("B")));
        QVERIFY(state.count() >= 1);
        // The set saved again with another map for Web: in effect at once.
        PresetSet set = sampleSet();
        set.presets[1].map = mapWith(QStringLiteral("Z"));
        QString why;
        QVERIFY(rig.store.save(set, &why));
        QCOMPARE(rig.lastMap(), mapWith(QStringLiteral("Z")));
        QVERIFY(rig.switcher.state().value(QStringLiteral("problems")).toArray().isEmpty());
        // The rule goes away: firefox gets the default.
        set.rules.clear();
        QVERIFY(rig.store.save(set, &why));
        QCOMPARE(rig.switcher.activePreset(), QStringLiteral("Default"));
        QCOMPARE(rig.switcher.cause(), PresetSwitcher::Cause::NoRule);
    }

    void pausingTakesNoButtons()
    {
        Rig rig;
        rig.switcher.setPaused(true);
        QCOMPARE(rig.lastMap(), QStringLiteral("<map/>"));
        rig.source->focus(QStringLiteral("kate"));
        QTRY_COMPARE(rig.switcher.activePreset(), QStringLiteral("Code"));
        QCOMPARE(rig.lastMap(), QStringLiteral("<map/>"));
        rig.switcher.setPaused(false);
        QCOMPARE(rig.lastMap(), mapWith(QStringLiteral("C")));
    }
};

QTEST_GUILESS_MAIN(TestPresetSwitcher)
#include "tst_preset_switcher.moc"
