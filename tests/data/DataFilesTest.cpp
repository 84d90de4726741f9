// The names list has the lines its reader expects, and the generators in tools/ reproduce the
// committed files byte for byte.
#include "DataFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>

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
// identical, and no mesh, sound or picture may be committed that no generator makes.
TEST(DataFiles, GeneratorsReproduceTheCommittedFiles) {
    const fs::path tmp = fs::temp_directory_path() / ("kv-gamedata-" + std::to_string(getpid()));
    const fs::path out = tmp / "gamedata", icons = tmp / "icons";
    fs::remove_all(tmp);
    const std::string gamedataArg = " \"" + out.string() + "\"";
    const std::pair<const char*, std::string> runs[] = {
        {KV_GEN_MESHES, gamedataArg},
        {KV_GEN_TEXTURES, gamedataArg},
        {KV_GEN_SOUNDS, gamedataArg},
        {KV_GEN_NAMES, gamedataArg},
        {KV_GEN_PICTURES, gamedataArg + " \"" + icons.string() + "\""}};
    for (const auto& [gen, args] : runs) {
        const std::string cmd = std::string("\"") + gen + "\"" + args;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    auto compare = [](const fs::path& made, const std::string& committed) {
        std::set<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(made)) {
            if (!e.is_regular_file()) continue;
            const std::string rel = fs::relative(e.path(), made).generic_string();
            files.insert(rel);
            EXPECT_TRUE(ReadBytes(e.path().string()) == ReadBytes(committed + "/" + rel))
                << rel << " differs";
        }
        return files;
    };
    const std::set<std::string> generated = compare(out, KV_GAMEDATA_DIR);
    for (const char* dir : {"mesh", "sound", "pic", "splash"})
        for (const auto& e : fs::recursive_directory_iterator(GameData(dir)))
            EXPECT_TRUE(e.is_directory() ||
                        generated.count(fs::relative(e.path(), KV_GAMEDATA_DIR).generic_string()))
                << e.path() << " is made by no generator";
    EXPECT_EQ(generated.size(), 60u);
    const std::set<std::string> madeIcons = compare(icons, KV_ICONS_DIR);
    for (const auto& e : fs::directory_iterator(KV_ICONS_DIR))
        EXPECT_TRUE(madeIcons.count(e.path().filename().string()))
            << e.path() << " is made by no generator";
    EXPECT_EQ(madeIcons.size(), 5u);
    fs::remove_all(tmp);
}

} // namespace
