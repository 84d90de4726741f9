#include "persistence/Folders.h"
#include "FakeDialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kv {
namespace {

namespace fs = std::filesystem;
using test::TempHome;

void MakeGameData(const fs::path& dir) {
    fs::create_directories(dir / "mesh");
    std::ofstream(dir / "zvr.nam") << "1\r\n";
}

// An installed tree, a build tree's program with its marker, and the source
// tree the marker names.
struct Trees {
    TempHome root;
    fs::path prefix = fs::path(root.Dir()) / "prefix";
    fs::path bin = prefix / "bin";
    fs::path installed = prefix / "share" / "kvelmar2";
    fs::path buildBin = fs::path(root.Dir()) / "build" / "src" / "app";
    fs::path source = fs::path(root.Dir()) / "src" / "gamedata";
    Trees() {
        fs::create_directories(bin);
        fs::create_directories(buildBin);
        MakeGameData(source);
        std::ofstream(buildBin / kSourceDataMarker) << source.string() << "\n";
    }
};

// An installed program never reads the source tree: only a build tree's
// program has the marker beside it.
TEST(DataFolder, InstalledBesideTheProgramThenTheBuildTreesMarkerThenTheOverride) {
    Trees t;
    const std::string installed = t.installed.string() + "/";
    // Nothing installed yet: the place looked for is named, and holds no data.
    EXPECT_EQ(FindDataDir(t.bin.string(), nullptr), installed);
    EXPECT_FALSE(HasGameData(installed));
    EXPECT_NE(MissingDataText(installed).find(installed), std::string::npos);

    MakeGameData(t.installed);
    EXPECT_EQ(FindDataDir(t.bin.string(), nullptr), installed);
    EXPECT_TRUE(HasGameData(installed));
    EXPECT_EQ(FindDataDir(t.bin.string(), ""), installed);

    EXPECT_EQ(FindDataDir(t.buildBin.string(), nullptr), t.source.string() + "/");
    EXPECT_EQ(FindDataDir(t.bin.string(), "/elsewhere"), "/elsewhere/");
    // A marker naming a folder that has gone is no data folder; nor is data
    // without its meshes.
    fs::remove_all(t.source);
    EXPECT_FALSE(HasGameData(FindDataDir(t.buildBin.string(), nullptr)));
    fs::remove_all(t.installed / "mesh");
    EXPECT_FALSE(HasGameData(installed));
}

TEST(StateFolder, MadeWhenMissingAndRefusedWhereNoFolderCanBe) {
    TempHome home;
    const std::string fresh = home.Path("a/b/kvelmar2");
    EXPECT_TRUE(StateDirWritable(fresh));
    EXPECT_TRUE(fs::is_directory(fresh));
    EXPECT_TRUE(fs::is_empty(fresh)); // the probe does not stay

    std::ofstream(home.Path("file")) << "x";
    const std::string blocked = home.Path("file/kvelmar2");
    EXPECT_FALSE(StateDirWritable(blocked));
    EXPECT_NE(StateDirUnusableText(blocked).find(blocked), std::string::npos);
}

} // namespace
} // namespace kv
