#include "spectrum_analyzer.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;

} // namespace

struct SpectrumAnalyzer::State {
    kiss_fftr_cfg fft = nullptr;
    std::array<float, Music::kFftPoints> window{};
    float windowSum = 0.0f;
    std::array<kiss_fft_scalar, Music::kFftPoints> block{};
    std::array<kiss_fft_cpx, Music::kHarmonics> bins{};
};

float SpectrumAnalyzer::windowAt(int n)
{
    const float centred = static_cast<float>(2 * n - (Music::kFftPoints - 1)) / Music::kFftPoints;
    return 1.0f - std::fabs(centred);
}

SpectrumAnalyzer::SpectrumAnalyzer()
    : m_state(std::make_unique<State>())
{
    m_state->fft = kiss_fftr_alloc(Music::kFftPoints, 0, nullptr, nullptr);
    for (int n = 0; n < Music::kFftPoints; ++n) {
        m_state->window[n] = windowAt(n);
        m_state->windowSum += m_state->window[n];
    }
}

SpectrumAnalyzer::~SpectrumAnalyzer()
{
    kiss_fftr_free(m_state->fft);
}

int SpectrumAnalyzer::amplitudeOf(float magnitude, float windowSum, bool edgeHarmonic)
{
    if (!(magnitude > 0.0f) || !(windowSum > 0.0f))
        return 0;
    const double level = (edgeHarmonic ? 1.0 : 2.0) * magnitude / windowSum;
    const double db = Music::kMaxAmplitude + 20.0 * std::log10(level);
    if (!(db > 0.0))   // NaN too
        return 0;
    return static_cast<int>(std::lround(std::min(db, double(Music::kMaxAmplitude))));
}

int SpectrumAnalyzer::phaseOf(float re, float im)
{
    if (!std::isfinite(re) || !std::isfinite(im))
        return 0;
    if (re == 0.0f)
        return im > 0.0f ? 90 : (im < 0.0f ? -90 : 0);
    return static_cast<int>(std::lround(std::atan(double(im) / re) * kRadiansToDegrees));
}

void SpectrumAnalyzer::transform(const float* samples, Spectrum::Values& amplitudes, Spectrum::Values& phases)
{
    State& s = *m_state;
    for (int n = 0; n < Music::kFftPoints; ++n) {
        const float sample = samples[n];
        s.block[n] = std::isfinite(sample) ? sample * s.window[n] : 0.0f;
    }
    kiss_fftr(s.fft, s.block.data(), s.bins.data());
    for (int k = 0; k < Music::kHarmonics; ++k) {
        const float re = s.bins[k].r;
        const float im = s.bins[k].i;
        amplitudes[k] = amplitudeOf(std::sqrt(re * re + im * im), s.windowSum,
                                    k == 0 || k == Music::kHarmonics - 1);
        phases[k] = phaseOf(re, im);
    }
}

void SpectrumAnalyzer::analyse(const float* left, const float* right, int sampleRate, Spectrum& out)
{
    transform(left, out.leftAmplitudes, out.leftPhases);
    transform(right, out.rightAmplitudes, out.rightPhases);
    for (int k = 0; k < Music::kHarmonics; ++k)
        out.frequencies[k] = static_cast<int>(static_cast<long long>(std::max(sampleRate, 0)) * k / Music::kFftPoints);
    out.harmonicCount = Music::kHarmonics;
}
