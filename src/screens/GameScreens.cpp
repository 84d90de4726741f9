#include "screens/GameScreens.h"

namespace kv::screens {

GameScreens::GameScreens(Module1& mod, const Services& services, ViewPort& view)
    : ScreenContext(mod, services, flow_), quick(settings, options), options(settings),
      results(quick, options, loader), menu(options, teams, loader, report),
      teams(quick, options, newTeam), newTeam(teams), chronicle(events), splash(menu),
      flow_(*this, view) {
    available = {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results,
                 ScreenId::Match};
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
