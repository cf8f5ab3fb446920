#include "client_profile.h"
#include "client_profile_settings.h"
#include "network_identity.h"
#include "tray_mode.h"

#include <QFile>
#include <QTest>
#include <QUrl>

namespace {

class FakeNetwork : public NetworkIdentitySource {
public:
    QList<NetworkInterfaceInfo> ifaces;
    QList<QHostAddress> addrs;
    QList<NetworkInterfaceInfo> interfaces() const override { return ifaces; }
    QList<QHostAddress> addresses() const override { return addrs; }
};

QByteArray document(const QString &rootName, const QString &rows)
{
    return (QStringLiteral("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root name=\"%1\">%2</root>\n")
                .arg(rootName, rows))
        .toUtf8();
}

QString row(const QString &name, const QString &loadPath)
{
    return QStringLiteral("<client Name=\"%1\" Debug=\"false\" ClientSize=\"540,425\" LoadPath=\"%2\"/>")
        .arg(name, loadPath);
}

const QStringList kRowAttributes = {"Name", "Debug", "UA", "ClientSize", "Version", "AutoStart", "CloseFunc",
                                    "AutoUpdate", "AutoUpload", "Language", "LoadPath", "MusicView", "upgrade",
                                    "Skin"};

} // namespace

class TestClientProfile : public QObject {
    Q_OBJECT

    FakeNetwork network;

private slots:
    void init()
    {
        setTrayModeText(QString());
        network = FakeNetwork();
    }

    void compiledProfileSelectsThisBuildsRow()
    {
        ClientProfile profile;
        QVERIFY(profile.loadFromResource(network));
        QCOMPARE(profile.value("Name"), QStringLiteral("RX318 Pro"));
        for (const QString &attribute : kRowAttributes)
            QVERIFY2(profile.map().contains(attribute), qPrintable(attribute));
        QVERIFY(profile.map().contains("MacAddress"));
        QVERIFY(profile.map().contains("IpAddress"));
        QCOMPARE(clientSizeOf(profile.map()), QSize(960, 640));
        QCOMPARE(trayModeText(), QStringLiteral("EnableTray"));
        // The text is the document itself, without the byte-order mark.
        QVERIFY(profile.text().startsWith(QLatin1String("<?xml")));
        QVERIFY(profile.text().contains(QLatin1String("Strider ZX40")));
    }

    // What the page commands reach through their host: the compiled
    // profile and the process's tray mode.
    void clientSettingsAreTheProgramsOwn()
    {
        ClientProfileSettings settings;
        QCOMPARE(settings.clientProfilePath(), ClientProfile::resourcePath());
        QCOMPARE(settings.reloadClientProfile().value("Name"), QStringLiteral("RX318 Pro"));
        settings.setTrayMode("DisableTray");
        QCOMPARE(trayModeText(), QStringLiteral("DisableTray"));
    }

    void everyCompiledRowIsComplete()
    {
        QFile file(ClientProfile::resourcePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        // Switch the root name to each row in turn, as another build would.
        for (const QString &name : {QStringLiteral("RX318 Pro"), QStringLiteral("Tavik"), QStringLiteral("Strider ZX40")}) {
            QByteArray doc = bytes;
            doc.replace("<root name=\"RX318 Pro\">", "<root name=\"" + name.toUtf8() + "\">");
            ClientProfile profile;
            QVERIFY2(profile.load(doc, network), qPrintable(name));
            for (const QString &attribute : kRowAttributes)
                QVERIFY2(profile.map().contains(attribute), qPrintable(name + " " + attribute));
            const QString loadPath = profile.value("LoadPath");
            QVERIFY2(loadPath.startsWith(QLatin1String("http://pages.orvanta.test/local/")), qPrintable(loadPath));
            QCOMPARE(QStringLiteral("http://pages.orvanta.test/local/").size(), 32);
            QVERIFY(loadPath.endsWith(QLatin1String(".html")));
            // The music data goes to a page of the same page folder.
            const QString musicView = profile.value("MusicView");
            QVERIFY2(musicView.startsWith(loadPath.left(loadPath.lastIndexOf('/') + 1)), qPrintable(musicView));
            QVERIFY(musicView.endsWith(QLatin1String(".html")));
            QVERIFY(QUrl(profile.value("upgrade")).host().endsWith(QLatin1String(".test")));
            QVERIFY(clientSizeOf(profile.map()) != minimumClientSize());
            QCOMPARE(profile.value("CloseFunc"), QStringLiteral("minisize"));
        }
    }

    void firstMatchingRowWins()
    {
        ClientProfile profile;
        QVERIFY(profile.load(document("A", row("B", "b") + row("A", "first") + row("A", "second")), network));
        QCOMPARE(profile.value("LoadPath"), QStringLiteral("first"));
        QCOMPARE(profile.value("Absent"), QString());
    }

    void rowNamesCompareExactly()
    {
        ClientProfile profile;
        QVERIFY(profile.load(document("A", row("A", "kept")), network));
        const QString keptText = profile.text();

        QVERIFY(!profile.load(document("a", row("A", "other")), network));
        QVERIFY(profile.map().isEmpty());
        // Without a matching row the document text is not taken.
        QCOMPARE(profile.text(), keptText);
        QCOMPARE(clientSizeOf(profile.map()), minimumClientSize());
    }

    void damagedDocumentChangesNothing()
    {
        ClientProfile profile;
        QVERIFY(profile.load(document("Tavik", row("Tavik", "kept")), network));
        QCOMPARE(trayModeText(), QString());
        const auto keptMap = profile.map();
        const QString keptText = profile.text();

        QVERIFY(!profile.load("<root name=\"X\"><client Name=\"X\"", network));
        QVERIFY(!profile.load(QByteArray(), network));
        QCOMPARE(profile.map(), keptMap);
        QCOMPARE(profile.text(), keptText);
        QCOMPARE(trayModeText(), QString());
    }

    void trayModeRule_data()
    {
        QTest::addColumn<QString>("rootName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Tavik keeps") << "Tavik" << "DisableTray";
        QTest::newRow("Strider ZX40 keeps") << "Strider ZX40" << "DisableTray";
        QTest::newRow("other name enables") << "RX318 Pro" << "EnableTray";
        QTest::newRow("case differs enables") << "tavik" << "EnableTray";
        QTest::newRow("no row still enables") << "Nobody" << "EnableTray";
    }

    void trayModeRule()
    {
        QFETCH(QString, rootName);
        QFETCH(QString, expected);
        setTrayModeText(QStringLiteral("DisableTray"));
        ClientProfile profile;
        profile.load(document(rootName, row("Tavik", "t") + row("Strider ZX40", "s") + row("RX318 Pro", "r")),
                     network);
        QCOMPARE(trayModeText(), expected);
    }

    void networkEntries()
    {
        ClientProfile profile;
        network.ifaces = {{true, "00:00:00:00:00:00"}};
        network.addrs = {QHostAddress("127.0.0.1"), QHostAddress("::1")};
        QVERIFY(profile.load(document("A", row("A", "x")), network));
        QCOMPARE(profile.value("MacAddress"), QString());
        QCOMPARE(profile.value("IpAddress"), QString());
        QVERIFY(profile.map().contains("MacAddress"));

        network.ifaces = {{true, "00:00:00:00:00:00"}, {false, "52:54:00:12:34:56"}, {false, "52:54:00:AA:BB:CC"}};
        network.addrs = {QHostAddress("127.0.0.1"), QHostAddress("fe80::1"), QHostAddress("192.168.7.20"),
                         QHostAddress("10.0.0.1")};
        QVERIFY(profile.load(document("A", row("A", "x")), network));
        QCOMPARE(profile.value("MacAddress"), QStringLiteral("52:54:00:12:34:56"));
        QCOMPARE(profile.value("IpAddress"), QStringLiteral("192.168.7.20"));
    }

    void clientSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("plain") << "540,425" << QSize(540, 425);
        QTest::newRow("spaces") << " 800 , 600 " << QSize(800, 600);
        QTest::newRow("extra part ignored") << "800,600,1" << QSize(800, 600);
        QTest::newRow("missing") << QString() << QSize(500, 400);
        QTest::newRow("one number") << "540" << QSize(500, 400);
        QTest::newRow("not numbers") << "wide,tall" << QSize(500, 400);
        QTest::newRow("empty half") << "540," << QSize(500, 400);
        QTest::newRow("zero") << "0,425" << QSize(500, 400);
        QTest::newRow("negative") << "540,-1" << QSize(500, 400);
        QTest::newRow("absurd") << "999999,425" << QSize(500, 400);
    }

    void clientSize()
    {
        QFETCH(QString, text);
        QFETCH(QSize, expected);
        QMap<QString, QString> map;
        if (!text.isNull())
            map.insert("ClientSize", text);
        QCOMPARE(clientSizeOf(map), expected);
    }
};

QTEST_GUILESS_MAIN(TestClientProfile)
#include "tst_client_profile.moc"
