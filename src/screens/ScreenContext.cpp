#include "screens/ScreenContext.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Text.h"

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
    // The settings may say "sound on"; without a device it stays off.
    if (soundMissing_) m.Sound = kFalse;
}

bool ScreenContext::LoadSettingsFrom(const std::string& path, bool mustExist) {
    const bool ok = mustExist ? LoadSettingsFile(m, settings, path, s.dialogs)
                              : kv::LoadSettings(m, settings, path, s.dialogs);
    if (soundMissing_) m.Sound = kFalse;
    return ok;
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

void ScreenContext::OpenWebPage(Page page) {
    static constexpr const char* kOwn[] = {"orvelsoft.htm", "updates.htm", "goblklub.htm"};
    const std::string& url = page == Page::Maker     ? settings.makerUrl
                             : page == Page::Updates ? settings.updatesUrl
                                                     : settings.clubUrl;
    if (url.empty()) {
        OpenHelpPage(kOwn[static_cast<int>(page)],
                     "Не найдена страница игры: help/" + std::string(kOwn[static_cast<int>(page)]));
        return;
    }
    std::string why;
    if (!s.web.OpenUrl(url, &why)) {
        LogError(BrowserFailure(why));
        s.dialogs.Message(BrowserFailure(why), MsgIcon::Stop, MsgButtons::Ok);
    }
}

void ScreenContext::SoundDeviceFailed(const std::string& why) {
    LogError(why);
    m.Sound = kFalse;
    if (soundMissing_) return;
    soundMissing_ = true;
    s.dialogs.Message("Не удалось открыть звуковое устройство. Игра продолжится без звука." +
                          std::string(NL2) + why,
                      MsgIcon::Critical, MsgButtons::Ok);
}

} // namespace kv::screens
