// Writes the sounds the program ships, synthesised here so that they are
// the project's own:
//   ttd.mp3     24 s of music for the music lighting (drums, bass, chords
//               and an arpeggio, so every part of the spectrum moves)
//   alert.mp3   a two-tone alert
//   online.wav  a rising three-note chime
//
//   orvanta-make-sounds <folder>
//
// Each file is written under a temporary name and renamed when complete.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;

    explicit Stereo(double seconds)
        : left(size_t(seconds * kRate), 0.0f)
        , right(size_t(seconds * kRate), 0.0f)
    {
    }
    size_t frames() const { return left.size(); }

    // Adds sample at frame, placed by pan (-1 left .. 1 right).
    void add(size_t frame, double sample, double pan = 0.0)
    {
        if (frame >= frames())
            return;
        left[frame] += float(sample * std::sqrt((1.0 - pan) / 2.0));
        right[frame] += float(sample * std::sqrt((1.0 + pan) / 2.0));
    }
};

double noteHz(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A deterministic noise source, so that every build writes the same music.
struct Noise {
    uint32_t state = 0x2545F491u;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1 << 23) - 1.0;
    }
};

// An attack-decay envelope: rises in attack seconds, then falls
// exponentially with the time constant decay.
double envelope(double t, double attack, double decay)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

void tone(Stereo& out, double start, double length, double hz, double gain, double attack, double decay,
          double pan, int harmonics = 1)
{
    const size_t first = size_t(start * kRate);
    const size_t count = size_t(length * kRate);
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / kRate;
        double sample = 0.0;
        for (int h = 1; h <= harmonics; ++h)
            sample += std::sin(2.0 * kPi * hz * h * t) / (h * h);
        // A short fade at the end so that no note clicks.
        const double tail = std::min(1.0, (length - t) / 0.01);
        out.add(first + i, gain * sample * envelope(t, attack, decay) * tail, pan);
    }
}

void kick(Stereo& out, double start)
{
    const size_t first = size_t(start * kRate);
    double phase = 0.0;
    for (size_t i = 0; i < size_t(0.35 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double hz = 45.0 + 75.0 * std::exp(-t / 0.04);
        phase += 2.0 * kPi * hz / kRate;
        out.add(first + i, 0.9 * std::sin(phase) * envelope(t, 0.002, 0.12));
    }
}

void snare(Stereo& out, double start, Noise& noise)
{
    const size_t first = size_t(start * kRate);
    for (size_t i = 0; i < size_t(0.2 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double body = 0.3 * std::sin(2.0 * kPi * 185.0 * t) * envelope(t, 0.001, 0.05);
        out.add(first + i, body + 0.35 * noise.next() * envelope(t, 0.001, 0.06), 0.1);
    }
}

// Noise through a first difference: mostly high frequencies.
void hat(Stereo& out, double start, Noise& noise, double gain)
{
    const size_t first = size_t(start * kRate);
    double previous = 0.0;
    for (size_t i = 0; i < size_t(0.06 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double n = noise.next();
        out.add(first + i, gain * (n - previous) * envelope(t, 0.0005, 0.015), -0.5);
        previous = n;
    }
}

void normalise(Stereo& out, double peak)
{
    float loudest = 0.0f;
    for (size_t i = 0; i < out.frames(); ++i)
        loudest = std::max({loudest, std::fabs(out.left[i]), std::fabs(out.right[i])});
    if (loudest <= 0.0f)
        return;
    const float gain = float(peak / loudest);
    for (size_t i = 0; i < out.frames(); ++i) {
        out.left[i] *= gain;
        out.right[i] *= gain;
    }
}

Stereo music()
{
    constexpr double kBeat = 0.5;   // 120 beats a minute
    constexpr int kBars = 12;
    // A minor, F, C, G: root and the chord's notes (MIDI numbers).
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
    Stereo out(kBars * 4 * kBeat + 1.0);
    Noise noise;
    for (int bar = 0; bar < kBars; ++bar) {
        const double barStart = bar * 4 * kBeat;
        const int* chord = chords[bar % 4];
        // Pad: the chord held through the bar, soft attack.
        for (int n = 0; n < 3; ++n)
            tone(out, barStart, 4 * kBeat, noteHz(chord[n]), 0.08, 0.3, 3.0, (n - 1) * 0.6, 3);
        for (int beat = 0; beat < 4; ++beat) {
            const double at = barStart + beat * kBeat;
            if (beat % 2 == 0)
                kick(out, at);
            else if (bar >= 2)
                snare(out, at, noise);
            // Bass: the root an octave down on every beat, a fifth on the
            // last one.
            const int bass = chord[0] - 24 + (beat == 3 ? 7 : 0);
            tone(out, at, kBeat * 0.9, noteHz(bass), 0.35, 0.005, 0.25, 0.0, 4);
            for (int half = 0; half < 2; ++half)
                hat(out, at + half * kBeat / 2, noise, bar >= 1 ? 0.25 : 0.0);
        }
        // Arpeggio in sixteenths from the fourth bar on, rising two octaves.
        if (bar >= 4) {
            for (int step = 0; step < 16; ++step) {
                const int note = chord[step % 3] + 12 * (1 + (step / 3) % 2);
                tone(out, barStart + step * kBeat / 4, kBeat / 4, noteHz(note), 0.12, 0.003, 0.08, 0.5, 2);
            }
        }
    }
    normalise(out, 0.89);
    return out;
}

Stereo alert()
{
    Stereo out(0.9);
    tone(out, 0.0, 0.4, noteHz(81), 0.5, 0.005, 0.15, 0.0, 2);    // A5
    tone(out, 0.35, 0.5, noteHz(76), 0.5, 0.005, 0.2, 0.0, 2);    // E5
    normalise(out, 0.7);
    return out;
}

Stereo chime()
{
    Stereo out(0.6);
    const int notes[3] = {84, 88, 91};   // C6, E6, G6
    for (int i = 0; i < 3; ++i)
        tone(out, i * 0.12, 0.6 - i * 0.12, noteHz(notes[i]), 0.4, 0.003, 0.12, 0.0, 2);
    normalise(out, 0.6);
    return out;
}

bool write(const std::string& path, const Stereo& sound, int format, int channels)
{
    const std::string partial = path + ".part";
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "orvanta-make-sounds: %s: %s\n", partial.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<float> frames(sound.frames() * size_t(channels));
    for (size_t i = 0; i < sound.frames(); ++i) {
        if (channels == 1) {
            frames[i] = (sound.left[i] + sound.right[i]) / 2.0f;
        } else {
            frames[i * 2] = sound.left[i];
            frames[i * 2 + 1] = sound.right[i];
        }
    }
    const sf_count_t written = sf_writef_float(file, frames.data(), sf_count_t(sound.frames()));
    const bool ok = written == sf_count_t(sound.frames()) && sf_close(file) == 0;
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "orvanta-make-sounds: cannot write %s\n", path.c_str());
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanta-make-sounds <folder>\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    const bool ok = write(folder + "ttd.mp3", music(), mp3, 2)
        && write(folder + "alert.mp3", alert(), mp3, 2)
        && write(folder + "online.wav", chime(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    return ok ? 0 : 1;
}
