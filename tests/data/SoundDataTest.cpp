// Every sound the scene loads is a wave file in the one format the sound slots
// take, of a length that fits its event, audible and without clicks.
#include "DataFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using kv::testdata::GameData;
using kv::testdata::ReadBytes;
using kv::testdata::U16;
using kv::testdata::U32;

struct Wave {
    bool ok = false;
    std::string error;
    unsigned format = 0, channels = 0, bits = 0, align = 0;
    unsigned long rate = 0, byteRate = 0;
    std::vector<int16_t> samples; // interleaved
    double Seconds() const { return samples.size() / 2.0 / 22050.0; }
};

Wave Parse(const std::string& b) {
    Wave w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        w.error = "no RIFF/WAVE header";
        return w;
    }
    if (U32(b, 4) != b.size() - 8) {
        w.error = "RIFF size does not match the file";
        return w;
    }
    bool fmt = false, data = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const unsigned long size = U32(b, at + 4);
        if (at + 8 + size > b.size()) {
            w.error = "chunk " + id + " runs past the end";
            return w;
        }
        if (id == "fmt " && size >= 16) {
            w.format = U16(b, at + 8);
            w.channels = U16(b, at + 10);
            w.rate = U32(b, at + 12);
            w.byteRate = U32(b, at + 16);
            w.align = U16(b, at + 20);
            w.bits = U16(b, at + 22);
            fmt = true;
        } else if (id == "data") {
            if (size % 4 != 0) {
                w.error = "partial sample frame";
                return w;
            }
            for (size_t i = 0; i < size; i += 2)
                w.samples.push_back(static_cast<int16_t>(U16(b, at + 8 + i)));
            data = true;
        }
        at += 8 + size + (size & 1);
    }
    w.ok = fmt && data;
    if (!w.ok) w.error = "fmt or data chunk missing";
    return w;
}

struct Expected {
    const char* file;
    double minS, maxS;
    bool instant; // heard on the very tick it is played
};

const Expected kSounds[] = {
    {"gobla0.wav", 0.8, 2.0, false},   {"gobla1.wav", 0.8, 2.0, false},
    {"gobla2.wav", 0.8, 2.0, false},   {"gobla3.wav", 0.8, 2.0, false},
    {"poswinu0.wav", 0.3, 0.8, false}, {"poswinu1.wav", 0.3, 0.8, false},
    {"poswinu2.wav", 0.3, 0.8, false}, {"poswinu3.wav", 0.3, 0.8, false},
    {"pot0.wav", 0.5, 1.5, false},     {"pot1.wav", 0.5, 1.5, false},
    {"pot2.wav", 0.5, 1.5, false},     {"pot3.wav", 0.5, 1.5, false},
    {"xruk.wav", 0.3, 1.0, false},     {"2gobly.wav", 0.05, 0.2, true},
    {"stenka.wav", 0.1, 0.4, true},    {"win.wav", 1.5, 3.0, false},
};

TEST(SoundData, EverySoundIsPcm22050StereoOfItsLength) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        const Wave w = Parse(ReadBytes(GameData(std::string("sound/") + e.file)));
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_EQ(w.format, 1u);
        EXPECT_EQ(w.channels, 2u);
        EXPECT_EQ(w.rate, 22050u);
        EXPECT_EQ(w.bits, 16u);
        EXPECT_EQ(w.align, 4u);
        EXPECT_EQ(w.byteRate, 88200u);
        EXPECT_GE(w.Seconds(), e.minS);
        EXPECT_LE(w.Seconds(), e.maxS);
    }
}

TEST(SoundData, SoundsAreAudibleStartOnTimeAndEndQuietly) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        const Wave w = Parse(ReadBytes(GameData(std::string("sound/") + e.file)));
        ASSERT_TRUE(w.ok) << w.error;
        int peak = 0;
        for (int16_t s : w.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 0.3 * 32767);
        // Both channels carry the sound.
        for (int ch = 0; ch < 2; ++ch) {
            int chPeak = 0;
            for (size_t i = ch; i < w.samples.size(); i += 2)
                chPeak = std::max(chPeak, std::abs(static_cast<int>(w.samples[i])));
            EXPECT_GT(chPeak, 0.1 * 32767) << "channel " << ch;
        }
        // A knock must be heard at once: loud within its first 10 ms.
        if (e.instant) {
            int early = 0;
            for (size_t i = 0; i < std::min<size_t>(w.samples.size(), 2 * 220); ++i)
                early = std::max(early, std::abs(static_cast<int>(w.samples[i])));
            EXPECT_GT(early, peak / 2);
        }
        // No click at either end.
        EXPECT_LT(std::abs(static_cast<int>(w.samples[0])), 200);
        EXPECT_LT(std::abs(static_cast<int>(w.samples[1])), 200);
        const size_t n = w.samples.size();
        for (size_t i = n - 2; i < n; ++i)
            EXPECT_LT(std::abs(static_cast<int>(w.samples[i])), 200);
    }
}

} // namespace
