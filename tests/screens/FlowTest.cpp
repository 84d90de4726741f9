// Whole flows through the screens without a window: start-up, the main menu's
// way to the quick game, a match, the results, the series and back; the
// options screen's return to whoever opened it; the guided tour.
#include "ScreensRig.h"

#include "persistence/Files.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kv {
namespace {

using screens::Next;
using screens::ScreenId;
using test::ScreensRig;

void ComputersOnly(ScreensRig& r) {
    for (PlayerRow& row : r.g.quick.rows)
        row.computer = 1;
}

TEST(Flow, MenuQuickGameMatchResultsSeriesAndBack) {
    ScreensRig r;
    r.StartUp();
    screens::GameScreens& g = r.g;
    g.flow.Show(ScreenId::MainMenu);
    EXPECT_TRUE(g.menu.tourShown) << "a first run starts the tour";
    g.flow.Apply(g.menu.QuickGame(g), ScreenId::MainMenu);
    EXPECT_FALSE(g.menu.tourShown);
    ASSERT_EQ(g.flow.Current(), ScreenId::QuickGame);
    ComputersOnly(r);
    g.flow.Apply(g.quick.Go(g), ScreenId::QuickGame);
    ASSERT_EQ(r.view.matches, 1);
    ASSERT_EQ(g.flow.Current(), ScreenId::Results);
    ASSERT_TRUE(g.results.Finished);
    const i16 winner = r.m.Winner;
    ASSERT_GE(winner, 1);
    EXPECT_EQ(g.results.winner, r.m.Gobla(winner).RName);
    EXPECT_EQ(r.m.KH(1), winner) << "the winner strikes first next time";
    EXPECT_EQ(r.m.Gobla(winner).ScoreFTotal, 10);

    g.flow.Apply(g.results.Continue(g), ScreenId::Results);
    ASSERT_EQ(r.view.matches, 2);
    EXPECT_EQ(g.flow.Current(), ScreenId::Results);
    int total = 0;
    for (int s = 1; s <= 2; ++s)
        total += r.m.Gobla(s).ScoreFTotal;
    EXPECT_EQ(total, 2 * (10 + 6)) << "two matches of two players";

    g.flow.Apply(g.results.Back(g), ScreenId::Results);
    EXPECT_EQ(g.flow.Current(), ScreenId::QuickGame);
    g.flow.Apply(g.quick.Back(g), ScreenId::QuickGame);
    EXPECT_EQ(g.flow.Current(), ScreenId::MainMenu);
    EXPECT_TRUE(FileExists(r.dir + "zvr2.ini")) << "leaving the quick game saves the settings";

    r.dialogs.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    EXPECT_EQ(g.menu.Exit(g), Next::Stay());
    EXPECT_EQ(g.menu.Exit(g), Next::Quit());
    g.flow.Apply(Next::Quit(), ScreenId::MainMenu);
    EXPECT_EQ(r.view.quits, 1);
}

TEST(Flow, OptionsReturnToTheirOpenerAndRefusedStartsOpenThem) {
    ScreensRig r;
    r.StartUp();
    screens::GameScreens& g = r.g;
    const std::pair<ScreenId, Next> openers[] = {
        {ScreenId::MainMenu, g.menu.Options(g)},
        {ScreenId::QuickGame, g.quick.Options(g)},
        {ScreenId::Results, g.results.Options()},
    };
    for (const auto& [opener, next] : openers) {
        g.flow.Show(opener);
        g.flow.Apply(next, opener);
        ASSERT_EQ(g.flow.Current(), ScreenId::Options);
        g.flow.Apply(g.options.Back(g), ScreenId::Options);
        EXPECT_EQ(g.flow.Current(), opener);
    }
    // A team game in the state does not make "< Назад" guess another screen.
    r.m.ZI = kTrue;
    g.flow.Apply(g.quick.Options(g), ScreenId::QuickGame);
    EXPECT_EQ(g.options.Back(g), Next::To(ScreenId::QuickGame));
    r.m.ZI = kFalse;

    // A table that cannot be played sends the player to the options first.
    r.m.MaxX = 150;
    const Next refused = g.quick.Go(g);
    EXPECT_EQ(refused, Next::OptionsFrom(ScreenId::QuickGame));
    EXPECT_TRUE(r.Said("Размеры поля заданы неверно"));
    g.flow.Apply(refused, ScreenId::QuickGame);
    EXPECT_EQ(g.flow.OptionsOpener(), ScreenId::QuickGame);
    EXPECT_EQ(r.view.matches, 0);
}

TEST(Flow, StartUpChecksTheStoredScreenAndRenderer) {
    struct Case {
        i16 device, render;
        int adapters, renderers;
        i16 wantDevice, wantRender;
        int messages;
    };
    const Case cases[] = {
        {150, 0, 1, 2, 0, 0, 0}, // far out of range: silently the first
        {5, 0, 2, 2, 0, 0, 1},   // beyond the list: the first, with the message
        {0, 3, 1, 2, 0, 1, 1},   // a renderer beyond two: the second
        {0, 3, 1, 1, 0, 0, 1},   // with one renderer: that one
        {0, 1, 1, 0, 0, 0, 1},   // with none listed, never an index past the list
    };
    for (const Case& c : cases) {
        ScreensRig r;
        std::ofstream(r.dir + "zvr2.ini", std::ios::binary)
            << "[zvrset]\r\nDeviceNum=" << c.device << "\r\nRenderNum=" << c.render << "\r\n";
        struct Video : screens::VideoPort {
            int a = 0, n = 0;
            bool FillVideoLists(const Module1&, std::vector<std::string>& adapters,
                                std::vector<std::string>& renderers) override {
                adapters.assign(static_cast<std::size_t>(a), "экран");
                renderers.assign(static_cast<std::size_t>(n), "OpenGL");
                return true;
            }
        } video;
        video.a = c.adapters;
        video.n = c.renderers;
        r.g.s.video = &video;
        r.StartUp();
        EXPECT_EQ(std::tuple(r.m.DeviceNum, r.m.RenderNum), std::tuple(c.wantDevice, c.wantRender))
            << c.device << " " << c.render;
        EXPECT_EQ(static_cast<int>(r.dialogs.messages.size()), c.messages) << c.device;
    }
}

TEST(Flow, DamagedSettingsGiveTheDefaultsAndPlayersKeepTheirNames) {
    ScreensRig r;
    std::ofstream(r.dir + "zvr2.ini", std::ios::binary)
        << "[zvrset]\r\nR0=\r\nSound=5\r\nchk0=1\r\nchk1=1\r\n";
    r.StartUp();
    EXPECT_TRUE(r.Said("Параметры будут установлены по умолчанию."));
    for (const PlayerRow& row : r.g.quick.rows)
        EXPECT_FALSE(row.name.empty());
    EXPECT_EQ(r.g.quick.rows[0].name, "Омон1");
    EXPECT_TRUE(r.g.menu.tourShown) << "the defaults mean a first run";
}

// The window manager's close is each screen's own way out.
TEST(Flow, ClosingAWindowIsItsOwnExit) {
    ScreensRig r;
    r.StartUp();
    screens::GameScreens& g = r.g;
    g.flow.Apply(g.menu.Options(g), ScreenId::MainMenu);
    g.options.settings.sizeX = "5"; // refused: must not reach the settings file
    EXPECT_EQ(g.Closing(ScreenId::Options), Next::Quit());
    EXPECT_EQ(g.options.settings.sizeX, std::to_string(r.m.MaxX));
    r.dialogs.answers = {MsgAnswer::No};
    EXPECT_EQ(g.Closing(ScreenId::ChronicleEvents), Next::Stay()) << "asks as its Выход does";
    EXPECT_TRUE(r.Said("Вы уверены, что хотите выйти из игры?"));
    EXPECT_EQ(g.Closing(ScreenId::NewTeam), Next::To(ScreenId::Teams));
    EXPECT_EQ(g.Closing(ScreenId::About), Next::To(ScreenId::MainMenu));
}

TEST(Flow, NoSoundDeviceIsSaidOnceAndKeepsTheSoundOff) {
    ScreensRig r;
    r.g.SoundDeviceFailed("нет устройства");
    r.g.SoundDeviceFailed("нет устройства");
    int said = 0;
    for (const std::string& m : r.dialogs.messages)
        said += m.find("звуковое устройство") != std::string::npos;
    EXPECT_EQ(said, 1);
    r.StartUp(); // the settings say "sound on"
    EXPECT_EQ(r.m.Sound, kFalse);
}

TEST(Flow, TheLoadBrowserOffersNoSystemMounts) {
    EXPECT_EQ(screens::OfferedVolumes(
                  {"/", "/proc", "/media/usb", "/run/user/1", "/devices", "/boot/efi", "/home"}),
              (std::vector<std::string>{"/media/usb", "/devices", "/home", "/"}));
}

TEST(Flow, TheTourTypesItsFiveStepsRoundAndRound) {
    ScreensRig r;
    screens::MainMenu& menu = r.g.menu;
    menu.StartTour();
    const int lengths[] = {22720, 15640, 16240, 11680, 19360};
    const std::optional<screens::MenuButton> frames[] = {
        std::nullopt, screens::MenuButton::QuickGame, screens::MenuButton::TeamGame,
        screens::MenuButton::Load, screens::MenuButton::Chronicle};
    for (int step = 0; step < 6; ++step) {
        EXPECT_EQ(menu.tourStep, step % 5);
        EXPECT_EQ(menu.StepMs(), lengths[step % 5]);
        EXPECT_EQ(menu.highlight, frames[step % 5]);
        EXPECT_TRUE(menu.typing.typed.empty());
        // One character a tick, whole Cyrillic letters, until the text is out.
        menu.TypeTick();
        EXPECT_EQ(menu.typing.typed.size(), 2u) << step;
        while (menu.typing.timer)
            menu.TypeTick();
        EXPECT_GT(menu.typing.typed.size(), 50u);
        if (step == 0) {
            EXPECT_EQ(menu.typing.typed.rfind("Добро пожаловать", 0), 0u);
        }
        menu.StepTick();
    }
    menu.CloseTour();
    EXPECT_FALSE(menu.tourShown || menu.stepTimer || menu.typing.timer || menu.highlight);
}

TEST(Flow, HelpAndWebPagesSayWhatFailed) {
    ScreensRig r;
    screens::GameScreens& g = r.g;
    g.menu.HelpPages(g);
    ASSERT_EQ(r.web.opened.size(), 1u);
    EXPECT_EQ(r.web.opened[0], std::string(KV_SOURCE_DATADIR "/help/index.html"));
    r.web.works = false;
    g.menu.ClubPage(g);
    EXPECT_TRUE(r.Said("Ошибка при запуске браузера!"));
    g.s.dataDir = r.dir; // no help pages there
    g.menu.HelpPages(g);
    EXPECT_TRUE(r.Said("Не найден главный html-файл: index.html"));
}

} // namespace
} // namespace kv
