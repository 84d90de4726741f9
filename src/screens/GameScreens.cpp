#include "screens/GameScreens.h"

namespace kv::screens {

GameScreens::GameScreens(Module1& mod, const Services& services, ViewPort& view)
    : ScreenContext(mod, services, flow_), quick(settings, options), options(settings),
      results(quick, options, loader), menu(options, teams, loader, report),
      teams(quick, options, newTeam), newTeam(teams), chronicle(events), splash(menu),
      lobby(quick, options, results), net(lobby), flow_(*this, view) {
    available = {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results,
                 ScreenId::Match};
}

namespace {

struct CloseRule {
    ScreenId id;
    Next (*close)(GameScreens& g);
};

const CloseRule kCloseRules[] = {
    {ScreenId::MainMenu, [](GameScreens& g) { return g.menu.Exit(g); }},
    {ScreenId::QuickGame, [](GameScreens& g) { return g.quick.Exit(g); }},
    {ScreenId::Options, [](GameScreens& g) { return g.options.Exit(g); }},
    {ScreenId::Results, [](GameScreens& g) { return g.results.Exit(); }},
    {ScreenId::Teams, [](GameScreens& g) { return g.teams.Exit(g); }},
    {ScreenId::NewTeam, [](GameScreens&) { return Next::To(ScreenId::Teams); }},
    {ScreenId::LoadBrowser, [](GameScreens& g) { return g.loader.Exit(g); }},
    {ScreenId::ErrorReport, [](GameScreens& g) { return g.report.Closing(g); }},
    {ScreenId::Preview, [](GameScreens& g) { return g.preview.Escape(); }},
    {ScreenId::Splash, [](GameScreens& g) { return g.splash.Skip(g); }},
    {ScreenId::Chronicle, [](GameScreens& g) { return g.chronicle.Exit(); }},
    {ScreenId::ChronicleEvents, [](GameScreens& g) { return g.events.Exit(g); }},
    {ScreenId::About, [](GameScreens& g) { return g.about.Close(); }},
    {ScreenId::Emblem, [](GameScreens& g) { return g.emblem.Close(); }},
    {ScreenId::Net, [](GameScreens& g) { return g.net.Exit(g); }},
    {ScreenId::NetLobby, [](GameScreens& g) { return g.lobby.Exit(g); }},
};

} // namespace

Next GameScreens::Closing(ScreenId id) {
    for (const CloseRule& r : kCloseRules)
        if (r.id == id) return r.close(*this);
    return Next::Quit();
}

void GameScreens::LoadSettings() {
    ScreenContext::LoadSettings();
    ShowLoadedSettings();
}

bool GameScreens::LoadSettingsFrom(const std::string& path, bool mustExist) {
    const bool ok = ScreenContext::LoadSettingsFrom(path, mustExist);
    ShowLoadedSettings();
    return ok;
}

void GameScreens::ShowLoadedSettings() {
    options.ShowState(m);
    quick.SetTake(0, quick.rows[0].take); // recounts the players
}

} // namespace kv::screens
