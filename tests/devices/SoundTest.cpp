// The sound slots over OpenAL Soft's "null" output, which plays and stops
// sources like a real card without one.
#include "WaveBytes.h"
#include "devices/sound/AlSoundBank.h"
#include "devices/sound/WaveFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

const bool kNullDriver = [] {
    setenv("ALSOFT_DRIVERS", "null", 1);
    return true;
}();

namespace fs = std::filesystem;

class SoundDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kv-sound-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string p = (dir_ / name).string();
        kvtest::WriteFile(p, bytes);
        return p;
    }
    fs::path dir_;
};

TEST(SoundGain, AttenuationInHundredthsOfADecibel) {
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(0), 1.0f);
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(-2000), 0.1f);
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(-4000), 0.01f);
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(-10), static_cast<float>(std::pow(10.0, -0.005)));
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(-600), static_cast<float>(std::pow(10.0, -0.3)));
    // Louder than full is full; far below the floor is silence, never a wrap.
    EXPECT_FLOAT_EQ(kv::GainOfAttenuation(500), 1.0f);
    EXPECT_EQ(kv::GainOfAttenuation(-10000), 0.0f);
    EXPECT_EQ(kv::GainOfAttenuation(-2000000000), 0.0f);
    for (int mb = 0; mb > -10000; mb -= 250)
        EXPECT_GT(kv::GainOfAttenuation(mb), kv::GainOfAttenuation(mb - 250)) << mb;
}

TEST(WaveFile, ReadsTheGameFormat) {
    kv::WaveData w;
    std::string err;
    ASSERT_TRUE(kv::ParseWave(kvtest::Wave(2205), w, err)) << err;
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 22050);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.pcm.size(), 2205u * 4);

    // Chunks before the data (a LIST of odd length, padded) are skipped.
    auto b = kvtest::Wave(10);
    std::vector<std::uint8_t> list;
    kvtest::PutTag(list, "LIST");
    kvtest::Put32(list, 3);
    list.insert(list.end(), {'a', 'b', 'c', 0});
    b.insert(b.begin() + 36, list.begin(), list.end());
    ASSERT_TRUE(kv::ParseWave(b, w, err)) << err;
    EXPECT_EQ(w.pcm.size(), 40u);
}

TEST(WaveFile, RejectsDamagedAndForeignFiles) {
    kv::WaveData w;
    std::string err;
    EXPECT_FALSE(kv::ParseWave({}, w, err));
    EXPECT_FALSE(err.empty());

    auto notWave = kvtest::Wave(10);
    notWave[8] = 'X';
    EXPECT_FALSE(kv::ParseWave(notWave, w, err));

    EXPECT_FALSE(kv::ParseWave(kvtest::Wave(10, 2, 22050, 16, 3), w, err)); // IEEE float
    EXPECT_NE(err.find("PCM"), std::string::npos);
    EXPECT_FALSE(kv::ParseWave(kvtest::Wave(10, 6, 22050, 16), w, err));
    EXPECT_FALSE(kv::ParseWave(kvtest::Wave(10, 2, 22050, 24), w, err));

    // Cut anywhere: never read past the end, always a clear refusal.
    const auto whole = kvtest::Wave(100);
    for (std::size_t n = 0; n < whole.size(); n += 7) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(n));
        EXPECT_FALSE(kv::ParseWave(cut, w, err)) << n;
    }

    // A data length that claims more than the file holds.
    auto lying = kvtest::Wave(10);
    lying[40] = 0xFF;
    lying[41] = 0xFF;
    EXPECT_FALSE(kv::ParseWave(lying, w, err));
}

TEST_F(SoundDir, MissingFileIsAnErrorNamingIt) {
    kv::WaveData w;
    std::string err;
    const std::string p = (dir_ / "net.wav").string();
    EXPECT_FALSE(kv::ReadWaveFile(p, w, err));
    EXPECT_NE(err.find("net.wav"), std::string::npos);
}

TEST_F(SoundDir, FifteenSlotsPlayAndStop) {
    kv::AlSoundBank bank;
    ASSERT_TRUE(bank.InitSound()) << bank.Error();
    EXPECT_TRUE(bank.HasDevice());

    const std::string shortWave = File("short.wav", kvtest::Wave(441));      // 20 ms
    const std::string longWave = File("long.wav", kvtest::Wave(22050 * 10)); // 10 s
    std::string err;
    for (int slot = 0; slot < kv::kSoundSlots; ++slot) {
        EXPECT_FALSE(bank.SlotLoaded(slot));
        ASSERT_TRUE(bank.LoadSound(longWave, slot, err)) << err;
        EXPECT_TRUE(bank.SlotLoaded(slot));
    }
    EXPECT_FALSE(bank.LoadSound(longWave, 15, err));
    EXPECT_FALSE(bank.LoadSound(longWave, -1, err));
    EXPECT_FALSE(bank.SlotLoaded(15));

    bank.PlaySound(9, -10);
    EXPECT_TRUE(bank.SlotPlaying(9));
    EXPECT_FLOAT_EQ(bank.SlotGain(9), kv::GainOfAttenuation(-10));
    for (int slot = 0; slot < kv::kSoundSlots; ++slot) {
        EXPECT_EQ(bank.SlotPlaying(slot), slot == 9) << slot;
    }

    // Playing again sets the new volume; stopping with rewind silences it.
    bank.PlaySound(9, -7);
    EXPECT_FLOAT_EQ(bank.SlotGain(9), kv::GainOfAttenuation(-7));
    EXPECT_TRUE(bank.SlotPlaying(9));
    bank.StopSound(9, true);
    EXPECT_FALSE(bank.SlotPlaying(9));

    // Stopping without rewind, then playing, goes on; all-stop stops all.
    bank.PlaySound(3, 0);
    bank.StopSound(3, false);
    EXPECT_FALSE(bank.SlotPlaying(3));
    bank.PlaySound(3, 0);
    EXPECT_TRUE(bank.SlotPlaying(3));
    bank.PlaySound(14, -7);
    bank.StopAll();
    for (int slot = 0; slot < kv::kSoundSlots; ++slot)
        EXPECT_FALSE(bank.SlotPlaying(slot)) << slot;

    // A short sound plays once and ends by itself (no looping).
    ASSERT_TRUE(bank.LoadSound(shortWave, 8, err)) << err;
    bank.PlaySound(8, -10);
    for (int i = 0; i < 200 && bank.SlotPlaying(8); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(bank.SlotPlaying(8));

    // Out-of-range slots are ignored.
    bank.PlaySound(15, 0);
    bank.PlaySound(-1, 0);
    bank.StopSound(99, true);
}

TEST_F(SoundDir, LoadingReplacesTheSlotAndRefusesBadFiles) {
    kv::AlSoundBank bank;
    ASSERT_TRUE(bank.InitSound()) << bank.Error();
    std::string err;
    const std::string a = File("a.wav", kvtest::Wave(22050 * 10));
    ASSERT_TRUE(bank.LoadSound(a, 3, err)) << err;
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
    EXPECT_FALSE(bank.LoadSound((dir_ / "none.wav").string(), 5, err));

    // A failed load keeps what the slot held.
    EXPECT_FALSE(bank.LoadSound((dir_ / "none.wav").string(), 3, err));
    EXPECT_TRUE(bank.SlotLoaded(3));
}

TEST_F(SoundDir, EmptySlotsDoNothing) {
    kv::AlSoundBank bank;
    ASSERT_TRUE(bank.InitSound()) << bank.Error();
    for (int slot = 0; slot < kv::kSoundSlots; ++slot) {
        bank.PlaySound(slot, 0);
        bank.StopSound(slot, false);
        bank.StopSound(slot, true);
        EXPECT_FALSE(bank.SlotPlaying(slot));
    }
}

} // namespace
