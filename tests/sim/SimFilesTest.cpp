// The runner with files: recorded matches play back to the same end and matches
// start from a settings file. A killed recording: tests/persistence/RecordPlaybackTest.cpp.
#include "sim/SimRun.h"

#include "match/NullPorts.h"
#include "persistence/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/kvsimXXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};

int Play(kv::sim::PlayOptions p, std::string& out) {
    std::ostringstream o, e;
    p.json = true;
    const int rc = kv::sim::PlayCommand(p, o, e);
    out = o.str();
    return rc;
}

int Replay(const std::string& file, std::string& out, std::string* err = nullptr) {
    kv::sim::ReplayOptions r;
    r.file = file;
    r.json = true;
    std::ostringstream o, e;
    const int rc = kv::sim::ReplayCommand(r, o, e);
    out = o.str();
    if (err) *err = e.str();
    return rc;
}

} // namespace

TEST(SimFiles, RecordedMatchesPlayBackToTheSameEnd) {
    TempDir dir;
    std::vector<kv::sim::PlayOptions> setups(3);
    setups[0].players = 8;
    setups[0].models = {0, 1, 2, 3, 3, 2, 1, 0};
    setups[0].spread = 0.1;
    setups[1].teams = 2;
    setups[1].players = 4;
    setups[1].models = {3};
    setups[2].players = 5;
    setups[2].masses = {1, 7, 1000, 2, 1};
    setups[2].wall = 1;
    setups[2].obstacles = 2;
    setups[2].friction = 0.01;
    for (std::size_t i = 0; i < setups.size(); ++i) {
        kv::sim::PlayOptions p = setups[i];
        p.record = (dir.path / ("m" + std::to_string(i) + ".sav")).string();
        std::string live, back;
        ASSERT_EQ(Play(p, live), 0) << i;
        ASSERT_EQ(Replay(p.record, back), 0) << i;
        EXPECT_EQ(live, back) << "set-up " << i;
        EXPECT_NE(live.find("\"finished\": true"), std::string::npos) << i;
    }
}

TEST(SimFiles, ABrokenReplayFailsWithAMessage) {
    TempDir dir;
    const fs::path f = dir.path / "bad.sav";
    std::ofstream(f, std::ios::binary) << "[general]\r\nMaxGamers=abc\r\n";
    std::string out, err;
    EXPECT_EQ(Replay(f.string(), out, &err), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(err.find("Ошибка"), std::string::npos);
}

TEST(SimFiles, MatchFromASettingsFile) {
    TempDir dir;
    kv::Module1 m;
    kv::QuickGameModel quick;
    kv::OptionsModel options;
    kv::NullDialogs dialogs;
    kv::ApplyDefaultSettings(m, quick, options);
    quick.rows[0] = {1, "Вася", 3, 0};
    quick.rows[1].chk = 0;
    quick.rows[5] = {1, "Коля", 2, 1};
    m.Gobla(6).M = 40;
    options.txtSizeG = "800";
    m.MaxX = 800;
    const std::string path = (dir.path / "zvr2.ini").string();
    ASSERT_TRUE(kv::SaveSettings(m, quick, options, path, dialogs));

    kv::sim::PlayOptions p;
    p.settings = path;
    kv::Module1 g;
    kv::BuildShapes(g);
    ASSERT_TRUE(kv::sim::SetupPlay(g, p, dialogs));
    EXPECT_EQ(std::tuple(g.MaxGamers, g.MaxX, g.Gobla(1).RName, g.Gobla(2).RName, g.Gobla(2).M),
              std::tuple(2, 800, "Вася", "Коля", 40));
    EXPECT_NE(g.Gobla(2).CompControl, 0);
    std::string out;
    p.settings = (dir.path / "none.ini").string();
    EXPECT_EQ(Play(p, out), 1);
}
