#include "screens/AboutEmblem.h"

#include "persistence/ErrorLog.h"
#include "persistence/Text.h"
#include "screens/ContentTexts.h"
#include "screens/GameScreens.h"

namespace kv::screens {

std::string AboutScreen::Credits() {
    return kAboutCredits;
}

std::string AboutScreen::Caption(const GameScreens& g) const {
    return "О программе " + g.s.appTitle;
}

void AboutScreen::MakerPage(GameScreens& g) {
    g.OpenWebPage(g.s.makerUrl);
}

Next AboutScreen::Close() {
    return Next::To(ScreenId::MainMenu);
}

std::string EmblemScreen::Picture(const GameScreens& g) const {
    return g.s.dataDir + "pic/biggerb.gif";
}

std::string EmblemScreen::Caption(const GameScreens& g) const {
    return g.s.appTitle + ": Эмблема Гоблного Клуба";
}

void EmblemScreen::MakerPage(GameScreens& g) {
    g.OpenWebPage(g.s.makerUrl);
}

void EmblemScreen::ClubPage(GameScreens& g) {
    g.OpenWebPage(g.s.clubUrl);
}

void EmblemScreen::PrintFailed(GameScreens& g, const std::string& why) {
    LogError("Эмблема: ошибка печати. " + why);
    g.s.dialogs.Message("Ошибка при печати эмблемы!" + std::string(NL2) + why, MsgIcon::Stop,
                        MsgButtons::Ok);
}

Next EmblemScreen::Close() {
    return Next::To(ScreenId::MainMenu);
}

} // namespace kv::screens
