#include "screens/AboutEmblem.h"

#include "persistence/ErrorLog.h"
#include "persistence/Text.h"
#include "screens/ContentTexts.h"
#include "screens/ScreenContext.h"

namespace kv::screens {

std::string AboutScreen::Credits() {
    return kAboutCredits;
}

std::string AboutScreen::Caption(const ScreenContext& g) const {
    return "О программе " + g.s.appTitle;
}

void AboutScreen::MakerPage(ScreenContext& g) {
    g.OpenWebPage(ScreenContext::Page::Maker);
}

Next AboutScreen::Close() {
    return Next::To(ScreenId::MainMenu);
}

std::string EmblemScreen::Picture(const ScreenContext& g) const {
    return g.s.dataDir + "pic/biggerb.gif";
}

std::string EmblemScreen::Caption(const ScreenContext& g) const {
    return g.s.appTitle + ": Эмблема Гоблного Клуба";
}

void EmblemScreen::MakerPage(ScreenContext& g) {
    g.OpenWebPage(ScreenContext::Page::Maker);
}

void EmblemScreen::ClubPage(ScreenContext& g) {
    g.OpenWebPage(ScreenContext::Page::Club);
}

void EmblemScreen::PrintFailed(ScreenContext& g, const std::string& why) {
    LogError("Эмблема: ошибка печати. " + why);
    g.s.dialogs.Message("Ошибка при печати эмблемы!" + std::string(NL2) + why, MsgIcon::Stop,
                        MsgButtons::Ok);
}

Next EmblemScreen::Close() {
    return Next::To(ScreenId::MainMenu);
}

} // namespace kv::screens
