#include "screens/ScreenContext.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"

namespace kv::screens {

std::string BrowserFailure(const std::string& why) {
    return "Ошибка при запуске браузера! " + why;
}

std::string ScreenContext::SettingsPath() const {
    return s.stateDir.empty() ? std::string() : s.stateDir + "zvr2.ini";
}

void ScreenContext::LoadSettings() {
    const std::string path = SettingsPath();
    if (path.empty())
        ApplyDefaultSettings(m, settings);
    else
        kv::LoadSettings(m, settings, path, s.dialogs);
}

bool ScreenContext::LoadSettingsFrom(const std::string& path, bool mustExist) {
    return mustExist ? LoadSettingsFile(m, settings, path, s.dialogs)
                     : kv::LoadSettings(m, settings, path, s.dialogs);
}

void ScreenContext::SaveSettings() {
    const std::string path = SettingsPath();
    if (path.empty()) return;
    kv::SaveSettings(m, settings, massesLent_ ? userMasses_ : PieceMasses(m), path, s.dialogs);
}

void ScreenContext::LendMasses() {
    for (int i = 1; i <= kMaxPlayers; ++i) {
        if (!massesLent_) userMasses_[static_cast<std::size_t>(i - 1)] = m.Gobla(i).M;
        m.SavedMass(i) = userMasses_[static_cast<std::size_t>(i - 1)];
    }
    massesLent_ = true;
}

void ScreenContext::RestoreMasses() {
    if (!massesLent_) return;
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.Gobla(i).M = userMasses_[static_cast<std::size_t>(i - 1)];
        m.SavedMass(i) = m.Gobla(i).M;
    }
    massesLent_ = false;
}

void ScreenContext::QuitProgram() {
    flow.Apply(Next::Quit(), flow.Current());
}

void ScreenContext::OpenHelpPage(const std::string& file, const std::string& missing) {
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

void ScreenContext::OpenWebPage(const std::string& url) {
    std::string why;
    if (!s.web.OpenUrl(url, &why)) {
        LogError(BrowserFailure(why));
        s.dialogs.Message(BrowserFailure(why), MsgIcon::Stop, MsgButtons::Ok);
    }
}

} // namespace kv::screens
