// Where the program finds its shipped data and keeps each user's files:
// portable beside the program, installed in the XDG folders.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "app_layout.h"

namespace {

const InstallFolders kFolders{"bin", "share/orvanta", "libexec/orvanta", "lib/x86_64-linux-gnu/orvanta"};

QProcessEnvironment environmentOf(const QMap<QString, QString>& values)
{
    QProcessEnvironment environment;
    for (auto it = values.begin(); it != values.end(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

// A prefix holding the installed marker.
void installMarker(const QString& prefix)
{
    QVERIFY(QDir().mkpath(prefix + "/share/orvanta"));
    QVERIFY(QDir().mkpath(prefix + "/bin"));
    QFile marker(prefix + "/share/orvanta/" + kInstalledMarker);
    QVERIFY(marker.open(QIODevice::WriteOnly));
}

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class AppLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void aBuildFolderIsPortable()
    {
        QTemporaryDir dir;
        // Even a folder named bin, without the marker beside it.
        const QString program = dir.filePath("bin");
        QDir().mkpath(program);
        const AppLayout layout = layoutFor(program, environmentOf({{"HOME", "/home/u"}}), kFolders);
        QVERIFY(!layout.installed);
        for (const QString& folder : {layout.dataFolder, layout.helperFolder, layout.transportFolder,
                                      layout.userFolder, layout.stateFolder, layout.cacheFolder})
            QCOMPARE(folder, program);
        QCOMPARE(layout.userFile("conf.ini"), program + "/conf.ini");
        QVERIFY(prepareUserFolders(layout));
        QVERIFY(!layoutFor(QString(), QProcessEnvironment(), kFolders).installed);
    }

    void anInstalledProgramUsesItsPrefixAndTheUsersFolders()
    {
        QTemporaryDir dir;
        const QString prefix = dir.filePath("opt/o");
        installMarker(prefix);
        const AppLayout layout = layoutFor(prefix + "/bin", environmentOf({{"HOME", "/home/u"}}), kFolders);
        QVERIFY(layout.installed);
        QCOMPARE(layout.dataFolder, prefix + "/share/orvanta");
        QCOMPARE(layout.helperFolder, prefix + "/libexec/orvanta");
        QCOMPARE(layout.transportFolder, prefix + "/lib/x86_64-linux-gnu/orvanta");
        QCOMPARE(layout.userFolder, QString("/home/u/.config/orvanta"));
        QCOMPARE(layout.stateFolder, QString("/home/u/.local/state/orvanta"));
        QCOMPARE(layout.cacheFolder, QString("/home/u/.cache/orvanta"));

        // The updater runs from the helper folder of the same prefix.
        QVERIFY(layoutFor(prefix + "/libexec/orvanta", environmentOf({{"HOME", "/home/u"}}), kFolders).installed);
        // Absolute XDG folders are taken; relative ones are ignored.
        const AppLayout xdg = layoutFor(prefix + "/bin",
                                        environmentOf({{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/c"},
                                                       {"XDG_STATE_HOME", "rel/state"}, {"XDG_CACHE_HOME", "/k/"}}),
                                        kFolders);
        QCOMPARE(xdg.userFolder, QString("/c/orvanta"));
        QCOMPARE(xdg.stateFolder, QString("/home/u/.local/state/orvanta"));
        QCOMPARE(xdg.cacheFolder, QString("/k/orvanta"));
        // Without a home there is nowhere to keep the user's files.
        const AppLayout homeless = layoutFor(prefix + "/bin", QProcessEnvironment(), kFolders);
        QVERIFY(homeless.installed);
        QVERIFY(homeless.userFolder.isEmpty());
        QString why;
        QVERIFY(!prepareUserFolders(homeless, &why));
        QVERIFY(!why.isEmpty());
    }

    void theUsersFoldersAreMadePrivate()
    {
        QTemporaryDir dir;
        const QString prefix = dir.filePath("usr");
        installMarker(prefix);
        const QString home = dir.filePath("home");
        QDir().mkpath(home);
        const AppLayout layout = layoutFor(prefix + "/bin", environmentOf({{"HOME", home}}), kFolders);
        QVERIFY(prepareUserFolders(layout));
        for (const QString& folder : {layout.userFolder, layout.stateFolder, layout.cacheFolder})
            QCOMPARE(modeOf(folder), 0700);

        // A link where a folder belongs is refused, not followed.
        const QString other = dir.filePath("other");
        const AppLayout linked = layoutFor(prefix + "/bin", environmentOf({{"HOME", other}}), kFolders);
        QDir().mkpath(other + "/.config");
        QDir().mkpath(dir.filePath("elsewhere"));
        QVERIFY(QFile::link(dir.filePath("elsewhere"), other + "/.config/orvanta"));
        QString why;
        QVERIFY(!prepareUserFolders(linked, &why));
        QVERIFY(!why.isEmpty());
    }

    void theDemoDeviceSetIsTheUsersCopy()
    {
        QTemporaryDir dir;
        const QString prefix = dir.filePath("usr");
        installMarker(prefix);
        {
            QFile shipped(prefix + "/share/orvanta/devices.json");
            QVERIFY(shipped.open(QIODevice::WriteOnly));
            shipped.write("[\"shipped\"]");
            shipped.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        const AppLayout layout = layoutFor(prefix + "/bin", environmentOf({{"HOME", dir.filePath("home")}}), kFolders);
        QVERIFY(prepareUserFolders(layout));
        const QByteArray saved = qgetenv("ORVANTA_DEVICES");
        const bool wasSet = qEnvironmentVariableIsSet("ORVANTA_DEVICES");

        // A set named in the environment is left alone.
        qputenv("ORVANTA_DEVICES", "/somewhere/set.json");
        prepareDemoDeviceSet(layout);
        QCOMPARE(qgetenv("ORVANTA_DEVICES"), QByteArray("/somewhere/set.json"));
        QVERIFY(!QFile::exists(layout.stateFile("devices.json")));

        qunsetenv("ORVANTA_DEVICES");
        prepareDemoDeviceSet(layout);
        const QString copy = layout.stateFile("devices.json");
        QCOMPARE(QFile::decodeName(qgetenv("ORVANTA_DEVICES")), copy);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite)); // the emulator writes its set
        QCOMPARE(file.readAll(), QByteArray("[\"shipped\"]"));
        // What the user's set became is kept at the next start.
        file.seek(0);
        file.write("[\"mine\"]   ");
        file.close();
        qunsetenv("ORVANTA_DEVICES");
        prepareDemoDeviceSet(layout);
        QFile again(copy);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QVERIFY(again.readAll().startsWith("[\"mine\"]"));

        if (wasSet)
            qputenv("ORVANTA_DEVICES", saved);
        else
            qunsetenv("ORVANTA_DEVICES");
    }
};

QTEST_GUILESS_MAIN(AppLayoutTest)
#include "tst_app_layout.moc"
