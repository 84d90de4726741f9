// The team screens, the load browser, the error report and the piece
// preview, driven through their models as the windows drive them.
#include "ScreensRig.h"

#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kv {
namespace {

using screens::LoadMode;
using screens::Next;
using screens::ScreenId;
using test::ScreensRig;

void AllScreens(ScreensRig& r) {
    for (ScreenId s : {ScreenId::Teams, ScreenId::NewTeam, ScreenId::LoadBrowser,
                       ScreenId::ErrorReport, ScreenId::Preview})
        r.g.available.insert(s);
    r.StartUp();
    r.dialogs.messages.clear();
}

// Makes a team through the new-team window as a player would.
bool MakeTeam(ScreensRig& r, const std::string& name, bool computer = true) {
    screens::GameScreens& g = r.g;
    if (g.teams.Create(g) != Next::To(ScreenId::NewTeam)) return false;
    g.newTeam.name = name;
    g.newTeam.computer = computer ? 1 : 0;
    return g.newTeam.Confirm(g);
}

TEST(Teams, ListEditsKeepNamesUniqueAndThePlayingListTrue) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    g.flow.Apply(g.menu.TeamGame(g), ScreenId::MainMenu);
    ASSERT_EQ(g.flow.Current(), ScreenId::Teams);
    EXPECT_EQ(g.teams.perTeam, 4);
    EXPECT_TRUE(g.teams.teams.empty());

    ASSERT_EQ(g.teams.Create(g), Next::To(ScreenId::NewTeam));
    EXPECT_EQ(g.newTeam.name, "Команда1");
    EXPECT_EQ(g.newTeam.members[3], "Гобла4");
    g.newTeam.name = "   ";
    EXPECT_FALSE(g.newTeam.Confirm(g)) << "a name of blanks is no name";
    EXPECT_TRUE(r.Said("Надо ввести имя команды!"));
    g.newTeam.name = "  Синие  ";
    g.newTeam.members[1] = " ";
    EXPECT_FALSE(g.newTeam.Confirm(g));
    EXPECT_TRUE(r.Said("Вы не ввели некоторые имена игроков."));
    g.newTeam.members[1] = "Тирс";
    ASSERT_TRUE(g.newTeam.Confirm(g));
    ASSERT_EQ(g.teams.teams, (std::vector<std::string>{"Синие"}));
    EXPECT_EQ(r.m.rc(1).R2, "Тирс");

    EXPECT_FALSE(MakeTeam(r, "Синие")) << "duplicate name";
    ASSERT_TRUE(MakeTeam(r, "Красные"));
    ASSERT_TRUE(MakeTeam(r, "Зелёные"));
    ASSERT_TRUE(MakeTeam(r, "Жёлтые"));

    // A rename may keep its own name but never take another team's.
    g.teams.selected = 1;
    ASSERT_EQ(g.teams.Change(g), Next::To(ScreenId::NewTeam));
    EXPECT_EQ(g.newTeam.name, "Красные");
    g.newTeam.name = "Синие";
    EXPECT_FALSE(g.newTeam.Confirm(g));
    g.newTeam.name = "Красные";
    EXPECT_TRUE(g.newTeam.Confirm(g));

    g.teams.AddPlaying(g, 1);
    g.teams.AddPlaying(g, 1);
    EXPECT_EQ(g.teams.playing.size(), 1U) << "the same team twice would play itself";
    g.teams.AddPlaying(g, 2);
    g.teams.AddPlaying(g, 3);
    EXPECT_TRUE(r.Said("В списке играющих команд уже находятся 2 команды!"));
    ASSERT_EQ(g.teams.playing, (std::vector<std::string>{"Красные", "Зелёные"}));

    // Renaming a playing team renames its entry; deleting one removes it.
    g.teams.selected = 2;
    g.teams.Change(g);
    g.newTeam.name = "Изумрудные";
    ASSERT_TRUE(g.newTeam.Confirm(g));
    EXPECT_EQ(g.teams.playing[1], "Изумрудные");
    g.teams.selected = 1;
    r.dialogs.answers = {MsgAnswer::Yes};
    g.teams.Delete(g);
    EXPECT_EQ(g.teams.teams, (std::vector<std::string>{"Синие", "Изумрудные", "Жёлтые"}));
    EXPECT_EQ(r.m.rc(2).ComName, "Изумрудные") << "later teams move one number down";
    EXPECT_EQ(r.m.NextTeam, 4);
    EXPECT_EQ(g.teams.playing, (std::vector<std::string>{"Изумрудные"}));

    EXPECT_EQ(g.teams.Start(g), Next::Stay());
    EXPECT_TRUE(r.Said("Выберите 2 команды для игры!"));

    while (r.m.NextTeam <= screens::kMostTeams)
        ASSERT_TRUE(MakeTeam(r, "Команда" + std::to_string(r.m.NextTeam)));
    EXPECT_EQ(g.teams.Create(g), Next::Stay());
    EXPECT_TRUE(r.Said("Больше 7 команд создавать нельзя!"));

    // "< Назад" keeps the teams in the teams file.
    g.flow.Apply(g.teams.Back(g), ScreenId::Teams);
    EXPECT_EQ(g.flow.Current(), ScreenId::MainMenu);
    ScreensRig again;
    std::filesystem::copy_file(r.dir + "zvr.cmd", again.dir + "zvr.cmd");
    AllScreens(again);
    again.g.menu.TeamGame(again.g);
    EXPECT_EQ(again.g.teams.teams.size(), 7U);
    EXPECT_EQ(again.g.teams.teams[1], "Изумрудные");
}

TEST(Teams, AComputerTeamGameGoesToTheResultsAndTheUsersMassesComeBack) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    for (int i = 1; i <= kMaxPlayers; ++i)
        r.m.Gobla(i).M = static_cast<i16>(10 * i);
    g.flow.Apply(g.menu.TeamGame(g), ScreenId::MainMenu);
    ASSERT_TRUE(MakeTeam(r, "Синие"));
    ASSERT_TRUE(MakeTeam(r, "Красные"));
    g.teams.AddPlaying(g, 0);
    g.teams.AddPlaying(g, 1);
    g.teams.SetPerTeam(2);
    g.teams.SetModel(g, 3);
    // The second team plays as a champion, in both its slots.
    g.teams.selected = 1;
    ASSERT_EQ(g.teams.Change(g), Next::To(ScreenId::NewTeam));
    EXPECT_EQ(g.newTeam.level, kLevelMaster);
    g.newTeam.level = kLevelChampion;
    ASSERT_TRUE(g.newTeam.Confirm(g));
    g.flow.Apply(g.teams.Start(g), ScreenId::Teams);
    ASSERT_EQ(r.view.matches, 1);
    EXPECT_EQ(std::tuple(r.m.CompLevel(1), r.m.CompLevel(2), r.m.CompLevel(3), r.m.CompLevel(4)),
              std::tuple(kLevelMaster, kLevelChampion, kLevelMaster, kLevelChampion));
    ASSERT_EQ(g.flow.Current(), ScreenId::Results);
    EXPECT_EQ(r.m.MaxGamers, 4);
    EXPECT_TRUE(g.results.teamGame);
    EXPECT_EQ(g.results.team1, "Синие");
    EXPECT_EQ(g.results.team2, "Красные");
    EXPECT_EQ(r.m.Gobla(1).M, 1) << "team pieces weigh one";

    // The settings written in between carry the user's own masses.
    g.SaveSettings();
    EXPECT_EQ(GetKeyFromFile(r.dir + "zvr2.ini", "zvrset", "RM2"), "30");

    g.flow.Apply(g.results.Back(g), ScreenId::Results);
    ASSERT_EQ(g.flow.Current(), ScreenId::Teams);
    g.flow.Apply(g.teams.Back(g), ScreenId::Teams);
    EXPECT_EQ(g.flow.Current(), ScreenId::MainMenu);
    for (int i = 1; i <= kMaxPlayers; ++i)
        EXPECT_EQ(r.m.Gobla(i).M, 10 * i);
    EXPECT_EQ(r.m.ZI, kFalse);
}

// A saved game of a started quick match, with the table given.
std::string SaveQuickGame(ScreensRig& r, const std::string& name, i16 maxX, i16 maxY) {
    for (PlayerRow& row : r.g.quick.rows)
        row.computer = 1;
    r.view.play = false;
    r.g.quick.Go(r.g);
    r.view.play = true;
    r.m.MaxX = maxX;
    r.m.MaxY = maxY;
    r.m.CurNG = r.m.CurG = 1; // as the match screen's start leaves them
    std::string err;
    const std::string path = r.dir + name;
    EXPECT_TRUE(WriteSaveGame(r.m, path, &err)) << err;
    return path;
}

int FileIndex(const screens::LoadBrowser& b, const std::string& name) {
    for (std::size_t i = 0; i < b.files.size(); ++i)
        if (b.files[i] == name) return static_cast<int>(i);
    return -1;
}

TEST(LoadBrowser, ListsInfoAndDeleteOnTheFilesOfTheStateFolder) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    SaveQuickGame(r, "Партия у окна.zvr", 300, 300);
    SaveQuickGame(r, "game2.ZVR", 300, 300);
    std::ofstream(r.dir + "replay1.sav") << "[general]\r\n";
    std::filesystem::create_directory(r.dir + "старые");
    g.flow.Apply(g.menu.LoadGame(g), ScreenId::MainMenu);
    screens::LoadBrowser& b = g.loader;
    EXPECT_EQ(b.heading, "Загрузка сохраненной игры");
    EXPECT_EQ(b.folder, r.dir);
    ASSERT_EQ(b.files.size(), 2U) << "saved games only, any case of the extension";
    EXPECT_GE(FileIndex(b, "Партия у окна.zvr"), 0) << "names as they are on disk";
    ASSERT_EQ(b.folders.size(), 2U);
    EXPECT_EQ(b.folders[1], "старые");
    b.EnterFolder(1);
    EXPECT_EQ(b.folder, r.dir + "старые/");
    EXPECT_TRUE(b.files.empty());
    b.EnterFolder(0);
    EXPECT_EQ(b.folder, r.dir);

    b.Info(g);
    EXPECT_TRUE(r.Said("Используйте эту кнопку"));
    b.Select(FileIndex(b, "Партия у окна.zvr"));
    r.dialogs.messages.clear();
    b.Info(g);
    ASSERT_EQ(r.dialogs.messages.size(), 1U);
    const std::string& info = r.dialogs.messages[0];
    EXPECT_EQ(info.rfind("Игра записана Kvelmarой:\r\n\r\nKvelmar II Билд 1408\r\n", 0), 0U)
        << info;
    EXPECT_NE(info.find("\r\n\r\nКомандная игра:Нет\r\nИгроков:2"), std::string::npos) << info;

    // A damaged file tells what it still holds; a vanished one says so.
    std::ofstream(r.dir + "game2.ZVR", std::ios::trunc) << "[general]\r\nZI=-1\r\nMaxGamers=x";
    b.Select(FileIndex(b, "game2.ZVR"));
    r.dialogs.messages.clear();
    b.Info(g);
    EXPECT_NE(r.dialogs.messages.at(0).find("Билд \r\n"), std::string::npos);
    EXPECT_NE(r.dialogs.messages.at(0).find("Командная игра:Да\r\nИгроков:x"), std::string::npos);
    std::filesystem::remove(r.dir + "game2.ZVR");
    b.Info(g);
    EXPECT_TRUE(r.Said("Указанный файл не существует!"));
    EXPECT_EQ(b.files.size(), 1U) << "the list is refreshed";

    b.Select(-1);
    b.Delete(g);
    EXPECT_TRUE(r.Said("Сначала выберите файл!"));
    b.Select(0);
    r.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
    b.Delete(g);
    EXPECT_EQ(b.files.size(), 1U);
    b.Select(0);
    b.Delete(g);
    EXPECT_TRUE(b.files.empty());
    EXPECT_FALSE(FileExists(r.dir + "Партия у окна.zvr"));
}

TEST(LoadBrowser, LoadChecksInOrderAndALoadedGameStartsWhereItStood) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    SaveQuickGame(r, "small.zvr", 150, 300);
    const std::string edge = SaveQuickGame(r, "edge.zvr", 200, 1000);
    for (int i = 1; i <= kMaxPlayers; ++i)
        r.m.Gobla(i).M = 7;
    g.options.settings.sizeX = "444"; // typed on the options screen earlier, never applied
    g.flow.Apply(g.menu.LoadGame(g), ScreenId::MainMenu);
    screens::LoadBrowser& b = g.loader;

    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_TRUE(r.Said("Нет выбранных файлов!"));
    b.Select(FileIndex(b, "small.zvr"));
    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_TRUE(r.Said("Размеры стола сохраненного повтора заданы неверно."));
    b.Select(FileIndex(b, "edge.zvr"));
    r.m.Colors = 1;
    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_TRUE(r.Said("Некорректные параметры графики."));
    r.m.Colors = 16;
    std::filesystem::remove(edge);
    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_TRUE(r.Said("Указанный файл не существует!"));

    SaveQuickGame(r, "edge.zvr", 200, 1000);
    const double x = r.m.Gobla(2).Xpos;
    r.m.Gobla(2).Xpos = -1;
    for (int i = 1; i <= kMaxPlayers; ++i)
        r.m.Gobla(i).M = 7;
    b.Refresh();
    b.Select(FileIndex(b, "edge.zvr"));
    r.view.play = false;
    ASSERT_EQ(b.Load(g), Next::Match(ScreenId::LoadBrowser));
    EXPECT_EQ(r.m.LoadedGame, kTrue);
    EXPECT_EQ(r.m.Gobla(2).Xpos, x) << "the pieces stand where the file has them";
    g.flow.Apply(Next::Match(ScreenId::LoadBrowser), ScreenId::LoadBrowser);
    g.flow.ShowResults(true);
    g.flow.Apply(g.results.Back(g), ScreenId::Results);
    EXPECT_EQ(g.flow.Current(), ScreenId::LoadBrowser) << "a loaded game returns to the browser";

    g.flow.Apply(b.Back(g), ScreenId::LoadBrowser);
    EXPECT_EQ(g.flow.Current(), ScreenId::MainMenu);
    for (int i = 1; i <= kMaxPlayers; ++i)
        EXPECT_EQ(r.m.Gobla(i).M, 7) << "the masses from before the load";
    EXPECT_EQ(r.m.LoadedGame, kFalse);
    EXPECT_EQ(g.options.settings.sizeX, "444")
        << "the browser's way back keeps options typed earlier";
}

TEST(LoadBrowser, RefusedReplaysAreClosedAndAGoodOnePlaysToItsEnd) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    for (PlayerRow& row : g.quick.rows)
        row.computer = 1;
    r.view.record = true;
    g.flow.Apply(g.quick.Go(g), ScreenId::QuickGame);
    ASSERT_EQ(r.view.matches, 1) << r.replayFile.RecordingPath();
    const std::string recorded = std::filesystem::path(r.replayFile.RecordingPath()).filename();
    ASSERT_TRUE(FileExists(r.dir + recorded));
    const i16 winner = r.m.Winner;
    const double x = r.m.Gobla(winner).Xpos;
    r.view.record = false;

    std::filesystem::copy_file(r.dir + recorded, r.dir + "narrow.sav");
    {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(r.dir + "narrow.sav", bytes));
        const auto at = bytes.find("MaxX=");
        bytes.replace(at, bytes.find('\r', at) - at, "MaxX=150");
        std::ofstream(r.dir + "narrow.sav", std::ios::binary | std::ios::trunc) << bytes;
    }
    g.flow.Apply(g.results.LoadReplay(g), ScreenId::Results);
    ASSERT_EQ(g.flow.Current(), ScreenId::LoadBrowser);
    screens::LoadBrowser& b = g.loader;
    EXPECT_EQ(b.heading, "Загрузка повтора");
    b.Select(FileIndex(b, "narrow.sav"));
    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_FALSE(r.replayFile.Reading()) << "a refused replay is closed";
    b.Select(FileIndex(b, recorded));
    r.m.Colors = 1;
    EXPECT_EQ(b.Load(g), Next::Stay());
    EXPECT_FALSE(r.replayFile.Reading());
    r.m.Colors = 16;
    const Next n = b.Load(g);
    ASSERT_EQ(n, Next::Replay(ScreenId::LoadBrowser));
    EXPECT_EQ(r.m.LoadedGame, kFalse);
    g.flow.Apply(n, ScreenId::LoadBrowser);
    EXPECT_TRUE(g.flow.MatchReplay());
    EXPECT_EQ(r.m.Winner, winner);
    EXPECT_EQ(r.m.Gobla(winner).Xpos, x) << "the playback ends as the match ended";
}

TEST(ErrorReport, SavingKeepsTheTextWholeAndClosingAsksOnlyWhenUnsaved) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    EXPECT_EQ(g.menu.Report(g), Next::Beside(ScreenId::ErrorReport));
    screens::ErrorReport& rep = g.report;
    EXPECT_EQ(rep.text, "Введите сюда подробное описание ошибки.");
    EXPECT_EQ(rep.version, "3.0.1408 (Билд 1408)");
    EXPECT_TRUE(rep.Close(g));
    EXPECT_TRUE(r.dialogs.messages.empty()) << "nothing typed, nothing asked";

    rep.Edit("Гобла провалилась\r\nсквозь стол");
    r.dialogs.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_FALSE(rep.Close(g));
    EXPECT_TRUE(r.Said("Текст не сохранен. Сохранить его сейчас?"));
    EXPECT_TRUE(rep.Close(g));
    ASSERT_TRUE(rep.Save(g));
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(rep.Close(g));
        rep.Open(g);
        EXPECT_EQ(rep.text, "Гобла провалилась\r\nсквозь стол") << "no blank line grows";
        rep.Edit(rep.text + "!");
        rep.Edit(rep.text.substr(0, rep.text.size() - 1));
        ASSERT_TRUE(rep.Save(g));
    }

    // Chosen again while the window is up: brought forward, the typing kept.
    rep.Edit("ещё не сохранено");
    EXPECT_EQ(g.menu.Report(g), Next::Beside(ScreenId::ErrorReport));
    EXPECT_EQ(rep.text, "ещё не сохранено");
    EXPECT_TRUE(rep.changed);

    // A report that cannot be written stays in the window, still unsaved.
    std::ofstream(r.dir + "not-a-folder") << "x";
    g.s.stateDir = r.dir + "not-a-folder/";
    rep.Edit("новый текст");
    EXPECT_FALSE(rep.Save(g));
    EXPECT_TRUE(rep.changed);
    EXPECT_EQ(rep.text, "новый текст");
    r.dialogs.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(rep.Close(g)) << "the failed save keeps the window open";
}

TEST(Preview, QuestionDepthMeshCheckAndCaption) {
    ScreensRig r;
    AllScreens(r);
    screens::GameScreens& g = r.g;
    g.quick.rows[1].name = "Ирма";
    g.quick.rows[1].model = 3;
    r.m.Colors = 32;
    r.dialogs.answers = {MsgAnswer::No};
    EXPECT_EQ(g.preview.Ask(g, 1, 16), Next::Stay());
    EXPECT_TRUE(r.Said("Если этот режим (640x480x16bit) не заработает, попробуйте другой. "
                       "Продолжить?"));
    EXPECT_EQ(r.m.Colors, 32);
    ASSERT_EQ(g.preview.Ask(g, 1, 16), Next::To(ScreenId::Preview));
    EXPECT_EQ(r.m.Colors, 16) << "the next match runs at the previewed depth";
    EXPECT_EQ(g.preview.caption, "Игрок Ирма - Круглая Гобла");
    EXPECT_EQ(std::filesystem::path(g.preview.meshPath).filename(), "gobla3.x");
    g.preview.Tick();
    g.preview.Tick();
    EXPECT_DOUBLE_EQ(g.preview.angle, 0.1);
    EXPECT_EQ(g.preview.Escape(), Next::To(ScreenId::QuickGame));

    g.s.dataDir = r.dir; // no meshes there
    r.dialogs.messages.clear();
    EXPECT_EQ(g.preview.Ask(g, 1, 8), Next::Stay());
    EXPECT_TRUE(r.Said("Ошибка: не найден .х-файл Гоблы. Переустановите игру."));
}

} // namespace
} // namespace kv
