#include "lzma_codec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/resource.h>

namespace {

QByteArray sample(int size, bool random)
{
    QByteArray out;
    QRandomGenerator gen(7);
    while (out.size() < size)
        out += random ? QByteArray::number(gen.generate64(), 36) : QByteArray("<div class=\"dpi\">800</div>\n");
    out.truncate(size);
    return out;
}

// Caps the address space for one scope, so that an allocation the size of
// a forged header field fails instead of being quietly overcommitted.
class AddressSpaceCap
{
public:
    explicit AddressSpaceCap(qint64 headroom)
    {
        getrlimit(RLIMIT_AS, &m_saved);
        QFile status(QStringLiteral("/proc/self/status"));
        qint64 current = 0;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("VmSize:"))
                    current = line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
        }
        rlimit cap = m_saved;
        cap.rlim_cur = rlim_t(current + headroom);
        m_active = current > 0 && setrlimit(RLIMIT_AS, &cap) == 0;
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &m_saved); }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    bool m_active = false;
};

} // namespace

class TestLzmaCodec : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("endMarker");
        const QList<QPair<const char *, QByteArray>> inputs = {
            {"empty", QByteArray()},
            {"one byte", QByteArray("x")},
            {"markup 300 KiB", sample(300 * 1024, false)},
            {"noisy 1 MiB", sample(1024 * 1024, true)},
        };
        for (const auto &in : inputs) {
            QTest::addRow("%s, end marker", in.first) << in.second << true;
            QTest::addRow("%s, no end marker", in.first) << in.second << false;
        }
    }

    void roundTrip()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, endMarker);
        QByteArray properties, stream, decoded;
        LzmaCodec::EncodeOptions options;
        options.endMarker = endMarker;
        QVERIFY(LzmaCodec::encode(input, options, &properties, &stream));
        QCOMPARE(properties.size(), 5);
        QString error;
        QVERIFY2(LzmaCodec::decode(properties, stream.constData(), stream.size(), quint32(input.size()),
                                   &decoded, &error),
                 qPrintable(error));
        QCOMPARE(decoded, input);
    }

    void shortOrDamagedStreamsFail()
    {
        const QByteArray input = sample(200 * 1024, true);
        QByteArray properties, stream, decoded;
        QVERIFY(LzmaCodec::encode(input, {}, &properties, &stream));
        QString error;
        QVERIFY(!LzmaCodec::decode(properties, stream.constData(), stream.size() / 2, quint32(input.size()),
                                   &decoded, &error));
        QVERIFY(decoded.isEmpty());
        QVERIFY(!error.isEmpty());
        QVERIFY(!LzmaCodec::decode(properties, stream.constData(), 0, quint32(input.size()), &decoded));
        // More bytes announced than the stream holds, with and without an
        // end marker.
        QVERIFY(!LzmaCodec::decode(properties, stream.constData(), stream.size(), quint32(input.size()) + 1,
                                   &decoded));
        QByteArray pMarked, marked;
        LzmaCodec::EncodeOptions withMarker;
        withMarker.endMarker = true;
        QVERIFY(LzmaCodec::encode(input, withMarker, &pMarked, &marked));
        QVERIFY(marked != stream);
        QVERIFY(!LzmaCodec::decode(pMarked, marked.constData(), marked.size(), quint32(input.size()) + 1,
                                   &decoded));
        // Invalid property bytes: out of range, and lc + lp above 4.
        QVERIFY(!LzmaCodec::decode(QByteArray("\xE1\x00\x00\x01\x00", 5), stream.constData(),
                                   stream.size(), quint32(input.size()), &decoded));
        QVERIFY(!LzmaCodec::decode(QByteArray("\x2C\x00\x00\x01\x00", 5), stream.constData(),
                                   stream.size(), quint32(input.size()), &decoded));
        QVERIFY(!LzmaCodec::decode(properties.left(4), stream.constData(), stream.size(),
                                   quint32(input.size()), &decoded));
    }

    // Bytes after a complete stream carry nothing and are ignored.
    void trailingBytesIgnored()
    {
        const QByteArray input = sample(4096, false);
        QByteArray properties, stream, decoded;
        QVERIFY(LzmaCodec::encode(input, {}, &properties, &stream));
        stream += QByteArray(64, '\x5A');
        QVERIFY(LzmaCodec::decode(properties, stream.constData(), stream.size(), quint32(input.size()),
                                  &decoded));
        QCOMPARE(decoded, input);
    }

    // A forged 4 GiB dictionary size must not be allocated.
    void forgedDictionarySizeIsBounded()
    {
        const QByteArray input = sample(10000, false);
        QByteArray properties, stream, decoded;
        QVERIFY(LzmaCodec::encode(input, {}, &properties, &stream));
        properties.replace(1, 4, QByteArray(4, '\xFF'));
        AddressSpaceCap cap(512LL * 1024 * 1024);
        if (!cap.active())
            QSKIP("cannot cap the address space here");
        QString error;
        QVERIFY2(LzmaCodec::decode(properties, stream.constData(), stream.size(), quint32(input.size()),
                                   &decoded, &error),
                 qPrintable(error));
        QCOMPARE(decoded, input);
    }
};

QTEST_APPLESS_MAIN(TestLzmaCodec)
#include "tst_lzma_codec.moc"
