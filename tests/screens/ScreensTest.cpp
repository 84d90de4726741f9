// The rules of the quick game, options and results screens: the start of a
// match, the mass editor, "Готово", the scoring and keeping the latest files.
#include "ScreensRig.h"

#include "persistence/Files.h"
#include "persistence/Text.h"
#include "screens/GameStart.h"
#include "screens/HelpText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kv {
namespace {

using screens::Next;
using screens::ScreenId;
using test::ScreensRig;

TEST(QuickGame, TickedRowsFillTheSlotsInOrderAndBlankNamesBecomeNumbers) {
    ScreensRig r;
    screens::QuickGameScreen& q = r.g.quick;
    const int ticked[] = {1, 3, 4};
    for (int row : ticked) {
        q.SetTake(row, 1);
        q.rows[static_cast<std::size_t>(row)].name = "Игрок" + std::to_string(row);
        q.rows[static_cast<std::size_t>(row)].model = static_cast<i16>(row % 4);
        q.rows[static_cast<std::size_t>(row)].computer = row == 4;
    }
    q.rows[3].name = "   ";
    EXPECT_EQ(screens::StartGame(r.m, q, r.g.options, r.dialogs), screens::StartResult::Started);
    EXPECT_EQ(r.m.MaxGamers, 3);
    EXPECT_EQ(std::tuple(r.m.Gobla(1).RName, r.m.Gobla(2).RName, r.m.Gobla(3).RName),
              std::tuple("Игрок1", "2", "Игрок4"));
    EXPECT_EQ(q.rows[3].name, "2") << "the box shows the name it got";
    EXPECT_EQ(std::tuple(r.m.Gobla(1).Model, r.m.Gobla(3).Model, r.m.Gobla(3).CompControl),
              std::tuple(1, 0, 1));
    // The strengths travel with their rows; untouched rows play the master.
    q.SetLevel(r.g, 4, kLevelNovice);
    q.SetLevel(r.g, 3, kLevelChampion);
    q.SetLevel(r.g, 1, 4); // not a strength: ignored
    EXPECT_EQ(screens::StartGame(r.m, q, r.g.options, r.dialogs), screens::StartResult::Started);
    EXPECT_EQ(std::tuple(r.m.CompLevel(1), r.m.CompLevel(2), r.m.CompLevel(3)),
              std::tuple(kLevelMaster, kLevelChampion, kLevelNovice));
    // One row left: no start, and the count keeps its last value.
    for (int row : ticked)
        q.SetTake(row, 0);
    q.SetTake(5, 1);
    EXPECT_FALSE(q.GoEnabled());
    EXPECT_EQ(q.GamersCount, 2) << "the count when two were last ticked";
    EXPECT_EQ(q.Go(r.g), Next::Stay());
}

TEST(QuickGame, ObstaclesStandWhereTheirModeSays) {
    ScreensRig r;
    r.g.quick.TickFirst(2);
    r.m.MaxX = 600;
    r.m.MaxY = 400;
    r.m.PipaOn = kTrue;
    r.m.PipaMode = 0;
    r.m.PipaSimm = kFalse;
    ASSERT_EQ(screens::StartGame(r.m, r.g.quick, r.g.options, r.dialogs),
              screens::StartResult::Started);
    EXPECT_EQ(std::tuple(r.m.MaxPip, r.m.Gobla(3).Xpos, r.m.Gobla(3).Ypos, r.m.Gobla(4).Ypos,
                         r.m.Gobla(4).Model),
              std::tuple(2, 80.0, 80.0, 320.0, kModelObstacle));
}

TEST(QuickGame, MassEditorTakesOneToAThousandAndNothingElse) {
    ScreensRig r;
    r.g.quick.rows[2].name = "Вова";
    r.g.quick.rows[2].model = 3;
    r.g.mass.Open(r.g, 2);
    EXPECT_EQ(r.g.mass.info, "Игрок: Вова (Круглая Гобла)");
    const std::pair<const char*, const char*> refused[] = {
        {"abc", "Нужно ввести целое число"},      {"", "Нужно ввести целое число"},
        {"0", "некорректное значение массы"},     {"1001", "некорректное значение массы"},
        {"70000", "некорректное значение массы"}, {"99999999999999999999", "некорректное"},
        {"0.5", "некорректное значение массы"}};
    for (const auto& [text, why] : refused) {
        r.g.mass.mass = text;
        EXPECT_FALSE(r.g.mass.Done(r.g)) << text;
        EXPECT_TRUE(r.Said(why)) << text;
        EXPECT_EQ(r.m.Gobla(3).M, 1) << text;
    }
    // Taken as the nearest integer, halves to the even one.
    for (const auto& [text, mass] : {std::pair{" 1000 ", 1000}, {"2.5", 2}, {"3,5", 4}}) {
        r.g.mass.mass = text;
        EXPECT_TRUE(r.g.mass.Done(r.g)) << text;
        EXPECT_EQ(r.m.Gobla(3).M, mass) << text;
    }
}

// "Как играть?" and the help page's section on the computer name every strength.
TEST(QuickGame, HowToPlayAndTheHelpPageDescribeEveryStrength) {
    std::stringstream page;
    page << std::ifstream(KV_SOURCE_DATADIR "/help/index.html").rdbuf();
    const std::string html = page.str(), how = ComposeHelpText();
    const auto from = html.find("id=\"comp\"");
    const std::string comp = html.substr(from, html.find("id=\"files\"") - from);
    for (const char* name : kLevelNames) {
        EXPECT_NE(how.find(name), std::string::npos) << name;
        EXPECT_NE(comp.find(std::string("<b>") + name + "</b>"), std::string::npos) << name;
    }
}

TEST(QuickGame, NamesComeFromTheListWithoutItsBlankLines) {
    ScreensRig r;
    std::ofstream(r.dir + "zvr.nam", std::ios::binary)
        << Utf8ToCp1251("\r\nАня\r\n  \r\nБорис\r\n");
    r.g.s.dataDir = r.dir;
    r.g.options.ReloadNames(r.g);
    ASSERT_TRUE(r.g.namesAvailable);
    for (int i = 0; i < 20; ++i) {
        r.g.quick.PickName(r.g, 0);
        EXPECT_TRUE(r.g.quick.rows[0].name == "Аня" || r.g.quick.rows[0].name == "Борис");
    }
    std::filesystem::remove(r.dir + "zvr.nam");
    r.g.options.ReloadNames(r.g);
    EXPECT_FALSE(r.g.namesAvailable) << "only the name buttons go";
    r.g.quick.SetTake(3, 1);
    EXPECT_EQ(r.g.quick.rows[3].take, 1);
}

TEST(Options, DoneAppliesEverythingOrNothing) {
    ScreensRig r;
    screens::OptionsScreen& o = r.g.options;
    screens::GameScreens& g = r.g;
    o.Load(r.m);
    o.mode = "800x600x16";
    o.adapter = 1;
    o.renderer = 1;
    o.settings.maxSize = 1;
    o.settings.sizeX = "abc";
    o.SetSpread(r.m, 5);
    EXPECT_EQ(o.Done(g), Next::To(ScreenId::MainMenu));
    EXPECT_EQ(std::tuple(r.m.ScreenW, r.m.ScreenH, r.m.Colors), std::tuple(800, 600, 16));
    EXPECT_EQ(r.m.RenderNum, 0) << "another screen always draws with the hardware renderer";
    EXPECT_EQ(std::tuple(r.m.MaxX, r.m.MaxY), std::tuple(1000, 1000));
    EXPECT_FLOAT_EQ(r.m.VarK, 0.1f);

    o.Load(r.m);
    o.settings.maxSize = 0;
    const std::pair<const char*, const char*> wrong[] = {{"640x480x8", "150"},
                                                         {"640x480x8", "70000"},
                                                         {"640x480x8", "6оо"},
                                                         {"много", "600"},
                                                         {"640x99999x8", "600"}};
    for (const auto& [mode, length] : wrong) {
        r.dialogs.messages.clear();
        o.mode = mode;
        o.settings.sizeX = length;
        o.settings.sound = 0;
        EXPECT_EQ(o.Done(g), Next::Stay()) << mode << " " << length;
        EXPECT_EQ(r.dialogs.messages.size(), 1u) << length;
        EXPECT_EQ(std::tuple(r.m.MaxX, r.m.Sound, r.m.ScreenW), std::tuple(1000, kTrue, 800));
    }
    o.Back(g); // leaving without "Готово": the refused size is not kept for the settings file
    EXPECT_EQ(o.settings.sizeX, "1000");
}

// The mode list follows the screen picked; a mode the new one lacks gives way.
TEST(Options, AnotherScreenOffersItsOwnModes) {
    ScreensRig r;
    struct Video : screens::VideoPort {
        bool FillVideoLists(const Module1&, std::vector<std::string>&,
                            std::vector<std::string>&) override {
            return true;
        }
        PixelSize ScreenSize(int adapter) override {
            return adapter == 0 ? PixelSize{1920, 1080} : PixelSize{1280, 800};
        }
    } video;
    r.g.s.video = &video;
    screens::OptionsScreen& o = r.g.options;
    o.SetAdapter(r.g, 0);
    o.mode = "1920x1080x32";
    o.SetAdapter(r.g, 1);
    EXPECT_EQ(o.modes, screens::OfferedModes(1280, 800));
    EXPECT_EQ(o.mode, "1280x800x32");
    o.mode = "800x600x16"; // every screen offers the classic nine
    o.SetAdapter(r.g, 0);
    EXPECT_EQ(std::tuple(o.adapter, o.mode), std::tuple(0, "800x600x16"));
    EXPECT_EQ(o.modes.front(), "1920x1080x32");
}

TEST(Options, TheScreensOwnModesComeBesideTheClassicNine) {
    const std::vector<std::string> wide = screens::OfferedModes(1920, 1080);
    EXPECT_EQ(wide.front(), "1920x1080x32");
    auto has = [&wide](const char* m) {
        return std::find(wide.begin(), wide.end(), m) != wide.end();
    };
    EXPECT_TRUE(has("1600x900x32") && has("1280x720x32") && has("1680x1050x32"));
    EXPECT_FALSE(has("1920x1200x32")) << "taller than the screen";
    ASSERT_GE(wide.size(), 9u);
    EXPECT_TRUE(std::equal(wide.end() - 9, wide.end(), std::begin(screens::kScreenModes)));
    for (auto [w, h] : {std::pair{0, 0}, {-5, 100000}, {1024, 768}})
        EXPECT_EQ(screens::OfferedModes(w, h).size(), 9u) << w;
}

TEST(Results, ScoringByPlacesWithTheEdgeCasesOfTheRules) {
    Module1 m;
    m.MaxGamers = 5;
    // C, A, E, B, D as slots 3, 1, 5, 2, 4 finishing first to last: C is the winner.
    const i16 order[] = {4, 2, 5, 1, 3};
    for (int p = 1; p <= 5; ++p) {
        m.WS(p) = order[p - 1];
        m.Gobla(p).Life = p == 3 ? kTrue : kFalse;
    }
    screens::ScoreMatch(m, true);
    const i16 f1[] = {6, 3, 10, 2, 4}, lin[] = {4, 2, 5, 1, 3};
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(std::pair(m.Gobla(s).ScoreF, m.Gobla(s).ScoreL), std::pair(f1[s - 1], lin[s - 1]))
            << s;
    EXPECT_EQ(std::tuple(m.Gobla(3).ScoreA, m.Gobla(3).ScoreATotal, m.KH(1)), std::tuple(1, 1, 3));

    // Seven players: the seventh place scores no Formula-1 point and adds nothing.
    Module1 seven;
    seven.MaxGamers = 7;
    for (int p = 1; p <= 7; ++p)
        seven.WS(p) = static_cast<i16>(p);
    seven.Gobla(1).ScoreFTotal = 5;
    screens::ScoreMatch(seven, true);
    EXPECT_EQ(std::tuple(seven.Gobla(1).ScoreF, seven.Gobla(1).ScoreFTotal), std::tuple(0, 5));

    // Nobody on the table, or a match left early: no winner's point.
    Module1 none = seven;
    for (int s = 1; s <= 7; ++s)
        none.Gobla(s).Life = kFalse;
    screens::ScoreMatch(none, true);
    Module1 left = seven; // left with ESC, one piece on the table
    left.Gobla(7).Life = kTrue;
    left.KH(1) = 1;
    screens::ScoreMatch(left, false);
    Module1 broken = left; // an order with a gap says no places
    broken.WS(7) = 0;
    screens::ScoreMatch(broken, true);
    EXPECT_EQ(none.Gobla(7).ScoreATotal + left.Gobla(7).ScoreATotal + broken.Gobla(7).ScoreATotal,
              0);
    EXPECT_EQ(std::tuple(left.KH(1), broken.KH(1)), std::tuple(1, 1));
}

TEST(Results, TeamScoresRoundPlayerAndTheListsSelection) {
    ScreensRig r;
    Module1& m = r.m;
    m.ZI = kTrue;
    m.MaxGamers = 4;
    m.N1 = 3;
    m.N2 = 1;
    m.rc(3).ComName = "Зубры";
    m.rc(1).ComName = "Соколы";
    for (int p = 1; p <= 4; ++p)
        m.WS(p) = static_cast<i16>(p == 1 ? 2 : p == 2 ? 4 : p == 3 ? 1 : 3);
    m.Gobla(1).Life = m.Gobla(3).Life = kTrue;
    m.Winner = 3;
    for (int s = 1; s <= 4; ++s)
        m.Gobla(s).RName = "Игрок" + std::to_string(s);
    m.Gobla(2).Sginul = 1;
    m.Gobla(3).Sginul = 1;
    r.g.results.Update(r.g, true, false);
    EXPECT_EQ(std::tuple(r.g.results.winner, m.rc(3).Score), std::tuple("Зубры", 2));
    EXPECT_EQ(r.g.results.statusCaption, "Выиграла команда:");
    EXPECT_EQ(r.g.results.roundPlayer, m.Gobla(2).RName) << "ties go to the lower slot";
    EXPECT_EQ(m.Gobla(2).Sginul, 0);

    // The lists' selection: the first of the largest, the last moved into its place.
    Module1 q;
    q.MaxGamers = 4;
    const i16 scores[] = {3, 5, 3, 5};
    for (int s = 1; s <= 4; ++s) {
        q.Gobla(s).ScoreFTotal = scores[s - 1];
        q.Gobla(s).RName = std::string(1, static_cast<char>('a' + s - 1));
    }
    EXPECT_EQ(screens::ScoreList(q, &GoblaRec::ScoreFTotal),
              (std::vector<std::string>{"5\tb", "5\td", "3\ta", "3\tc"}));
    q.Gobla(1).ScoreFTotal = 5;
    EXPECT_EQ(screens::ScoreList(q, &GoblaRec::ScoreFTotal),
              (std::vector<std::string>{"5\ta", "5\td", "5\tb", "3\tc"}))
        << "after the first tie, no longer in slot order";
}

TEST(Results, KeepingTheLatestFileUnderANameNeverFailsSilently) {
    ScreensRig r;
    screens::GameScreens& g = r.g;
    r.m.QuickSaveNo = 1;
    r.prompt.answer = "мой матч"; // a bare name lands in the state folder, with its ending
    EXPECT_FALSE(screens::CopyLatestFile(g, r.dir + "game1.zvr", false));
    EXPECT_TRUE(r.Said("не сохранен")) << "no quick save yet";
    std::ofstream(r.dir + "game1.zvr", std::ios::binary) << "снимок";
    EXPECT_TRUE(screens::CopyLatestFile(g, r.dir + "game1.zvr", false));
    std::string got;
    ASSERT_TRUE(ReadFileBytes(r.dir + "мой матч.zvr", got));
    EXPECT_EQ(got, "снимок");
    // An existing file is replaced after OK, kept after Cancel.
    std::ofstream(r.dir + "game1.zvr", std::ios::binary) << "новый";
    r.dialogs.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(screens::CopyLatestFile(g, r.dir + "game1.zvr", false));
    r.dialogs.answers = {MsgAnswer::Ok};
    EXPECT_TRUE(screens::CopyLatestFile(g, r.dir + "game1.zvr", false));
    ASSERT_TRUE(ReadFileBytes(r.dir + "мой матч.zvr", got));
    EXPECT_EQ(got, "новый");
    // The latest file itself, however it is written, is refused.
    r.prompt.answer = r.dir + "sub/../game1.zvr";
    std::filesystem::create_directory(r.dir + "sub");
    EXPECT_FALSE(screens::CopyLatestFile(g, r.dir + "game1.zvr", false));
    EXPECT_TRUE(r.Said("уже содержится сохраненная игра"));
    r.prompt.answer.clear(); // cancelled
    EXPECT_FALSE(screens::CopyLatestFile(g, r.dir + "game1.zvr", true));
}

} // namespace
} // namespace kv
