// The spectrum of one block (harmonics, levels, window) and the music data
// text the lighting page receives.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <array>
#include <limits>

#include "music_data_text.h"
#include "music_test_support.h"
#include "spectrum_analyzer.h"

namespace {

using Block = std::array<float, Music::kFftPoints>;

Block sineBlock(int k, double amplitude)
{
    Block block{};
    for (int n = 0; n < Music::kFftPoints; ++n)
        block[n] = MusicTest::harmonicSine(k, n, amplitude);
    return block;
}

int peakOf(const Spectrum::Values& values)
{
    return int(std::max_element(values.begin(), values.end()) - values.begin());
}

} // namespace

class SpectrumTest : public QObject
{
    Q_OBJECT

private slots:
    void tonesPeakAtTheirHarmonicsOnTheLevelScale()
    {
        SpectrumAnalyzer analyzer;
        Spectrum spectrum;
        // Left: a full-scale sine on harmonic 40; right: half scale on 100.
        const Block left = sineBlock(40, 1.0);
        const Block right = sineBlock(100, 0.5);
        analyzer.analyse(left.data(), right.data(), 44100, spectrum);

        QCOMPARE(spectrum.harmonicCount, 257);
        QCOMPARE(peakOf(spectrum.leftAmplitudes), 40);
        QCOMPARE(peakOf(spectrum.rightAmplitudes), 100);
        QCOMPARE(spectrum.leftAmplitudes[40], 120);
        QCOMPARE(spectrum.rightAmplitudes[100], 114);   // -6 dB
        // The triangular window keeps far harmonics well down.
        QVERIFY(spectrum.leftAmplitudes[60] < 60);
        QVERIFY(spectrum.rightAmplitudes[10] < 60);
        // Harmonic k lies at rate * k / 512 Hz, rounded down.
        QCOMPARE(spectrum.frequencies[0], 0);
        QCOMPARE(spectrum.frequencies[40], 3445);
        QCOMPARE(spectrum.frequencies[256], 22050);

        // A quieter tone reads lower by its level in dB.
        const Block quiet = sineBlock(40, 0.001);   // -60 dBFS
        analyzer.analyse(quiet.data(), quiet.data(), 44100, spectrum);
        QCOMPARE(spectrum.leftAmplitudes[40], 60);
    }

    void silenceAndBrokenSamplesReadAsNothing()
    {
        SpectrumAnalyzer analyzer;
        Spectrum spectrum;
        const Block silence{};
        Block broken{};
        broken.fill(std::numeric_limits<float>::quiet_NaN());
        broken[7] = std::numeric_limits<float>::infinity();
        analyzer.analyse(silence.data(), broken.data(), 8000, spectrum);
        for (int k = 0; k < Music::kHarmonics; ++k) {
            QCOMPARE(spectrum.leftAmplitudes[k], 0);
            QCOMPARE(spectrum.rightAmplitudes[k], 0);
            QCOMPARE(spectrum.leftPhases[k], 0);
        }
        QCOMPARE(SpectrumAnalyzer::amplitudeOf(std::numeric_limits<float>::infinity(), 256.0f, false), 120);
        QCOMPARE(SpectrumAnalyzer::phaseOf(0.0f, -1.0f), -90);
        QCOMPARE(SpectrumAnalyzer::phaseOf(1.0f, 1.0f), 45);
        QCOMPARE(SpectrumAnalyzer::phaseOf(-1.0f, 1.0f), -45);
    }

    void theWindowIsTriangular()
    {
        QCOMPARE(SpectrumAnalyzer::windowAt(0), 1.0f / 512.0f);
        QCOMPARE(SpectrumAnalyzer::windowAt(255), 1.0f - 1.0f / 512.0f);
        QCOMPARE(SpectrumAnalyzer::windowAt(256), SpectrumAnalyzer::windowAt(255));
        QCOMPARE(SpectrumAnalyzer::windowAt(511), SpectrumAnalyzer::windowAt(0));
    }

    void theMusicDataTextIsQtsIndentedJson()
    {
        Spectrum::Values values{};
        for (int k = 0; k < Music::kHarmonics; ++k)
            values[k] = k % 121;
        const QString text = musicDataText(values);

        QString expected = QStringLiteral("{\n    \"data\": [\n");
        for (int k = 0; k < Music::kHarmonics; ++k)
            expected += QStringLiteral("        %1%2\n").arg(k % 121).arg(k + 1 < Music::kHarmonics ? "," : "");
        expected += QStringLiteral("    ]\n}\n");
        QCOMPARE(text, expected);

        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        QCOMPARE(object.keys(), QStringList{"data"});
        QCOMPARE(object.value("data").toArray().size(), 257);
    }
};

QTEST_GUILESS_MAIN(SpectrumTest)
#include "tst_spectrum.moc"
