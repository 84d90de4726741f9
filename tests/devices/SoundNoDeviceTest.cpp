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
    bank.PlaySound(0, -10);
    EXPECT_FALSE(bank.SlotPlaying(0));
    bank.StopAll();
    std::filesystem::remove_all(dir);
}

} // namespace
