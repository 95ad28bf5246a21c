// The sound players on real wave files and OpenAL's null device, where
// sources play in real time: positions advance with the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "openal_sound_bank.h"
#include "test_tones.h"
#include "vornakka/failure.h"

namespace vornakka {
namespace {

using testing::ScratchFolder;
using namespace std::chrono_literals;

void sleepFor(std::chrono::milliseconds ms) {
    std::this_thread::sleep_for(ms);
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        sleepFor(10ms);
    }
    return true;
}

TEST(SoundBank, StopHalfWayAndPlayAgainResumesThere) {
    ScratchFolder folder;
    folder.tone(SoundCue::Voitto, 1.0);
    OpenAlSoundBank bank;
    EXPECT_FALSE(bank.isOpen(SoundCue::Voitto));
    bank.open(SoundCue::Voitto);
    ASSERT_TRUE(bank.isOpen(SoundCue::Voitto));
    EXPECT_NEAR(bank.lengthSeconds(SoundCue::Voitto), 1.0, 1e-6);
    EXPECT_FALSE(bank.isPlaying(SoundCue::Voitto));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), 0.0);

    bank.play(SoundCue::Voitto);
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    sleepFor(300ms);
    bank.stop(SoundCue::Voitto);
    EXPECT_FALSE(bank.isPlaying(SoundCue::Voitto));
    const double halfWay = bank.positionSeconds(SoundCue::Voitto);
    EXPECT_GT(halfWay, 0.15);
    EXPECT_LT(halfWay, 0.9);

    // A stopped cue stays where it is, and stopping it again changes nothing.
    sleepFor(150ms);
    bank.stop(SoundCue::Voitto);
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), halfWay);
    EXPECT_FALSE(bank.isPlaying(SoundCue::Voitto));

    bank.play(SoundCue::Voitto);
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    EXPECT_GE(bank.positionSeconds(SoundCue::Voitto), halfWay);
    sleepFor(100ms);
    EXPECT_GT(bank.positionSeconds(SoundCue::Voitto), halfWay);

    // It then plays to its end and stops there by itself.
    EXPECT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Voitto); }));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), 0.0);
}

TEST(SoundBank, PlayAfterTheEndStartsOverAndPlayWhileSoundingGoesOn) {
    ScratchFolder folder;
    folder.tone(SoundCue::Kaynnistys, 0.25);
    folder.tone(SoundCue::satan, 1.0);
    OpenAlSoundBank bank;
    bank.open(SoundCue::Kaynnistys);
    bank.open(SoundCue::satan);

    bank.play(SoundCue::Kaynnistys);
    ASSERT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Kaynnistys); }));
    bank.play(SoundCue::Kaynnistys);
    EXPECT_TRUE(bank.isPlaying(SoundCue::Kaynnistys));
    sleepFor(80ms);
    const double fromTheTop = bank.positionSeconds(SoundCue::Kaynnistys);
    EXPECT_GT(fromTheTop, 0.0);
    EXPECT_LT(fromTheTop, 0.2);
    // It runs its whole length again.
    EXPECT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Kaynnistys); }));

    // A second play while sounding must not rewind (alSourcePlay would).
    bank.play(SoundCue::satan);
    sleepFor(300ms);
    const double before = bank.positionSeconds(SoundCue::satan);
    ASSERT_GT(before, 0.15);
    bank.play(SoundCue::satan);
    EXPECT_TRUE(bank.isPlaying(SoundCue::satan));
    EXPECT_GE(bank.positionSeconds(SoundCue::satan), before);
    sleepFor(100ms);
    bank.play(SoundCue::satan);
    EXPECT_GT(bank.positionSeconds(SoundCue::satan), before);
}

TEST(SoundBank, SeveralCuesSoundAtOnceAndBanksShareTheDevice) {
    ScratchFolder folder;
    folder.tone(SoundCue::Voitto, 1.0);
    folder.tone(SoundCue::Havio, 1.0, 2);  // stereo stays stereo
    folder.tone(SoundCue::Koss, 0.3);
    folder.tone(SoundCue::satan, 1.0);

    OpenAlSoundBank bank;
    for (SoundCue cue : {SoundCue::Voitto, SoundCue::Havio, SoundCue::Koss}) bank.open(cue);
    for (SoundCue cue : {SoundCue::Voitto, SoundCue::Havio, SoundCue::Koss}) bank.play(cue);
    for (SoundCue cue : {SoundCue::Voitto, SoundCue::Havio, SoundCue::Koss}) EXPECT_TRUE(bank.isPlaying(cue));

    // Stopping one leaves the others sounding.
    bank.stop(SoundCue::Havio);
    EXPECT_FALSE(bank.isPlaying(SoundCue::Havio));
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    EXPECT_TRUE(bank.isPlaying(SoundCue::Koss));
    // The mixer moves sources in whole periods (about 23 ms), later still on a
    // busy machine: wait for the position rather than for a fixed time.
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Voitto) > 0.05; }));

    // A second bank (the high-score window's satan) shares the same device:
    // neither bank's idle check may pause it under the other's sound, and
    // closing one leaves the other playing.
    {
        OpenAlSoundBank other;
        other.open(SoundCue::satan);
        EXPECT_FALSE(other.devicePaused());
        bank.stop(SoundCue::Voitto);
        bank.stop(SoundCue::Koss);
        other.play(SoundCue::satan);
        for (int i = 0; i < 20; ++i) {
            bank.idleCheck();
            sleepFor(20ms);
        }
        EXPECT_FALSE(bank.devicePaused());
        EXPECT_GT(other.positionSeconds(SoundCue::satan), 0.2);
        bank.play(SoundCue::Voitto);
    }
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    const double before = bank.positionSeconds(SoundCue::Voitto);
    sleepFor(100ms);
    EXPECT_GT(bank.positionSeconds(SoundCue::Voitto), before);
}

// The program opens the device on a helper thread while it starts. The
// banks must take that device and play on it; a warm-up nobody used closes
// its device without harm, and one started while a device is open does
// nothing.
TEST(SoundBank, DeviceWarmedUpOnAHelperThreadServesTheBanks) {
    ScratchFolder folder;
    folder.tone(SoundCue::Welcome, 1.0);
    folder.tone(SoundCue::Koss, 1.0);

    { const OpenAlSoundBank::DeviceWarmUp unused; }
    {
        const OpenAlSoundBank::DeviceWarmUp audio;
        OpenAlSoundBank bank;
        bank.open(SoundCue::Welcome);
        EXPECT_TRUE(bank.devicePaused());  // nothing has sounded yet
        bank.play(SoundCue::Welcome);
        EXPECT_TRUE(bank.isPlaying(SoundCue::Welcome));
        {
            const OpenAlSoundBank::DeviceWarmUp again;  // the device is open: no second one
            OpenAlSoundBank other;
            other.open(SoundCue::Koss);
            other.play(SoundCue::Koss);
            EXPECT_TRUE(waitUntil([&] { return other.positionSeconds(SoundCue::Koss) > 0.05; }));
        }
        EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Welcome) > 0.05; }));
        EXPECT_TRUE(bank.isPlaying(SoundCue::Welcome));
    }
    OpenAlSoundBank later;
    later.open(SoundCue::Welcome);
    later.play(SoundCue::Welcome);
    EXPECT_TRUE(later.isPlaying(SoundCue::Welcome));
}

TEST(SoundBank, FilesThatCannotBeUsedFailAtOpenWithTheLibraryText) {
    ScratchFolder folder;
    auto openError = [](SoundCue cue) -> std::string {
        OpenAlSoundBank bank;
        try {
            bank.open(cue);
        } catch (const MediaError& e) {
            EXPECT_STREQ(e.kind(), "MediaError");
            EXPECT_FALSE(bank.isOpen(cue));
            // Play and stop on a player that failed to open do nothing.
            bank.play(cue);
            bank.stop(cue);
            EXPECT_FALSE(bank.isPlaying(cue));
            return e.what();
        }
        return "opened";
    };

    EXPECT_EQ(openError(SoundCue::Voitto), "System error : No such file or directory.");

    std::ofstream(folder.file(SoundCue::Havio)).close();  // empty
    EXPECT_EQ(openError(SoundCue::Havio), "Format not recognised.");

    std::ofstream(folder.file(SoundCue::Lukitus)) << "RIFF? No, just the words of a song.\n";
    EXPECT_EQ(openError(SoundCue::Lukitus), "Format not recognised.");

    // Sound data cut short: libsndfile would quietly play the fragment.
    folder.tone(SoundCue::Koss, 0.5);
    std::filesystem::resize_file(folder.file(SoundCue::Koss), 20000);
    EXPECT_EQ(openError(SoundCue::Koss), "Supported file format but file is malformed.");

    // Cut inside the header, before the data chunk.
    folder.tone(SoundCue::Tuplaus, 0.5);
    std::filesystem::resize_file(folder.file(SoundCue::Tuplaus), 30);
    EXPECT_EQ(openError(SoundCue::Tuplaus), "Error in WAV file. No 'data' chunk marker.");

    // A wave with no sound in it at all.
    folder.tone(SoundCue::Ruplaus, 0.0);
    EXPECT_EQ(openError(SoundCue::Ruplaus), "Supported file format but file is malformed.");

    // A folder where the file should be.
    std::filesystem::create_directory(folder.file(SoundCue::VYlos));
    EXPECT_EQ(openError(SoundCue::VYlos), "Format not recognised.");

    // A failed cue does not disturb the others, and a good file still opens.
    folder.tone(SoundCue::Voitonmaksu, 0.3);
    EXPECT_EQ(openError(SoundCue::Voitonmaksu), "opened");
}

TEST(SoundBank, DevicePausesWhileSilentAndResumesOnPlay) {
    ScratchFolder folder;
    folder.tone(SoundCue::Welcome, 0.3);
    folder.tone(SoundCue::Voitto, 1.2);
    OpenAlSoundBank bank;
    EXPECT_FALSE(bank.devicePaused());  // no device before the first open
    bank.open(SoundCue::Welcome);
    bank.open(SoundCue::Voitto);
    EXPECT_TRUE(bank.devicePaused());  // nothing has sounded yet

    bank.play(SoundCue::Welcome);
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_TRUE(bank.isPlaying(SoundCue::Welcome));
    // While it sounds the idle check leaves the device running, and the cue
    // really advances (a paused device would freeze it in "playing").
    for (int i = 0; i < 10; ++i) {
        bank.idleCheck();
        EXPECT_FALSE(bank.devicePaused());
        sleepFor(10ms);
    }
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Welcome) > 0.03; }));

    // After its end the device pauses, once the grace period has passed.
    ASSERT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Welcome); }));
    bank.idleCheck();
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_TRUE(waitUntil([&] {
        bank.idleCheck();
        return bank.devicePaused();
    }));

    // Play wakes it: the cue starts from the top and advances.
    bank.play(SoundCue::Welcome);
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Welcome) > 0.03; }));
    ASSERT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Welcome); }));

    // A cue stopped half-way pauses the device too, and resumes from its
    // place when the device wakes.
    bank.play(SoundCue::Voitto);
    sleepFor(200ms);
    bank.stop(SoundCue::Voitto);
    const double halfWay = bank.positionSeconds(SoundCue::Voitto);
    ASSERT_TRUE(waitUntil([&] {
        bank.idleCheck();
        return bank.devicePaused();
    }));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), halfWay);
    bank.play(SoundCue::Voitto);
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Voitto) > halfWay; }));
    bank.stop(SoundCue::Voitto);

    // With the pause switched off the device runs on in silence.
    bank.setIdlePause(false);
    for (int i = 0; i < 40; ++i) {
        bank.idleCheck();
        sleepFor(10ms);
    }
    EXPECT_FALSE(bank.devicePaused());
}

}  // namespace
}  // namespace vornakka
