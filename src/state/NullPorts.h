// Ports that do nothing: the headless runner plays whole matches through them.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"

#include <string>
#include <utility>

namespace kv {

class NullKeyboard : public KeyboardPort {
public:
    bool InitKeyboard() override { return true; }
    bool ReadKeyboard(KeyStateTable& state) override {
        state.fill(0);
        return true;
    }
};

class NullDisplay : public DisplayPort {
public:
    bool InitDisplay() override { return true; }
    void ShutdownDisplay() override {}
    void SetCaption(const std::string&) override {}
};

class NullScene : public ScenePort {
public:
    bool BuildScene() override { return true; }
    void PlacePiece(int) override {}
    void LiftPiece(int, double) override {}
    void ShowPot(i16, i16) override {}
    void MovePot(i16, i16, double, i16) override {}
    void HidePot() override {}
    void ShowBall(bool) override {}
    void ShowArrow(bool) override {}
    void PlaceBall(double, double, double) override {}
    void PlaceArrow(double, double, double) override {}
    void TurnArrow(double) override {}
    void PlaceCenter(double, double, double) override {}
    void PlaceCamera(double, double, double) override {}
    void LookAt(int) override {}
    void ShowAmbientLight(bool) override {}
};

class NullSound : public SoundPort {
public:
    void PlaySound(int, i32) override {}
    void StopSound(int, bool) override {}
};

class NullReplay : public ReplayPort {
public:
    bool StartReplayRecord(const std::string&) override { return true; }
    void WriteReplayStep(const StrikeRecord&, i16) override {}
    void CloseReplayRecord() override {}
    bool ReadReplayStep(StrikeRecord&, i16&) override { return false; }
    void CloseReplayRead() override {}
};

class NullSaveGame : public SaveGamePort {
public:
    explicit NullSaveGame(std::string dir = "./") : dir_(std::move(dir)) {}
    void SaveGame(const std::string&) override {}
    std::string StateDir() const override { return dir_; }

private:
    std::string dir_;
};

class NullScreens : public ScreensPort {
public:
    void ShowResults(bool) override {}
    void ShowLoadBrowser() override {}
};

// Answers every question with Yes (go on), which is what a headless run wants.
class NullDialogs : public DialogPort {
public:
    MsgAnswer Message(const std::string&, MsgIcon, MsgButtons buttons,
                      const std::string& = {}) override {
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::Yes;
    }
    void SetBusy(bool) override {}
};

} // namespace kv
