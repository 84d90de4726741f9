#include "persistence/Settings.h"
#include "FakeDialogs.h"
#include "persistence/Teams.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace kv {
namespace {

using std::tuple;
using test::Put;
using test::Text;

struct Screens {
    Module1 m;
    SettingsRecord c;
    test::FakeDialogs d;
    bool Load(const std::string& path, bool replay = false) {
        return LoadSettings(m, c, path, d, replay);
    }
    std::string Saved() const { return SettingsText(m, c, PieceMasses(m)); }
};

// A settings file written by hand, with Russian decimal commas.
std::string Ini(const std::string& extra) {
    return "[ZVRSET]\r\n" + extra +
           "ScreenW=800\r\nScreenH=600\r\nColors=16\r\nUseTex=1\r\nUseRoom=0\r\n"
           "DeviceNum=0\r\nRenderNum=1\r\nR0=Вася\r\nRModel0=2\r\nRComp0=1\r\nRM0=5\r\n"
           "R1=Петя\r\nRModel1=0\r\nRComp1=0\r\nRM1=1\r\nMaxX=700\r\nMaxY=500\r\n"
           "Ftr=0,03\r\nVarK=0,05\r\nMaxScr=0\r\nCompHOD=0\r\nSound=1\r\nBorder=1\r\n"
           "BordMode=0\r\nBordSimm=0\r\nPipa=1\r\nPipaMode=1\r\nPipaSimm=1\r\n"
           "chk0=1\r\nchk1=1\r\nchk2=1\r\n";
}

TEST(SettingsFile, SavedSettingsLoadBackIntoTheSameControlsAndState) {
    test::TempHome home;
    Screens a;
    ApplyDefaultSettings(a.m, a.c);
    a.c.rows[3] = {"Ёлка\r\nSound=0", 3, 1, 1};
    a.c.rows[7].take = 2;
    a.m.Gobla(4).M = 999;
    a.c.sizeX = "750";
    a.c.sizeY = "300";
    a.m.Ftr = 0.01;
    a.m.VarK = 0.1f / 3;
    a.c.sound = a.c.border = 0;
    a.m.PipaMode = 1;
    a.m.ScreenW = 1024;
    a.c.rows[0].level = kLevelNovice; // the strengths: keys of our own after all the others
    a.c.rows[5].level = kLevelAmateur;
    a.c.rows[7].level = kLevelChampion;
    a.c.netName = "Вася у окна"; // the network name: ours, the last key
    const std::string path = home.Path("zvr2.ini");
    ASSERT_TRUE(SaveSettings(a.m, a.c, PieceMasses(a.m), path, a.d));
    const std::string text = Text(path);
    EXPECT_EQ(text.rfind("[zvrset]\r\nScreenW=1024\r\nScreenH=480\r\n", 0), 0u);
    for (const char* part : {"\r\nR3=Ёлка  Sound=0\r\nRModel3=3\r\nRComp3=1\r\nRM3=999\r\n",
                             "\r\nSound=0\r\nBorder=0\r\nPipa=1\r\nPipaMode=1\r\n",
                             "\r\nchk7=2\r\nWindowed=1\r\nRLevel0=0\r\nRLevel1=2\r\n",
                             "\r\nRLevel5=1\r\nRLevel6=2\r\nRLevel7=3"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    Screens b;
    b.m.Windowed = 0;
    ASSERT_TRUE(b.Load(path));
    EXPECT_TRUE(b.d.messages.empty());
    // Every control and value the file holds comes back.
    EXPECT_EQ(b.Saved() + "\r\n", text);
    EXPECT_EQ(tuple(b.m.MaxX, b.m.Ftr, b.m.VarK, b.m.Sound, b.m.Border, b.m.PipaOn),
              tuple(750, 0.01, a.m.VarK, kFalse, kFalse, kTrue));
    EXPECT_EQ(tuple(b.c.rows[3].name, b.c.rows[7].take, b.m.ScreenW),
              tuple("Ёлка  Sound=0", 2, 1024));
    EXPECT_EQ(tuple(b.c.rows[0].level, b.c.rows[5].level, b.c.rows[7].level),
              tuple(kLevelNovice, kLevelAmateur, kLevelChampion));
    EXPECT_EQ(b.c.netName, "Вася у окна");
    EXPECT_TRUE(text.ends_with("\r\nGraphics=1\r\nNetName=Вася у окна\r\n"))
        << "the network name comes after every older key";
}

TEST(SettingsFile, HandWrittenFileLoadsAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("zvr2.ini");
    Put(path, Ini("R3=\r\nFtr=0,025\r\nNum=12\r\n"));
    Screens s;
    s.m.BordMode = 1;
    s.c.rows[1].level = kLevelNovice; // no strengths in the file: the masters
    ASSERT_TRUE(s.Load(path));
    EXPECT_TRUE(s.d.messages.empty());
    EXPECT_EQ(
        tuple(s.m.ScreenW, s.m.UseTex, s.m.MaxX, s.m.Ftr, s.m.VarK, s.m.BordMode, s.m.PipaSimm),
        tuple(800, kTrue, 700, 0.02, 0.05f, 0, kTrue));
    EXPECT_EQ(tuple(s.c.rows[0].name, s.c.rows[0].model, s.m.Gobla(1).M), tuple("Вася", 2, 5));
    // Blank or missing names get the default; a missing RM5 is the default mass.
    EXPECT_EQ(tuple(s.c.rows[3].name, s.c.rows[5].name, s.m.Gobla(6).M),
              tuple("Гобла4", "Гобла6", 1));
    // Num above 8 is capped; no CurG or KtoHodit lines.
    EXPECT_EQ(tuple(s.m.MaxGamers, s.m.CurG, s.m.KH(1)), tuple(8, 1, 0));
    EXPECT_EQ(tuple(s.c.sizeX, s.c.rows[2].take, s.c.rows[4].take), tuple("700", 1, 0));
    for (const PlayerRow& row : s.c.rows)
        EXPECT_EQ(row.level, kLevelMaster);
    // A malformed ScreenW keeps the state's own value; VarK past its range is none.
    Put(path, Ini("VarK=0,15\r\nScreenW=abc\r\nColors=0\r\nCurG=7\r\n"));
    Screens b;
    b.Load(path);
    EXPECT_EQ(tuple(b.m.VarK, b.m.ScreenW, b.m.Colors, b.m.CurG), tuple(0, 640, 8, 2));
    // Without the look's key (a file of an older game) the modern look comes with its
    // room; with it, the room stays as the file says.
    EXPECT_EQ(tuple(b.m.Graphics, b.m.UseRoom), tuple(kGraphicsModern, kTrue));
    Put(path, Ini("Graphics=0\r\n"));
    Screens classic;
    classic.Load(path);
    EXPECT_EQ(tuple(classic.m.Graphics, classic.m.UseRoom), tuple(kGraphicsClassic, kFalse));
}

TEST(SettingsFile, BadValuesFallBackToTheDefaultsWithTheMessage) {
    test::TempHome home;
    const std::string path = home.Path("zvr2.ini");
    const std::pair<const char*, const char*> cases[] = {
        {"Sound=5\r\n", "Недопустимое значение Sound"},
        {"Num=40000\r\n", "Переполнение"},
        {"Ftr=abc\r\n", "Несоответствие типов"},
        {"RM0=0\r\n", "Недопустимое значение RM0"},
        {"RModel1=4\r\n", "Недопустимое значение RModel1"},
        {"RLevel1=4\r\n", "Недопустимое значение RLevel1"},
        {"RLevel0=-1\r\n", "Недопустимое значение RLevel0"},
        {"RLevel2=40000\r\n", "Переполнение"}};
    Screens defaults;
    ApplyDefaultSettings(defaults.m, defaults.c);
    for (const auto& [extra, why] : cases) {
        Put(path, Ini(extra));
        Screens s;
        s.m.MaxX = 900;
        EXPECT_FALSE(s.Load(path)) << why;
        ASSERT_EQ(s.d.messages.size(), 1u) << why;
        const std::string text = s.d.messages[0];
        EXPECT_NE(text.find("параметров.\r\n\r\nОписание ошибки: " + std::string(why)),
                  std::string::npos);
        EXPECT_NE(Text(home.Path("zvrerror.log")).find(text), std::string::npos);
        EXPECT_EQ(tuple(s.m.MaxX, s.c.rows[0].name, s.c.rows[1].take, s.m.FirstRun),
                  tuple(600, "Омон1", 1, kTrue));
    }
    Screens none;
    EXPECT_FALSE(none.Load(home.Path("missing.ini")));
    EXPECT_TRUE(none.d.messages.empty());
    EXPECT_EQ(none.Saved(), defaults.Saved());
}

// ---- names and teams

TEST(NamesFile, CountsNonBlankLinesAndPicksAmongThem) {
    test::TempHome home;
    const std::string path = home.Path("zvr.nam");
    Put(path, "Вася\r\n   \r\n" + std::string(60, 'x') + "\r\n\r\nПетя\r\n");
    Module1 m;
    test::FakeDialogs d;
    EXPECT_TRUE(LoadNames(m, d, path));
    EXPECT_EQ(m.NameCount, 3);
    Rng rng(1);
    std::set<std::string> seen;
    std::string box;
    for (int i = 0; i < 200 && PickName(m, rng, box, d, path); ++i)
        seen.insert(box);
    // The names, never a blank line; 50 characters at most.
    EXPECT_EQ(seen, (std::set<std::string>{"Вася", "Петя", std::string(50, 'x')}));
    m.NameCount = 30; // the file shrank since it was counted
    while (PickName(m, rng, box, d, path)) {
    }
    EXPECT_NE(d.messages.back().find("конец файла"), std::string::npos);
    // A missing file disables the name buttons.
    EXPECT_FALSE(LoadNames(m, d, home.Path("none.nam")));
    EXPECT_EQ(m.NameCount, 0);
    EXPECT_NE(d.messages.back().find("Файл с именами не найден."), std::string::npos);
}

// The strengths come last in their sections; older files have none, and a
// value out of range is the master too.
TEST(TeamsFile, SavedTeamsLoadBackAndStrengthsDefaultToTheMaster) {
    test::TempHome home;
    const std::string path = home.Path("zvr.cmd");
    Module1 a;
    a.NextTeam = 4;
    for (i16 i = 1; i <= 3; ++i)
        a.rc(i) = {
            "Команда" + std::to_string(i), 0, "Один", "Два\nтри", "", "Четыре", 0, i == 2, 0};
    a.rc(1).Level = kLevelNovice;
    a.rc(2).Level = kLevelChampion;
    test::FakeDialogs d;
    EXPECT_NE(SaveCom(a, 3, 2, path, d).find("успешно сохранены"), std::string::npos);
    EXPECT_NE(Text(path).find("\r\nK=3\r\n[1]\r\nComName=Команда1\r\nR1=Один\r\nR2=Два три\r\n"
                              "R3=\r\nR4=Четыре\r\nCompControl=0\r\nRType=2\r\nLevel=0\r\n[2]\r\n"),
              std::string::npos);
    Module1 b;
    TeamsFile tb;
    LoadCom(b, tb, path, d);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(tuple(b.rc(1).ComName, b.rc(3).ComName), tuple("Команда1", "Команда3"));
    EXPECT_EQ(tuple(b.NextTeam, tb.perTeam, b.rc(1).RType, b.rc(2).CompControl, b.rc(3).R2),
              tuple(4, 3, 2, 1, "Два три"));
    EXPECT_EQ(tuple(b.rc(1).Level, b.rc(2).Level), tuple(kLevelNovice, kLevelChampion));
    Put(path, "K=2\r\n[1]\r\nComName=Синие\r\nRType=1\r\n[2]\r\nComName=Красные\r\n"
              "RType=1\r\nLevel=4\r\n");
    LoadCom(b, tb, path, d);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(tuple(b.rc(1).Level, b.rc(2).Level), tuple(kLevelMaster, kLevelMaster));
    // With no team defined the file is left alone.
    Put(path, "old");
    a.NextTeam = 1;
    EXPECT_TRUE(SaveCom(a, 4, 0, path, d).empty());
    EXPECT_EQ(test::Slurp(path), "old");
}

TEST(TeamsFile, HandWrittenFilesLoadAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("zvr.cmd");
    Put(path, ";KVELMAR 2: ZANTOR\r\n[1]\r\nComName=Синие\r\nR1=А\r\nRType=7\r\n[2]\r\n"
              "ComName=Красные\r\nCompControl=-1\r\n[3]\r\nComName=\r\n[4]\r\nComName=Лишние\r\n");
    Module1 m;
    TeamsFile t;
    test::FakeDialogs d;
    LoadCom(m, t, path, d);
    ASSERT_EQ(d.messages.size(), 1u); // RType=7
    EXPECT_NE(d.messages[0].find(path), std::string::npos);
    EXPECT_EQ(tuple(m.rc(1).ComName, m.rc(2).ComName), tuple("Синие", "Красные"));
    // CompControl is taken from the later section, as every lookup is.
    EXPECT_EQ(tuple(t.perTeam, m.rc(1).CompControl, m.rc(1).RType, m.NextTeam), tuple(4, -1, 0, 3));
    Put(path, "K=99999\r\n");
    LoadCom(m, t, path, d);
    EXPECT_NE(d.messages.back().find("Переполнение"), std::string::npos);
    LoadCom(m, t, home.Path("none.cmd"), d);
    EXPECT_EQ(m.NextTeam, 1);
}

} // namespace
} // namespace kv
