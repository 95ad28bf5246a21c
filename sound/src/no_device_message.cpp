#include "no_device_message.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "openal_config.h"
#include "output_choice.h"

namespace vornakka::detail {

std::string noAudioDeviceMessage(bool backendReady) {
    // OpenAL Soft uses the first back-end that starts: a sound server's
    // back-end starts only when its server answers, a device back-end (ALSA,
    // OSS...) always does, and then its device is the one that did not open.
    const bool pulseUp = pulseServerAnswers();
    const auto& backends = openAlBackends();
    std::vector<const OpenAlBackend*> tried;
    for (const std::string& name : openAlDriverOrder()) {
        const auto backend = std::find_if(backends.begin(), backends.end(),
                                          [&](const OpenAlBackend& b) { return name == b.name; });
        if (backend == backends.end()) continue;
        tried.push_back(&*backend);
        const bool server = name == "pulse" || name == "jack";
        if (backendReady && (!server || (name == "pulse" && pulseUp))) break;
    }
    std::string message = "No sound output device was found";
    if (tried.empty()) {
        std::string source;
        const std::string setting = openAlDriverSetting(&source);
        message += ": OpenAL Soft had no sound back-end to try (" + source + " is \"" + setting + "\")";
        return message + ".";
    }
    message += ". OpenAL Soft tried ";
    for (std::size_t i = 0; i < tried.size(); ++i) {
        if (i > 0) message += i + 1 == tried.size() ? " and " : ", ";
        const bool serverUp = std::strcmp(tried[i]->name, "pulse") == 0 && pulseUp;
        message += std::string(tried[i]->shown) + " (" +
                   (serverUp ? "the sound server would not play" : tried[i]->why) + ")";
    }
    return message + ".";
}

}  // namespace vornakka::detail
