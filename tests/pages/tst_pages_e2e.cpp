// The shipped pages end to end: the main window on the real Qt WebEngine
// with the built page package, the device emulator behind it, and the page
// driven as a user would (its controls changed, its buttons clicked). What
// counts is what reaches the device: the bytes in the emulator's call log,
// and what the program keeps on disk (the device profile, conf.ini).
#include "browser_test_support.h"
#include "client_handler.h"
#include "firmware_image.h"
#include "http_test_server.h"
#include "test_signing.h"
#include "package_writer.h"
#include "quit_request.h"
#include "web_page.h"
#include "web_view.h"
#include "window.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

const QString kStartPage = QStringLiteral("http://pages.orvanta.test/local/rx318/index.html");

} // namespace

class TestPagesEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void dpiStageOnM1();
    void badDpiEntriesWriteNothing();
    void aRetryShowsWhatWasWrittenAndAReplugReadsAgain();
    void keyCombinationOnM2();
    void thePickerOffersWhatTheDeviceCanDo();
    void dpiColourOnW1();
    void recordedMacroOnM1();
    void macroEditorFitsTheWindow();
    void aMacroOfTheSameNameIsKeptUnlessReplaced();
    void keyColourOnKeyboard();
    void firmwareUpdate();
    void languageSwitch();
    // Quits the program: the last test.
    void closingWithoutATray();

private:
    QWebEnginePage* page() const { return m_window->mainView()->page(); }
    QVariant js(const QString& script) { return BrowserTest::evaluate(page(), script); }
    bool waitJs(const QString& script) { return BrowserTest::waitFor(page(), script, true); }
    // Waits for a logged call of that name whose members include all of
    // expected; returns it (empty when none came within 10 s).
    QJsonObject waitForCall(const QString& name, const QJsonObject& expected);
    bool open(const QString& hash, const QString& readyScript);

    QTemporaryDir m_app;
    QTemporaryDir m_temp;
    QString m_log;
    Window* m_window = nullptr;
};

void TestPagesEndToEnd::initTestCase()
{
    QVERIFY(QFile::copy(EMULATOR_DEVICES, m_app.filePath("devices.json")));
    QFile(m_app.filePath("devices.json")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(QFile::copy(PAGES_PACKAGE, m_app.filePath("skn.dat")));
    m_log = m_app.filePath("transport.log");
    QVERIFY(!TestSigning::trustTestKey().isEmpty());
    qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
    qputenv("ORVANTA_DEVICES", QFile::encodeName(m_app.filePath("devices.json")));
    qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(m_log));
    // The boot loader's waits, a hundredth as long.
    qputenv("ORVANTA_FIRMWARE_WAIT_SCALE", "0.01");

    ClientHandler::instance()->setProfile(offTheRecordProfile());
    WindowSetup setup;
    setup.profile = {{"Name", "RX318 Pro"}, {"Debug", "false"}, {"ClientSize", "960,640"},
                     {"LoadPath", kStartPage}, {"CloseFunc", "minisize"}, {"Version", "R1.0.3"}};
    setup.applicationFolder = m_app.path() + "/";
    setup.privateFolder = m_temp.path();
    setup.language = "en";
    m_window = new Window(setup);
    QSignalSpy loaded(m_window->mainView(), &WebView::loadFinished);
    m_window->show();
    QVERIFY(loaded.wait(20000));
    QVERIFY(waitJs("document.body.dataset.ready === 'true'"));
    QVERIFY(waitJs("document.querySelectorAll('.device-card').length === 6"));
}

void TestPagesEndToEnd::cleanupTestCase()
{
    delete m_window;
    QWebEngineProfile* profile = ClientHandler::instance()->profile();
    ClientHandler::instance()->setProfile(nullptr);
    delete profile;
}

QJsonObject TestPagesEndToEnd::waitForCall(const QString& name, const QJsonObject& expected)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        QFile file(m_log);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QJsonObject call = QJsonDocument::fromJson(line).object();
                if (call.value("call").toString() != name)
                    continue;
                bool all = true;
                for (auto it = expected.begin(); it != expected.end() && all; ++it)
                    all = call.value(it.key()) == it.value();
                if (all)
                    return call;
            }
        }
        QTest::qWait(20);
    }
    return {};
}

bool TestPagesEndToEnd::open(const QString& hash, const QString& readyScript)
{
    js(QStringLiteral("location.hash = '%1'").arg(hash));
    return waitJs(readyScript);
}

void TestPagesEndToEnd::dpiStageOnM1()
{
    QVERIFY(open("#/device/258A1007/dpi", "document.querySelectorAll('#dpi-stages .stage-row:not(.header)').length === 5"));
    // The values shown are the device's (property 51 holds 0x10 steps).
    QCOMPARE(js("document.querySelector('[data-stage=\"1\"] .stage-number').value").toString(), QString("800"));

    js("const n = document.querySelector('[data-stage=\"1\"] .stage-number');"
       "n.value = '1830'; n.dispatchEvent(new Event('change', {bubbles: true}));");
    // 1830 snaps to 1850 (steps of 50): 37 = 0x25, X and Y linked, then the
    // stage colour as the device holds it (its factory black), unchanged.
    const QJsonObject call = waitForCall("dcWriteProperty", {{"id", 51}, {"size", 8}});
    QCOMPARE(call.value("data").toString(), QString("01,25,00,25,00,00,00,00"));
    QCOMPARE(call.value("result").toInt(), 1);
    QVERIFY(waitJs("document.querySelector('[data-stage=\"1\"] .write-status').dataset.state === 'ok'"));

    // Kept in the device's profile, and read back from the device next time.
    QFile profile(m_app.filePath("profile-258A1007.xml"));
    QVERIFY(profile.open(QIODevice::ReadOnly));
    QVERIFY(profile.readAll().contains("Value=\"1|1850|1850|000000\""));
    QVERIFY(open("#/devices", "document.querySelectorAll('.device-card').length === 6"));
    QVERIFY(open("#/device/258A1007/dpi", "document.querySelectorAll('#dpi-stages .stage-row:not(.header)').length === 5"));
    QCOMPARE(js("document.querySelector('[data-stage=\"1\"] .stage-number').value").toString(), QString("1850"));
}

void TestPagesEndToEnd::badDpiEntriesWriteNothing()
{
    // An emptied field, letters and a value the mouse does not take: the
    // field goes back to its value with a note, and nothing is written.
    QVERIFY(open("#/device/258A1007/dpi", "document.querySelectorAll('#dpi-stages .stage-row:not(.header)').length === 5"));
    const QString before = js("document.querySelector('[data-stage=\"3\"] .stage-number').value").toString();
    QFile::resize(m_log, 0);
    const QStringList entries = {"", "abc", "50000", "20"};
    // (A number field set to letters from a script holds ""; typed letters
    // are "not a number".)
    const QStringList notes = {"Enter a number", "Enter a number", "100 to 12000 DPI", "100 to 12000 DPI"};
    for (int i = 0; i < entries.size(); ++i) {
        js(QStringLiteral("{ const n = document.querySelector('[data-stage=\"3\"] .stage-number');"
                          "n.value = '%1'; n.dispatchEvent(new Event('change', {bubbles: true})); }").arg(entries.at(i)));
        QVERIFY(waitJs("document.querySelector('[data-stage=\"3\"] .write-status').dataset.state === 'failed'"));
        QVERIFY2(js("document.querySelector('[data-stage=\"3\"] .write-status').textContent").toString().contains(notes.at(i)),
                 qPrintable(entries.at(i)));
        QCOMPARE(js("document.querySelector('[data-stage=\"3\"] .stage-number').value").toString(), before);
    }
    QTest::qWait(300);
    QFile log(m_log);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY2(!log.readAll().contains("dcWriteProperty"), "a refused entry reached the device");
}

void TestPagesEndToEnd::aRetryShowsWhatWasWrittenAndAReplugReadsAgain()
{
    // The device refuses the next write: the control shows the old value
    // and a Retry; the Retry goes through and the new value is what shows.
    const auto setDevice = [this](const std::function<void(QJsonObject&)>& change) {
        QFile file(m_app.filePath("devices.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonObject set = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray devices = set.value("devices").toArray();
        for (int i = 0; i < devices.size(); ++i) {
            QJsonObject device = devices.at(i).toObject();
            if (device.value("productId").toString() == "1007") {
                change(device);
                devices[i] = device;
            }
        }
        set.insert("devices", devices);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(set).toJson());
    };
    QVERIFY(open("#/device/258A1007/performance", "!!document.querySelector('#report-rate input:checked')"));
    const QString before = js("document.querySelector('#report-rate input:checked').value").toString();
    const QString next = before == "3" ? "2" : "3";
    setDevice([](QJsonObject& d) { d.insert("faults", QJsonObject{{"failWrite", 1}}); });
    js(QStringLiteral("document.querySelector('#report-rate input[value=\"%1\"]').click()").arg(next));
    QVERIFY(waitJs("document.querySelector('#report-rate').closest('.field').querySelector('.write-status').dataset.state === 'failed'"));
    QCOMPARE(js("document.querySelector('#report-rate input:checked').value").toString(), before);
    js("document.querySelector('#report-rate').closest('.field').querySelector('.write-status .link-button').click()");
    QVERIFY(waitJs("document.querySelector('#report-rate').closest('.field').querySelector('.write-status').dataset.state === 'ok'"));
    QCOMPARE(js("document.querySelector('#report-rate input:checked').value").toString(), next);

    // Unplugged and back, with another report rate set elsewhere meanwhile:
    // the page reads the device again and shows what it holds now.
    setDevice([](QJsonObject& d) {
        d.remove("faults");
        d.insert("present", false);
    });
    // What the device notifier does when the device set changes.
    m_window->onDevicesChanged(1);
    QVERIFY(waitJs("!document.querySelector('#device-gone').hidden"));
    const QString elsewhere = next == "3" ? "1" : "4";
    setDevice([&elsewhere](QJsonObject& d) {
        QJsonObject properties = d.value("properties").toObject();
        properties.insert("40", "0" + elsewhere);
        d.insert("properties", properties);
        d.insert("present", true);
    });
    m_window->onDevicesChanged(2);
    QVERIFY(waitJs("document.querySelector('#device-gone').hidden"));
    QVERIFY(waitJs(QStringLiteral("(document.querySelector('#report-rate input:checked') || {}).value === '%1'").arg(elsewhere)));
}

void TestPagesEndToEnd::keyCombinationOnM2()
{
    QVERIFY(open("#/device/258A1008/buttons", "!!document.querySelector('#assign-64')"));
    js("document.querySelector('#assign-64').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] [data-group=combo]')"));
    js("const g = document.querySelector('[data-group=combo]');"
       "g.querySelector('input[value=Ctrl]').checked = true;"
       "g.querySelector('input[value=Shift]').checked = true;"
       "g.querySelector('select').value = 'A';"
       "document.querySelector('#combo-use').click();");
    // M2.0: the hotkey code (0x02, modifier mask, key, 0), then play manner,
    // repeat count and delay.
    const QJsonObject call = waitForCall("dcWriteProperty", {{"id", 64}, {"size", 8}});
    QCOMPARE(call.value("data").toString(), QString("02,03,04,00,01,01,00,00"));
    QVERIFY(waitJs("document.querySelector('#assign-64 .assignment').textContent === 'Ctrl + Shift + A'"));
    QVERIFY(waitJs("document.querySelector('[data-index=\"64\"] .write-status').dataset.state === 'ok'"));
    QVERIFY(!js("!!document.querySelector('dialog[open]')").toBool());

    // The panel says its values are this computer's record; "Write all"
    // writes every button as shown, the combination included.
    QVERIFY(js("document.querySelector('#buttons-source').textContent").toString().contains("from this computer"));
    QFile::resize(m_log, 0);
    js("document.querySelector('#buttons-source-write-all').click()");
    QVERIFY(waitJs("document.querySelector('#buttons-source .write-status').dataset.state === 'ok'"));
    for (const int index : {61, 62, 63, 65})
        QVERIFY2(!waitForCall("dcWriteProperty", {{"id", index}, {"size", 8}}).isEmpty(), qPrintable(QString::number(index)));
    QCOMPARE(waitForCall("dcWriteProperty", {{"id", 64}, {"size", 8}}).value("data").toString(), QString("02,03,04,00,01,01,00,00"));

    // A fresh page (as after a restart) shows what the device was given.
    QSignalSpy loaded(m_window->mainView(), &WebView::loadFinished);
    m_window->mainView()->reload();
    QVERIFY(loaded.wait(20000));
    QVERIFY(waitJs("document.body.dataset.ready === 'true'"));
    QVERIFY(open("#/device/258A1008/buttons", "!!document.querySelector('#assign-64')"));
    QVERIFY(waitJs("document.querySelector('#assign-64 .assignment').textContent === 'Ctrl + Shift + A'"));
}

void TestPagesEndToEnd::thePickerOffersWhatTheDeviceCanDo()
{
    // Escape from the search box (where focus starts) closes the picker.
    QVERIFY(open("#/device/25A7FA91/buttons", "!!document.querySelector('.assign-button')"));
    js("document.querySelector('.assign-button').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #picker-search')"));
    QVERIFY(waitJs("document.activeElement && document.activeElement.id === 'picker-search'"));
    // The W1 mouse's buttons cannot hold media codes: the picker says so.
    QVERIFY(js("!!document.querySelector('dialog[open] [data-group=media] .cannot')").toBool());
    // Searching leaves out the key capture, and Enter takes the first match.
    js("{ const s = document.querySelector('#picker-search'); s.value = 'scroll'; s.dispatchEvent(new Event('input')); }");
    QVERIFY(js("document.querySelector('dialog[open] .capture').hidden").toBool());
    js("document.querySelector('#picker-search').dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape', bubbles: true}))");
    QVERIFY(waitJs("!document.querySelector('dialog[open]')"));

    // A keyboard's picker offers no DPI or lift-off function.
    QVERIFY(open("#/device/258A0049/keys", "document.querySelectorAll('.keyboard .kb-key').length > 50"));
    js("document.querySelector('[data-key=A]').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #picker-search')"));
    QVERIFY(!js("!!document.querySelector('dialog[open] [data-group=dpi]')").toBool());
    QVERIFY(js("!!document.querySelector('dialog[open] [data-group=media] .pick-item')").toBool());
    js("document.querySelector('dialog[open] #picker-cancel').click()");
    QVERIFY(waitJs("!document.querySelector('dialog[open]')"));
}

void TestPagesEndToEnd::dpiColourOnW1()
{
    QVERIFY(open("#/device/25A7FA91/dpi", "document.querySelectorAll('#dpi-stages .stage-row:not(.header)').length === 8"));
    js("const c = document.querySelector('[data-stage=\"0\"] .swatch');"
       "c.value = '#00ff80'; c.dispatchEvent(new Event('change', {bubbles: true}));");
    // The colour row of stage 1, then its check byte: 0x55 - (0x00 + 0xff + 0x80).
    const QJsonObject colour = waitForCall("dcW1WriteAddress", {{"address", "0x2c"}, {"mode", 7}});
    QCOMPARE(colour.value("data").toString(), QString("00,ff,80"));
    QCOMPARE(colour.value("length").toInt(), 3);
    const QJsonObject check = waitForCall("dcW1WriteAddress", {{"address", "0x2f"}, {"mode", 7}});
    QCOMPARE(check.value("data").toString(), QString("d6"));
    QVERIFY(waitJs("document.querySelector('[data-stage=\"0\"] .write-status').dataset.state === 'ok'"));
}

void TestPagesEndToEnd::recordedMacroOnM1()
{
    QVERIFY(open("#/device/258A1007/buttons", "!!document.querySelector('#assign-63')"));
    js("document.querySelector('#assign-63').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] [data-group=macro] .pick-item')"));
    js("document.querySelector('[data-group=macro] .pick-item').click()");
    QVERIFY(waitJs("!!document.querySelector('#macro-record')"));

    // Keys as the capture hands them to the page, with a real pause.
    js("document.querySelector('#macro-record').click()");
    QVERIFY(waitJs("document.querySelector('#macro-record').getAttribute('aria-pressed') === 'true'"));
    const QString key = QStringLiteral("document.querySelector('dialog.macro-dialog').dispatchEvent("
                                       "new KeyboardEvent('%1', {keyCode: 65, code: 'KeyA', key: 'a', bubbles: true}))");
    js(key.arg("keydown"));
    QTest::qWait(150);
    js(key.arg("keyup"));
    js("document.querySelector('#macro-record').click()");
    QVERIFY(waitJs("document.querySelectorAll('#macro-steps li').length === 3"));
    const QStringList text = js("document.querySelector('#macro-text').value").toString().split(QRegularExpression("[()]"));
    QCOMPARE(text.size(), 7);
    // The text form in the interface's language.
    QCOMPARE(text.at(0), QString("Press"));
    const int pause = text.at(3).toInt();
    QVERIFY2(pause >= 140 && pause < 2000, qPrintable(text.join('|')));
    js("document.querySelector('#macro-use').click()");

    // The macro in the first free slot: key down A, the pause (low byte
    // first), key up A, the end record with the repeat count; then the
    // button plays slot 0, 12 bytes.
    const QJsonObject slot = waitForCall("dcWriteAddress", {{"address", "0xa00"}, {"size", 200}});
    const QStringList bytes = slot.value("data").toString().split(',');
    QCOMPARE(bytes.size(), 200);
    const QString pauseBytes = QStringLiteral("%1,%2").arg(pause & 0xff, 2, 16, QLatin1Char('0')).arg(pause >> 8, 2, 16, QLatin1Char('0'));
    QCOMPARE(bytes.mid(0, 12).join(','), "84,04,00,06," + pauseBytes + ",04,04,00,07,01,00");
    const QStringList rest = bytes.mid(12);
    QCOMPARE(QSet<QString>(rest.begin(), rest.end()), QSet<QString>{"00"});
    const QJsonObject button = waitForCall("dcWriteProperty", {{"id", 63}, {"size", 4}});
    QCOMPARE(button.value("data").toString(), QString("04,00,00,0c"));
    QVERIFY(waitJs("document.querySelector('#assign-63 .assignment').textContent === 'Macro, 3 steps, 1×'"));
}

void TestPagesEndToEnd::macroEditorFitsTheWindow()
{
    // A long macro with its text open: the editor scrolls, its buttons stay
    // inside the 960 x 640 window.
    QVERIFY(open("#/macros", "!!document.querySelector('#macro-new')"));
    js("document.querySelector('#macro-new').click()");
    QVERIFY(waitJs("!!document.querySelector('#macro-text')"));
    js(QString::fromUtf8("document.querySelector('details.macro-text').open = true;"
                         "document.querySelector('#macro-text').value = '%1';"
                         "document.querySelector('#macro-text-apply').click();")
           .arg(QString::fromUtf8("按下(A)延迟(30)弹起(A)延迟(30)").repeated(8)));
    QVERIFY(waitJs("document.querySelectorAll('#macro-steps li').length === 32"));
    for (const char* button : {"#macro-use", "#macro-cancel"}) {
        const QString inside = QStringLiteral("(() => { const r = document.querySelector('%1').getBoundingClientRect();"
                                              " return r.height > 0 && r.top >= 0 && r.bottom <= innerHeight; })()").arg(button);
        QVERIFY2(js(inside).toBool(), button);
    }
    js("document.querySelector('#macro-cancel').click()");
    QVERIFY(waitJs("!document.querySelector('dialog[open]')"));
}

void TestPagesEndToEnd::aMacroOfTheSameNameIsKeptUnlessReplaced()
{
    // Two macros saved under one name: the second asks, and "Keep both"
    // keeps the first whole beside the second.
    const auto saveNew = [this](const QString& steps) {
        js("document.querySelector('#macro-new').click()");
        QVERIFY(waitJs("!!document.querySelector('#macro-text')"));
        js(QString::fromUtf8("document.querySelector('#macro-name').value = 'Same';"
                             "document.querySelector('#macro-name').dispatchEvent(new Event('input', {bubbles: true}));"
                             "document.querySelector('details.macro-text').open = true;"
                             "document.querySelector('#macro-text').value = '%1';"
                             "document.querySelector('#macro-text-apply').click();").arg(steps));
        QVERIFY(waitJs("!document.querySelector('#macro-use').disabled"));
        js("document.querySelector('#macro-use').click()");
    };
    QVERIFY(open("#/macros", "document.body.dataset.macros === 'ready'"));
    const QString first = QString::fromUtf8("按下(A)延迟(30)弹起(A)").repeated(6);
    saveNew(first);
    QVERIFY(waitJs("!!document.querySelector('.macro-item[data-name=\"Same\"]')"));
    saveNew(QString::fromUtf8("按下(B)弹起(B)"));
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #choice-both')"));
    js("document.querySelector('dialog[open] #choice-both').click()");
    QVERIFY(waitJs("!!document.querySelector('.macro-item[data-name=\"Same (2)\"]')"));
    QFile library(m_app.filePath("macros.xml"));
    QVERIFY(library.open(QIODevice::ReadOnly));
    const QString kept = QString::fromUtf8(library.readAll());
    QVERIFY2(kept.contains(first), qPrintable(kept));
    QVERIFY(kept.contains("Same (2)"));

    // "Replace" replaces; Cancel keeps the library as it was.
    saveNew(QString::fromUtf8("按下(C)弹起(C)"));
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #choice-cancel')"));
    js("document.querySelector('dialog[open] #choice-cancel').click()");
    QVERIFY(waitJs("!document.querySelector('dialog[open]')"));
    saveNew(QString::fromUtf8("按下(D)弹起(D)"));
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #choice-replace')"));
    js("document.querySelector('dialog[open] #choice-replace').click()");
    library.close();
    const auto libraryText = [this]() {
        QFile file(m_app.filePath("macros.xml"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(libraryText().contains("(D)"), 10000);
    const QString replaced = libraryText();
    QVERIFY2(!replaced.contains(first) && !replaced.contains("(C)") && replaced.contains("Same (2)"), qPrintable(replaced));
    QCOMPARE(js("document.querySelectorAll('.macro-item').length").toInt(), 2);
}

void TestPagesEndToEnd::keyColourOnKeyboard()
{
    QVERIFY(open("#/device/258A0150/colours", "document.querySelectorAll('.keyboard .kb-key').length > 100"));
    js("{ const colour = document.querySelector('#paint-colour'); colour.value = '#00ff7f';"
       "colour.dispatchEvent(new Event('input'));"
       "document.querySelector('[data-key=A]').dispatchEvent(new PointerEvent('pointerdown', {bubbles: true, button: 0}));"
       "window.dispatchEvent(new PointerEvent('pointerup')); }");
    // The whole frame: A is lighting matrix position 64, three bytes at
    // 8 + 3 x 64; every other key dark.
    const QJsonObject frame = waitForCall("dcNotifyRGBDevice", {{"size", 1024}});
    QStringList bytes = frame.value("data").toString().split(QLatin1Char(','));
    QCOMPARE(bytes.size(), 1024);
    QCOMPARE(bytes.mid(0, 8).join(','), QString("05,02,bb,aa,07,00,f8,01"));
    QCOMPARE(bytes.mid(200, 3).join(','), QString("00,ff,7f"));
    bytes.erase(bytes.begin() + 200, bytes.begin() + 203);
    const QStringList dark = bytes.mid(8);
    QCOMPARE(QSet<QString>(dark.begin(), dark.end()), QSet<QString>{"00"});
    QVERIFY(waitJs("document.querySelector('.kb-footer .write-status').dataset.state === 'ok'"));

    // Kept in the keyboard's profile for the next visit.
    const auto profile = [this]() {
        QFile file(m_app.filePath("profile-258A0150.xml"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_VERIFY(profile().contains("<Key Name=\"A\" Colour=\"00FF7F\" />"));
}

void TestPagesEndToEnd::firmwareUpdate()
{
    // A firmware package for the M1.0 mouse on a local server: a 4 100-byte
    // ROM whose first byte is the version the device reports afterwards.
    QByteArray rom(4100, '\0');
    for (int i = 0; i < rom.size(); ++i)
        rom[i] = char((i * 7 + 3) & 0xFF);
    rom[0] = char(0x12);
    QByteArray package;
    QVERIFY(buildPackage("1.0", {{"update.bin", FirmwareImage::build(rom, "258A1007")}}, &package));
    package = TestSigning::signedPackage(package);
    HttpTestServer server;
    QVERIFY(server.start());
    server.serve("/fw/rx318-12.pkg", package);

    QVERIFY(open("#/device/258A1007/firmware", "!!document.querySelector('#firmware-start')"));
    QCOMPARE(js("document.querySelector('#firmware-version').textContent").toString(), QString("11"));
    js(QStringLiteral("document.querySelector('#firmware-address').value = '%1';"
                      "document.querySelector('#firmware-start').click();").arg(server.url("/fw/rx318-12.pkg")));
    QVERIFY(waitJs("!!document.querySelector('#confirm-ok')"));
    js("document.querySelector('#confirm-ok').click()");
    // Locked while it runs, then a plain outcome and the new version.
    QVERIFY(waitJs("document.body.classList.contains('updating-firmware')"));
    QVERIFY(waitJs("document.querySelector('#firmware-outcome .banner.success') !== null"));
    QVERIFY(!js("document.body.classList.contains('updating-firmware')").toBool());
    QVERIFY(waitJs("document.querySelector('#firmware-version').textContent === '12'"));
    QVERIFY(waitJs("document.querySelector('#firmware-trust').textContent === 'Signed by Orvanta test key.'"));

    // Through the boot loader: into it, erased, 2 000-byte blocks, checked
    // against the image's CRC-32, started.
    QCOMPARE(waitForCall("Reset", {{"mode", 1}}).value("result").toInt(), 1);
    QVERIFY(!waitForCall("EraseRom", {}).isEmpty());
    for (const int offset : {0, 2000, 4000})
        QVERIFY2(!waitForCall("WriteRom", {{"offset", offset}, {"length", offset < 4000 ? 2000 : 100}}).isEmpty(), qPrintable(QString::number(offset)));
    const QJsonObject check = waitForCall("CheckRom", {{"length", 4100}});
    QCOMPARE(check.value("check").toString(), "0x" + QString::number(FirmwareImage::crc32(rom), 16));
    QCOMPARE(waitForCall("FinishUpdateRom", {}).value("result").toInt(), 1);
}

void TestPagesEndToEnd::languageSwitch()
{
    QVERIFY(open("#/settings", "!!document.querySelector('#language')"));
    js("document.querySelector('#language input[value=zh]').click()");
    QVERIFY(waitJs("document.documentElement.lang === 'zh-CN'"));
    QVERIFY(waitJs("document.querySelector('h1').textContent === '设置'"));
    QSettings conf(m_app.filePath("conf.ini"), QSettings::IniFormat);
    QCOMPARE(conf.value("info/Language").toString(), QString("zh"));

    // The page starts in the stored language.
    QSignalSpy loaded(m_window->mainView(), &WebView::loadFinished);
    m_window->mainView()->reload();
    QVERIFY(loaded.wait(20000));
    QVERIFY(waitJs("document.body.dataset.ready === 'true' && document.documentElement.lang === 'zh-CN'"));
    QVERIFY(open("#/settings", "!!document.querySelector('#language')"));
    js("document.querySelector('#language input[value=en]').click()");
    QVERIFY(waitJs("document.documentElement.lang === 'en'"));
    QCOMPARE(QSettings(m_app.filePath("conf.ini"), QSettings::IniFormat).value("info/Language").toString(), QString("en"));
}

void TestPagesEndToEnd::closingWithoutATray()
{
    // This desktop shows no tray icon (the offscreen platform has none):
    // the close button asks, rather than hiding the window for good.
    QVERIFY(!m_window->hasTray());
    QVERIFY(open("#/devices", "document.querySelectorAll('.device-card').length === 6"));
    js("document.querySelector('#close').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #close-background')"));
    js("document.querySelector('dialog[open] #close-background').click()");
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(!isQuitting());
    // Not remembered: the next close asks again; Cancel keeps the window.
    m_window->show();
    js("document.querySelector('#close').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #close-cancel')"));
    js("document.querySelector('dialog[open] #close-cancel').click()");
    QVERIFY(waitJs("!document.querySelector('dialog[open]')"));
    QVERIFY(m_window->isVisible());

    // Remembered "quit": the close button quits without asking.
    js("document.querySelector('#close').click()");
    QVERIFY(waitJs("!!document.querySelector('dialog[open] #close-quit')"));
    js("document.querySelector('dialog[open] #close-remember').checked = true;"
       "document.querySelector('dialog[open] #close-quit').click()");
    QTRY_VERIFY(isQuitting());
    QCOMPARE(QSettings(m_app.filePath("conf.ini"), QSettings::IniFormat).value("info/CloseWithoutTray").toString(),
             QString("quit"));
}

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestPagesEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pages_e2e.moc"
