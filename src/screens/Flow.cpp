#include "screens/Flow.h"

#include "screens/GameScreens.h"

namespace kv::screens {

void ScreenFlow::Show(ScreenId s) {
    const ScreenId was = current_;
    current_ = s;
    // Loading a window may take a while: the busy pointer meanwhile.
    g_.s.dialogs.SetBusy(true);
    view_.Show(s, was);
    g_.s.dialogs.SetBusy(false);
}

void ScreenFlow::Apply(const Next& n, ScreenId from) {
    switch (n.kind) {
    case Next::Kind::Stay:
        return;
    case Next::Kind::Show:
        if (n.screen == ScreenId::Net && current_ != ScreenId::Net) g_.net.Open(g_);
        Show(n.screen);
        return;
    case Next::Kind::Beside:
        view_.ShowBeside(n.screen);
        return;
    case Next::Kind::Hide:
        view_.HideBeside(n.screen);
        return;
    case Next::Kind::Options:
        // The opener is named, never guessed from the state: "< Назад" returns to it.
        optionsOpener_ = n.screen == ScreenId::None ? from : n.screen;
        g_.m.FirstRun = kFalse;
        g_.options.Load(g_.m);
        Show(ScreenId::Options);
        return;
    case Next::Kind::Match:
        // At a network table the host sends the match to every machine first.
        if (!g_.lobby.MatchStarting(g_)) return;
        matchReplay_ = false;
        current_ = ScreenId::Match;
        view_.StartMatch(false);
        return;
    case Next::Kind::Replay:
        matchReplay_ = true;
        current_ = ScreenId::Match;
        view_.StartMatch(true);
        return;
    case Next::Kind::Quit:
        g_.SaveSettings();
        view_.Quit();
        return;
    }
}

void ScreenFlow::ShowResults(bool gameOver) {
    g_.results.Update(g_, gameOver, matchReplay_);
    if (!matchReplay_) g_.lobby.MatchClosed(g_, g_.results);
    Show(ScreenId::Results);
}

void ScreenFlow::ShowLoadBrowser() {
    Show(g_.Available(ScreenId::LoadBrowser) ? ScreenId::LoadBrowser : ScreenId::MainMenu);
}

} // namespace kv::screens
