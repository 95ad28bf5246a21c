// Reads a whole sound file into 16-bit PCM for an OpenAL buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornakka::detail {

struct DecodedSound {
    std::vector<std::int16_t> samples;  // interleaved frames
    int channels = 0;                   // 1 or 2
    int sampleRate = 0;
    std::int64_t frames = 0;
};

// Throws MediaError with libsndfile's own error text when the file is
// missing, unreadable, not a sound file, cut short or empty.
DecodedSound decodeSoundFile(const std::string& path);

}  // namespace vornakka::detail
