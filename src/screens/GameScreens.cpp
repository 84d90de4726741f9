#include "screens/GameScreens.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Settings.h"

namespace kv::screens {

std::string BrowserFailure(const std::string& why) {
    return "Ошибка при запуске браузера! " + why;
}

GameScreens::GameScreens(Module1& mod, const Services& services, ViewPort& view)
    : m(mod), s(services), quick(settings), options(settings), flow(*this, view) {
    available = {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results,
                 ScreenId::Match};
}

std::string GameScreens::SettingsPath() const {
    return s.stateDir.empty() ? std::string() : s.stateDir + "zvr2.ini";
}

void GameScreens::LoadSettings() {
    const std::string path = SettingsPath();
    if (path.empty())
        ApplyDefaultSettings(m, settings);
    else
        kv::LoadSettings(m, settings, path, s.dialogs);
    options.ShowState(m);
    quick.SetTake(0, quick.rows[0].take); // recounts the players
}

bool GameScreens::LoadSettingsFrom(const std::string& path, bool mustExist) {
    const bool ok = mustExist ? LoadSettingsFile(m, settings, path, s.dialogs)
                              : kv::LoadSettings(m, settings, path, s.dialogs);
    options.ShowState(m);
    quick.SetTake(0, quick.rows[0].take);
    return ok;
}

void GameScreens::SaveSettings() {
    const std::string path = SettingsPath();
    if (path.empty()) return;
    kv::SaveSettings(m, settings, massesLent_ ? userMasses_ : PieceMasses(m), path, s.dialogs);
}

void GameScreens::LendMasses() {
    for (int i = 1; i <= kMaxPlayers; ++i) {
        if (!massesLent_) userMasses_[static_cast<std::size_t>(i - 1)] = m.Gobla(i).M;
        m.SavedMass(i) = userMasses_[static_cast<std::size_t>(i - 1)];
    }
    massesLent_ = true;
}

void GameScreens::RestoreMasses() {
    if (!massesLent_) return;
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.Gobla(i).M = userMasses_[static_cast<std::size_t>(i - 1)];
        m.SavedMass(i) = m.Gobla(i).M;
    }
    massesLent_ = false;
}

void GameScreens::QuitProgram() {
    flow.Apply(Next::Quit(), flow.Current());
}

void GameScreens::OpenHelpPage(const std::string& file, const std::string& missing) {
    const std::string path = s.dataDir + "help/" + file;
    if (!FileExists(path)) {
        s.dialogs.Message(missing, MsgIcon::Stop, MsgButtons::Ok);
        return;
    }
    std::string why;
    if (!s.web.OpenFile(path, &why)) {
        LogError(BrowserFailure(why));
        s.dialogs.Message(BrowserFailure(why), MsgIcon::Stop, MsgButtons::Ok);
    }
}

void GameScreens::OpenWebPage(const std::string& url) {
    std::string why;
    if (!s.web.OpenUrl(url, &why)) {
        LogError(BrowserFailure(why));
        s.dialogs.Message(BrowserFailure(why), MsgIcon::Stop, MsgButtons::Ok);
    }
}

} // namespace kv::screens
