#include "screens/GameScreens.h"

#include "persistence/ErrorLog.h"
#include "persistence/Settings.h"
#include "persistence/Files.h"

namespace kv::screens {

std::string BrowserFailure(const std::string& why) {
    return "Ошибка при запуске браузера! " + why;
}

GameScreens::GameScreens(Module1& mod, const Services& services, ViewPort& view)
    : m(mod), s(services), flow(*this, view) {
    available = {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results,
                 ScreenId::Match};
}

std::string GameScreens::SettingsPath() const {
    return s.stateDir.empty() ? std::string() : s.stateDir + "zvr2.ini";
}

namespace {

// The settings file's controls from the screens, and back.
SettingsControls Controls(const QuickGameScreen& q, const OptionsScreen& o) {
    SettingsControls c;
    for (int r = 0; r < kRows; ++r) {
        const PlayerRow& p = q.rows[static_cast<std::size_t>(r)];
        c.rows[static_cast<std::size_t>(r)] = {p.name, p.model, p.computer, p.take, p.level};
    }
    c.sizeX = o.sizeX;
    c.sizeY = o.sizeY;
    c.maxSize = o.maxSize;
    c.compPause = o.compPause;
    c.sound = o.sound;
    c.border = o.border;
    c.pipa = o.pipa;
    return c;
}

void FromControls(const SettingsControls& c, QuickGameScreen& q, OptionsScreen& o) {
    for (int r = 0; r < kRows; ++r) {
        const SettingsRow& p = c.rows[static_cast<std::size_t>(r)];
        PlayerRow& row = q.rows[static_cast<std::size_t>(r)];
        row.name = p.name;
        row.model = p.model;
        row.computer = p.computer;
        row.take = p.take;
        row.level = p.level;
    }
    q.SetTake(0, q.rows[0].take); // recounts the players
    o.sizeX = c.sizeX;
    o.sizeY = c.sizeY;
    o.maxSize = c.maxSize;
    o.compPause = c.compPause;
    o.sound = c.sound;
    o.border = c.border;
    o.pipa = c.pipa;
}

} // namespace

void GameScreens::LoadSettings() {
    SettingsControls c;
    const std::string path = SettingsPath();
    if (path.empty())
        ApplyDefaultSettings(m, c);
    else
        kv::LoadSettings(m, c, path, s.dialogs);
    options.Load(m);
    FromControls(c, quick, options); // the boxes as they were typed
}

bool GameScreens::LoadSettingsFrom(const std::string& path, bool mustExist) {
    SettingsControls c;
    const bool ok = mustExist ? LoadSettingsFile(m, c, path, s.dialogs)
                              : kv::LoadSettings(m, c, path, s.dialogs);
    options.Load(m);
    FromControls(c, quick, options);
    return ok;
}

void GameScreens::SaveSettings() {
    const std::string path = SettingsPath();
    if (path.empty()) return;
    std::array<i16, kMaxPlayers> lent{};
    for (int i = 1; i <= kMaxPlayers && massesLent_; ++i) {
        lent[static_cast<std::size_t>(i - 1)] = m.Gobla(i).M;
        m.Gobla(i).M = userMasses_[static_cast<std::size_t>(i - 1)];
    }
    kv::SaveSettings(m, Controls(quick, options), path, s.dialogs);
    for (int i = 1; i <= kMaxPlayers && massesLent_; ++i)
        m.Gobla(i).M = lent[static_cast<std::size_t>(i - 1)];
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
