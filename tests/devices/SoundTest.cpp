// The sound slots over OpenAL Soft's "null" output, which plays and stops
// sources like a real card without one; the wave reader and the gain.
#include "WaveBytes.h"
#include "devices/sound/AlSoundBank.h"
#include "devices/sound/WaveFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

const bool kNullDriver = [] { return setenv("ALSOFT_DRIVERS", "null", 1) == 0; }();

namespace fs = std::filesystem;

TEST(SoundGain, AttenuationInHundredthsOfADecibel) {
    // Louder than full is full; far below the floor is silence, never a wrap.
    const std::pair<kv::i32, float> cases[] = {{0, 1.0f},   {-2000, 0.1f},  {-4000, 0.01f},
                                               {500, 1.0f}, {-10000, 0.0f}, {-2000000000, 0.0f}};
    for (const auto& [mb, gain] : cases)
        EXPECT_FLOAT_EQ(kv::GainOfAttenuation(mb), gain) << mb;
}

TEST(WaveFile, RejectsForeignAndCutFiles) {
    auto notWave = kvtest::Wave(10);
    notWave[8] = 'X';
    std::vector<std::vector<std::uint8_t>> bad = {notWave};
    // Cut anywhere: never read past the end, always a clear refusal.
    const auto whole = kvtest::Wave(100);
    for (std::size_t n = 0; n < whole.size(); n += 7)
        bad.emplace_back(whole.begin(), whole.begin() + static_cast<long>(n));
    kv::WaveData w;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        std::string err;
        EXPECT_FALSE(kv::ParseWave(bad[i], w, err)) << i;
        EXPECT_FALSE(err.empty()) << i;
    }
}

class SoundSlots : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kv-sound-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        ASSERT_TRUE(bank.InitSound()) << bank.Error();
        EXPECT_TRUE(bank.HasDevice());
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return kvtest::WriteFile((dir_ / name).string(), bytes);
    }
    fs::path dir_;
    kv::AlSoundBank bank;
    std::string err;
};

TEST_F(SoundSlots, FifteenSlotsPlayAndStop) {
    const std::string longWave = File("long.wav", kvtest::Wave(22050 * 10)); // 10 s
    for (int slot = 0; slot < kv::kSoundSlots; ++slot) {
        EXPECT_FALSE(bank.SlotLoaded(slot));
        ASSERT_TRUE(bank.LoadSound(longWave, slot, err)) << err;
        EXPECT_TRUE(bank.SlotLoaded(slot));
    }
    EXPECT_FALSE(bank.LoadSound(longWave, 15, err));
    EXPECT_FALSE(bank.LoadSound(longWave, -1, err));
    EXPECT_FALSE(bank.SlotLoaded(15));

    bank.PlaySound(9, -10);
    EXPECT_FLOAT_EQ(bank.SlotGain(9), kv::GainOfAttenuation(-10));
    for (int slot = 0; slot < kv::kSoundSlots; ++slot)
        EXPECT_EQ(bank.SlotPlaying(slot), slot == 9) << slot;
    // Played again while playing, it goes on where it is, at the new volume.
    for (int i = 0; i < 200 && bank.SlotSeconds(9) < 0.2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const double at = bank.SlotSeconds(9);
    ASSERT_GE(at, 0.2);
    bank.PlaySound(9, -2000);
    EXPECT_GE(bank.SlotSeconds(9), at);
    EXPECT_FLOAT_EQ(bank.SlotGain(9), 0.1f);
    bank.StopSound(9, true);
    EXPECT_FALSE(bank.SlotPlaying(9));
    // All-stop stops all.
    bank.PlaySound(3, 0);
    bank.PlaySound(14, -7);
    bank.StopAll();
    for (int slot = 0; slot < kv::kSoundSlots; ++slot)
        EXPECT_FALSE(bank.SlotPlaying(slot)) << slot;

    // A short sound plays once and ends by itself (no looping).
    ASSERT_TRUE(bank.LoadSound(File("short.wav", kvtest::Wave(441)), 8, err)) << err; // 20 ms
    bank.PlaySound(8, -10);
    for (int i = 0; i < 200 && bank.SlotPlaying(8); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(bank.SlotPlaying(8));
    bank.PlaySound(15, 0); // out of range: ignored
}

TEST_F(SoundSlots, LoadingReplacesTheSlotAndRefusesBadFiles) {
    ASSERT_TRUE(bank.LoadSound(File("a.wav", kvtest::Wave(22050 * 10)), 3, err)) << err;
    bank.PlaySound(3, 0);
    // Loading while playing replaces the buffer; the old sound stops.
    ASSERT_TRUE(bank.LoadSound(File("b.wav", kvtest::Wave(100, 1, 11025, 8)), 3, err)) << err;
    EXPECT_FALSE(bank.SlotPlaying(3));
    EXPECT_TRUE(bank.SlotLoaded(3));

    auto damaged = kvtest::Wave(100);
    damaged.resize(30);
    EXPECT_FALSE(bank.LoadSound(File("bad.wav", damaged), 4, err));
    EXPECT_NE(err.find("bad.wav"), std::string::npos);
    EXPECT_FALSE(bank.SlotLoaded(4));
    // A failed load keeps what the slot held.
    EXPECT_FALSE(bank.LoadSound((dir_ / "none.wav").string(), 3, err));
    EXPECT_TRUE(bank.SlotLoaded(3));
}

} // namespace
