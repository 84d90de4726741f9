#include "persistence/Settings.h"
#include "FakeDialogs.h"
#include "persistence/Teams.h"
#include "persistence/TextFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace kv {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const std::string& utf8) {
    std::ofstream(path, std::ios::binary) << Utf8ToCp1251(utf8);
}

struct Screens {
    Module1 m;
    QuickGameModel quick;
    OptionsModel options;
    test::FakeDialogs d;
    bool Load(const std::string& path, bool replay = false) {
        return LoadSettings(m, quick, options, path, d, replay);
    }
};

// A settings file as the Windows game wrote it under Russian regional settings.
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
    ApplyDefaultSettings(a.m, a.quick, a.options);
    a.quick.rows[3] = {1, "Ёлка\r\nSound=0", 3, 1};
    a.quick.rows[7].chk = 2;
    a.m.Gobla(4).M = 999;
    a.options.txtSizeG = "750";
    a.options.txtSizeV = "300";
    a.m.Ftr = 0.01;
    a.m.VarK = 0.1f / 3;
    a.options.chkSound = 0;
    a.options.chkBorder = 0;
    a.m.PipaMode = 1;
    a.m.ScreenW = 1024;
    const std::string path = home.Path("zvr2.ini");
    ASSERT_TRUE(SaveSettings(a.m, a.quick, a.options, path, a.d));
    const std::string text = Cp1251ToUtf8(Slurp(path));
    EXPECT_EQ(text.rfind("[zvrset]\r\nScreenW=1024\r\nScreenH=480\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nR3=Ёлка  Sound=0\r\nRModel3=3\r\nRComp3=1\r\nRM3=999\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nSound=0\r\nBorder=0\r\nPipa=1\r\nPipaMode=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nchk7=2\r\nWindowed=1\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 14), "\r\nWindowed=1\r\n");

    Screens b;
    b.m.Windowed = 0;
    ASSERT_TRUE(b.Load(path));
    EXPECT_TRUE(b.d.shown.empty());
    EXPECT_NE(b.m.Windowed, 0);
    for (int r = 0; r < kRows; ++r) {
        EXPECT_EQ(b.quick.rows[r].txtG, OneLine(a.quick.rows[r].txtG));
        EXPECT_EQ(b.quick.rows[r].cmb, a.quick.rows[r].cmb);
        EXPECT_EQ(b.quick.rows[r].chkComp, a.quick.rows[r].chkComp);
        EXPECT_EQ(b.quick.rows[r].chk, a.quick.rows[r].chk);
        EXPECT_EQ(b.m.Gobla(r + 1).M, a.m.Gobla(r + 1).M);
    }
    EXPECT_EQ(b.quick.GamersCount, 3);
    EXPECT_EQ(b.m.MaxX, 750);
    EXPECT_EQ(b.options.txtSizeV, "300");
    EXPECT_EQ(b.m.Ftr, 0.01);
    EXPECT_EQ(b.options.opTr, 0);
    EXPECT_EQ(b.m.VarK, a.m.VarK);
    EXPECT_EQ(b.m.Sound, kFalse);
    EXPECT_EQ(b.m.Border, kFalse);
    EXPECT_EQ(b.m.PipaOn, kTrue);
    EXPECT_EQ(b.m.PipaMode, 1);
    EXPECT_EQ(b.m.ScreenW, 1024);
    EXPECT_EQ(b.options.cmbGList, "1024x480x8");
}

TEST(SettingsFile, HandWrittenFileLoadsAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("zvr2.ini");
    Put(path, Ini("R3=\r\n"));
    Screens s;
    s.m.BordMode = 1;
    ASSERT_TRUE(s.Load(path));
    EXPECT_TRUE(s.d.shown.empty());
    EXPECT_EQ(s.m.ScreenW, 800);
    EXPECT_EQ(s.m.UseTex, kTrue);
    EXPECT_EQ(s.quick.rows[0].txtG, "Вася");
    EXPECT_EQ(s.quick.rows[0].cmb, 2);
    EXPECT_EQ(s.m.Gobla(1).M, 5);
    EXPECT_EQ(s.quick.rows[3].txtG, "Гобла4");
    EXPECT_EQ(s.quick.rows[5].txtG, "Гобла6");
    EXPECT_EQ(s.m.Gobla(6).M, 1); // no RM5 line: the default mass
    EXPECT_EQ(s.m.MaxGamers, 2);  // no Num line
    EXPECT_EQ(s.m.CurG, 1);
    EXPECT_EQ(s.m.KH(1), 0);
    EXPECT_EQ(s.m.MaxX, 700);
    EXPECT_EQ(s.m.Ftr, 0.03);
    EXPECT_EQ(s.options.opTr, 2);
    EXPECT_EQ(s.m.VarK, 0.05f);
    EXPECT_EQ(s.m.BordMode, 0);
    EXPECT_EQ(s.m.PipaSimm, kTrue);
    EXPECT_EQ(s.quick.rows[2].chk, 1);
    EXPECT_EQ(s.quick.rows[4].chk, 0);
    EXPECT_EQ(s.quick.GamersCount, 3);
}

TEST(SettingsFile, EdgeValuesOfTheRules) {
    test::TempHome home;
    const std::string path = home.Path("zvr2.ini");
    auto load = [&](const std::string& extra, Screens& s) {
        Put(path, Ini(extra));
        return s.Load(path);
    };
    {
        Screens s;
        load("Ftr=0,025\r\nVarK=0,1\r\nNum=12\r\nMaxScr=1\r\n", s);
        EXPECT_EQ(s.m.Ftr, 0.02);
        EXPECT_EQ(s.m.VarK, 0.1f);
        EXPECT_EQ(s.m.MaxGamers, 8);
        EXPECT_EQ(s.m.MaxX, 1000);
        EXPECT_EQ(s.m.MaxY, 1000);
        EXPECT_EQ(s.options.txtSizeG, "700");
    }
    {
        Screens s;
        load("VarK=0,15\r\nScreenW=abc\r\nColors=0\r\nCurG=7\r\n", s);
        EXPECT_EQ(s.m.VarK, 0);
        EXPECT_EQ(s.m.ScreenW, 640); // unchanged from the state's own value
        EXPECT_EQ(s.m.Colors, 8);
        EXPECT_EQ(s.m.CurG, 2);
    }
    {
        Screens s;
        s.m.BordMode = 1;
        s.m.BordSimm = kTrue;
        std::string t = Ini("");
        const std::string wall = "Border=1\r\nBordMode=0\r\nBordSimm=0\r\n";
        t.replace(t.find(wall), wall.size(), "Border=0\r\n");
        Put(path, t);
        ASSERT_TRUE(s.Load(path));
        EXPECT_EQ(s.m.Border, kFalse);
        EXPECT_EQ(s.m.BordMode, 1);
        EXPECT_EQ(s.m.BordSimm, kTrue);
    }
    {
        // In replay playback the take-part boxes stay as they are.
        Screens s;
        s.quick.rows[2].chk = 0;
        Put(path, Ini(""));
        ASSERT_TRUE(s.Load(path, true));
        EXPECT_EQ(s.quick.rows[2].chk, 0);
    }
}

TEST(SettingsFile, BadValuesFallBackToTheDefaultsWithTheMessage) {
    test::TempHome home;
    const std::string path = home.Path("zvr2.ini");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Sound=5\r\n", "Недопустимое значение Sound"},
        {"Num=40000\r\n", "Переполнение"},
        {"Ftr=abc\r\n", "Несоответствие типов"},
        {"RM0=0\r\n", "Недопустимое значение RM0"},
        {"RM2=1001\r\n", "Недопустимое значение RM2"},
        {"RModel1=4\r\n", "Недопустимое значение RModel1"},
        {"KtoHodit3=9\r\n", "Недопустимое значение KtoHodit3"},
        {"BordMode=2\r\n", "Недопустимое значение BordMode"},
    };
    for (const auto& [extra, why] : cases) {
        Put(path, Ini(extra));
        Screens s;
        s.m.MaxX = 900;
        EXPECT_FALSE(s.Load(path)) << why;
        ASSERT_EQ(s.d.shown.size(), 1u) << why;
        EXPECT_EQ(s.d.shown[0].text, "Ошибка при загрузке параметров.\r\n\r\nОписание ошибки: " +
                                         why + "\r\n\r\nПараметры будут установлены по умолчанию.");
        EXPECT_EQ(s.d.shown[0].icon, MsgIcon::Stop);
        EXPECT_EQ(s.m.MaxX, 600);
        EXPECT_EQ(s.quick.rows[0].txtG, "Омон1");
        EXPECT_EQ(s.quick.rows[1].chk, 1);
        EXPECT_EQ(s.m.FirstRun, kTrue);
    }
    EXPECT_NE(
        Cp1251ToUtf8(Slurp(home.Path("zvrerror.log"))).find("Ошибка при загрузке параметров."),
        std::string::npos);
    Screens none;
    EXPECT_FALSE(none.Load(home.Path("missing.ini")));
    EXPECT_TRUE(none.d.shown.empty());
    EXPECT_EQ(none.quick.rows[7].txtG, "Омон8");
    EXPECT_FALSE(
        LoadSettingsFile(none.m, none.quick, none.options, home.Path("missing.ini"), none.d));
    ASSERT_EQ(none.d.shown.size(), 1u);
}

// ---- names and teams

TEST(NamesFile, CountsNonBlankLinesAndPicksAmongThem) {
    test::TempHome home;
    const std::string path = home.Path("zvr.nam");
    const std::string longName(60, 'x');
    Put(path, "Вася\r\n   \r\n" + longName + "\r\n\r\nПетя\r\n");
    Module1 m;
    QuickGameModel quick;
    TeamScreenModel teams;
    test::FakeDialogs d;
    LoadNames(m, quick, teams, d, path);
    EXPECT_EQ(m.NameCount, 3);
    EXPECT_TRUE(teams.nameButtons);
    Rng rng(1);
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string box = "old";
        ASSERT_TRUE(PickName(m, rng, box, d, path));
        seen.insert(box);
    }
    // Lines 1 to 3 of the file, blank ones counted in the reading.
    EXPECT_EQ(seen, (std::set<std::string>{"Вася", "   ", std::string(50, 'x')}));

    m.NameCount = 1;
    std::string box;
    ASSERT_TRUE(PickName(m, rng, box, d, path));
    EXPECT_EQ(box, "Вася");

    m.NameCount = 30; // the file shrank since it was counted
    box = "kept";
    int eof = 0;
    for (int i = 0; i < 20; ++i)
        if (!PickName(m, rng, box, d, path)) ++eof;
    EXPECT_GT(eof, 0);
    EXPECT_EQ(d.shown.back().text, "Неожиданный конец файла gamedata\\zvr.nam.");
}

TEST(NamesFile, MissingFileDisablesTheNameButtons) {
    test::TempHome home;
    Module1 m;
    m.NameCount = 5;
    QuickGameModel quick;
    TeamScreenModel teams;
    test::FakeDialogs d;
    LoadNames(m, quick, teams, d, home.Path("zvr.nam"));
    EXPECT_EQ(m.NameCount, 0);
    EXPECT_FALSE(teams.nameButtons);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text,
              "Файл с именами не найден. Функция выбора имени из коллекции будет недоступна.");
    Rng rng(2);
    std::string box = "x";
    EXPECT_FALSE(PickName(m, rng, box, d, home.Path("zvr.nam")));
    EXPECT_EQ(box, "x");
}

TEST(TeamsFile, SavedTeamsLoadBack) {
    test::TempHome home;
    const std::string path = home.Path("zvr.cmd");
    Module1 a;
    TeamScreenModel ta;
    ta.countSlider = 3;
    ta.modelChoice = 2;
    a.NextTeam = 4;
    for (int i = 1; i <= 3; ++i) {
        a.rc(i).ComName = "Команда" + std::to_string(i);
        a.rc(i).R1 = "Один";
        a.rc(i).R2 = "Два\nтри";
        a.rc(i).R4 = "Четыре";
        a.rc(i).CompControl = static_cast<i16>(i == 2);
    }
    test::FakeDialogs d;
    SaveCom(a, ta, path, d);
    EXPECT_EQ(ta.status, "(Настройки команд были успешно сохранены в файл zvr.cmd)");
    const std::string text = Cp1251ToUtf8(Slurp(path));
    EXPECT_EQ(text.rfind(";KVELMAR 2: ZANTOR - Информация о командной игре\r\nK=3\r\n[1]\r\n"
                         "ComName=Команда1\r\nR1=Один\r\nR2=Два три\r\nR3=\r\nR4=Четыре\r\n"
                         "CompControl=0\r\nRType=2\r\n[2]\r\n",
                         0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 11), "RType=2\r\n\r\n");

    Module1 b;
    TeamScreenModel tb;
    tb.playingList = {"x"};
    LoadCom(b, tb, path, d);
    EXPECT_TRUE(d.shown.empty());
    EXPECT_EQ(b.NextTeam, 4);
    EXPECT_EQ(tb.teamList, (std::vector<std::string>{"Команда1", "Команда2", "Команда3"}));
    EXPECT_TRUE(tb.playingList.empty());
    EXPECT_EQ(tb.countSlider, 3);
    EXPECT_EQ(tb.modelChoice, 2);
    EXPECT_EQ(b.rc(2).CompControl, 1);
    EXPECT_EQ(b.rc(3).R2, "Два три");
    EXPECT_EQ(tb.status, "(Файл с настройками команд успешно загружен)");
}

TEST(TeamsFile, HandWrittenFilesLoadAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("zvr.cmd");
    Put(path, ";KVELMAR 2: ZANTOR\r\n[1]\r\nComName=Синие\r\nR1=А\r\nRType=7\r\n[2]\r\n"
              "ComName=Красные\r\nCompControl=-1\r\n[3]\r\nComName=\r\n[4]\r\nComName=Лишние\r\n");
    Module1 m;
    TeamScreenModel t;
    test::FakeDialogs d;
    LoadCom(m, t, path, d);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Обнаружена некорректная запись в файле " + path +
                                   "\r\nЗначение параметра будет установлено по умолчанию.");
    EXPECT_EQ(t.countSlider, 4);
    EXPECT_EQ(t.teamList, (std::vector<std::string>{"Синие", "Красные"}));
    EXPECT_EQ(m.rc(1).CompControl, -1); // taken from the later section, as every lookup is
    EXPECT_EQ(m.rc(1).RType, 0);
    EXPECT_EQ(t.modelChoice, 0);
    EXPECT_EQ(m.NextTeam, 3);

    Put(path, "K=2\r\n[1]\r\nComName=Один\r\n");
    LoadCom(m, t, path, d);
    EXPECT_EQ(m.rc(1).CompControl, 0);

    Put(path, "K=99999\r\n");
    LoadCom(m, t, path, d);
    EXPECT_EQ(d.shown.back().text, "Ошибка при загрузке файла настроек:\r\n\r\nПереполнение");

    LoadCom(m, t, home.Path("none.cmd"), d);
    EXPECT_EQ(t.status, "(Файл с настройками команд не найден)");
    EXPECT_EQ(m.NextTeam, 1);
    EXPECT_TRUE(t.teamList.empty());
}

TEST(TeamsFile, SavingWithNoTeamLeavesTheFileAlone) {
    test::TempHome home;
    const std::string path = home.Path("zvr.cmd");
    Put(path, "old");
    Module1 m;
    m.NextTeam = 1;
    TeamScreenModel t;
    test::FakeDialogs d;
    SaveCom(m, t, path, d);
    EXPECT_EQ(Slurp(path), "old");
    EXPECT_TRUE(t.status.empty());
}

} // namespace
} // namespace kv
