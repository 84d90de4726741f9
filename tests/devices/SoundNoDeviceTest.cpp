// With no sound device the bank opens nothing, reports once, and stays silent;
// the wave files are still checked so that a broken one is noticed.
#include "WaveBytes.h"
#include "devices/sound/AlSoundBank.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

const bool kNoDriver = [] { return setenv("ALSOFT_DRIVERS", "kv-no-such-driver", 1) == 0; }();

TEST(SoundNoDevice, RunsSilently) {
    kv::AlSoundBank bank;
    EXPECT_FALSE(bank.InitSound());
    EXPECT_FALSE(bank.HasDevice());
    EXPECT_FALSE(bank.Error().empty());
    EXPECT_EQ(bank.Error().find('\n'), std::string::npos); // one log line

    const auto dir = std::filesystem::temp_directory_path() / "kv-sound-nodevice";
    std::filesystem::create_directories(dir);
    const std::string good = kvtest::WriteFile((dir / "gobla0.wav").string(), kvtest::Wave(2205));
    std::string err;
    EXPECT_TRUE(bank.LoadSound(good, 0, err)) << err;
    EXPECT_FALSE(bank.LoadSound((dir / "missing.wav").string(), 1, err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(bank.LoadSound(good, 15, err));
    for (int slot = -1; slot <= kv::kSoundSlots; ++slot) {
        bank.PlaySound(slot, -10);
        bank.StopSound(slot, true);
        bank.StopSound(slot, false);
        EXPECT_FALSE(bank.SlotPlaying(slot));
    }
    bank.StopAll();
    // A second try (the options screen switching sound on again) fails the same way.
    EXPECT_FALSE(bank.InitSound());
    std::filesystem::remove_all(dir);
}

} // namespace
