// What the runner's commands share: the screens of a headless run, the set-up
// of a match from the options, the next match of a series, the printing.
#pragma once

#include "persistence/Folders.h"
#include "screens/GameScreens.h"
#include "sim/SimOptions.h"
#include "sim/SimReport.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <ostream>
#include <string>
#include <vector>

namespace kv::sim {

namespace detail {

class NoWeb : public screens::WebPort {
public:
    bool OpenFile(const std::string&, std::string* why) override {
        if (why) *why = "нет браузера";
        return false;
    }
    bool OpenUrl(const std::string& url, std::string* why) override { return OpenFile(url, why); }
};

class NoPrompt : public screens::PromptPort {
public:
    std::string AskSavePath(const screens::SavePrompt&) override { return {}; }
};

// Remembers what the screens asked for; the runner plays the match itself.
class SimView : public screens::ViewPort {
public:
    void Show(screens::ScreenId s, screens::ScreenId) override { shown = s; }
    void ShowBeside(screens::ScreenId) override {}
    void HideBeside(screens::ScreenId) override {}
    void StartMatch(bool) override { ++matches; }
    void Quit() override {}
    screens::ScreenId shown = screens::ScreenId::None;
    int matches = 0;
};

} // namespace detail

// The screens of a headless run: no files kept, the dialogs given.
struct SimGame {
    SimGame(Module1& m, DialogPort& dialogs, std::uint64_t seed)
        : rng(seed),
          g(m,
            screens::Services{
                dialogs, web, prompt, rng, {}, DataDir(), "kvelmar2-sim", nullptr, nullptr, {}},
            view) {}
    detail::NoWeb web;
    detail::NoPrompt prompt;
    detail::SimView view;
    Rng rng;
    screens::GameScreens g;
};

// Sets the match up as the quick game or team screens do, every player the computer.
bool SetupGame(screens::GameScreens& g, const PlayOptions& p);
// The results screen's "ПРОДОЛЖИТЬ ГОБЛУ!": the next match of the series.
bool ContinueSeries(SimGame& game);

// Messages of a headless run go to the error stream; questions are answered Yes.
class ConsoleDialogs : public DialogPort {
public:
    explicit ConsoleDialogs(std::ostream& err) : err_(err) {}
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons buttons,
                      const std::string& = {}) override {
        err_ << text << "\n";
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::Yes;
    }
    void SetBusy(bool) override {}

private:
    std::ostream& err_;
};

void Print(std::ostream& out, const Module1& m, const RunResult& r, bool json);
// A series' matches (SeriesMatchJson each) as JSON, or its totals as text.
void PrintSeries(std::ostream& out, SimGame& game, const std::vector<std::string>& entries,
                 bool json);

} // namespace kv::sim
