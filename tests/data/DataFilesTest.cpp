// The names list has the lines its reader expects, and the generators in tools/ reproduce the
// committed files byte for byte.
#include "DataFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using kv::testdata::GameData;
using kv::testdata::ReadBytes;

// The names list is one name a CR LF line; a blank line would make the picker's
// line count and its reading disagree.
TEST(DataFiles, NamesListHasCrLfLinesAndNoBlankOrRepeatedOnes) {
    const std::string b = ReadBytes(GameData("zvr.nam"));
    std::set<std::string> seen;
    size_t start = 0;
    for (size_t end; (end = b.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = b.substr(start, end - start);
        ASSERT_FALSE(line.empty());
        EXPECT_TRUE(seen.insert(line).second) << line;
    }
    EXPECT_EQ(start, b.size());
    EXPECT_EQ(seen.size(), 100u);
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
