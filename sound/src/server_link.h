// The game's stream on the sound server, kept for as long as the game runs.
//
// The first stream is made in the background, so that the windows never
// wait for the server. When the server goes (it quits, crashes or is
// restarted, as PipeWire, pipewire-pulse and WirePlumber are after an update
// or to mend a Bluetooth headset), the game plays on silently and a stream
// is made again as soon as a server answers. Waiting for it costs next to
// nothing: the link's thread sleeps until something appears in the server's
// socket folder, looking again every few seconds in case it was missed.
// The player is told once on stderr that the sound was lost and once that
// it is back.
//
// Nothing here blocks the caller: a server that hangs (stopped, or too busy
// to answer) holds up only the link's own thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "pulse_output.h"

namespace vornakka::detail {

class ServerLink {
public:
    // How long a server may take to accept the connection, and then the
    // stream, before it counts as not answering.
    static constexpr std::chrono::milliseconds kServerTimeout{2000};

    // Starts connecting at once; `render` fills every stream the link makes.
    explicit ServerLink(PulseOutput::Render render);
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Corks or uncorks the stream; a stream made later starts as asked here.
    void setCorked(bool corked);

    // True while no stream plays because the server went, or because the
    // first stream did not come within kServerTimeout: whatever is started
    // now is never heard. False while the first stream is being made.
    bool down() const { return down_.load(); }

    // For diagnostics: waits up to `timeout` for a stream to play. Then the
    // delay the server reports for it and the underruns of all streams.
    bool waitUntilUp(std::chrono::milliseconds timeout);
    PulseOutput::Latency latency(std::chrono::milliseconds timeout);
    std::uint64_t underruns() const;

private:
    void run();
    std::unique_ptr<PulseOutput> makeStream();
    void waitForServer(bool afterFailure);
    void noticeLoss();
    bool stopping();

    PulseOutput::Render render_;
    // The stream in use and how the game wants it; the game's thread and
    // the link's take turns.
    mutable std::mutex outputMutex_;
    std::unique_ptr<PulseOutput> output_;
    bool corked_ = true;
    std::uint64_t pastUnderruns_ = 0;
    // What wakes the link's thread. Never held while libpulse's lock is
    // taken: libpulse's thread takes it to report a loss.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool lostNow_ = false;
    PulseOutput* connecting_ = nullptr;
    int stopFd_ = -1;
    std::atomic<bool> down_{false};
    std::condition_variable up_;
    std::thread thread_;
};

}  // namespace vornakka::detail
