// Every sound the scene loads reads through the game's wave reader in the one
// format the slots take, of a length that fits its event, audible and without clicks.
#include "DataFiles.h"
#include "devices/sound/WaveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using kv::testdata::GameData;

TEST(SoundData, EverySoundIsPcm22050StereoOfItsLengthAudibleAndClickFree) {
    struct Expected {
        std::string file;
        double minS, maxS;
    };
    std::vector<Expected> sounds = {{"xruk.wav", 0.3, 1.0},
                                    {"2gobly.wav", 0.05, 0.2},
                                    {"stenka.wav", 0.1, 0.4},
                                    {"win.wav", 1.5, 3.0}};
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i) + ".wav";
        sounds.push_back({"gobla" + n, 0.8, 2.0});
        sounds.push_back({"poswinu" + n, 0.3, 0.8});
        sounds.push_back({"pot" + n, 0.5, 1.5});
    }
    for (const Expected& e : sounds) {
        SCOPED_TRACE(e.file);
        const std::string path = GameData("sound/" + e.file);
        kv::WaveData w;
        std::string err;
        ASSERT_TRUE(kv::ReadWaveFile(path, w, err)) << err;
        EXPECT_EQ(w.channels, 2);
        EXPECT_EQ(w.rate, 22050);
        EXPECT_EQ(w.bits, 16);
        const std::string bytes = kv::testdata::ReadBytes(path);
        EXPECT_EQ(kv::testdata::U32(bytes, 4), bytes.size() - 8); // RIFF size
        EXPECT_EQ(kv::testdata::U32(bytes, 28), 88200u);          // byte rate

        std::vector<int16_t> s(w.pcm.size() / 2);
        std::memcpy(s.data(), w.pcm.data(), s.size() * 2);
        const size_t n = s.size();
        EXPECT_GE(n / 2.0 / 22050, e.minS);
        EXPECT_LE(n / 2.0 / 22050, e.maxS);
        int peak = 0;
        for (int16_t v : s)
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_GT(peak, 0.3 * 32767);
        for (size_t i : {size_t{0}, size_t{1}, n - 2, n - 1})
            EXPECT_LT(std::abs(static_cast<int>(s[i])), 200) << "click at sample " << i;
    }
}

} // namespace
