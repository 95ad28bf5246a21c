// Building blocks of the game's synthesised sounds: exact maths, noise,
// a low-pass filter, struck and sustained tones.
// The output must be the same bytes on every run and every machine, because
// the committed files are checked against it. So nothing here calls the maths
// library for anything that is not exact: sine, exponential and tanh are our
// own series built from + - * /, noise comes from our own xorshift generator,
// and floor/ldexp are exact operations. Each sample is computed in double and
// rounded to 16 bits once, at the very end.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace wavgen {

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
inline double sinCycles(double cycles) {
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

inline double expDet(double x) {
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

inline double tanhDet(double x) {
    const double e = expDet(-2.0 * std::fabs(x));
    const double t = (1.0 - e) / (1.0 + e);
    return x < 0 ? -t : t;
}

// Equal-tempered pitch: semitones above A4 (440 Hz).
inline double note(int semitonesFromA4) {
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

inline Samples silence(double seconds) {
    return Samples(static_cast<std::size_t>(seconds * kRate + 0.5), 0.0);
}

inline double seconds(std::size_t i) {
    return static_cast<double>(i) / kRate;
}

inline std::size_t sampleAt(double t) {
    return static_cast<std::size_t>(t * kRate + 0.5);
}

struct Partial {
    double ratio;  // frequency relative to the fundamental
    double gain;
    double decay;  // seconds to fall to 1/e
};

// A struck, decaying tone (bell, coin, plucked note) starting at t0.
inline void strike(Samples& out, double t0, double freq, double amp, const std::vector<Partial>& partials,
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
inline void harmonicNote(Samples& out, double t0, double length, int harmonics,
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
inline double gate(double t, double length, double attack, double release) {
    if (t < 0 || t > length) return 0.0;
    double g = 1.0;
    if (t < attack) g = t / attack;
    if (t > length - release) g = std::min(g, (length - t) / release);
    return g;
}

}  // namespace wavgen
