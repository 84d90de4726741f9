// The screens layer without a window: a view that records what it is told to
// show and plays the matches it is told to start headless, through the flow.
#pragma once

#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "persistence/Replay.h"
#include "physics/Physics.h"
#include "screens/GameScreens.h"
#include "support/RecordingPorts.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kv::test {

class FakeWeb : public screens::WebPort {
public:
    bool OpenFile(const std::string& path, std::string* why) override {
        opened.push_back(path);
        if (!works && why) *why = "нет браузера";
        return works;
    }
    bool OpenUrl(const std::string& url, std::string* why) override { return OpenFile(url, why); }
    std::vector<std::string> opened;
    bool works = true;
};

class FakePrompt : public screens::PromptPort {
public:
    std::string AskSavePath(const screens::SavePrompt&) override { return answer; }
    std::string answer;
};

class HeadlessView : public screens::ViewPort {
public:
    void Show(screens::ScreenId, screens::ScreenId) override {}
    void ShowBeside(screens::ScreenId) override {}
    void HideBeside(screens::ScreenId) override {}
    void StartMatch(bool replay) override {
        ++matches;
        if (!g || !play) return;
        VirtualScheduler clock;
        NullKeyboard keyboard;
        NullDisplay display;
        NullScene scene;
        NullSound sound;
        NullReplay replayPort;
        NullSaveGame saves(g->s.stateDir);
        NullDialogs dialogs;
        ReplayPort& rp = (replay || record) && g->s.replay != nullptr
                             ? static_cast<ReplayPort&>(*g->s.replay)
                             : static_cast<ReplayPort&>(replayPort);
        MatchPorts ports{clock, keyboard, display, scene, sound, rp, saves, g->flow, dialogs};
        Rng rng(static_cast<std::uint64_t>(matches));
        MatchScreen screen(g->m, ports, rng);
        screen.SetReplayMode(replay);
        RunHeadless(screen, clock, g->m, maxStrikes);
    }
    void Quit() override { ++quits; }

    screens::GameScreens* g = nullptr;
    bool play = true;
    bool record = false; // into the state folder, as the game does
    long maxStrikes = 400;
    int matches = 0;
    int quits = 0;
};

struct ScreensRig {
    ScreensRig() {
        BuildShapes(m);
        view.g = &g;
        g.s.replay = &replayFile;
    }
    static std::string MakeDir() {
        char tmpl[] = "/tmp/kvscreensXXXXXX";
        return std::string(mkdtemp(tmpl)) + "/";
    }
    ~ScreensRig() { std::filesystem::remove_all(dir); }
    // The start-up of the main menu with the given screens and renderers.
    void StartUp() { g.menu.StartUp(g); }
    bool Said(const std::string& part) const { return dialogs.Said(part); }

    std::string dir = MakeDir();
    Module1 m;
    RecordingDialogs dialogs;
    FakeWeb web;
    FakePrompt prompt;
    Rng rng{7};
    HeadlessView view;
    FileReplay replayFile{m, dialogs};
    screens::GameScreens g{
        m,
        {dialogs, web, prompt, rng, dir, KV_SOURCE_DATADIR "/", "Kvelmar II", nullptr, nullptr, {}},
        view};
};

} // namespace kv::test
