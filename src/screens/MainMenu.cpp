#include "screens/MainMenu.h"

#include "persistence/Files.h"
#include "persistence/Teams.h"
#include "persistence/Text.h"
#include "physics/Physics.h"
#include "screens/ErrorReport.h"
#include "screens/LoadBrowser.h"
#include "screens/Options.h"
#include "screens/ScreenContext.h"
#include "screens/Teams.h"
#include "state/Renderer.h"

namespace kv::screens {

namespace {

struct TourStep {
    std::optional<MenuButton> frame;
    const char* text;
    const char* more; // after a blank line, or null
    int ms;
};

const TourStep kTour[5] = {
    {std::nullopt, "Добро пожаловать в Kvelmar 2: Zantor! Здесь Вы узнаете кое-что об игре.",
     "Важный совет: если вы впервые запустили эту игру, то обязательно нажатием на "
     "'Параметры' войдите в окно настроек и задайте наиболее подходящий видеорежим "
     "(например,выберите аппаратное 3D-ускорение и нужное разрешение монитора).",
     22720},
    {MenuButton::QuickGame,
     "Быстрая игра. Здесь Вы можете сыграть в быструю Гоблу. В игре могут принять участие до 8 "
     "игроков, некоторые из которых могут управляться компьютером, также каждый игрок может "
     "выбрать модель своей Гоблы и предварительно просмотреть ее.",
     nullptr, 15640},
    {MenuButton::TeamGame,
     "Командная игра аналогична Быстрой игре, только здесь можно играть командами (в одно время "
     "- не более 2 команд), команда может управляться компьютером, можно также задать модель "
     "всех Гобл (играющих команд).",
     nullptr, 16240},
    {MenuButton::Load, "Здесь Вы можете загрузить сохраненную игру или повтор.",
     "Сохранять игру можно непосредственно во время Гоблы - достаточно нажать F4.", 11680},
    {MenuButton::Chronicle,
     "Хроника Гоблы. В ней Вы узнаете почти все о событиях, связанных с Гоблой, начиная с очень "
     "давних времен и кончая этим днем. Регулярные обновления Хроники Вы можете найти на сайте "
     "Гоблного Клуба (чтобы зайти туда, нажмите на 'Гоблный Клуб' в верхней части окна).",
     nullptr, 19360},
};

} // namespace

int MainMenu::StepMs() const {
    return kTour[tourStep].ms;
}

void MainMenu::StartUp(ScreenContext& g) {
    Module1& m = g.m;
    m.Pi = 3.14159265358979323846;
    m.Ftr = 0.02;
    m.TextColour = 15;
    m.ReplaySlot = 0;
    m.MaxX = 630;
    m.MaxY = 500;
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.Gobla(i).M = 1;
        m.SavedMass(i) = 1;
    }
    SetMatchDefaults(m);
    g.LoadSettings();
    // The renderer is taken now, once a run.
    options_.startedSoftware = SoftwareRenderer(m.DeviceNum, m.RenderNum);
    options_.adapters = {"Экран"};
    options_.renderers = {"Аппаратное (OpenGL)", "Программное (без ускорения)"};
    if (g.s.video != nullptr &&
        !g.s.video->FillVideoLists(m, options_.adapters, options_.renderers)) {
        g.QuitProgram();
        return;
    }
    // The stored screen and renderer against what this machine offers.
    const int adapters = static_cast<int>(options_.adapters.size());
    const int renderers = static_cast<int>(options_.renderers.size());
    if (m.DeviceNum < 0 || m.DeviceNum > 99) m.DeviceNum = 0;
    if (m.DeviceNum > adapters - 1) {
        m.DeviceNum = 0;
        g.s.dialogs.Message("Ошибка при загрузке параметров: указанное устройство рендеринга не "
                            "найдено. Будут установлены параметры по умолчанию.",
                            MsgIcon::Information, MsgButtons::Ok);
    }
    if (m.RenderNum < 0 || m.RenderNum > 99) m.RenderNum = 0;
    if (m.RenderNum > renderers - 1) {
        // With no renderer listed at all there is no index 1 to take.
        m.RenderNum = renderers >= 2 ? 1 : 0;
        g.s.dialogs.Message("Ошибка при загрузке параметров: указанный тип 3D-ускорения не "
                            "поддерживается видеокартой. Будут установлены параметры по "
                            "умолчанию.",
                            MsgIcon::Information, MsgButtons::Ok);
    }
    if (g.s.video != nullptr) {
        const PixelSize screen = g.s.video->ScreenSize(m.DeviceNum);
        options_.modes = OfferedModes(screen.w, screen.h);
    }
    options_.Load(m);
    g.namesAvailable = LoadNames(m, g.s.dialogs, g.s.dataDir + "zvr.nam");
    BuildShapes(m);
    if (m.FirstRun != 0) StartTour();
}

void MainMenu::StartTour() {
    tourShown = true;
    tourStep = 0;
    ShowStep();
}

void MainMenu::ShowStep() {
    const TourStep& s = kTour[tourStep];
    highlight = s.frame;
    std::string text = s.text;
    if (s.more) text += std::string(NL2) + s.more;
    typing.Type(text);
    stepTimer = true;
}

void MainMenu::CloseTour() {
    tourShown = false;
    typing.Clear();
    highlight.reset();
    stepTimer = false;
}

void MainMenu::StepTick() {
    if (!tourShown) return;
    tourStep = (tourStep + 1) % 5;
    ShowStep();
}

void MainMenu::TypeTick() {
    typing.Tick();
}

bool MainMenu::Enabled(const ScreenContext& g, MenuButton b) const {
    switch (b) {
    case MenuButton::TeamGame:
        return g.Available(ScreenId::Teams);
    case MenuButton::Chronicle:
        return g.Available(ScreenId::Chronicle);
    case MenuButton::Splash:
        return g.Available(ScreenId::Splash);
    case MenuButton::NetGame:
        return g.Available(ScreenId::Net) && g.s.net != nullptr;
    default:
        return true;
    }
}

Next MainMenu::QuickGame(ScreenContext& g) {
    CloseTour();
    // A new series begins.
    for (int i = 1; i <= kMaxPlayers; ++i) {
        GoblaRec& p = g.m.Gobla(i);
        p.ScoreL = p.ScoreF = p.ScoreA = p.ScoreLTotal = p.ScoreFTotal = p.ScoreATotal = 0;
    }
    return Next::To(ScreenId::QuickGame);
}

Next MainMenu::TeamGame(ScreenContext& g) {
    CloseTour();
    if (!g.Available(ScreenId::Teams)) return Next::Stay();
    g.LendMasses();
    for (int i = 1; i <= kMaxPlayers; ++i) {
        GoblaRec& p = g.m.Gobla(i);
        p.ScoreL = p.ScoreF = p.ScoreA = p.ScoreLTotal = p.ScoreFTotal = p.ScoreATotal = 0;
    }
    caption = "Загрузка команд...";
    loading = true;
    g.flow.Update();
    g.s.dialogs.SetBusy(true);
    teams_.Open(g);
    g.s.dialogs.SetBusy(false);
    caption.clear();
    loading = false;
    return Next::To(ScreenId::Teams);
}

void MainMenu::LoadMenu(ScreenContext&) {
    CloseTour(); // the masses are kept aside once the browser opens
}

Next MainMenu::LoadGame(ScreenContext& g) {
    if (!g.Available(ScreenId::LoadBrowser)) return Next::Stay();
    loader_.Open(g, LoadMode::Games);
    return Next::To(ScreenId::LoadBrowser);
}

Next MainMenu::LoadReplay(ScreenContext& g) {
    if (!g.Available(ScreenId::LoadBrowser)) return Next::Stay();
    g.s.dialogs.Message(std::string("В настоящий момент эта функция поддерживается, однако "
                                    "корректная работа во всех случаях не гарантируется. "
                                    "Следите за обновлениями на сайте Orvelsoft.") +
                            NL2 + "Текущая версия: 3.0." + std::to_string(kBuild),
                        MsgIcon::Information, MsgButtons::Ok);
    loader_.Open(g, LoadMode::Replays);
    return Next::To(ScreenId::LoadBrowser);
}

Next MainMenu::Options(ScreenContext& g) {
    CloseTour();
    g.m.FirstRun = kFalse;
    return Next::OptionsFrom(ScreenId::MainMenu);
}

Next MainMenu::Chronicle(ScreenContext& g) {
    CloseTour();
    return g.Available(ScreenId::Chronicle) ? Next::To(ScreenId::Chronicle) : Next::Stay();
}

Next MainMenu::Splash(ScreenContext& g) {
    CloseTour();
    return g.Available(ScreenId::Splash) ? Next::To(ScreenId::Splash) : Next::Stay();
}

void MainMenu::HelpPages(ScreenContext& g) {
    CloseTour();
    g.OpenHelpPage(
        "index.html",
        "Ошибка при запуске справочной системы. Не найден главный html-файл: index.html");
}

Next MainMenu::Report(ScreenContext& g) {
    CloseTour();
    if (!g.Available(ScreenId::ErrorReport)) return Next::Stay();
    report_.Open(g);
    return Next::Beside(ScreenId::ErrorReport);
}

Next MainMenu::About(ScreenContext& g) {
    CloseTour();
    return g.Available(ScreenId::About) ? Next::To(ScreenId::About) : Next::Stay();
}

Next MainMenu::Emblem(ScreenContext& g) {
    CloseTour();
    if (!g.Available(ScreenId::Emblem)) return Next::Stay();
    if (!FileExists(g.s.dataDir + "pic/biggerb.gif")) {
        g.s.dialogs.Message("Необходимый файл не найден!", MsgIcon::Information, MsgButtons::Ok);
        return Next::Stay();
    }
    return Next::To(ScreenId::Emblem);
}

void MainMenu::MakerPage(ScreenContext& g) {
    CloseTour();
    g.OpenWebPage(ScreenContext::Page::Maker);
}

void MainMenu::ClubPage(ScreenContext& g) {
    CloseTour();
    g.OpenWebPage(ScreenContext::Page::Club);
}

void MainMenu::Updates(ScreenContext& g) {
    CloseTour();
    g.OpenWebPage(ScreenContext::Page::Updates);
}

Next MainMenu::NetGame(ScreenContext& g) {
    CloseTour();
    if (!g.Available(ScreenId::Net)) return Next::Stay();
    return Next::To(ScreenId::Net);
}

Next MainMenu::Exit(ScreenContext& g) {
    CloseTour();
    g.SaveSettings();
    // Only the game is left, not the desktop: the question names the game alone.
    if (g.s.dialogs.Message("Выйти из игры?", MsgIcon::Question, MsgButtons::OkCancel) !=
        MsgAnswer::Ok)
        return Next::Stay();
    return Next::Quit();
}

} // namespace kv::screens
