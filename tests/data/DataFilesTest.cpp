// Textures and the names list are in the formats their readers expect, every
// data file has the name the game looks for, and the generators in tools/
// reproduce the committed files byte for byte.
#include "DataFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kv::testdata::GameData;
using kv::testdata::ReadBytes;
using kv::testdata::U16;
using kv::testdata::U32;

bool PowerOfTwo(long v) {
    return v > 0 && (v & (v - 1)) == 0;
}

TEST(DataFiles, TexturesAre24BitPowerOfTwoBitmaps) {
    for (const char* rel : {"mesh/goblatable.bmp", "pic/mingerb.bmp"}) {
        SCOPED_TRACE(rel);
        const std::string b = ReadBytes(GameData(rel));
        ASSERT_GE(b.size(), 54u);
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(U32(b, 2), b.size());
        const unsigned long offset = U32(b, 10);
        EXPECT_EQ(U32(b, 14), 40u); // BITMAPINFOHEADER
        const long w = static_cast<long>(U32(b, 18)), h = static_cast<long>(U32(b, 22));
        EXPECT_TRUE(PowerOfTwo(w)) << w;
        EXPECT_TRUE(PowerOfTwo(h)) << h;
        EXPECT_EQ(U16(b, 26), 1u);
        EXPECT_EQ(U16(b, 28), 24u);
        EXPECT_EQ(U32(b, 30), 0u); // uncompressed
        const unsigned long stride = (w * 3 + 3) & ~3L;
        ASSERT_EQ(b.size(), offset + stride * h);
        // A picture, not a flat fill.
        std::set<std::string> colours;
        for (unsigned long i = offset; i + 3 <= b.size() && colours.size() < 50; i += 3 * 97)
            colours.insert(b.substr(i, 3));
        EXPECT_GE(colours.size(), 20u);
    }
}

// The names list is read as Windows-1251 text, one name a line; a blank line
// would make the picker's line count and its reading disagree.
TEST(DataFiles, NamesListIsCp1251WithCrLfAndNoBlankLines) {
    const std::string b = ReadBytes(GameData("zvr.nam"));
    ASSERT_FALSE(b.empty());
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b.substr(b.size() - 2), "\r\n");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\n') {
            ASSERT_GT(i, 0u);
            ASSERT_EQ(b[i - 1], '\r') << "bare LF at byte " << i;
            lines.push_back(b.substr(start, i - 1 - start));
            start = i + 1;
        } else if (b[i] == '\r') {
            ASSERT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_EQ(start, b.size());
    EXPECT_EQ(lines.size(), 100u);
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        EXPECT_FALSE(line.empty());
        EXPECT_LE(line.size(), 50u); // the picker keeps 50 characters
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
        bool cyrillic = false;
        for (unsigned char c : line) {
            // Cyrillic letters of Windows-1251 (Ё, ё, А..я), or plain ASCII letters.
            const bool ok =
                c >= 0xC0 || c == 0xA8 || c == 0xB8 || std::isalpha(c) || c == '-' || c == ' ';
            EXPECT_TRUE(ok) << "byte " << static_cast<int>(c);
            cyrillic |= c >= 0xC0;
        }
        EXPECT_TRUE(cyrillic);
        EXPECT_TRUE(seen.insert(line).second) << "duplicate name";
    }
}

TEST(DataFiles, EveryFileTheSceneLoadsIsThereInLowerCase) {
    std::vector<std::string> wanted = {"mesh/goblatable.x",
                                       "mesh/goblatable.bmp",
                                       "mesh/nozhka.x",
                                       "mesh/border1.x",
                                       "mesh/pipa.x",
                                       "mesh/pot.x",
                                       "mesh/ball.x",
                                       "mesh/point.x",
                                       "mesh/centerpoint.x",
                                       "mesh/lamp.x",
                                       "mesh/swin.x",
                                       "pic/mingerb.bmp",
                                       "sound/xruk.wav",
                                       "sound/2gobly.wav",
                                       "sound/stenka.wav",
                                       "sound/win.wav",
                                       "zvr.nam"};
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        wanted.push_back("mesh/gobla" + n + ".x");
        wanted.push_back("mesh/gobla" + n + "_gray.x");
        wanted.push_back("sound/gobla" + n + ".wav");
        wanted.push_back("sound/poswinu" + n + ".wav");
        wanted.push_back("sound/pot" + n + ".wav");
    }
    for (const std::string& rel : wanted)
        EXPECT_TRUE(fs::is_regular_file(GameData(rel))) << rel;

    std::uintmax_t total = 0;
    for (const char* dir : {"mesh", "sound"})
        for (const auto& e : fs::directory_iterator(GameData(dir))) {
            const std::string name = e.path().filename().string();
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            EXPECT_EQ(name, lower);
        }
    for (const std::string& rel : wanted)
        total += fs::file_size(GameData(rel));
    EXPECT_LT(total, 5u * 1024 * 1024);
}

// Runs every generator into a fresh folder; each committed file must come out
// identical, and no mesh or sound may be committed that no generator makes.
TEST(DataFiles, GeneratorsReproduceTheCommittedFiles) {
    const fs::path out =
        fs::temp_directory_path() / ("kv-gamedata-" + std::to_string(static_cast<long>(getpid())));
    fs::remove_all(out);
    for (const char* gen : {KV_GEN_MESHES, KV_GEN_TEXTURES, KV_GEN_SOUNDS, KV_GEN_NAMES}) {
        const std::string cmd = std::string("\"") + gen + "\" \"" + out.string() + "\"";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    std::set<std::string> generated;
    for (const auto& e : fs::recursive_directory_iterator(out)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = fs::relative(e.path(), out).generic_string();
        generated.insert(rel);
        EXPECT_TRUE(ReadBytes(e.path().string()) == ReadBytes(GameData(rel))) << rel << " differs";
    }
    for (const char* dir : {"mesh", "sound"})
        for (const auto& e : fs::directory_iterator(GameData(dir))) {
            const std::string rel = std::string(dir) + "/" + e.path().filename().string();
            EXPECT_TRUE(generated.count(rel)) << rel << " is made by no generator";
        }
    EXPECT_EQ(generated.size(), 37u);
    fs::remove_all(out);
}

} // namespace
