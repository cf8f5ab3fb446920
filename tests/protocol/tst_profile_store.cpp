// The profile of a device among the page-read files, and the queries on a
// parsed profile document.
#include <QtTest>

#include "profile_document.h"
#include "profile_store.h"
#include "write_scenario.h"

class ProfileStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void findsTheFirstMatchingTextInPathOrder()
    {
        ReadFiles cache;
        const QString match = profileText(kM1, "<Mode Index=\"0\"/>");
        const QString laterMatch = profileText(kM1, "<Mode Index=\"1\"/>");
        // Stored out of path order: the lookup goes by path, not by arrival.
        cache.store("/p/d-later.xml", laterMatch);
        cache.store("/p/c-match.xml", match);
        cache.store("/p/a-notes.txt", "not XML, but it names " + kM1);
        cache.store("/p/b1-other.xml", profileText(kM2));
        cache.store("/p/b2-longer-key.xml", profileText(kM1 + "0"));
        cache.store("/p/b3-lower-case.xml", profileText(kM1.toLower()));
        cache.store("/p/b4-index-1.xml",
                    "<Configuration><Conf><Key Index=\"1\" Value=\"" + kM1 + "\"/></Conf></Configuration>");
        cache.store("/p/b5-other-root.xml", "<Driver><Conf><Key Index=\"2\" Value=\"" + kM1 + "\"/></Conf></Driver>");
        cache.store("/p/b6-broken.xml", profileText(kM1).left(120));

        QCOMPARE(profileForDevice(&cache, kM1), match);
        QCOMPARE(profileForDevice(&cache, kM2), profileText(kM2));
        QCOMPARE(profileForDevice(&cache, kM4), QString());
        QCOMPARE(profileForDevice(&cache, QString()), QString());
        QCOMPARE(profileForDevice(nullptr, kM1), QString());
    }

    void theHandlerLooksInTheSourceItWasGiven()
    {
        device_data_handler handler;
        QCOMPARE(handler.profileForDevice(kM1), QString());
        ReadFiles cache;
        handler.setProfileSource(&cache);
        QCOMPARE(handler.profileSource(), static_cast<const ProfileSource*>(&cache));
        QCOMPARE(handler.profileForDevice(kM1), QString());
        // A text the page reads later is found by the next lookup.
        cache.store("/p/m1.xml", profileText(kM1));
        QCOMPARE(handler.profileForDevice(kM1), profileText(kM1));
        handler.setProfileSource(nullptr);
        QCOMPARE(handler.profileForDevice(kM1), QString());
    }

    void selectsModesAndKeysByNumber()
    {
        ProfileDocument profile;
        QVERIFY(!profile.isLoaded());
        QVERIFY(!profile.hasMode("0"));
        QVERIFY(profile.load(profileText(kK2,
                                         "<Mode Index=\"0\"><Key Index=\"7\" Name=\"A\" Type=\"Keyboard\" Value=\"A\""
                                         " PlayLight=\"FF0000\"/><Key Index=\"8\" Name=\"B\"/></Mode>"
                                         "<Mode Index=\"01\"><Key Index=\"7\" Name=\"later\"/></Mode>")));
        QCOMPARE(profile.deviceKey(), kK2);
        QVERIFY(profile.hasMode("0"));
        QVERIFY(profile.hasMode("1"));
        QVERIFY(!profile.hasMode("2"));
        QVERIFY(!profile.hasMode("x"));
        QVERIFY(!profile.hasMode("0] | //Key[@Index=7"));

        const QList<ProfileKey> keys = profile.modeKeys("0");
        QCOMPARE(keys.size(), 2);
        QCOMPARE(keys.at(0).type, QStringLiteral("Keyboard"));
        QCOMPARE(keys.at(0).playLight, QStringLiteral("FF0000"));
        QCOMPARE(keys.at(1).name, QStringLiteral("B"));
        QCOMPARE(keys.at(1).playCount, QString());
        QVERIFY(profile.modeKeys("3").isEmpty());

        // The first key with the Index in document order, whatever its mode.
        ProfileKey key;
        QVERIFY(profile.key("7", &key));
        QCOMPARE(key.name, QStringLiteral("A"));
        QVERIFY(!profile.key("9", &key));

        QVERIFY(!profile.load("no XML"));
        QVERIFY(!profile.isLoaded());
        QVERIFY(!profile.hasMode("0"));
        QCOMPARE(profile.deviceKey(), QString());
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "tst_profile_store.moc"
