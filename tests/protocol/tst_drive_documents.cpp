// Walks every document under :/drive/ and checks the rows the encoders and
// the page rely on: row counts, Index and Length layouts, the address rules
// of profile blocks and macro slots (with the few slots each firmware
// stores off its rule), and the agreement of the key tables with Define.
#include <QFile>
#include <QMap>
#include <QSet>
#include <QtTest>

#include <pugixml.hpp>

namespace {

const QStringList kDrivers{"M1.0", "M2.0", "M4.0", "K1.0", "K2.0", "W1.0"};

QString attr(pugi::xml_node node, const char* name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

bool load(const QString& name, pugi::xml_document& doc)
{
    QFile file(":/drive/" + name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    return bool(doc.load_buffer(text.constData(), size_t(text.size()), pugi::parse_default,
                                pugi::encoding_utf8));
}

QList<pugi::xml_node> rows(const pugi::xml_document& doc)
{
    QList<pugi::xml_node> out;
    for (pugi::xml_node n : doc.document_element().children())
        if (n.type() == pugi::node_element)
            out << n;
    return out;
}

// First row with this Task, as the program's lookups see it.
pugi::xml_node task(const pugi::xml_document& doc, const QString& name)
{
    for (pugi::xml_node n : rows(doc))
        if (attr(n, "Task") == name)
            return n;
    return {};
}

QList<pugi::xml_node> keyTable(const pugi::xml_document& doc)
{
    QList<pugi::xml_node> out;
    for (pugi::xml_node n : rows(doc))
        if (n.attribute("vkCode"))
            out << n;
    return out;
}

QString hex(int value)
{
    return "0x" + QString::number(value, 16).toUpper();
}

// Function rows by Task: the rows whose Code starts with a function class.
QMap<QString, QString> functions(const pugi::xml_document& doc)
{
    static const QStringList names{
        "LeftClick", "RightClick", "MiddleClick", "Back", "Forward", "ScrollUp", "ScrollDown",
        "ScrollLeft", "ScrollRight", "DpiCycling", "DpiUp", "DpiDown", "DpiPosition", "LockX",
        "LockY", "ModeShift", "ModeDown", "ModeUp", "ReportrateUp", "ReportrateDown", "LiftUp",
        "LiftDown", "SwitchLight", "ResetToDefaults", "MediaPlayer", "PlayPause", "Stop",
        "PreTrack", "NextTrack", "VolumeUp", "VolumeDown", "Mute"};
    QMap<QString, QString> out;
    for (const QString& name : names)
        out.insert(name, attr(task(doc, name), "Code"));
    return out;
}

} // namespace

class DriveDocumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyDocumentParsesWithItsRoot()
    {
        const QMap<QString, QString> roots{{"Define", "keyboard"}, {"Mouse", "configuration"},
                                           {"Keyboard", "configuration"}, {"Virtual", "map"}};
        for (const QString& name : kDrivers + roots.keys()) {
            pugi::xml_document doc;
            QVERIFY2(load(name, doc), qPrintable(name));
            const QString root = QString::fromUtf8(doc.document_element().name());
            QCOMPARE(root, roots.value(name, "Driver"));
            if (root != "Driver")
                continue;
            QCOMPARE(attr(doc.document_element(), "Version"), name);
            for (pugi::xml_node n : rows(doc)) {
                QCOMPARE(QString::fromUtf8(n.name()), QStringLiteral("Key"));
                QVERIFY2(!attr(n, "Task").isEmpty(), qPrintable(name));
                QVERIFY2(bool(n.attribute("Name")) != bool(n.attribute("name")),
                         qPrintable(name + " " + attr(n, "Task")));
            }
        }
        QVERIFY(!QFile::exists(":/drive/K4.0"));
    }

    void keyTablesAgreeWithDefine_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("count");
        for (const QString& v : kDrivers)
            QTest::newRow(qPrintable(v)) << v << (v == "W1.0" ? 116 : 108);
    }

    void keyTablesAgreeWithDefine()
    {
        QFETCH(QString, version);
        QFETCH(int, count);
        pugi::xml_document doc, define;
        QVERIFY(load(version, doc));
        QVERIFY(load("Define", define));
        QMap<QString, pugi::xml_node> defined;
        for (pugi::xml_node n : rows(define))
            if (!defined.contains(attr(n, "task")))
                defined.insert(attr(n, "task"), n);

        // Codes and vkCodes the device firmware expects off the HID rule.
        const QMap<QString, QString> codeExceptions{
            {"Enter", "58"}, {"-", "56"}, {"Page Up", "61"}, {"Page Down", "5B"}};
        const QMap<QString, QString> modifierBits{
            {"Ctrl", "1"}, {"Shift", "2"}, {"Alt", "4"}, {"Win", "8"}};

        const QList<pugi::xml_node> keys = keyTable(doc);
        QCOMPARE(keys.size(), count);
        QSet<QString> tasks;
        for (pugi::xml_node n : keys) {
            const QString name = attr(n, "Name"), t = attr(n, "Task");
            QVERIFY2(!tasks.contains(t), qPrintable(t));
            tasks << t;
            QVERIFY2(defined.contains(name) || name.startsWith("F1") || name.startsWith("F2"),
                     qPrintable(name));
            const QString value = attr(n, "Value");
            QVERIFY(!value.isEmpty() && value == value.toUpper());
            // M4.0 calls the pad, punctuation and navigation keys by their
            // key word, the pad digits "Num0" .. "Num9".
            if (t != name) {
                QCOMPARE(version, QStringLiteral("M4.0"));
                QVERIFY2(t == value || (value.startsWith("NUM") && t == "Num" + value.mid(3)),
                         qPrintable(t));
            }
            if (modifierBits.contains(name)) {
                QCOMPARE(attr(n, "Code"), modifierBits.value(name));
                QVERIFY(n.attribute("ScanCode") && attr(n, "ScanCode").isEmpty());
                QVERIFY(n.attribute("flag") && attr(n, "flag").isEmpty());
                continue;
            }
            QVERIFY(attr(n, "flag") == "0" || attr(n, "flag") == "1");
            if (!defined.contains(name))
                continue;   // W1.0's F13 .. F20, checked below
            const pugi::xml_node d = defined.value(name);
            QCOMPARE(attr(n, "Code"), codeExceptions.value(name, attr(d, "hidCode")));
            QCOMPARE(attr(n, "vkCode"), name == "Right Windows" ? "91" : attr(d, "vkCode"));
            QCOMPARE(attr(n, "ScanCode"), attr(d, "scanCode"));
            QCOMPARE(attr(n, "flag"), attr(d, "flag"));
        }
        if (version == "W1.0") {
            for (int i = 0; i < 8; ++i) {
                const pugi::xml_node f = task(doc, QString("F%1").arg(13 + i));
                QCOMPARE(attr(f, "Code"), QString::number(0x68 + i, 16).toUpper());
                QCOMPARE(attr(f, "vkCode"), QString::number(124 + i));
            }
        }
    }

    void defineRows()
    {
        pugi::xml_document doc;
        QVERIFY(load("Define", doc));
        QMap<QString, QString> byTask;
        QStringList mouseCodes, wheel;
        for (pugi::xml_node n : rows(doc)) {
            for (const char* a : {"name", "task", "vkCode", "scanCode", "flag", "hidCode", "value"})
                QVERIFY2(n.attribute(a), a);
            if (attr(n, "flag") == "10") {
                (attr(n, "vkCode").isEmpty() ? wheel : mouseCodes) << attr(n, "hidCode");
                if (!attr(n, "vkCode").isEmpty())
                    QCOMPARE(attr(n, "value"), attr(n, "name"));
                else
                    QCOMPARE(attr(n, "value").toInt(), 120 * attr(n, "hidCode").toInt());
            }
            byTask.insert(attr(n, "task"), attr(n, "hidCode"));
        }
        QCOMPARE(mouseCodes, QStringList({"1", "2", "4", "8", "10"}));
        QCOMPARE(wheel, QStringList({"1", "-1"}));
        // Anchors of the HID usage rule.
        const QMap<QString, QString> usages{
            {"A", "04"}, {"Z", "1D"}, {"1", "1E"}, {"0", "27"}, {"F1", "3A"}, {"F12", "45"},
            {"Esc", "29"}, {"Tab", "2B"}, {"Space", "2C"}, {"Left Ctrl", "E0"},
            {"Left Shift", "E1"}, {"Left Alt", "E2"}, {"Left Windows", "E3"},
            {"Right Ctrl", "E4"}, {"Right Shift", "E5"}, {"Right Alt", "E6"},
            {"Right Windows", "E7"}, {"Ctrl", "E0"}, {"Shift", "E1"}, {"Alt", "E2"},
            {"Win", "E3"}, {"Back", "8"}, {"Forward", "10"}};
        for (auto it = usages.cbegin(); it != usages.cend(); ++it)
            QCOMPARE(byTask.value(it.key()), it.value());
    }

    void mouseDocuments_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("buttonLength");
        QTest::addColumn<int>("macroBase");
        QTest::addColumn<QVariantMap>("macroExceptions");
        QTest::newRow("M1.0") << "M1.0" << "4" << 0xA00 << QVariantMap{
            {"6", "0xEBO"}, {"7", "0xE78"}, {"10", "0x11DO"}, {"14", "0x14FO"},
            {"20", "0x19AO"}, {"24", "0x1CCO"}};
        QTest::newRow("M2.0") << "M2.0" << "8" << 0xA00 << QVariantMap{
            {"6", "0xEBO"}, {"7", "0xE78"}, {"10", "0x11DO"}, {"14", "0x14FO"},
            {"20", "0x19AO"}, {"24", "0x1CCO"}};
        QTest::newRow("M4.0") << "M4.0" << "8" << 0xC00 << QVariantMap{
            {"19", "0x18D8"}, {"23", "0x1BF8"}, {"24", "0x1DF8"}, {"25", "0x1EC0"},
            {"26", "0x1F88"}, {"27", "0x2050"}, {"28", "0x2118"}, {"29", "0x21E0"}};
    }

    void mouseDocuments()
    {
        QFETCH(QString, version);
        QFETCH(QString, buttonLength);
        QFETCH(int, macroBase);
        QFETCH(QVariantMap, macroExceptions);
        pugi::xml_document doc, m1;
        QVERIFY(load(version, doc));
        QVERIFY(load("M1.0", m1));

        // Every parameter number of the header and the profile, in order,
        // before any row that reuses a number.
        QList<int> indexes;
        for (pugi::xml_node n : rows(doc)) {
            if (attr(n, "Task").startsWith("mode") && attr(n, "Task") != "mode"
                && attr(n, "Task") != "modeIndex")
                break;
            indexes << attr(n, "Index").toInt();
        }
        QList<int> expected;
        for (int i = 1; i <= 26; ++i) expected << i;
        for (int i = 40; i <= 90; ++i) expected << i;
        QCOMPARE(indexes, expected);

        for (int n = 0; n < 30; ++n) {
            const pugi::xml_node b = task(doc, QString("pButton%1").arg(n));
            QCOMPARE(attr(b, "Index"), QString::number(61 + n));
            QCOMPARE(attr(b, "Length"), buttonLength);
        }
        for (int n = 0; n < 6; ++n) {
            const pugi::xml_node m = task(doc, QString("mode%1").arg(n));
            QCOMPARE(attr(m, "Index"), QString::number(n));
            QCOMPARE(attr(m, "Length"), QStringLiteral("300"));
            QCOMPARE(attr(m, "Code"), hex(0x106 + 0x12C * n));
        }
        QCOMPARE(attr(task(doc, "MacroData"), "Length"), QStringLiteral("30"));
        for (int n = 0; n < 30; ++n) {
            const pugi::xml_node m = task(doc, QString("Macro%1").arg(n));
            QCOMPARE(attr(m, "Length"), QStringLiteral("200"));
            QCOMPARE(attr(m, "Code"),
                     macroExceptions.value(QString::number(n), hex(macroBase + 0xC8 * n)).toString());
        }

        QCOMPARE(functions(doc), functions(m1));
        QCOMPARE(attr(task(doc, "light"), "Index"), QStringLiteral("23"));
        QCOMPARE(attr(task(doc, "左键"), "Code"), QStringLiteral("0x81"));
        QCOMPARE(attr(task(doc, "右键"), "Code"), QStringLiteral("0x82"));
        QCOMPARE(attr(task(doc, "中键"), "Code"), version == "M4.0" ? "0x84" : "");
        for (const char* t : {"mouseLeft", "mouseRight", "mouseMiddle"})
            QVERIFY(!attr(task(doc, t), "Value").isEmpty());
    }

    void functionCodes()
    {
        pugi::xml_document m1, k1, k2, w1;
        QVERIFY(load("M1.0", m1) && load("K1.0", k1) && load("K2.0", k2) && load("W1.0", w1));
        const QMap<QString, QString> f = functions(m1);
        QCOMPARE(f.value("LeftClick"), QStringLiteral("0x01,0x01,0x00,0x00"));
        QCOMPARE(f.value("ScrollUp"), QStringLiteral("0x01,0x12,0x00,0x00"));
        QCOMPARE(f.value("Mute"), QStringLiteral("0x03,0x00,0xE2,0x00"));
        for (const QString& code : f)
            QCOMPARE(code.split(',').size(), 4);
        QCOMPARE(functions(k1), f);

        QMap<QString, QString> swapped = f;
        swapped["ScrollUp"] = f.value("ScrollDown");
        swapped["ScrollDown"] = f.value("ScrollUp");
        QCOMPARE(functions(k2), swapped);

        // W1.0: three-byte codes for its own functions, the rest as in M.
        const QMap<QString, QString> w = functions(w1);
        QCOMPARE(w.value("DpiCycling"), QStringLiteral("0x02,0x01,0x00"));
        QCOMPARE(w.value("ScrollRight"), QStringLiteral("0x03,0x02,0x00"));
        QCOMPARE(w.value("Mute"), f.value("Mute"));
        QCOMPARE(attr(task(w1, "Disable"), "Code"), QStringLiteral("0x00,0x00,0x00"));
        QCOMPARE(attr(task(w1, "DoubleLeftClick"), "Code"), QStringLiteral("0x04,0x10,0x02"));
        for (const QString& name : w.keys())
            QCOMPARE(attr(task(w1, name), "Length"), QStringLiteral("3"));
    }

    void keyboardDocuments()
    {
        pugi::xml_document k1, k2;
        QVERIFY(load("K1.0", k1) && load("K2.0", k2));
        for (int n = 0; n < 124; ++n) {
            const pugi::xml_node b = task(k1, QString("Button%1").arg(n));
            QCOMPARE(attr(b, "Index").toInt(), n < 104 ? 44 + n : 174 + n - 104);
            QCOMPARE(attr(b, "Length"), QStringLiteral("4"));
        }
        QCOMPARE(attr(task(k1, "Button0"), "Name"), QStringLiteral("A"));
        QCOMPARE(attr(task(k1, "Button103"), "Name"), QStringLiteral("Led"));
        QCOMPARE(attr(task(k1, "Button123"), "Name"), QStringLiteral("G20"));
        QVERIFY(!task(k1, "pButtonData").attribute("Index"));
        for (int n = 0; n < 6; ++n)
            QCOMPARE(attr(task(k1, QString("mode%1").arg(n)), "Code"), hex(0x94 + 0x2EE * n));
        QCOMPARE(attr(task(k1, "MacroData"), "Length"), QStringLiteral("10"));
        for (int n = 0; n < 10; ++n)
            QCOMPARE(attr(task(k1, QString("Macro%1").arg(n)), "Code"), hex(0x1250 + 0xC8 * n));
        QVERIFY(!task(k1, "Macro10"));
        QCOMPARE(attr(task(k1, "KeyboardKey"), "Code"), QStringLiteral("Code"));
        QCOMPARE(attr(task(k1, "Lights"), "Length"), QStringLiteral("11"));

        QCOMPARE(attr(task(k2, "mode0"), "Code"), QStringLiteral("0x37"));
        QCOMPARE(attr(task(k2, "mode0"), "Length"), QStringLiteral("2250"));
        QVERIFY(!task(k2, "mode1"));
        for (int n = 0; n < 30; ++n) {
            const QString code = attr(task(k2, QString("Macro%1").arg(n)), "Code");
            QCOMPARE(code, n < 3 ? QString::number(182 + n) : hex(0x14A8 + 0xC8 * (n - 3)));
        }
        const pugi::xml_node hot = task(k2, "HotKey");
        QCOMPARE(attr(hot, "Code").split(',').size(), 15);
        QCOMPARE(attr(hot, "Length"), QStringLiteral("15"));
        QVERIFY(task(k2, "gLeft") && !task(k2, "GLeft"));
        for (pugi::xml_document* doc : {&k1, &k2})
            QCOMPARE(attr(task(*doc, "repeatKey"), "Code"), attr(task(*doc, "GKey"), "Code"));
    }

    void w1Addresses()
    {
        pugi::xml_document w1;
        QVERIFY(load("W1.0", w1));
        const QStringList buttons{"0x60", "0x64", "0x68", "0x70", "0x6C", "0x88", "0x8C", "0x7C",
                                  "0x80", "0x84", "0x88", "0x8C", "0x90", "0x94", "0x98", "0x9C"};
        const QStringList hotkeys{"0x100", "0x120", "0x140", "0x180", "0x160", "0x240",
                                  "0x260", "0x1E0", "0x200", "0x220", "0x240", "0x260",
                                  "0x280", "0x2A0", "0x2C0", "0x2E0"};
        for (int n = 0; n < 30; ++n) {
            const pugi::xml_node b = task(w1, QString("pButton%1").arg(n));
            QCOMPARE(attr(b, "Index"), QString::number(61 + n));
            QCOMPARE(attr(b, "Addr"), n < 16 ? buttons[n] : QString());
            QCOMPARE(attr(b, "Length"), n < 16 ? "3" : "8");
        }
        for (int n = 0; n < 16; ++n) {
            const pugi::xml_node h = task(w1, QString::number(61 + n));
            QCOMPARE(attr(h, "Addr"), hotkeys[n]);
            QCOMPARE(attr(h, "Length"), QStringLiteral("20"));
        }
        QMap<int, QString> dpi;
        for (pugi::xml_node n : rows(w1))
            if (attr(n, "Task").startsWith("pDpi") && attr(n, "Task") != "pDpiCurrent")
                dpi.insert(attr(n, "Index").toInt(), attr(n, "Addr"));
        QCOMPARE(dpi.size(), 16);
        for (int n = 0; n < 8; ++n) {
            QCOMPARE(dpi.value(50 + n).toInt(nullptr, 16), 0x0C + 4 * n);
            QCOMPARE(dpi.value(201 + n).toInt(nullptr, 16), 0x2C + 4 * n);
        }
        pugi::xml_document m1;
        QVERIFY(load("M1.0", m1));
        for (int n = 0; n < 30; ++n) {
            const QString t = QString("Macro%1").arg(n);
            const pugi::xml_node m = task(w1, t);
            QCOMPARE(attr(m, "Length"), n < 15 ? "383" : "200");
            QCOMPARE(attr(m, "Addr"), n < 15 ? hex(0x300 + 0x180 * n) : QString());
            QCOMPARE(attr(m, "Code"), n < 15 ? QString() : attr(task(m1, t), "Code"));
        }
        QVERIFY(!task(w1, "MacroData"));
        QCOMPARE(attr(task(w1, "pLights"), "Length"), QStringLiteral("0a"));
    }

    void pageTables()
    {
        const char* attributes[] = {"name", "vkcode", "scancode", "flag", "hidcode", "command",
                                    "desc", "type", "playtype", "playcount", "playdelay",
                                    "playauxiliary"};
        const QMap<QString, int> counts{{"Mouse", 5}, {"Keyboard", 108}, {"Virtual", 4}};
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            pugi::xml_document doc;
            QVERIFY(load(it.key(), doc));
            QCOMPARE(rows(doc).size(), it.value());
            for (pugi::xml_node n : rows(doc)) {
                for (const char* a : attributes)
                    QVERIFY2(n.attribute(a), qPrintable(it.key() + " " + a));
                if (it.key() == "Virtual") {
                    // The remapping reads its trigger from scancode and flag
                    // and its function from the first child's value.
                    QCOMPARE(attr(n, "flag"), QStringLiteral("10"));
                    QVERIFY(!attr(n.first_child(), "value").isEmpty());
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(DriveDocumentsTest)
#include "tst_drive_documents.moc"
