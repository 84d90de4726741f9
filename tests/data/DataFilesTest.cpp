// The names list is in the format its reader expects, and the generators in tools/ reproduce the
// committed files byte for byte.
#include "DataFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using kv::testdata::GameData;
using kv::testdata::ReadBytes;

// The names list is Windows-1251 text, one name a CR LF line; a blank line would
// make the picker's line count and its reading disagree.
TEST(DataFiles, NamesListIsCp1251WithCrLfAndNoBlankLines) {
    const std::string b = ReadBytes(GameData("zvr.nam"));
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b.substr(b.size() - 2), "\r\n");
    std::set<std::string> seen;
    size_t start = 0, lines = 0;
    for (size_t end; (end = b.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = b.substr(start, end - start);
        ++lines;
        SCOPED_TRACE(line);
        ASSERT_FALSE(line.empty());
        EXPECT_LE(line.size(), 50u); // the picker keeps 50 characters
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
        bool cyrillic = false;
        for (unsigned char c : line) {
            // Cyrillic letters of Windows-1251 (Ё, ё, А..я), or plain ASCII letters.
            EXPECT_TRUE(c >= 0xC0 || c == 0xA8 || c == 0xB8 || std::isalpha(c) || c == '-' ||
                        c == ' ')
                << "byte " << static_cast<int>(c); // also no bare CR or LF
            cyrillic |= c >= 0xC0;
        }
        EXPECT_TRUE(cyrillic);
        EXPECT_TRUE(seen.insert(line).second) << "duplicate name";
    }
    EXPECT_EQ(start, b.size());
    EXPECT_EQ(lines, 100u);
}

// Runs every generator into a fresh folder; each committed file must come out
// identical, and no mesh or sound may be committed that no generator makes.
TEST(DataFiles, GeneratorsReproduceTheCommittedFiles) {
    const fs::path out = fs::temp_directory_path() / ("kv-gamedata-" + std::to_string(getpid()));
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
        for (const auto& e : fs::directory_iterator(GameData(dir)))
            EXPECT_TRUE(generated.count(std::string(dir) + "/" + e.path().filename().string()))
                << e.path() << " is made by no generator";
    EXPECT_EQ(generated.size(), 37u);
    fs::remove_all(out);
}

} // namespace
