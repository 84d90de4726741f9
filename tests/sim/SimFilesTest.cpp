// The runner with files: recorded matches play back to the same end; broken files
// fail. A killed recording: tests/persistence/RecordPlaybackTest.cpp.
#include "sim/SimRun.h"

#include "state/NullPorts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
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
    setups[0].levels = {3, 0, 1, 2, 3, 0, 1, 2};
    setups[1].teams = 2;
    setups[1].players = 4;
    setups[1].models = {3};
    setups[1].levels = {3, 3, 2, 2};
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
    kv::sim::PlayOptions p; // a missing settings file fails too
    p.settings = (dir.path / "none.ini").string();
    EXPECT_EQ(Play(p, out), 1);
}

// A disk that fills up in the middle of the match (a file size limit stands in
// for it): the runner says which file and why, and exits with its own code.
TEST(SimFiles, ARecordingCutShortIsNeverASuccess) {
    TempDir dir;
    const std::string file = (dir.path / "full.sav").string();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        // Room for the snapshot of four players and a few steps, not for all.
        const rlimit lim{4100, 4100};
        setrlimit(RLIMIT_FSIZE, &lim);
        kv::sim::PlayOptions p;
        p.players = 4;
        p.record = file;
        std::ostringstream o, e;
        const int rc = kv::sim::PlayCommand(p, o, e);
        const bool named = e.str().find(file) != std::string::npos &&
                           e.str().find("не записан полностью") != std::string::npos;
        _exit(named ? rc : 100);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kv::sim::kExitWriteFailed);
    EXPECT_EQ(fs::file_size(file), 4100u); // it ends in the middle of a step
    std::string out;
    kv::sim::PlayOptions whole;
    whole.record = (dir.path / "whole.sav").string();
    EXPECT_EQ(Play(whole, out), 0);
}

TEST(SimFiles, InfoDescribesAFileAsTheLoadBrowserDoes) {
    TempDir dir;
    kv::sim::PlayOptions p;
    p.teams = 2;
    p.record = (dir.path / "team.sav").string();
    std::string live;
    ASSERT_EQ(Play(p, live), 0);
    std::ostringstream o, e;
    ASSERT_EQ(kv::sim::InfoCommand(p.record, o, e), 0) << e.str();
    EXPECT_EQ(o.str().rfind("Повтор записан Kvelmarой:\n\nKvelmar II Билд 1408\n", 0), 0U);
    EXPECT_NE(o.str().find("\n\nКомандная игра:Да\nИгроков:4\n"), std::string::npos) << o.str();
    std::ostringstream o2, e2;
    EXPECT_EQ(kv::sim::InfoCommand((dir.path / "none.zvr").string(), o2, e2), 1);
    EXPECT_EQ(e2.str(), "Указанный файл не существует!\n");
}

TEST(SimFiles, TeamSeriesKeepsTheTeamsScores) {
    kv::sim::PlayOptions p;
    p.teams = 1;
    p.json = true;
    std::ostringstream o, e;
    ASSERT_EQ(kv::sim::SeriesCommand(p, 3, o, e), 0) << e.str();
    const std::string s = o.str();
    int total = 0, matches = 0;
    for (auto at = s.find("\"team_scores\": ["); at != std::string::npos;
         at = s.find("\"team_scores\": [", at + 1)) {
        int a = 0, b = 0;
        ASSERT_EQ(std::sscanf(s.c_str() + at, "\"team_scores\": [%d, %d]", &a, &b), 2);
        EXPECT_GE(a + b, total) << "the scores run on through the series";
        total = a + b;
        ++matches;
    }
    EXPECT_EQ(matches, 3);
    EXPECT_GT(total, 0);
}
