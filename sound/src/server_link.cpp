#include "server_link.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "output_choice.h"

namespace vornakka::detail {

namespace {

// How often the link looks for a server in case the folder's news was
// missed (a remote server, a folder made later); and, after a server that
// answered would not take the stream, how long before it is asked again.
constexpr int kLookAgainMs = 3000;
constexpr int kRetryMs = 1000;
// A server makes its socket before it listens on it: after news from the
// folder, how often and how many times to look for it to answer.
constexpr int kSettleStepMs = 50;
constexpr int kSettleSteps = 20;

// The folder of the server's socket, and the one above it (the runtime
// folder, in which a restarted server may make the socket's folder anew).
// Empty for a remote server.
std::string socketFolder() {
    const char* named = std::getenv("PULSE_SERVER");
    std::string path = named != nullptr ? named : "";
    if (path.rfind("unix:", 0) == 0) path.erase(0, 5);
    if (path.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == '\0') return {};
        path = std::string(runtime) + "/pulse/native";
    }
    if (path.front() != '/') return {};
    return path.substr(0, path.rfind('/'));
}

void say(const char* text) {
    std::fprintf(stderr, "vornakka: %s\n", text);
    std::fflush(stderr);
}

}  // namespace

ServerLink::ServerLink(PulseOutput::Render render) : render_(std::move(render)) {
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

ServerLink::~ServerLink() {
    {
        const std::lock_guard<std::mutex> lock(wakeMutex_);
        stopping_ = true;
        if (connecting_ != nullptr) connecting_->cancel();
    }
    wake_.notify_all();
    if (stopFd_ >= 0) {
        const std::uint64_t one = 1;
        (void)!::write(stopFd_, &one, sizeof one);
    }
    thread_.join();
    output_.reset();
    if (stopFd_ >= 0) ::close(stopFd_);
}

void ServerLink::setCorked(bool corked) {
    const std::lock_guard<std::mutex> lock(outputMutex_);
    corked_ = corked;
    if (output_) output_->setCorked(corked);
}

bool ServerLink::waitUntilUp(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(outputMutex_);
    return up_.wait_for(lock, timeout, [&] { return output_ != nullptr; });
}

PulseOutput::Latency ServerLink::latency(std::chrono::milliseconds timeout) {
    const std::lock_guard<std::mutex> lock(outputMutex_);
    return output_ ? output_->latency(timeout) : PulseOutput::Latency{};
}

std::uint64_t ServerLink::underruns() const {
    const std::lock_guard<std::mutex> lock(outputMutex_);
    return pastUnderruns_ + (output_ ? output_->underruns() : 0);
}

bool ServerLink::stopping() {
    const std::lock_guard<std::mutex> lock(wakeMutex_);
    return stopping_;
}

// On libpulse's thread.
void ServerLink::noticeLoss() {
    {
        const std::lock_guard<std::mutex> lock(wakeMutex_);
        lostNow_ = true;
    }
    wake_.notify_all();
}

std::unique_ptr<PulseOutput> ServerLink::makeStream() {
    {
        const std::lock_guard<std::mutex> lock(wakeMutex_);
        lostNow_ = false;
    }
    std::unique_ptr<PulseOutput> output = PulseOutput::begin([this] { noticeLoss(); });
    if (!output) return nullptr;
    {
        const std::lock_guard<std::mutex> lock(wakeMutex_);
        if (stopping_) return nullptr;
        connecting_ = output.get();
    }
    const bool ready = output->connected(kServerTimeout) && output->startStream(render_) &&
                       output->streamReady(kServerTimeout);
    {
        const std::lock_guard<std::mutex> lock(wakeMutex_);
        connecting_ = nullptr;
    }
    if (!ready) return nullptr;
    return output;
}

void ServerLink::run() {
    bool toldLost = false;
    while (!stopping()) {
        std::unique_ptr<PulseOutput> made = makeStream();
        if (!made) {
            if (stopping()) return;
            down_ = true;
            if (!toldLost) say("no sound: the sound server does not answer; the game plays on and sounds again once it does");
            toldLost = true;
            waitForServer(true);
            continue;
        }
        {
            const std::lock_guard<std::mutex> lock(outputMutex_);
            output_ = std::move(made);
            if (!corked_) output_->setCorked(false);
            down_ = false;
        }
        up_.notify_all();
        if (toldLost) say("the sound server answers again: sound is back");
        toldLost = false;

        {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            wake_.wait(lock, [&] { return stopping_ || lostNow_; });
            if (stopping_) return;
        }
        std::unique_ptr<PulseOutput> gone;
        {
            const std::lock_guard<std::mutex> lock(outputMutex_);
            down_ = true;
            pastUnderruns_ += output_->underruns();
            gone = std::move(output_);
        }
        gone.reset();
        say("sound lost: the sound server went away; the game plays on silently until a server answers again");
        toldLost = true;
        waitForServer(false);
    }
}

// Returns once a server answers on the socket (or may: a remote one), or
// the link is being stopped. Sleeps on the socket's folder meanwhile.
void ServerLink::waitForServer(bool afterFailure) {
    const std::string folder = socketFolder();
    const int news = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const auto watch = [&] {
        if (news < 0 || folder.empty()) return;
        const auto events = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;
        ::inotify_add_watch(news, folder.c_str(), events);
        ::inotify_add_watch(news, folder.substr(0, folder.rfind('/')).c_str(), events);
    };
    watch();
    // Straight after a loss the server may already be back (a quick
    // restart); after a refusal it is given a moment.
    int tries = afterFailure ? 0 : 1;
    int sleepMs = afterFailure ? kRetryMs : kLookAgainMs;
    while (!stopping()) {
        if (tries > 0) {
            if (folder.empty()) return;  // a remote server: try it
            for (int i = 0; i < tries && !stopping(); ++i) {
                if (pulseServerAnswers()) {
                    if (news >= 0) ::close(news);
                    return;
                }
                if (i + 1 < tries) ::usleep(kSettleStepMs * 1000);
            }
        }
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {news, POLLIN, 0}};
        const int ready = ::poll(fds, news >= 0 ? 2 : 1, sleepMs);
        sleepMs = kLookAgainMs;
        tries = 1;
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            char drain[4096];
            while (::read(news, drain, sizeof drain) > 0) {
            }
            watch();  // the socket's folder may be new
            tries = kSettleSteps;
        }
    }
    if (news >= 0) ::close(news);
}

}  // namespace vornakka::detail
