#pragma once

#include <memory>

#include "spectrum.h"

// The spectrum of one block of 512 stereo frames: a triangular window, a
// real 512-point FFT (KissFFT) per channel, and the levels and phases of
// the 257 harmonics (scales in spectrum.h).
//
// The triangular window w[n] = 1 - |(2n - 511) / 512| is the one the
// lighting pages were tuned to; its amplitudes are corrected by its
// coherent gain, so that a full-scale sine on a harmonic reads 120
// whatever the window.
class SpectrumAnalyzer
{
public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // left and right hold kFftPoints samples each, full scale +-1.0.
    // Samples that are not finite count as 0.
    void analyse(const float* left, const float* right, int sampleRate, Spectrum& out);

    // The level of a harmonic of magnitude |X| = magnitude for a window
    // whose samples sum to windowSum: 120 + 20 log10(2 |X| / windowSum)
    // (|X| / windowSum for the first and the last harmonic), rounded and
    // held to 0 .. 120.
    static int amplitudeOf(float magnitude, float windowSum, bool edgeHarmonic);
    // Whole degrees of atan(im / re), -90 .. 90.
    static int phaseOf(float re, float im);

    static float windowAt(int n);

private:
    struct State;   // the FFT plan and its buffers
    void transform(const float* samples, Spectrum::Values& amplitudes, Spectrum::Values& phases);

    std::unique_ptr<State> m_state;
};
