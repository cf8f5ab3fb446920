#pragma once

#include <array>

// One spectrum of the music analysis: 512-point FFTs of the last 512 frames
// heard, 257 harmonics a channel.
//
// Harmonic k (0 .. 256) lies at sampleRate * k / 512 Hz.
//
// Amplitudes are levels in dB, as a level meter shows them: 120 is a
// full-scale sine exactly at the harmonic's frequency, each step is 1 dB,
// and 0 is -120 dB below full scale or quieter (digital silence is 0). A
// sine of half the full scale reads 114, one at -60 dBFS reads 60.
//
// Phases are whole degrees from -90 to 90: the arctangent of the
// imaginary over the real part of the harmonic.
namespace Music {

constexpr int kFftPoints = 512;
constexpr int kHarmonics = kFftPoints / 2 + 1;   // 257
constexpr int kMaxAmplitude = 120;

} // namespace Music

struct Spectrum {
    using Values = std::array<int, Music::kHarmonics>;

    int harmonicCount = 0;   // kHarmonics once analysed
    Values frequencies{};    // Hz, rounded down
    Values leftAmplitudes{};
    Values rightAmplitudes{};
    Values leftPhases{};
    Values rightPhases{};
};
