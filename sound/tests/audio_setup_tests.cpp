// How the game sets up OpenAL Soft and libpulse before the audio device
// opens, and what it tells the player when no device opens.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "no_device_message.h"
#include "openal_config.h"
#include "output_choice.h"
#include "test_tones.h"

namespace vornakka::detail {
namespace {

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void set(const std::string& name, const char* value) {
        if (saved_.count(name) == 0) {
            const char* old = getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name.c_str(), value, 1);
        } else {
            unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "(unset)";
}

using Order = std::vector<std::string>;

// Nothing chosen: OpenAL Soft's order without JACK, whose mere probe leaves
// a file in /dev/shm. A "drivers" line in the player's alsoft.conf (and
// only in its general part) is theirs, and so is their PULSE_PROP_OVERRIDE.
TEST(AudioSetup, JackIsLeftOutUnlessThePlayerChoseTheBackEnds) {
    testing::ToneFolder home;
    const std::string path = std::filesystem::current_path().string();
    Environment e;
    e.set("HOME", path.c_str());
    e.set("XDG_CONFIG_HOME", nullptr);
    e.set("XDG_CONFIG_DIRS", (path + "/xdg").c_str());
    e.set("ALSOFT_CONF", nullptr);
    e.set("ALSOFT_DRIVERS", nullptr);
    e.set("PULSE_PROP_OVERRIDE", nullptr);

    prepareAudioEnvironment();
    EXPECT_EQ(env("ALSOFT_DRIVERS"), "-jack,");
    EXPECT_TRUE(backendsLeftToGame());  // the game may play through its own stream
    EXPECT_EQ(openAlDriverOrder(), (Order{"pulse", "alsa", "oss", "sndio", "port", "null", "wave"}));
    EXPECT_EQ(env("PULSE_PROP_OVERRIDE"),
              "application.name='Vornakka' application.icon_name='org.example.Vornakka' media.role='game'");

    std::filesystem::create_directories(path + "/.config");
    std::ofstream(path + "/.config/alsoft.conf") << "# mine\nperiod_size = 512\n[general]\ndrivers = alsa, pulse # no JACK\n"
                                                    "[pulse]\ndrivers = jack\n";
    e.set("ALSOFT_DRIVERS", nullptr);
    e.set("PULSE_PROP_OVERRIDE", "media.role=music");
    prepareAudioEnvironment();
    EXPECT_EQ(env("ALSOFT_DRIVERS"), "(unset)");
    EXPECT_FALSE(backendsLeftToGame());
    EXPECT_EQ(openAlDriverOrder(), (Order{"alsa", "pulse"}));
    EXPECT_EQ(env("PULSE_PROP_OVERRIDE"),
              "application.name='Vornakka' application.icon_name='org.example.Vornakka' media.role='game' "
              "media.role=music");

    e.set("ALSOFT_DRIVERS", "jack,-alsa,");  // the environment beats every file
    EXPECT_FALSE(backendsLeftToGame());
    EXPECT_EQ(openAlDriverOrder(), (Order{"jack", "pulse", "oss", "sndio", "port", "null", "wave"}));
}

// The message names the back-ends OpenAL Soft tried, up to the first that
// starts (a device back-end always does; a server's only when it answers).
TEST(AudioSetup, TheNoDeviceMessageNamesTheBackEndsTried) {
    testing::ToneFolder runtime;
    Environment e;
    e.set("XDG_RUNTIME_DIR", std::filesystem::current_path().c_str());  // no server in it
    e.set("PULSE_SERVER", nullptr);
    e.set("ALSOFT_DRIVERS", "-jack,");
    EXPECT_EQ(noAudioDeviceMessage(true),
              "No sound output device was found. OpenAL Soft tried PulseAudio (no PulseAudio or PipeWire sound "
              "server runs for this user) and ALSA (no sound card or ALSA output device could be opened).");
    e.set("ALSOFT_DRIVERS", "jack,pulse");
    EXPECT_EQ(noAudioDeviceMessage(false),
              "No sound output device was found. OpenAL Soft tried JACK (no JACK server answered) and PulseAudio "
              "(no PulseAudio or PipeWire sound server runs for this user).");
}

}  // namespace
}  // namespace vornakka::detail
