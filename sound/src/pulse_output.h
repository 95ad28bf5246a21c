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
// One PulseOutput is one connection: once the server has gone it stays
// gone, and a new one is made when a server answers again (server_link.h).
//
// libpulse runs its own thread (a threaded main loop); the stream asks for
// sound there, and `render` fills it. Everything else is called from one
// thread at a time, but cancel(), which any thread may call.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
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
    // The whole delay the stream asks for, the server's buffer and the
    // sink's latency together (PA_STREAM_ADJUST_LATENCY), and the chunks it
    // is refilled in: 25 ms in 2.5 ms steps, so that a press is heard at
    // once and a busy machine has most of the 25 ms to refill the stream.
    // PulseAudio grants 15 ms of buffer and 5 ms of sink latency for it,
    // PipeWire 12.5 ms and its quantum.
    static constexpr int kTargetFrames = 1100;
    static constexpr int kRequestFrames = 110;

    // Fills `frames` frames of interleaved float samples.
    using Render = std::function<void(float* samples, std::size_t frames)>;

    // What the server says of the stream's delay, in milliseconds: what it
    // holds of the stream, and the sink's own latency behind it.
    struct Latency {
        double bufferMs = -1;
        double sinkMs = -1;
    };

    // Starts connecting to the user's sound server; null when libpulse
    // cannot even begin. `gone` is called (on libpulse's thread) once the
    // server has gone or dropped the stream.
    static std::unique_ptr<PulseOutput> begin(std::function<void()> gone);

    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Waits for the connection. False when no server runs, it refuses, it
    // has not answered before `timeout` or cancel() was called.
    bool connected(std::chrono::milliseconds timeout);
    // Starts opening the playback stream, corked, with `render` as its
    // source of sound (which may be asked for sound at once, to fill the
    // server's buffer). False when libpulse refuses it at once.
    bool startStream(Render render);
    // Waits for the stream started above; false as for connected().
    bool streamReady(std::chrono::milliseconds timeout);
    // Ends any wait above at once, with false.
    void cancel();

    // A corked stream plays nothing and asks for nothing; uncorked, it plays
    // what is buffered and asks `render` for more as it goes. Uncorking
    // again drops what was buffered before the cork, so that what is played
    // now is heard first.
    void setCorked(bool corked);

    // True once the server has gone or dropped the stream: nothing is asked
    // for or played any more.
    bool lost() const;

    // For diagnostics: how often the sink ran dry, and the stream's delay
    // as the server reports it (waits for the server up to `timeout`).
    std::uint64_t underruns() const { return underruns_.load(); }
    Latency latency(std::chrono::milliseconds timeout);

private:
    PulseOutput() = default;
    bool waitUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline);
    void changed();
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, std::size_t bytes, void* self);
    static void streamRanDry(pa_stream* stream, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<int> contextState_{0};
    std::atomic<int> streamState_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> goneSaid_{false};
    bool uncorkedOnce_ = false;
    std::atomic<std::uint64_t> underruns_{0};
    std::atomic<int> timingUpdates_{0};
    std::mutex changedMutex_;
    std::condition_variable changed_;
    Render render_;
    std::function<void()> gone_;
};

}  // namespace vornakka::detail
