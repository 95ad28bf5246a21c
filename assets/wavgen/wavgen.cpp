// Synthesises the game's eleven wave files into a folder:
//   vornakka_wavgen OUTDIR
// Every file is 44.1 kHz, 16-bit, mono PCM, at most 1.5 s long, peaking at
// -3 dBFS with short fades at both ends.
//
// The output must be the same bytes on every run and every machine, because
// the committed files are checked against it. So nothing here calls the maths
// library for anything that is not exact: sine, exponential and tanh are our
// own series built from + - * /, noise comes from our own xorshift generator,
// and floor/ldexp are exact operations. Each sample is computed in double and
// rounded to 16 bits once, at the very end.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;
constexpr double kPeak = 0.70794578438413791;  // -3 dBFS
constexpr double kTargetRms = 0.18;            // about -15 dBFS
constexpr double kMaxSeconds = 1.5;

using Samples = std::vector<double>;

// ---------------------------------------------------------------------------
// Deterministic maths.

// sin(2 pi * cycles), accurate to about 1e-9.
double sinCycles(double cycles) {
    double x = cycles - std::floor(cycles + 0.5);  // [-0.5, 0.5)
    if (x > 0.25) {
        x = 0.5 - x;
    } else if (x < -0.25) {
        x = -0.5 - x;
    }
    const double a = 2.0 * kPi * x;  // [-pi/2, pi/2]
    const double a2 = a * a;
    double term = a;
    double sum = a;
    for (int k = 1; k <= 8; ++k) {
        term *= -a2 / static_cast<double>((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

double expDet(double x) {
    if (x < -700.0) return 0.0;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;  // |r| <= ln2 / 2
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 18; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double tanhDet(double x) {
    const double e = expDet(-2.0 * std::fabs(x));
    const double t = (1.0 - e) / (1.0 + e);
    return x < 0 ? -t : t;
}

// Equal-tempered pitch: semitones above A4 (440 Hz).
double note(int semitonesFromA4) {
    return 440.0 * expDet(semitonesFromA4 * kLn2 / 12.0);
}

class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    // Uniform in [-1, 1).
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }
    // Uniform in [lo, hi).
    double between(double lo, double hi) { return lo + (hi - lo) * (next() + 1.0) * 0.5; }

private:
    std::uint32_t state_;
};

// One-pole low-pass: a = exp(-2 pi fc / rate).
struct LowPass {
    explicit LowPass(double cutoffHz) : a(expDet(-2.0 * kPi * cutoffHz / kRate)) {}
    double operator()(double x) {
        y = (1.0 - a) * x + a * y;
        return y;
    }
    double a;
    double y = 0.0;
};

// ---------------------------------------------------------------------------
// Building blocks.

Samples silence(double seconds) {
    return Samples(static_cast<std::size_t>(seconds * kRate + 0.5), 0.0);
}

double seconds(std::size_t i) {
    return static_cast<double>(i) / kRate;
}

std::size_t sampleAt(double t) {
    return static_cast<std::size_t>(t * kRate + 0.5);
}

struct Partial {
    double ratio;  // frequency relative to the fundamental
    double gain;
    double decay;  // seconds to fall to 1/e
};

// A struck, decaying tone (bell, coin, plucked note) starting at t0.
void strike(Samples& out, double t0, double freq, double amp, const std::vector<Partial>& partials,
            double attack = 0.002) {
    const std::size_t first = sampleAt(t0);
    for (const Partial& p : partials) {
        const double f = freq * p.ratio;
        if (f >= 0.45 * kRate) continue;
        const std::size_t last = std::min(out.size(), first + sampleAt(p.decay * 9.0));
        for (std::size_t i = first; i < last; ++i) {
            const double t = seconds(i - first);
            const double env = (t < attack ? t / attack : 1.0) * expDet(-t / p.decay);
            out[i] += amp * p.gain * env * sinCycles(f * t);
        }
    }
}

// A sustained harmonic note whose brightness and level follow functions of the
// time since the note began. freqAt gives the pitch at that time; the phase is
// integrated so that glides and vibrato stay smooth.
void harmonicNote(Samples& out, double t0, double length, int harmonics,
                  const std::function<double(double)>& freqAt, const std::function<double(double)>& levelAt,
                  const std::function<double(int, double)>& harmonicGain) {
    const std::size_t first = sampleAt(t0);
    const std::size_t last = std::min(out.size(), first + sampleAt(length));
    double phase = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = seconds(i - first);
        const double f = freqAt(t);
        const double level = levelAt(t);
        double v = 0.0;
        for (int k = 1; k <= harmonics; ++k) {
            if (f * k >= 0.45 * kRate) break;
            v += harmonicGain(k, t) * sinCycles(phase * k + 0.25);  // cosine phase: a buzzy, reedy edge
        }
        out[i] += level * v;
        phase += f / kRate;
        phase -= std::floor(phase);
    }
}

// Rise over `attack`, hold, fall over `release` at the end of `length`.
double gate(double t, double length, double attack, double release) {
    if (t < 0 || t > length) return 0.0;
    double g = 1.0;
    if (t < attack) g = t / attack;
    if (t > length - release) g = std::min(g, (length - t) / release);
    return g;
}

// ---------------------------------------------------------------------------
// The eleven sounds.

// Bright rising arpeggio ending on a ringing major chord.
Samples welcome() {
    Samples s = silence(1.25);
    const std::vector<Partial> bright = {{1, 1.0, 0.30}, {2, 0.45, 0.18}, {3, 0.25, 0.12}, {4, 0.12, 0.08}};
    const int steps[] = {3, 7, 10, 15};  // C5 E5 G5 C6
    for (int n = 0; n < 4; ++n) strike(s, 0.10 * n, note(steps[n]), 1.0, bright);
    const std::vector<Partial> ring = {{1, 1.0, 0.45}, {2, 0.35, 0.25}, {3, 0.15, 0.15}};
    for (int semis : {15, 19, 22, 27}) strike(s, 0.42, note(semis), 0.55, ring, 0.004);  // C6 E6 G6 C7
    return s;
}

// Motor spinning up: a buzzing tone gliding upwards with a blade flutter.
Samples kaynnistys() {
    Samples s = silence(0.80);
    const double length = 0.80;
    harmonicNote(
        s, 0.0, length, 10, [](double t) { return 70.0 * expDet(1.5 * std::min(t, 0.55) / 0.55); },
        [length](double t) { return gate(t, length, 0.06, 0.22); }, [](int k, double) { return 1.0 / k; });
    // Flutter: the blades chop the sound at a rate that rises with the motor.
    double phase = 0.0;
    Noise noise(0x5eed0001u);
    LowPass air(1800.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = seconds(i);
        const double rate = 12.0 * expDet(1.5 * std::min(t, 0.55) / 0.55);
        phase += rate / kRate;
        const double flutter = 0.65 + 0.35 * sinCycles(phase);
        s[i] = s[i] * flutter + 0.35 * gate(t, length, 0.1, 0.25) * flutter * air(noise.next());
    }
    return s;
}

// A crisp latch click: a snap and a smaller echo of the catch.
Samples lukitus() {
    Samples s = silence(0.09);
    Noise noise(0x5eed0002u);
    const double clicks[][2] = {{0.0, 1.0}, {0.022, 0.55}};
    for (const auto& c : clicks) {
        const std::size_t first = sampleAt(c[0]);
        double prev = 0.0;
        for (std::size_t i = first; i < s.size(); ++i) {
            const double t = seconds(i - first);
            const double n = noise.next();
            const double hp = n - prev;  // a crude high-pass keeps the snap crisp
            prev = n;
            s[i] += c[1] * expDet(-t / 0.0025) * hp;
        }
        strike(s, c[0], 3100.0, c[1] * 0.8, {{1, 1.0, 0.006}, {1.63, 0.6, 0.004}, {0.52, 0.4, 0.010}},
               0.0003);
    }
    return s;
}

// Brass fanfare: three quick pick-up notes and a long chord.
Samples voitto() {
    Samples s = silence(1.45);
    auto brass = [&s](double t0, double length, double freq, double amp, bool vibrato) {
        harmonicNote(
            s, t0, length, 12,
            [freq, vibrato](double t) {
                const double depth = vibrato && t > 0.25 ? 0.006 : 0.0;
                return freq * (1.0 + depth * sinCycles(5.5 * t));
            },
            [length, amp](double t) {
                // Each note is blown hard and then eased off, so the chord swells and settles.
                return amp * gate(t, length, 0.018, 0.25) * (0.45 + 0.55 * expDet(-t / 0.18));
            },
            [](int k, double t) {
                // The tone brightens during the first 60 ms, as a horn does.
                const double open = std::min(1.0, 0.35 + t / 0.06);
                return expDet(-(k - 1) * (1.0 - 0.75 * open)) / k;
            });
    };
    brass(0.00, 0.11, note(-2), 1.0, false);  // G4
    brass(0.12, 0.11, note(3), 1.0, false);   // C5
    brass(0.24, 0.11, note(7), 1.0, false);   // E5
    brass(0.36, 1.09, note(10), 0.8, true);   // G5
    brass(0.36, 1.09, note(7), 0.5, true);    // E5
    brass(0.36, 1.09, note(3), 0.5, true);    // C5
    return s;
}

// Muted trombone sighing downwards: wah, wah, wah, waaah.
Samples havio() {
    Samples s = silence(1.50);
    auto wah = [&s](double t0, double length, double freq, double droop, int wahs) {
        harmonicNote(
            s, t0, length, 14,
            [freq, droop, length](double t) {
                const double vib = length > 0.5 && t > 0.2 ? 0.012 * sinCycles(6.0 * t) : 0.0;
                return freq * (1.0 - droop * t / length + vib);
            },
            [length](double t) { return gate(t, length, 0.03, 0.12) * (0.25 + 0.75 * expDet(-t / 0.09)); },
            [length, wahs](int k, double t) {
                // The mute opens and closes `wahs` times over the note.
                const double open = 0.5 - 0.5 * sinCycles(0.25 + wahs * t / length);
                return expDet(-(k - 1) * (1.1 - 0.85 * open)) / k;
            });
    };
    wah(0.00, 0.27, note(-11), 0.02, 1);  // Bb3
    wah(0.32, 0.27, note(-12), 0.02, 1);  // A3
    wah(0.64, 0.27, note(-13), 0.02, 1);  // Ab3
    wah(0.96, 0.54, note(-14), 0.06, 2);  // G3, sagging
    return s;
}

// A dull thud: a low sine falling in pitch with a puff of muffled noise.
Samples koss() {
    Samples s = silence(0.35);
    Noise noise(0x5eed0006u);
    LowPass muffle(260.0);
    LowPass muffle2(260.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = seconds(i);
        const double f = 48.0 + 70.0 * expDet(-t / 0.03);
        phase += f / kRate;
        phase -= std::floor(phase);
        const double attack = std::min(1.0, t / 0.002);
        const double body = attack * expDet(-t / 0.07) * (sinCycles(phase) + 0.25 * sinCycles(2.0 * phase));
        const double puff = attack * expDet(-t / 0.025) * muffle2(muffle(noise.next()));
        s[i] = body + 3.0 * puff;
    }
    return s;
}

// Handbells ringing a rising phrase.
Samples tuplaus() {
    Samples s = silence(1.45);
    const std::vector<Partial> bell = {{0.5, 0.25, 0.50},  {1.0, 1.0, 0.55},   {2.0, 0.45, 0.35},
                                       {2.76, 0.40, 0.25}, {5.40, 0.20, 0.12}, {8.93, 0.10, 0.06}};
    const int steps[] = {12, 16, 19, 24};  // A5 C#6 E6 A6
    for (int n = 0; n < 4; ++n) strike(s, 0.14 * n, note(steps[n]), n == 3 ? 1.0 : 0.8, bell);
    return s;
}

// A ratchet: a run of sharp ticks, slightly uneven like a real pawl.
Samples ruplaus() {
    Samples s = silence(0.70);
    Noise noise(0x5eed0008u);
    double t0 = 0.0;
    int tick = 0;
    while (t0 < 0.64) {
        const double amp = noise.between(0.75, 1.0);
        const double f = tick % 2 == 0 ? 2600.0 : 2350.0;
        strike(s, t0, f, amp, {{1, 1.0, 0.005}, {1.58, 0.7, 0.003}, {0.37, 0.5, 0.008}}, 0.0002);
        const std::size_t first = sampleAt(t0);
        for (std::size_t i = first; i < std::min(s.size(), first + sampleAt(0.01)); ++i) {
            s[i] += 0.5 * amp * expDet(-seconds(i - first) / 0.0012) * noise.next();
        }
        t0 += 0.036 + noise.between(-0.003, 0.003);
        ++tick;
    }
    return s;
}

// The inharmonic ring of a small coin.
const std::vector<Partial>& coinPartials() {
    static const std::vector<Partial> coin = {
        {1.0, 1.0, 0.18}, {1.47, 0.7, 0.14}, {2.09, 0.55, 0.10}, {2.56, 0.35, 0.08}, {3.21, 0.2, 0.05}};
    return coin;
}

// One coin dropping onto the tray and settling with two small bounces.
Samples vylos() {
    Samples s = silence(0.60);
    const double base = 2350.0;
    strike(s, 0.0, base, 1.0, coinPartials(), 0.0005);
    strike(s, 0.13, base * 1.01, 0.45, coinPartials(), 0.0005);
    strike(s, 0.21, base * 0.99, 0.2, coinPartials(), 0.0005);
    return s;
}

// A cascade of coins pouring out: many clinks, thick in the middle.
Samples voitonmaksu() {
    Samples s = silence(1.45);
    Noise noise(0x5eed0010u);
    double t = 0.0;
    while (t < 1.1) {
        // Gaps are short in the middle of the pour and longer at its ends.
        const double crowd = 1.0 - std::fabs(t - 0.5) / 0.6;
        const double gap = 0.06 - 0.045 * crowd;
        const double amp = noise.between(0.35, 1.0) * (0.6 + 0.4 * crowd);
        strike(s, t, noise.between(1900.0, 3600.0), amp, coinPartials(), 0.0005);
        t += gap * noise.between(0.6, 1.4);
    }
    strike(s, 1.12, 2500.0, 0.8, coinPartials(), 0.0005);  // the last coin lands
    return s;
}

// A low, ominous diminished chord swelling and trembling.
Samples satan() {
    Samples s = silence(1.50);
    const double length = 1.50;
    const int steps[] = {-31, -28, -25, -19};  // D2 F2 Ab2 D3
    for (int n = 0; n < 4; ++n) {
        for (double detune : {0.997, 1.003}) {
            const double freq = note(steps[n]) * detune;
            harmonicNote(
                s, 0.0, length, 16, [freq](double t) { return freq * (1.0 - 0.01 * t); },
                [length](double t) { return gate(t, length, 0.25, 0.45) * (0.8 + 0.2 * sinCycles(4.0 * t)); },
                [](int k, double) { return expDet(-0.35 * (k - 1)) / k; });
        }
    }
    return s;
}

// ---------------------------------------------------------------------------
// Finishing: level, fades, 16-bit samples, RIFF file.

double peakOf(const Samples& s) {
    double p = 0.0;
    for (double v : s) p = std::max(p, std::fabs(v));
    return p;
}

double rmsOf(const Samples& s) {
    double sum = 0.0;
    for (double v : s) sum += v * v;
    return s.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(s.size()));
}

// Raised-cosine fades: the first and last samples are exactly zero.
void fadeEnds(Samples& s, double fadeIn, double fadeOut) {
    const std::size_t in = std::max<std::size_t>(2, sampleAt(fadeIn));
    const std::size_t out = std::max<std::size_t>(2, sampleAt(fadeOut));
    for (std::size_t i = 0; i < in && i < s.size(); ++i) {
        s[i] *= 0.5 - 0.5 * sinCycles(0.25 + 0.5 * static_cast<double>(i) / static_cast<double>(in));
    }
    for (std::size_t j = 0; j < out && j < s.size(); ++j) {
        s[s.size() - 1 - j] *=
            0.5 - 0.5 * sinCycles(0.25 + 0.5 * static_cast<double>(j) / static_cast<double>(out));
    }
}

// Saturates with the given drive, fades the ends and brings the peak to -3 dBFS.
Samples shape(const Samples& raw, double drive) {
    const double peak = peakOf(raw);
    Samples s(raw.size());
    const double norm = tanhDet(drive);
    for (std::size_t i = 0; i < raw.size(); ++i) s[i] = tanhDet(drive * raw[i] / peak) / norm;
    fadeEnds(s, 0.002, 0.025);
    const double gain = kPeak / peakOf(s);
    for (double& v : s) v *= gain;
    return s;
}

// Picks the saturation drive that brings the RMS level near the common target,
// so that a short click and a long chord sound about equally loud. Sounds that
// are already louder than the target at their -3 dBFS peak are left clean.
Samples level(const Samples& raw) {
    double lo = 0.5;
    double hi = 6.0;
    if (rmsOf(shape(raw, lo)) >= kTargetRms) return shape(raw, lo);
    if (rmsOf(shape(raw, hi)) <= kTargetRms) return shape(raw, hi);
    for (int i = 0; i < 40; ++i) {
        const double mid = 0.5 * (lo + hi);
        (rmsOf(shape(raw, mid)) < kTargetRms ? lo : hi) = mid;
    }
    return shape(raw, lo);
}

std::int16_t toPcm16(double v) {
    const double scaled = std::floor(v * 32767.0 + 0.5);
    return static_cast<std::int16_t>(std::max(-32768.0, std::min(32767.0, scaled)));
}

void putU32(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putU16(std::string& b, std::uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
}

std::string waveBytes(const Samples& s) {
    const auto dataBytes = static_cast<std::uint32_t>(s.size() * 2);
    std::string b;
    b.reserve(44 + dataBytes);
    b += "RIFF";
    putU32(b, 36 + dataBytes);
    b += "WAVEfmt ";
    putU32(b, 16);
    putU16(b, 1);  // PCM
    putU16(b, 1);  // mono
    putU32(b, kRate);
    putU32(b, kRate * 2);  // bytes a second
    putU16(b, 2);          // bytes a frame
    putU16(b, 16);         // bits a sample
    b += "data";
    putU32(b, dataBytes);
    for (double v : s) putU16(b, static_cast<std::uint16_t>(toPcm16(v)));
    return b;
}

struct Cue {
    const char* file;
    Samples (*make)();
};

constexpr Cue kCues[] = {
    {"Voitto.wav", voitto},
    {"Havio.wav", havio},
    {"Kaynnistys.wav", kaynnistys},
    {"Lukitus.wav", lukitus},
    {"Voitonmaksu.wav", voitonmaksu},
    {"Koss.wav", koss},
    {"Tuplaus.wav", tuplaus},
    {"Ruplaus.wav", ruplaus},
    {"VYlos.wav", vylos},
    {"Welcome.wav", welcome},
    {"satan.wav", satan},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTDIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const Cue& cue : kCues) {
        const Samples samples = level(cue.make());
        if (static_cast<double>(samples.size()) > kMaxSeconds * kRate) {
            std::cerr << cue.file << ": too long\n";
            return 1;
        }
        const std::string bytes = waveBytes(samples);
        std::ofstream out(dir / cue.file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << (dir / cue.file).string() << ": cannot write\n";
            return 1;
        }
        std::printf("%-16s %6zu samples  rms %.3f\n", cue.file, samples.size(), rmsOf(samples));
    }
    return 0;
}
