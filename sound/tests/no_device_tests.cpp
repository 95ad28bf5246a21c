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
    EXPECT_FALSE(bank.isPlaying(SoundCue::Welcome));
}

// The device's failure on its helper thread ends quietly in a bank never
// opened; in a bank that opens, every open fails, the first and the later.
TEST(SoundBankWithoutDevice, EveryOpenFailsAndAnUnopenedBankEndsQuietly) {
    testing::ToneFolder folder;
    folder.tone(SoundCue::Welcome, 0.2);
    { const OpenAlSoundBank unused; }
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
