// Ports that remember what was asked of them, for tests of the match screen, of
// whatever drives it, and of the files that report through dialogs.
#pragma once

#include "state/MatchState.h"
#include "state/NullPorts.h"
#include "state/Ports.h"

#include <deque>
#include <string>
#include <vector>

namespace kv {

// Keys are held by scan code until released.
class RecordingKeyboard : public KeyboardPort {
public:
    bool InitKeyboard() override { return initOk; }
    bool ReadKeyboard(KeyStateTable& s) override {
        s = held;
        return true;
    }
    void Hold(int scan) { held[static_cast<std::size_t>(scan)] = 0x80; }
    void ReleaseAll() { held.fill(0); }
    KeyStateTable held{};
    bool initOk = true;
};

struct PotCall {
    std::string op; // "show", "move", "hide"
    i16 x = 0, z = 0;
    double t = 0;
    i16 v = 0;
};

// Keeps the last position of the aim and the camera, and the pot's and lifts' calls.
class RecordingScene : public NullScene {
public:
    bool BuildScene() override { return buildOk; }
    void LiftPiece(int n, double h) override { lifts.push_back({n, h}); }
    void ShowPot(i16 x, i16 z) override { pot.push_back({"show", x, z, 0, 0}); }
    void MovePot(i16 x, i16 z, double t, i16 v) override { pot.push_back({"move", x, z, t, v}); }
    void HidePot() override { pot.push_back({"hide", 0, 0, 0, 0}); }
    void ShowBall(bool s) override { ballShown = s; }
    void ShowArrow(bool s) override { arrowShown = s; }
    void PlaceBall(double x, double y, double z) override { ball = {x, y, z}; }
    void TurnArrow(double a) override { arrowAngle = a; }
    void PlaceCamera(double x, double y, double z) override { camera = {x, y, z}; }
    void LookAt(int frame) override { lookAt.push_back(frame); }
    void ShowAmbientLight(bool s) override { ambient = s; }
    void ShowLook(const MatchLook& l) override { looks.push_back(l); }

    struct Lift {
        int n;
        double h;
    };
    bool buildOk = true;
    std::vector<Lift> lifts;
    std::vector<PotCall> pot;
    bool ballShown = false, arrowShown = false, ambient = true;
    std::array<double, 3> ball{}, camera{};
    double arrowAngle = 0;
    std::vector<int> lookAt;
    std::vector<MatchLook> looks;
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

class RecordingSaveGame : public NullSaveGame {
public:
    using NullSaveGame::NullSaveGame;
    void SaveGame(const std::string& path) override { saved.push_back(path); }
    std::vector<std::string> saved;
};

class RecordingScreens : public ScreensPort {
public:
    void ShowResults(bool gameOver) override {
        log.push_back(gameOver ? "results 1" : "results 0");
    }
    void ShowLoadBrowser() override { log.push_back("browser"); }
    std::vector<std::string> log;
};

// Answers from the queue, then Yes.
class RecordingDialogs : public DialogPort {
public:
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons b,
                      const std::string& = {}) override {
        messages.push_back(text);
        buttons.push_back(b);
        if (answers.empty()) return MsgAnswer::Yes;
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void SetBusy(bool) override {}
    bool Said(const std::string& part) const {
        for (const std::string& t : messages)
            if (t.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> messages;
    std::vector<MsgButtons> buttons;
    std::deque<MsgAnswer> answers;
};

} // namespace kv
