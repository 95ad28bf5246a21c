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

using testing::ToneFolder;
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
    ToneFolder folder;
    folder.tone(SoundCue::Voitto, 1.0);
    OpenAlSoundBank bank;
    EXPECT_FALSE(bank.isOpen(SoundCue::Voitto));
    bank.open(SoundCue::Voitto);
    ASSERT_TRUE(bank.isOpen(SoundCue::Voitto));
    EXPECT_NEAR(bank.lengthSeconds(SoundCue::Voitto), 1.0, 1e-6);
    EXPECT_FALSE(bank.isPlaying(SoundCue::Voitto));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), 0.0);

    // The mixer runs in real time but may be kept waiting on a busy machine:
    // the cue is stopped once it has played a while, not after a fixed time.
    bank.play(SoundCue::Voitto);
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Voitto) > 0.2; }));
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
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Voitto) > halfWay; }));

    // It then plays to its end and stops there by itself.
    EXPECT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Voitto); }));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), 0.0);
}

TEST(SoundBank, PlayAfterTheEndStartsOverAndPlayWhileSoundingGoesOn) {
    ToneFolder folder;
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

TEST(SoundBank, SeveralCuesSoundAtOnceAndKeepTheDeviceAwake) {
    ToneFolder folder;
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

    // The device sleeps only once every cue is silent: with the others
    // stopped and satan (the high-score window's) sounding, it runs on.
    bank.open(SoundCue::satan);
    EXPECT_FALSE(bank.devicePaused());
    bank.stop(SoundCue::Voitto);
    bank.stop(SoundCue::Koss);
    bank.play(SoundCue::satan);
    sleepFor(400ms);
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_GT(bank.positionSeconds(SoundCue::satan), 0.2);
    bank.play(SoundCue::Voitto);
    bank.stop(SoundCue::satan);
    EXPECT_TRUE(bank.isPlaying(SoundCue::Voitto));
    const double before = bank.positionSeconds(SoundCue::Voitto);
    sleepFor(100ms);
    EXPECT_GT(bank.positionSeconds(SoundCue::Voitto), before);
}

// A bank opens its device on a helper thread as soon as it is made (the
// program makes it before Qt starts), and its first open takes that device.
// A bank never opened closes its device without harm, and one made after
// another has gone opens a device of its own.
TEST(SoundBank, TheDeviceOpenedOnAHelperThreadServesTheCues) {
    ToneFolder folder;
    folder.tone(SoundCue::Welcome, 1.0);
    folder.tone(SoundCue::Koss, 1.0);

    { const OpenAlSoundBank unused; }
    {
        OpenAlSoundBank bank;
        bank.open(SoundCue::Welcome);
        EXPECT_TRUE(bank.devicePaused());  // nothing has sounded yet
        bank.play(SoundCue::Welcome);
        EXPECT_TRUE(bank.isPlaying(SoundCue::Welcome));
        bank.open(SoundCue::Koss);  // opened while another cue sounds
        bank.play(SoundCue::Koss);
        EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Koss) > 0.05; }));
        EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Welcome) > 0.05; }));
        EXPECT_TRUE(bank.isPlaying(SoundCue::Welcome));
    }
    OpenAlSoundBank later;
    later.open(SoundCue::Welcome);
    later.play(SoundCue::Welcome);
    EXPECT_TRUE(later.isPlaying(SoundCue::Welcome));
}

TEST(SoundBank, FilesThatCannotBeUsedFailAtOpenWithTheLibraryText) {
    ToneFolder folder;
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
    ToneFolder folder;
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
    // While it sounds the device runs on, and the cue really advances (a
    // paused device would freeze it in "playing"). The woken mixer starts a
    // thread of its own, late on a busy machine: wait for the position.
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(bank.devicePaused());
        sleepFor(10ms);
    }
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Welcome) > 0.03; }));

    // After its end the device runs on for the grace period, then pauses by
    // itself. The grace counts from the end, which came after the cue was
    // last seen sounding: unless this thread was held up for the whole
    // grace, the device cannot have paused yet when the end is seen.
    auto lastSounding = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitUntil([&] {
        if (!bank.isPlaying(SoundCue::Welcome)) return true;
        lastSounding = std::chrono::steady_clock::now();
        return false;
    }));
    const bool pausedAtTheEnd = bank.devicePaused();
    if (std::chrono::steady_clock::now() - lastSounding < OpenAlSoundBank::kIdleGrace) {
        EXPECT_FALSE(pausedAtTheEnd);
    }
    EXPECT_TRUE(waitUntil([&] { return bank.devicePaused(); }));

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
    ASSERT_TRUE(waitUntil([&] { return bank.devicePaused(); }));
    EXPECT_EQ(bank.positionSeconds(SoundCue::Voitto), halfWay);
    bank.play(SoundCue::Voitto);
    EXPECT_FALSE(bank.devicePaused());
    EXPECT_TRUE(waitUntil([&] { return bank.positionSeconds(SoundCue::Voitto) > halfWay; }));
    bank.stop(SoundCue::Voitto);

    // With the pause switched off the device runs on in silence.
    bank.setIdlePause(false);
    sleepFor(OpenAlSoundBank::kIdleGrace + 150ms);
    EXPECT_FALSE(bank.devicePaused());
}

// The device pauses itself on a thread of its own. A play that comes as it
// does must still wake it: the cue then plays to its end, where under a
// paused device it would stay "playing" for ever, never heard.
TEST(SoundBank, APlayAsTheDevicePausesItselfIsHeard) {
    ToneFolder folder;
    folder.tone(SoundCue::Lukitus, 0.05);
    OpenAlSoundBank bank;
    bank.open(SoundCue::Lukitus);
    for (int i = 0; i < 8; ++i) {
        bank.play(SoundCue::Lukitus);
        EXPECT_FALSE(bank.devicePaused());
        ASSERT_TRUE(waitUntil([&] { return !bank.isPlaying(SoundCue::Lukitus); }, 1500ms)) << "play " << i;
        // Around the moment the device pauses: the grace, give or take a check.
        sleepFor(OpenAlSoundBank::kIdleGrace - 40ms + i * 10ms);
    }
}

}  // namespace
}  // namespace vornakka
