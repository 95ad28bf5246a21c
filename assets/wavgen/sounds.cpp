// The recipes of the game's eleven sounds, built from the blocks in synth.h.
#include "sounds.h"

#include "synth.h"

#include <cmath>
#include <vector>

namespace wavgen {
namespace {

// The inharmonic ring of a small coin.
const std::vector<Partial>& coinPartials() {
    static const std::vector<Partial> coin = {
        {1.0, 1.0, 0.18}, {1.47, 0.7, 0.14}, {2.09, 0.55, 0.10}, {2.56, 0.35, 0.08}, {3.21, 0.2, 0.05}};
    return coin;
}

}  // namespace

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

}  // namespace wavgen
