// The signature formats on their own: keys, minisign files, the package's
// signature block, signed-list claims and the kept sequences.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "package_reader.h"
#include "package_test_support.h"
#include "signed_list.h"
#include "test_signing.h"
#include "update_keys.h"

using namespace TestSupport;

namespace {

UpdateKeys testKeys()
{
    UpdateKeys keys;
    keys.add(TestSigning::key().publicKey());
    return keys;
}

} // namespace

class UpdateSignaturesTest : public QObject
{
    Q_OBJECT

private slots:
    void clientVersions()
    {
        ClientVersion a, b;
        QVERIFY(ClientVersion::parse("0.1", &a));
        QCOMPARE(a.text(), QString("0.1.0"));
        QVERIFY(ClientVersion::parse("0.1.0.0", &b));
        QVERIFY(a == b);
        QVERIFY(ClientVersion::parse("0.10", &b));
        QVERIFY(a < b);  // numbers, not text
        QVERIFY(ClientVersion::parse("1.2.3.4", &b));
        QCOMPARE(b.text(), QString("1.2.3.4"));
        for (const char* bad : {"", "1.x", "1.2.3.4.5", "70000", "1..2", "-1", "+1", " "})
            QVERIFY2(!ClientVersion::parse(bad, &a), bad);
        QVERIFY(!ClientVersion::current().isZero());
    }

    void publicKeys()
    {
        // The release key compiled into the program is a key.
        const UpdateKey release = UpdateKeys::releaseKey();
        QCOMPARE(release.publicKey.size(), 32);
        QCOMPARE(release.name, QString("Orvanta"));

        const UpdateKey test = TestSigning::key().publicKey();
        const QString line = UpdateKeys::keyLine(test);
        UpdateKey parsed;
        QVERIFY(UpdateKeys::parseKeyLine(line + "  Lab server  ", &parsed));
        QCOMPARE(parsed.publicKey, test.publicKey);
        QCOMPARE(parsed.id, test.id);
        QCOMPARE(parsed.name, QString("Lab server"));
        QVERIFY(UpdateKeys::parseKeyLine(line, &parsed));
        QCOMPARE(parsed.name, "key " + test.idText());
        QString notEd = line;
        notEd[1] = 'X';
        for (const QString& bad : {line.left(55), line + "A", QString(line).replace(10, 1, "*"), notEd, QString()})
            QVERIFY2(!UpdateKeys::parseKeyLine(bad, &parsed), qPrintable(bad));

        // A keys file: comments and blank lines skipped, a minisign .pub
        // taken as it is (its comment names the key), bad lines reported.
        UpdateKeys keys;
        QStringList problems;
        keys.addFromText("# ours\n\n" + Minisign::publicKeyFile(test) + "not a key\n"
                             + UpdateKeys::keyLine(TestSigning::strangerKey().publicKey()).toLatin1() + " Other\r\n",
                         "k.pub", &problems);
        QCOMPARE(keys.keys().size(), 2);
        QCOMPARE(keys.find(test.id)->name, QString("Orvanta test key"));
        QCOMPARE(keys.find(TestSigning::strangerKey().id)->name, QString("Other"));
        QCOMPARE(problems, QStringList{"k.pub line 5 is not a public key"});
        QVERIFY(!keys.find("nothing!"));
    }

    void theKeysFileOfTheEnvironment()
    {
        QTemporaryDir dir;
        const QByteArray before = qgetenv("ORVANTA_UPDATE_KEYS");
        QStringList problems;
        qputenv("ORVANTA_UPDATE_KEYS", QFile::encodeName(dir.filePath("missing")));
        QCOMPARE(UpdateKeys::trusted(&problems).keys().size(), 1);  // the release key alone
        QCOMPARE(problems.size(), 1);
        QVERIFY(writeFile(dir.filePath("huge"), QByteArray(kMaxKeysFileSize + 1, '#')));
        qputenv("ORVANTA_UPDATE_KEYS", QFile::encodeName(dir.filePath("huge")));
        problems.clear();
        QCOMPARE(UpdateKeys::trusted(&problems).keys().size(), 1);
        QCOMPARE(problems.size(), 1);
        // An extra key never replaces the release key's name or place.
        QVERIFY(writeFile(dir.filePath("keys"), Minisign::publicKeyFile(TestSigning::key().publicKey())));
        qputenv("ORVANTA_UPDATE_KEYS", QFile::encodeName(dir.filePath("keys")));
        const UpdateKeys keys = UpdateKeys::trusted();
        QCOMPARE(keys.keys().size(), 2);
        QCOMPARE(keys.keys().first().name, QString("Orvanta"));
        qputenv("ORVANTA_UPDATE_KEYS", before);
    }

    void minisignSignatures()
    {
        const QByteArray message = "the list";
        const MinisignSecretKey key = TestSigning::key();
        const QByteArray text = Minisign::sign(message, key, "channel:upgrade sequence:1 expires:9");
        MinisignSignature signature;
        QVERIFY(Minisign::parseSignature(text, &signature));
        QCOMPARE(signature.algorithm, QByteArray("ED"));
        QCOMPARE(signature.trustedComment, QString("channel:upgrade sequence:1 expires:9"));
        const UpdateKeys keys = testKeys();  // signer points into it
        const UpdateKey* signer = nullptr;
        QVERIFY(Minisign::verify(message, signature, keys, &signer));
        QCOMPARE(signer->name, QString("Orvanta test key"));
        QString why;
        QVERIFY(!Minisign::verify(message + "!", signature, testKeys(), nullptr, &why));
        QCOMPARE(why, QString("the signature does not match"));
        QVERIFY(!Minisign::verify(message, signature, UpdateKeys(), nullptr, &why));
        QCOMPARE(why, QString("not signed by a trusted key"));

        // minisign's legacy form signs the message itself.
        const QByteArray legacy = Minisign::signDetached(message, key.secretKey);
        const QByteArray comment = "legacy";
        const QByteArray legacyText = "untrusted comment: x\n" + ("Ed" + key.id + legacy).toBase64() + "\ntrusted comment: "
                                      + comment + "\n" + Minisign::signDetached(legacy + comment, key.secretKey).toBase64();
        QVERIFY(Minisign::parseSignature(legacyText, &signature));
        QVERIFY(Minisign::verify(message, signature, testKeys()));

        const QList<QByteArray> lines = text.split('\n');
        QByteArray otherAlgorithm = QByteArray::fromBase64(lines.at(1));
        otherAlgorithm[1] = 'x';
        const QList<QByteArray> bad{
            QByteArray(), lines.mid(0, 3).join('\n'), "garbage\n" + lines.mid(1).join('\n'),
            lines.at(0) + "\n" + lines.at(1) + "\nuntrusted comment: x\n" + lines.at(3),
            lines.at(0) + "\n" + lines.at(1).left(20) + "\n" + lines.mid(2).join('\n'),
            lines.at(0) + "\n" + otherAlgorithm.toBase64() + "\n" + lines.mid(2).join('\n'),
            lines.at(0) + "\n" + lines.at(1) + "\n" + lines.at(2) + "\n" + lines.at(3).left(30),
            text + QByteArray(Minisign::kMaxFileSize, ' ')};
        for (const QByteArray& b : bad)
            QVERIFY2(!Minisign::parseSignature(b, &signature), b.left(60).constData());
        // A changed trusted comment fails the second signature.
        QByteArray changed = text;
        changed.replace("sequence:1", "sequence:2");
        QVERIFY(Minisign::parseSignature(changed, &signature));
        QVERIFY(!Minisign::verify(message, signature, testKeys(), nullptr, &why));
        QCOMPARE(why, QString("the trusted comment's signature does not match"));
    }

    void secretKeyFiles()
    {
        const MinisignSecretKey key = Minisign::generate("made here");
        MinisignSecretKey read;
        QString why;
        QVERIFY(Minisign::parseSecretKeyFile(Minisign::secretKeyFile(key), &read, &why));
        QCOMPARE(read.secretKey, key.secretKey);
        QCOMPARE(read.id, key.id);
        QCOMPARE(read.name, QString("made here"));
        QCOMPARE(read.publicKey().publicKey, key.publicKey().publicKey);

        const QList<QByteArray> lines = Minisign::secretKeyFile(key).split('\n');
        QByteArray bytes = QByteArray::fromBase64(lines.at(1));
        QByteArray encrypted = bytes;
        encrypted.replace(2, 2, "Sc");
        QVERIFY(!Minisign::parseSecretKeyFile(lines.at(0) + "\n" + encrypted.toBase64(), &read, &why));
        QVERIFY(why.contains("minisign -C -W"));
        QByteArray damaged = bytes;
        const int publicHalf = 2 + 2 + 2 + 32 + 8 + 8 + 8 + 40;
        damaged[publicHalf] = char(damaged.at(publicHalf) ^ 1);
        QVERIFY(!Minisign::parseSecretKeyFile(lines.at(0) + "\n" + damaged.toBase64(), &read));
        QVERIFY(!Minisign::parseSecretKeyFile("untrusted comment: x\nRWQ=", &read));

        // A key minisign made signs here, and what it signs verifies there.
        const QString minisign = QStandardPaths::findExecutable("minisign");
        if (minisign.isEmpty())
            QSKIP("minisign is not installed (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        QCOMPARE(QProcess::execute(minisign, {"-G", "-W", "-p", dir.filePath("k.pub"), "-s", dir.filePath("k.key")}), 0);
        QVERIFY(Minisign::parseSecretKeyFile(readFile(dir.filePath("k.key")), &read, &why));
        QVERIFY(writeFile(dir.filePath("m"), "message"));
        QVERIFY(writeFile(dir.filePath("m.minisig"), Minisign::sign("message", read, "made here")));
        QCOMPARE(QProcess::execute(minisign, {"-V", "-q", "-p", dir.filePath("k.pub"), "-m", dir.filePath("m")}), 0);
    }

    void packageSignatureBlocks()
    {
        const QByteArray plain = packageFromPayload(qstring("1.0") + u32be(1) + entry("a.txt", "a"), -1, false, false);
        PackageSignatureBlock block;
        QCOMPARE(PackageSignature::parseBlock(plain.left(128), &block), PackageSignature::Parsed::Unsigned);
        QCOMPARE(PackageSignature::verify(plain, testKeys()).kind, PackageVerdict::Unsigned);

        ClientVersion minimum;
        QVERIFY(ClientVersion::parse("0.0.9", &minimum));
        const QByteArray good = TestSigning::signedPackage(plain, 77, minimum);
        QCOMPARE(PackageSignature::parseBlock(good.left(128), &block), PackageSignature::Parsed::Block);
        QCOMPARE(block.sequence, quint64(77));
        QVERIFY(block.minimumClient == minimum);
        QCOMPARE(PackageSignature::blockBytes(block), good.left(128));
        PackageVerdict verdict = PackageSignature::verify(good, testKeys());
        QVERIFY(verdict.trusted());
        QCOMPARE(verdict.signer, QString("Orvanta test key"));
        QCOMPARE(verdict.sequence, quint64(77));
        // The same from a file, read with pread.
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("p"), good));
        QFile file(dir.filePath("p"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const PackageVerdict fromFile = PackageSignature::verifyFile(file.handle(), file.size(), testKeys());
        QVERIFY(fromFile.trusted());
        QCOMPARE(fromFile.tailHash, verdict.tailHash);
        QCOMPARE(file.pos(), qint64(0));

        // A signed package still reads as a package.
        QVERIFY(inspectPackageData(good, nullptr));

        // Every byte of the block but the signature is signed, and so is
        // everything after the header area.
        for (int at : {4, 5, 6, 7, 8, 15, 16, 79, 80, 88, 96, 127, 128, 150, int(good.size() - 1)}) {
            QByteArray bad = good;
            bad[at] = char(bad.at(at) ^ 0x10);
            QVERIFY2(!PackageSignature::verify(bad, testKeys()).trusted(), qPrintable(QString::number(at)));
        }
        // A client older than the package asks for.
        ClientVersion old;
        QVERIFY(ClientVersion::parse("0.0.8", &old));
        verdict = PackageSignature::verify(good, testKeys(), old);
        QCOMPARE(verdict.kind, PackageVerdict::Refused);
        QVERIFY(verdict.reason.contains("0.0.9"));
        QCOMPARE(verdict.signer, QString("Orvanta test key"));

        QString why;
        QByteArray twice = good;
        twice[6] = 2;
        QCOMPARE(PackageSignature::parseBlock(twice.left(128), &block, &why), PackageSignature::Parsed::Malformed);
        QVERIFY(why.contains("2 signatures"));
        QVERIFY(!PackageSignature::verify(good.left(157), testKeys()).trusted());
        QVERIFY(!PackageSignature::verify(QByteArray(), testKeys()).trusted());
    }

    void listClaims()
    {
        ListClaims claims;
        QVERIFY(ListClaims::parse("timestamp:1\tchannel:upgrade  sequence:18446744073709551615 expires:5 file:x", &claims));
        QCOMPARE(claims.channel, QString("upgrade"));
        QCOMPARE(claims.sequence, std::numeric_limits<quint64>::max());
        QCOMPARE(claims.expires, qint64(5));
        for (const char* bad : {"", "channel:upgrade sequence:1", "channel:upgrade expires:5", "sequence:1 expires:5",
                                "channel:upgrade sequence:x expires:5", "channel:upgrade sequence:1 expires:-5",
                                "channel:a channel:b sequence:1 expires:5", "channel: sequence:1 expires:5",
                                "channel:a/b sequence:1 expires:5", "channel:upgrade sequence:1 sequence:2 expires:5"})
            QVERIFY2(!ListClaims::parse(bad, &claims), bad);
    }

    void keptSequences()
    {
        QTemporaryDir dir;
        SequenceStore store(dir.filePath("seq.json"));
        QCOMPARE(store.highest("upgrade"), quint64(0));
        QVERIFY(store.raise("upgrade", 5));
        QVERIFY(store.raise("client", 2));
        QVERIFY(store.raise("upgrade", 3));  // lower: kept as it was
        QCOMPARE(store.highest("upgrade"), quint64(5));
        QCOMPARE(SequenceStore(dir.filePath("seq.json")).highest("client"), quint64(2));
        // Beyond what a JSON number holds exactly.
        QVERIFY(store.raise("big", 9007199254740993ull));
        QCOMPARE(store.highest("big"), 9007199254740993ull);

        // A damaged file counts as empty and is written anew.
        QVERIFY(writeFile(dir.filePath("seq.json"), "{not json"));
        QCOMPARE(store.highest("upgrade"), quint64(0));
        QVERIFY(store.raise("upgrade", 1));
        QCOMPARE(store.highest("upgrade"), quint64(1));

        // Never read or written through a link.
        QVERIFY(writeFile(dir.filePath("elsewhere.json"), R"({"channels":{"upgrade":"99"}})"));
        QVERIFY(QFile::link(dir.filePath("elsewhere.json"), dir.filePath("link.json")));
        SequenceStore linked(dir.filePath("link.json"));
        QCOMPARE(linked.highest("upgrade"), quint64(0));
        QVERIFY(!linked.raise("upgrade", 100));
        QCOMPARE(readFile(dir.filePath("elsewhere.json")), QByteArray(R"({"channels":{"upgrade":"99"}})"));
    }

    void signedLists()
    {
        QTemporaryDir dir;
        SequenceStore store(dir.filePath("seq.json"));
        const QByteArray list = "{}";
        const auto sig = [&](quint64 sequence, qint64 expires) {
            return TestSigning::signedListSignature(list, "upgrade", sequence, expires);
        };
        ListVerdict verdict = verifySignedList(list, sig(4, 1000), "upgrade", 999, testKeys(), store);
        QVERIFY2(verdict.trusted, qPrintable(verdict.reason));
        QCOMPARE(verdict.signer, QString("Orvanta test key"));
        QCOMPARE(store.highest("upgrade"), quint64(4));
        // Expiry is strict: at the stated second the list is stale.
        verdict = verifySignedList(list, sig(4, 1000), "upgrade", 1000, testKeys(), store);
        QVERIFY(!verdict.trusted);
        QVERIFY(verdict.reason.contains("expired"));
        verdict = verifySignedList(list, sig(3, 5000), "upgrade", 999, testKeys(), store);
        QVERIFY(verdict.reason.contains("rollback"));
        QCOMPARE(store.highest("upgrade"), quint64(4));
        verdict = verifySignedList(list, sig(9, 5000), "firmware", 999, testKeys(), store);
        QVERIFY(verdict.reason.contains("channel"));
        QCOMPARE(store.highest("firmware"), quint64(0));
        verdict = verifySignedList(list, QByteArray(), "upgrade", 999, testKeys(), store);
        QVERIFY(verdict.reason.startsWith("not signed by a trusted key"));
    }
};

QTEST_GUILESS_MAIN(UpdateSignaturesTest)
#include "tst_update_signatures.moc"
