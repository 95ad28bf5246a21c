// The game's own stream on a PulseAudio-protocol sound server (PulseAudio,
// or PipeWire through pipewire-pulse), fed by a mixer that renders on
// demand (OpenAL Soft's loopback device).
//
// OpenAL Soft's own pulse back-end names its stream with empty properties,
// which the servers show as empty or garbled roles, and keeps libpulse
// asking for timing updates even while its stream is corked. This stream
// carries the game's names and role, and while it is corked nothing runs:
// no timing updates, no mixing, no wake-ups.
//
// libpulse runs its own thread (a threaded main loop); the stream asks for
// sound there, and `render` fills it. Everything else is called from one
// thread at a time.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace vornakka::detail {

class PulseOutput {
public:
    // The stream's format: 44.1 kHz (the cues' own rate), stereo, 32-bit
    // float, as OpenAL Soft mixes for a sound server by default.
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    // What the server buffers: three periods of 1024 frames, as OpenAL
    // Soft's own back-end asks for.
    static constexpr int kPeriodFrames = 1024;
    static constexpr int kPeriods = 3;

    // Fills `frames` frames of interleaved float samples.
    using Render = std::function<void(float* samples, std::size_t frames)>;

    // Connects to the user's sound server. Null when none runs, it refuses,
    // or it has not answered before `timeout`.
    static std::unique_ptr<PulseOutput> connect(std::chrono::milliseconds timeout);

    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Starts opening the playback stream, corked, with `render` as its
    // source of sound (which may be asked for sound at once, to fill the
    // server's buffer). False when libpulse refuses it at once.
    bool startStream(Render render);
    // Waits for the stream started above. False when the server refuses it
    // or it is not ready before `timeout`; the output is then of no use.
    bool streamReady(std::chrono::milliseconds timeout);

    // A corked stream plays nothing and asks for nothing; uncorked, it plays
    // what is buffered and asks `render` for more as it goes.
    void setCorked(bool corked);

    // True once the server has gone or dropped the stream: nothing is asked
    // for or played any more.
    bool lost() const;

private:
    PulseOutput() = default;
    bool waitUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline);
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, std::size_t bytes, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<int> contextState_{0};
    std::atomic<int> streamState_{0};
    std::mutex changedMutex_;
    std::condition_variable changed_;
    Render render_;
};

}  // namespace vornakka::detail
