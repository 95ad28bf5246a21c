#include "test_tones.h"

#include <sndfile.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace vornakka::testing {

void writeTone(const std::filesystem::path& path, double seconds, int channels, int sampleRate) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
    const auto frames = static_cast<sf_count_t>(seconds * sampleRate);
    std::vector<short> samples(static_cast<std::size_t>(frames * channels));
    for (sf_count_t i = 0; i < frames; ++i) {
        const double v = 8000.0 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / sampleRate);
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(i * channels + c)] = static_cast<short>(v);
    }
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

}  // namespace vornakka::testing
