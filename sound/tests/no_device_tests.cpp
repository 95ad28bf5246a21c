// With no usable audio driver, opening a player fails with a clear
// MediaError instead of a crash or a silent success.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "openal_sound_bank.h"
#include "test_tones.h"
#include "vornakka/failure.h"

namespace vornakka {
namespace {

void expectNoDeviceAtOpen(OpenAlSoundBank& bank) {
    try {
        bank.open(SoundCue::Welcome);
        FAIL() << "opened without an audio device";
    } catch (const MediaError& e) {
        EXPECT_STREQ(e.what(),
                     "No sound output device was found: OpenAL Soft had no sound back-end to try "
                     "(ALSOFT_DRIVERS is \"no-such-driver\").");
    }
    EXPECT_FALSE(bank.isOpen(SoundCue::Welcome));
}

TEST(SoundBankWithoutDevice, OpenFailsWithMediaError) {
    testing::ToneFolder folder;
    folder.tone(SoundCue::Welcome, 0.2);
    OpenAlSoundBank bank;
    expectNoDeviceAtOpen(bank);
    EXPECT_FALSE(bank.devicePaused());
    bank.play(SoundCue::Welcome);
    bank.idleCheck();
    EXPECT_FALSE(bank.isPlaying(SoundCue::Welcome));
}

// A device warmed up on a helper thread fails the same way, at the first
// open, and a failed warm-up nobody asked for ends quietly.
TEST(SoundBankWithoutDevice, WarmedUpDeviceFailsAtTheFirstOpen) {
    testing::ToneFolder folder;
    folder.tone(SoundCue::Welcome, 0.2);
    { const OpenAlSoundBank::DeviceWarmUp unused; }
    const OpenAlSoundBank::DeviceWarmUp audio;
    OpenAlSoundBank bank;
    expectNoDeviceAtOpen(bank);
    EXPECT_THROW(bank.open(SoundCue::Welcome), MediaError);
}

}  // namespace
}  // namespace vornakka

int main(int argc, char** argv) {
    // A driver list naming no real driver leaves OpenAL without any device.
    setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
