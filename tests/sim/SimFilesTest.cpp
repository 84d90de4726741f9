// The runner with files: recorded matches play back to the same end, a killed
// recording keeps every strike played, and matches start from a settings file.
#include "sim/SimRun.h"

#include "match/NullPorts.h"
#include "persistence/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

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

std::string Slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

int Steps(const std::string& replay) {
    int n = 0;
    for (std::size_t at = replay.find("\r\nba="); at != std::string::npos;
         at = replay.find("\r\nba=", at + 1))
        ++n;
    return n;
}

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
    std::vector<kv::sim::PlayOptions> setups(5);
    setups[0].players = 3;
    setups[1].players = 8;
    setups[1].models = {0, 1, 2, 3, 3, 2, 1, 0};
    setups[1].spread = 0.1;
    setups[1].seed = 99;
    setups[2].teams = 2;
    setups[2].players = 4;
    setups[2].models = {3};
    setups[2].spread = 0.03;
    setups[3].players = 5;
    setups[3].masses = {1, 7, 1000, 2, 1};
    setups[3].wall = 1;
    setups[3].obstacles = 2;
    setups[3].obstaclesMirror = true;
    setups[3].friction = 0.01;
    setups[4].players = 8;
    setups[4].tableX = 200;
    setups[4].tableY = 200;
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
    EXPECT_EQ(Replay((dir.path / "missing.sav").string(), out, &err), 1);
}

TEST(SimFiles, AKilledRecordingKeepsEveryStrikePlayed) {
    TempDir dir;
    const std::string file = (dir.path / "killed.sav").string();
    // The shell tells its pid and becomes the runner; the trace goes into the pipe.
    const std::string cmd = "echo $$; exec " KVELMAR2_SIM_PATH " play --players 4 --record " +
                            file + " --realtime --trace 2>&1 >/dev/null";
    FILE* err = popen(cmd.c_str(), "r");
    ASSERT_NE(err, nullptr);
    char line[256];
    ASSERT_TRUE(std::fgets(line, sizeof line, err));
    const pid_t pid = std::atoi(line);
    // Let it play two strikes in real time, then kill it in the middle of the match.
    int traced = 0;
    while (traced < 2 && std::fgets(line, sizeof line, err))
        if (std::string(line).rfind("удар", 0) == 0) ++traced;
    kill(pid, SIGKILL);
    const int status = pclose(err);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_EQ(traced, 2);

    const std::string text = Slurp(file);
    const int steps = Steps(text);
    EXPECT_GE(steps, traced);
    EXPECT_EQ(text.find(";\xca\xee\xed\xe5\xf6 \xe7\xe0\xef\xe8\xf1\xe8"), std::string::npos)
        << "a killed recording has no closing line";
    std::string out;
    ASSERT_EQ(Replay(file, out), 0);
    EXPECT_NE(out.find("\"strikes\": " + std::to_string(steps) + ","), std::string::npos) << out;
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
    quick.rows[2] = {1, "Петя", 1, 0};
    quick.rows[5] = {1, "Коля", 2, 1};
    m.Gobla(3).M = 40;
    options.txtSizeG = "800";
    options.txtSizeV = "300";
    m.MaxX = 800;
    m.MaxY = 300;
    options.opTr = 2;
    m.Ftr = 0.03;
    const std::string path = (dir.path / "zvr2.ini").string();
    ASSERT_TRUE(kv::SaveSettings(m, quick, options, path, dialogs));

    kv::sim::PlayOptions p;
    p.settings = path;
    kv::Module1 g;
    kv::BuildShapes(g);
    ASSERT_TRUE(kv::sim::SetupPlay(g, p, dialogs));
    EXPECT_EQ(std::tuple(g.MaxGamers, g.MaxX, g.MaxY, g.Ftr), std::tuple(3, 800, 300, 0.03));
    EXPECT_EQ(std::tuple(g.Gobla(1).RName, g.Gobla(1).Model, g.Gobla(2).RName, g.Gobla(2).M,
                         g.Gobla(3).RName),
              std::tuple("Вася", 3, "Петя", 40, "Коля"));
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(g.Gobla(i).CompControl, 0);
    std::string out;
    p.settings = (dir.path / "none.ini").string();
    EXPECT_EQ(Play(p, out), 1);
}
