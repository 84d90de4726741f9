// Ports that remember what was asked of them, for tests of the match screen and of
// whatever drives it.
#pragma once

#include "state/MatchState.h"
#include "state/NullPorts.h"
#include "state/Ports.h"

#include <deque>
#include <string>
#include <vector>

namespace kv {

struct TimerCall {
    TimerId id;
    bool enabled;
    int intervalMs;
};

class RecordingTimers : public TimerPort {
public:
    void SetTimer(TimerId id, bool enabled, int intervalMs) override {
        calls.push_back({id, enabled, intervalMs});
        state[static_cast<std::size_t>(id)] = enabled;
        interval[static_cast<std::size_t>(id)] = intervalMs;
    }
    bool Enabled(TimerId id) const { return state[static_cast<std::size_t>(id)]; }
    int Interval(TimerId id) const { return interval[static_cast<std::size_t>(id)]; }
    std::vector<TimerCall> calls;
    std::array<bool, kTimerCount> state{};
    std::array<int, kTimerCount> interval{};
};

// Keys are held by scan code until released.
class RecordingKeyboard : public KeyboardPort {
public:
    bool InitKeyboard() override {
        ++inits;
        return initOk;
    }
    bool ReadKeyboard(KeyStateTable& s) override {
        ++reads;
        s = held;
        return true;
    }
    void Hold(int scan) { held[static_cast<std::size_t>(scan)] = 0x80; }
    void Release(int scan) { held[static_cast<std::size_t>(scan)] = 0; }
    void ReleaseAll() { held.fill(0); }
    KeyStateTable held{};
    bool initOk = true;
    int inits = 0;
    long reads = 0;
};

class RecordingDisplay : public DisplayPort {
public:
    bool InitDisplay() override {
        log.push_back("InitDisplay");
        return initOk;
    }
    void ShutdownDisplay() override { log.push_back("ShutdownDisplay"); }
    void SetCaption(const std::string& c) override { log.push_back("Caption " + c); }
    std::vector<std::string> log;
    bool initOk = true;
};

struct PotCall {
    std::string op; // "show", "move", "hide"
    i16 x = 0, z = 0;
    double t = 0;
    i16 v = 0;
};

// Keeps the last position of everything, plus an ordered log of the pot and lifts.
class RecordingScene : public NullScene {
public:
    RecordingScene() = default;
    bool BuildScene() override {
        ++builds;
        return buildOk && NullScene::BuildScene();
    }
    void PlacePiece(int n) override { ++placed[static_cast<std::size_t>(n & 15)]; }
    void LiftPiece(int n, double h) override { lifts.push_back({n, h}); }
    void ShowPot(i16 x, i16 z) override { pot.push_back({"show", x, z, 0, 0}); }
    void MovePot(i16 x, i16 z, double t, i16 v) override { pot.push_back({"move", x, z, t, v}); }
    void HidePot() override { pot.push_back({"hide", 0, 0, 0, 0}); }
    void ShowBall(bool s) override { ballShown = s; }
    void ShowArrow(bool s) override { arrowShown = s; }
    void PlaceBall(double x, double y, double z) override { ball = {x, y, z}; }
    void PlaceArrow(double x, double y, double z) override { arrow = {x, y, z}; }
    void TurnArrow(double a) override { arrowAngle = a; }
    void PlaceCenter(double x, double y, double z) override { center = {x, y, z}; }
    void PlaceCamera(double x, double y, double z) override {
        camera = {x, y, z};
        ++cameraMoves;
    }
    void LookAt(int frame) override { lookAt.push_back(frame); }
    void ShowAmbientLight(bool s) override { ambient = s; }

    struct Lift {
        int n;
        double h;
    };
    bool buildOk = true;
    int builds = 0;
    std::array<int, 16> placed{};
    std::vector<Lift> lifts;
    std::vector<PotCall> pot;
    bool ballShown = false, arrowShown = false, ambient = true;
    std::array<double, 3> ball{}, arrow{}, center{}, camera{};
    double arrowAngle = 0;
    int cameraMoves = 0;
    std::vector<int> lookAt;
};

struct SoundCall {
    int slot;
    i32 volume; // for StopSound: 1 = rewind, 0 = not
    bool stop;
};

class RecordingSound : public SoundPort {
public:
    void PlaySound(int slot, i32 volume) override { calls.push_back({slot, volume, false}); }
    void StopSound(int slot, bool rewind) override {
        calls.push_back({slot, rewind ? 1 : 0, true});
    }
    std::vector<SoundCall> calls;
};

struct ReplayStepRec {
    StrikeRecord strike;
    i16 pot = 0;
};

// Records what is written; plays back the queued steps.
class RecordingReplay : public ReplayPort {
public:
    bool StartReplayRecord(const std::string& path) override {
        started.push_back(path);
        return startOk;
    }
    void WriteReplayStep(const StrikeRecord& s, i16 pot) override { written.push_back({s, pot}); }
    void CloseReplayRecord() override { ++recordClosed; }
    bool ReadReplayStep(StrikeRecord& s, i16& pot) override {
        if (toRead.empty()) return false;
        s = toRead.front().strike;
        pot = toRead.front().pot;
        toRead.pop_front();
        return true;
    }
    void CloseReplayRead() override { ++readClosed; }
    std::vector<std::string> started;
    std::vector<ReplayStepRec> written;
    std::deque<ReplayStepRec> toRead;
    bool startOk = true;
    int recordClosed = 0;
    int readClosed = 0;
};

class RecordingSaveGame : public SaveGamePort {
public:
    explicit RecordingSaveGame(std::string dir = "/state/") : dir_(std::move(dir)) {}
    void SaveGame(const std::string& path) override { saved.push_back(path); }
    std::string StateDir() const override { return dir_; }
    std::vector<std::string> saved;

private:
    std::string dir_;
};

class RecordingScreens : public ScreensPort {
public:
    void ShowResults(bool gameOver) override {
        log.push_back(gameOver ? "results 1" : "results 0");
    }
    void ShowLoadBrowser() override { log.push_back("browser"); }
    std::vector<std::string> log;
};

// Answers from the queue, then with the default answer.
class RecordingDialogs : public DialogPort {
public:
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons,
                      const std::string& = {}) override {
        messages.push_back(text);
        if (answers.empty()) return defaultAnswer;
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void SetBusy(bool b) override { busy.push_back(b); }
    std::vector<std::string> messages;
    std::deque<MsgAnswer> answers;
    MsgAnswer defaultAnswer = MsgAnswer::Yes;
    std::vector<bool> busy;
};

} // namespace kv
