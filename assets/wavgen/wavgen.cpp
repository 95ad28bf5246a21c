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

#include "sounds.h"
#include "synth.h"

namespace {

using namespace wavgen;

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
