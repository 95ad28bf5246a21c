#include "pulse_output.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cstdint>

namespace vornakka::detail {

namespace {

constexpr std::size_t kFrameBytes = sizeof(float) * PulseOutput::kChannels;

// The names the sound server shows for the game; the stream gets them too,
// so that a server that does not pass the connection's on still has them.
pa_proplist* gameNames() {
    pa_proplist* names = pa_proplist_new();
    pa_proplist_sets(names, PA_PROP_APPLICATION_NAME, "Vornakka");
    pa_proplist_sets(names, PA_PROP_APPLICATION_ICON_NAME, "org.example.Vornakka");
    pa_proplist_sets(names, PA_PROP_MEDIA_ROLE, "game");
    return names;
}

// Runs `work` with libpulse's thread held off.
template <typename Work>
void withLoopLocked(pa_threaded_mainloop* loop, Work&& work) {
    pa_threaded_mainloop_lock(loop);
    work();
    pa_threaded_mainloop_unlock(loop);
}

void forget(pa_operation* operation) {
    if (operation != nullptr) pa_operation_unref(operation);
}

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::begin(std::function<void()> gone) {
    std::unique_ptr<PulseOutput> output(new PulseOutput());
    output->gone_ = std::move(gone);
    output->loop_ = pa_threaded_mainloop_new();
    if (output->loop_ == nullptr) return nullptr;
    pa_proplist* names = gameNames();
    output->context_ =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(output->loop_), "Vornakka", names);
    pa_proplist_free(names);
    if (output->context_ == nullptr) return nullptr;
    pa_context_set_state_callback(output->context_, &PulseOutput::contextChanged, output.get());
    // Never start a server of our own: with none running, OpenAL Soft's
    // device is the way, or the game waits for the player's to return.
    if (pa_context_connect(output->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return nullptr;
    if (pa_threaded_mainloop_start(output->loop_) < 0) return nullptr;
    return output;
}

PulseOutput::~PulseOutput() {
    if (loop_ == nullptr) return;
    withLoopLocked(loop_, [&] {
        if (stream_ != nullptr) {
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
    });
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

bool PulseOutput::connected(std::chrono::milliseconds timeout) {
    const bool settled = waitUntil(
        [&] {
            const int state = contextState_.load();
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(static_cast<pa_context_state_t>(state));
        },
        std::chrono::steady_clock::now() + timeout);
    return settled && contextState_.load() == PA_CONTEXT_READY;
}

bool PulseOutput::startStream(Render render) {
    render_ = std::move(render);
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kRate, kChannels};
    pa_channel_map channels;
    pa_channel_map_init_stereo(&channels);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(kTargetFrames * kFrameBytes);
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(kRequestFrames * kFrameBytes);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    bool connected = false;
    withLoopLocked(loop_, [&] {
        pa_proplist* names = gameNames();
        pa_proplist_sets(names, PA_PROP_MEDIA_NAME, "Game sounds");
        stream_ = pa_stream_new_with_proplist(context_, "Game sounds", &format, &channels, names);
        pa_proplist_free(names);
        if (stream_ == nullptr) return;
        pa_stream_set_state_callback(stream_, &PulseOutput::streamChanged, this);
        pa_stream_set_write_callback(stream_, &PulseOutput::streamWants, this);
        pa_stream_set_underflow_callback(stream_, &PulseOutput::streamRanDry, this);
        // Corked until the first cue; no timing updates are asked for, so
        // a corked stream costs no wake-ups. The delay asked for is the
        // whole of it, the sink's latency included.
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
        connected = pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) == 0;
    });
    return connected;
}

bool PulseOutput::streamReady(std::chrono::milliseconds timeout) {
    const bool settled = waitUntil(
        [&] {
            const int state = streamState_.load();
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(static_cast<pa_stream_state_t>(state));
        },
        std::chrono::steady_clock::now() + timeout);
    return settled && streamState_.load() == PA_STREAM_READY;
}

void PulseOutput::cancel() {
    {
        const std::lock_guard<std::mutex> lock(changedMutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

void PulseOutput::setCorked(bool corked) {
    withLoopLocked(loop_, [&] {
        if (stream_ == nullptr || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        // Whatever was mixed before the cork (the tail of the last cue and
        // silence) is not worth waiting for. What the new stream was filled
        // with at first is kept: it is the start of what is sounding (the
        // Welcome sound, played while the stream was being made).
        if (!corked && uncorkedOnce_) forget(pa_stream_flush(stream_, nullptr, nullptr));
        if (!corked) uncorkedOnce_ = true;
        forget(pa_stream_cork(stream_, corked ? 1 : 0, nullptr, nullptr));
    });
}

bool PulseOutput::lost() const {
    const auto context = static_cast<pa_context_state_t>(contextState_.load());
    const auto stream = static_cast<pa_stream_state_t>(streamState_.load());
    return context == PA_CONTEXT_FAILED || context == PA_CONTEXT_TERMINATED || stream == PA_STREAM_FAILED ||
           stream == PA_STREAM_TERMINATED;
}

PulseOutput::Latency PulseOutput::latency(std::chrono::milliseconds timeout) {
    const int before = timingUpdates_.load();
    withLoopLocked(loop_, [&] {
        if (stream_ == nullptr || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        forget(pa_stream_update_timing_info(
            stream_,
            [](pa_stream*, int, void* self) {
                auto* output = static_cast<PulseOutput*>(self);
                {
                    const std::lock_guard<std::mutex> lock(output->changedMutex_);
                    ++output->timingUpdates_;
                }
                output->changed_.notify_all();
            },
            this));
    });
    Latency result;
    if (!waitUntil([&] { return timingUpdates_.load() != before; }, std::chrono::steady_clock::now() + timeout)) {
        return result;
    }
    withLoopLocked(loop_, [&] {
        const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
        if (timing == nullptr) return;
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kRate, kChannels};
        const auto held = static_cast<std::uint64_t>(std::max<std::int64_t>(timing->write_index - timing->read_index, 0));
        result.bufferMs = static_cast<double>(pa_bytes_to_usec(held, &format)) / 1000.0;
        result.sinkMs = static_cast<double>(timing->sink_usec) / 1000.0;
    });
    return result;
}

bool PulseOutput::waitUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(changedMutex_);
    return changed_.wait_until(lock, deadline, [&] { return cancelled_.load() || done(); }) && !cancelled_.load();
}

void PulseOutput::changed() {
    changed_.notify_all();
    if (lost() && !goneSaid_.exchange(true) && gone_) gone_();
}

void PulseOutput::contextChanged(pa_context* context, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    {
        const std::lock_guard<std::mutex> lock(output->changedMutex_);
        output->contextState_ = pa_context_get_state(context);
    }
    output->changed();
}

void PulseOutput::streamChanged(pa_stream* stream, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    {
        const std::lock_guard<std::mutex> lock(output->changedMutex_);
        output->streamState_ = pa_stream_get_state(stream);
    }
    output->changed();
}

void PulseOutput::streamRanDry(pa_stream*, void* self) {
    ++static_cast<PulseOutput*>(self)->underruns_;
}

// On libpulse's thread: the server has room for `bytes` more.
void PulseOutput::streamWants(pa_stream* stream, std::size_t bytes, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    while (bytes >= kFrameBytes) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || data == nullptr) return;
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        output->render_(static_cast<float*>(data), size / kFrameBytes);
        if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= std::min(bytes, size);
    }
}

}  // namespace vornakka::detail
