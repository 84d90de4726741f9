#include "screens/Splash.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"
#include "screens/HelpText.h"
#include "screens/MainMenu.h"
#include "screens/ScreenContext.h"

namespace kv::screens {

bool SlideTime(const std::string& text, int& ms, std::string& why) {
    try {
        const i16 v = ToI16(RegionalNumber(text));
        if (v < 0) {
            why = "Время показа слайда не может быть отрицательным: " + text;
            return false;
        }
        ms = v;
        return true;
    } catch (const LoadFailure& f) {
        why = "Неверное время показа слайда: " + text + " (" + f.description + ")";
        return false;
    }
}

Next SplashScreen::Load(ScreenContext& g, SlideView& view) {
    view_ = &view;
    running = true;
    playing = false;
    openFailed_ = false;
    started_ = false;
    handOver_ = false;
    picture.clear();
    waiting = false;
    slideTimer = false;
    caption = kSplashCaption;
    StartMedia(g, view);
    return Handed();
}

void SplashScreen::StartMedia(ScreenContext& g, SlideView& view) {
    running = true;
    mediaPath = g.s.dataDir + "splash/splash.qvmedia";
    if (!FileExists(mediaPath)) {
        Start(g, view);
        return;
    }
    std::string why;
    if (!file_.Load(mediaPath, &why)) {
        LogError("SlideMedia Player > Ошибка при открытии файла " + mediaPath + ". " + why);
        // Until a key or a click, the window stays as it is.
        openFailed_ = true;
        g.s.dialogs.Message("Ошибка при открытии файла заставки! " + why, MsgIcon::Critical,
                            MsgButtons::Ok);
        return;
    }
    if (file_.Empty() || file_.Line(0) != kSlideMediaHeader) {
        Start(g, view);
        return;
    }
    line_ = 1;
    ShowSlide(g, view);
    if (!started_) playing = true;
}

void SplashScreen::ShowSlide(ScreenContext& g, SlideView& view) {
    if (!running || started_) return;
    if (line_ >= file_.Count()) {
        Start(g, view);
        return;
    }
    const std::string name = Cp1251ToUtf8(file_.Line(line_++));
    picture = g.s.dataDir + "splash/" + name;
    std::string why;
    if (!view.ShowPicture(picture, &why)) {
        SlideError(g, view, "Не удалось загрузить рисунок " + name + ". " + why);
        return;
    }
    view.ProcessEvents();
    if (!running || started_) return;
    if (line_ >= file_.Count()) {
        Start(g, view);
        return;
    }
    int ms = 0;
    if (!SlideTime(Cp1251ToUtf8(file_.Line(line_++)), ms, why)) {
        SlideError(g, view, why);
        return;
    }
    slideMs = ms;
    slideTimer = ms != 0; // 0: until the user skips
}

void SplashScreen::SlideError(ScreenContext& g, SlideView& view, const std::string& why) {
    const std::string what = "Ошибка в файле SlideMedia. Продолжение невозможно.";
    LogError("SlideMedia Player > " + what + " " + why);
    slideTimer = false;
    g.s.dialogs.Message(what + NL2 + why, MsgIcon::Information, MsgButtons::Ok);
    Start(g, view);
}

void SplashScreen::Start(ScreenContext& g, SlideView& view) {
    // A skip that comes while this runs finds it begun and changes nothing.
    if (started_) return;
    started_ = true;
    running = false;
    file_.SetBytes({});
    line_ = 0;
    picture.clear();
    waiting = true;
    slideTimer = false;
    view.ProcessEvents();
    // Played again from the menu, the show does not start the program anew.
    if (!menuStarted_) {
        menuStarted_ = true;
        menu_.StartUp(g);
    }
    g.m.HelpText = ComposeHelpText();
    handOver_ = true;
}

Next SplashScreen::Handed() {
    if (!handOver_) return Next::Stay();
    handOver_ = false;
    return Next::To(ScreenId::MainMenu);
}

Next SplashScreen::TimerTick(ScreenContext& g, SlideView& view) {
    if (!playing || started_) return Next::Stay();
    slideTimer = false;
    if (running) ShowSlide(g, view);
    return Handed();
}

Next SplashScreen::Click(ScreenContext& g, SlideView& view) {
    // Before the file is recognised a click is not yet a skip; after an open
    // error it is, as a key is.
    if (!playing && !openFailed_) return Next::Stay();
    return Key(g, view);
}

Next SplashScreen::Skip(ScreenContext& g) {
    return view_ != nullptr ? Key(g, *view_) : Next::Stay();
}

Next SplashScreen::Key(ScreenContext& g, SlideView& view) {
    // Once the hand-over has begun, a late key changes nothing.
    if (started_) return Next::Stay();
    running = false;
    slideTimer = false;
    Start(g, view);
    return Handed();
}

} // namespace kv::screens
