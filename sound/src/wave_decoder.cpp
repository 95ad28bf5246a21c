#include "wave_decoder.h"

#include <sndfile.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <memory>

#include "library_text.h"
#include "vornakka/failure.h"

namespace vornakka::detail {

namespace {

[[noreturn]] void fail(const char* text) {
    throw MediaError(detail::libraryText(text));
}

// libsndfile's own words for a file of a known format with broken contents.
[[noreturn]] void failMalformed() {
    fail(sf_error_number(SF_ERR_MALFORMED_FILE));
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// libsndfile quietly shortens a RIFF wave whose data chunk runs past the end
// of the file: it reports only the frames that are there. A file cut short
// (an interrupted copy, a half-written download) would then play a fragment
// without any complaint, so walk the chunks and compare the data chunk's
// promised size with the bytes the file really holds.
bool riffDataCutShort(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    unsigned char header[12];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) return false;
    std::uint64_t offset = 12;
    while (offset + 8 <= fileSize) {
        unsigned char chunk[8];
        in.seekg(static_cast<std::streamoff>(offset));
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) return false;
        const std::uint32_t size = readU32(chunk + 4);
        offset += 8;
        if (std::memcmp(chunk, "data", 4) == 0) {
            // 0xFFFFFFFF is the streaming writers' "up to the end of the file".
            return size != 0xFFFFFFFFu && size > fileSize - offset;
        }
        offset += size + (size & 1u);  // chunks are padded to even sizes
    }
    return false;
}

}  // namespace

DecodedSound decodeSoundFile(const std::string& path) {
    SF_INFO info{};
    SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) fail(sf_strerror(nullptr));

    // A wave with no sound in it is no use as a cue; it is almost always a
    // file whose writer never filled in its header.
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0) failMalformed();
    const auto major = info.format & SF_FORMAT_TYPEMASK;
    if ((major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) && riffDataCutShort(path)) failMalformed();

    // OpenAL takes the buffer size as an int; anything that large is not a
    // short game sound.
    const auto channels = static_cast<std::int64_t>(info.channels);
    if (info.frames > INT_MAX / 2 / channels) throw MediaError("Sound file too long.");

    std::vector<std::int16_t> interleaved(static_cast<std::size_t>(info.frames * channels));
    const sf_count_t got = sf_readf_short(file.get(), interleaved.data(), info.frames);
    if (got != info.frames) {
        if (sf_error(file.get()) != SF_ERR_NO_ERROR) fail(sf_strerror(file.get()));
        failMalformed();
    }

    DecodedSound sound;
    sound.sampleRate = info.samplerate;
    sound.frames = info.frames;
    if (info.channels <= 2) {
        sound.channels = info.channels;
        sound.samples = std::move(interleaved);
        return sound;
    }
    // Surround files are mixed down to one channel.
    sound.channels = 1;
    sound.samples.resize(static_cast<std::size_t>(info.frames));
    const auto n = static_cast<std::size_t>(channels);
    for (std::size_t frame = 0; frame < sound.samples.size(); ++frame) {
        std::int64_t sum = 0;
        for (std::size_t c = 0; c < n; ++c) sum += interleaved[frame * n + c];
        sound.samples[frame] = static_cast<std::int16_t>(sum / channels);
    }
    return sound;
}

}  // namespace vornakka::detail
