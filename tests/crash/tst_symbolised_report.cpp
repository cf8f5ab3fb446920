// The reporter's stack lines: a frame of this very program is named with
// its function, file and line; lines it cannot trust or resolve stay as
// they are, and a second pass changes nothing.
#include <QCoreApplication>
#include <QFile>
#include <QtTest>

#include "report_symbolizer.h"
#include "symbolised_report.h"

__attribute__((noinline)) int orvantaSymbolTarget(int x)
{
    return x * 3 + 1;
}

namespace {

// "#N 0xADDR PATH+0xOFFSET" for an address of this program, as the crash
// handler writes it: the offset from the start of its first mapping.
QString frameLine(int index, const void* address)
{
    QFile maps("/proc/self/maps");
    if (!maps.open(QIODevice::ReadOnly))
        return QString();
    const QString self = QFile::symLinkTarget("/proc/self/exe");
    quint64 base = 0;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && QString::fromLocal8Bit(fields.at(5)) == self && fields.at(2).toULongLong(nullptr, 16) == 0) {
            base = fields.at(0).split('-').first().toULongLong(nullptr, 16);
            break;
        }
    }
    const auto at = reinterpret_cast<quintptr>(address);
    return QStringLiteral("#%1 0x%2 %3+0x%4").arg(index).arg(at, 0, 16).arg(self).arg(at - base, 0, 16);
}

} // namespace

class SymbolisedReportTest : public QObject
{
    Q_OBJECT

private slots:
    void framesOfThisProgramAreNamedAndTheRestStays()
    {
        const QString first = frameLine(0, reinterpret_cast<const void*>(&orvantaSymbolTarget));
        // A return address points just past a call: looked up one byte
        // earlier, still inside the function.
        const QString second = frameLine(1, reinterpret_cast<const char*>(&orvantaSymbolTarget) + 1);
        QVERIFY(!first.isEmpty());
        const QStringList untouched = {
            "Orvanta crash report",
            "Signal: 11 SIGSEGV",
            "#2 0x10 relative/path.so+0x10",
            "#3 0x20 /nonexistent/libgone.so+0x20",
            "#4 0x30 /etc/passwd+0x30",
            "#5 0x40 /usr/lib/libfoo.so+0x40 in foo() at foo.cpp:1",
            "#6 0x50 ?",
            "",
        };
        const QString report = (QStringList{first, second} + untouched).join('\n');
        QVERIFY(needsSymbols(report));

        ReportSymbolizer symbolizer;
        const QString out = symbolisedReport(report, symbolizer);
        const QStringList lines = out.split('\n');
        QCOMPARE(lines.size(), 2 + untouched.size());
        QVERIFY2(lines.at(0).startsWith(first + " in orvantaSymbolTarget(int) at "), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(0).contains("tst_symbolised_report.cpp:"), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).startsWith(second + " in orvantaSymbolTarget(int)"), qPrintable(lines.at(1)));
        QCOMPARE(lines.mid(2), untouched);

        // Done once: the unresolved lines remain candidates, the named ones
        // are left alone.
        QCOMPARE(symbolisedReport(out, symbolizer), out);
        QVERIFY(!needsSymbols(untouched.mid(5).join('\n')));
    }

    void aHugeReportIsLookedUpOnlyAsFarAsTheLimit()
    {
        const QString line = frameLine(0, reinterpret_cast<const void*>(&orvantaSymbolTarget));
        QStringList many;
        for (int i = 0; i < 1000; ++i)
            many << line;
        ReportSymbolizer symbolizer;
        const QStringList out = symbolisedReport(many.join('\n'), symbolizer).split('\n');
        QVERIFY(out.first().contains(" in orvantaSymbolTarget"));
        QCOMPARE(out.last(), line);
    }
};

QTEST_GUILESS_MAIN(SymbolisedReportTest)
#include "tst_symbolised_report.moc"
