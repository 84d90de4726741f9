#include "persistence/SaveGame.h"
#include "FakeDialogs.h"
#include "persistence/Replay.h"

#include <gtest/gtest.h>

#include <bit>
#include <csignal>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kv {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const std::string& utf8) {
    std::ofstream(path, std::ios::binary) << Utf8ToCp1251(utf8);
}

std::uint64_t Bits(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

// A match state in the middle of a match, with awkward reals everywhere.
Module1 RandomState(std::uint64_t seed, bool teams) {
    std::mt19937_64 g(seed);
    auto real = [&] { return std::ldexp(static_cast<double>(g() >> 11), -53) * 900 - 50; };
    auto small = [&](int n) { return static_cast<i16>(g() % static_cast<unsigned>(n)); };
    Module1 m;
    m.MaxGamers = static_cast<i16>(2 + small(7));
    m.CurNG = static_cast<i16>(1 + small(m.MaxGamers));
    for (int p = 1; p <= kMaxPlayers; ++p) {
        m.KH(p) = static_cast<i16>(p <= m.MaxGamers ? m.MaxGamers + 1 - p : 0);
        m.WS(p) = static_cast<i16>(small(m.MaxGamers + 1));
    }
    m.CurG = m.KH(m.CurNG);
    m.CurSgin = small(m.MaxGamers + 1);
    m.MaxX = static_cast<i16>(200 + small(801));
    m.MaxY = static_cast<i16>(200 + small(801));
    m.Ftr = 0.03;
    m.GPercent = real();
    m.VarK = static_cast<float>(real() / 10000);
    if (m.VarK < 0) m.VarK = -m.VarK;
    m.Border = Flag(g() & 1);
    m.BordMode = small(2);
    m.BordSimm = Flag(g() & 1);
    m.PipaOn = Flag(g() & 1);
    m.PipaMode = small(2);
    m.PipaSimm = Flag(g() & 1);
    m.MaxPip = small(5);
    m.IsCompHOD = Flag(g() & 1);
    m.Sound = Flag(g() & 1);
    m.ZI = Flag(teams);
    m.N1 = teams ? 2 : 0;
    m.N2 = teams ? 5 : 0;
    for (int s = 1; s <= kPieceSlots; ++s) {
        GoblaRec& p = m.Gobla(s);
        p.Xpos = real();
        p.Ypos = real();
        p.Xvec = real() / 1000;
        p.Yvec = -real() / 3;
        p.U = real() * 1e-9;
        p.Phi = real();
        p.Gray = Flag(g() & 1);
        p.Life = Flag(g() & 1);
        p.Com = small(2);
        p.CompControl = small(2);
        p.MyNum = static_cast<i16>(s);
        p.RName = s % 2 ? "Игрок №" + std::to_string(s) : "Ёжик " + std::to_string(s);
        p.Sginul = small(8);
        p.Model = static_cast<i16>(s <= m.MaxGamers ? small(4) : 5);
        p.M = static_cast<i16>(1 + small(1000));
        p.ScoreL = small(100);
        p.ScoreF = small(100);
        p.ScoreA = small(2);
        p.ScoreLTotal = static_cast<i16>(small(30000) - 100);
        p.ScoreFTotal = small(30000);
        p.ScoreATotal = small(30000);
    }
    for (int t = 1; t <= kTeams; ++t) {
        TeamRec& c = m.rc(t);
        c.ComName = "Команда " + std::to_string(t);
        c.Kolvo = static_cast<i16>(1 + small(4));
        c.R1 = "Первый";
        c.R2 = "Второй";
        c.R3 = "";
        c.R4 = "Четвертый";
        c.Score = small(50);
        c.CompControl = small(2);
        c.RType = small(4);
    }
    for (int k = 1; k <= kObstacles; ++k)
        m.pipa(k) = {real(), real()};
    return m;
}

void ExpectSameSnapshot(const Module1& a, const Module1& b) {
    EXPECT_EQ(SnapshotText(a), SnapshotText(b));
    for (int s = 1; s <= kPieceSlots; ++s) {
        const GoblaRec &p = a.Gobla(s), &q = b.Gobla(s);
        EXPECT_EQ(Bits(p.Xpos), Bits(q.Xpos));
        EXPECT_EQ(Bits(p.Ypos), Bits(q.Ypos));
        EXPECT_EQ(Bits(p.Xvec), Bits(q.Xvec));
        EXPECT_EQ(Bits(p.Yvec), Bits(q.Yvec));
        EXPECT_EQ(Bits(p.U), Bits(q.U));
        EXPECT_EQ(Bits(p.Phi), Bits(q.Phi));
        EXPECT_EQ(p.RName, q.RName);
        EXPECT_EQ(p.M, q.M);
    }
    EXPECT_EQ(Bits(a.GPercent), Bits(b.GPercent));
    EXPECT_EQ(a.VarK, b.VarK);
    EXPECT_EQ(a.MaxGamers, b.MaxGamers);
}

// The hand-written layout of a saved game, as a Windows program with Russian
// regional settings writes it (capital header, "," separators, CR LF).
std::string HandWritten(const std::string& general, const std::string& gobla1 = "") {
    std::string t = ";Kvelmar II: Zantor - сохраненная игра:01.02.2003 10:11:12\r\n[GENERAL]\r\n"
                    "Ver=1408\r\nCurG=1\r\nCurNG=1\r\nKH1=1\r\nKH2=2\r\nMaxGamers=2\r\n" +
                    general + "[Gobla1]\r\nM=3\r\nModel=2\r\nXpos=123,75\r\nRName=Вася\r\n" +
                    gobla1 + "[Gobla2]\r\nM=1\r\nLife=-1\r\n";
    return t;
}

TEST(SaveGameFile, RoundTripIsBitExactForQuickAndTeamGames) {
    test::TempHome home;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Module1 a = RandomState(seed, seed % 3 == 0);
        const std::string path = home.Path("game" + std::to_string(seed) + ".zvr");
        std::string err;
        ASSERT_TRUE(WriteSaveGame(a, path, &err)) << err;
        Module1 b;
        test::FakeDialogs d;
        LoadGame(b, path, d);
        ASSERT_TRUE(d.shown.empty()) << d.shown[0].text;
        ExpectSameSnapshot(a, b);
    }
}

TEST(SaveGameFile, WrittenLayoutIsWindows1251WithCrLfAndTheKeysInOrder) {
    test::TempHome home;
    Module1 m = RandomState(3, false);
    m.Gobla(1).RName = "Вася\r\nM=0";
    const std::string path = home.Path("g.zvr");
    ASSERT_TRUE(WriteSaveGame(m, path, nullptr));
    const std::string bytes = Slurp(path);
    const std::string text = Cp1251ToUtf8(bytes);
    EXPECT_EQ(text.rfind(";Kvelmar II: Zantor - сохраненная игра:", 0), 0u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n[general]\r\nVer=1408\r\nBorder="), std::string::npos);
    EXPECT_NE(text.find("KH1=" + std::to_string(m.KH(1)) + "\r\nWS1="), std::string::npos);
    EXPECT_NE(text.find("Ftr=0.03\r\n"), std::string::npos);
    // A name with a line break stays one line and adds no key.
    EXPECT_NE(text.find("RName=Вася  M=0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[rc1]"), std::string::npos);
    EXPECT_LT(text.find("[Gobla16]"), text.find("[pipa1]"));
    Module1 b;
    test::FakeDialogs d;
    LoadGame(b, path, d);
    EXPECT_EQ(b.Gobla(1).M, m.Gobla(1).M);
}

TEST(SaveGameFile, HandWrittenFileLoadsAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("hand.zvr");
    Put(path, HandWritten("Ftr=0,03\r\nGray=1\r\n", "Gray=1\r\n"));
    Module1 m;
    m.Gobla(1).Phi = 1.25;
    m.Gobla(1).Xpos = 5;
    m.Gobla(2).Xpos = 5;
    m.Gobla(3).M = 77;
    test::FakeDialogs d;
    LoadGame(m, path, d);
    ASSERT_TRUE(d.shown.empty()) << d.shown[0].text;
    EXPECT_EQ(m.MaxGamers, 2);
    EXPECT_EQ(m.Ftr, 0.03);
    EXPECT_EQ(m.Gobla(1).Xpos, 123.75);
    EXPECT_EQ(m.Gobla(1).Phi, 1.25); // no Phi line: unchanged
    EXPECT_EQ(m.Gobla(1).Gray, kTrue);
    EXPECT_EQ(m.Gobla(1).M, 3);
    EXPECT_EQ(m.Gobla(1).Model, 2);
    EXPECT_EQ(m.Gobla(1).RName, "Вася");
    EXPECT_EQ(m.Gobla(2).Xpos, 0); // no Xpos line: 0
    EXPECT_EQ(m.Gobla(2).Gray, kFalse);
    // Gobla2 has no Model line; its Model comes from no later section: 0.
    EXPECT_EQ(m.Gobla(2).Model, 0);
    EXPECT_EQ(m.SavedMass(3), 77);
    EXPECT_EQ(m.GPercent, 0);
}

TEST(SaveGameFile, VersionQuestionDecidesWhetherAnOldFileLoads) {
    test::TempHome home;
    const std::string path = home.Path("old.zvr");
    std::string t = HandWritten("");
    t.replace(t.find("Ver=1408"), 8, "Ver=1300");
    Put(path, t);
    Module1 m;
    test::FakeDialogs no;
    no.answers = {MsgAnswer::No};
    LoadGame(m, path, no);
    EXPECT_EQ(m.MaxGamers, 0);
    ASSERT_EQ(no.shown.size(), 1u);
    EXPECT_EQ(no.shown[0].text, "Эта игра записана не этой версией Kvelmar 2! Ее загрузка может "
                                "оказаться неудачной. Все равно продолжить?");
    EXPECT_EQ(no.shown[0].icon, MsgIcon::Stop);
    test::FakeDialogs yes;
    yes.answers = {MsgAnswer::Yes};
    LoadGame(m, path, yes);
    EXPECT_EQ(m.MaxGamers, 2);
    EXPECT_EQ(m.Gobla(1).Xpos, 123.75);
}

TEST(SaveGameFile, TeamGameWithoutTeamNumbersFailsWithTheTeamMessage) {
    test::TempHome home;
    const std::string path = home.Path("team.zvr");
    Put(path, HandWritten("ZI=-1\r\nN1=0\r\nN2=3\r\n"));
    Module1 m;
    test::FakeDialogs d;
    LoadGame(m, path, d);
    EXPECT_EQ(m.MaxGamers, 0);
    ASSERT_EQ(d.shown.size(), 1u);
    const std::string msg = "Неожиданная внутренняя ошибка: номера команд в файле повтора имеют "
                            "недопустимые значения (0). Повтор не может быть загружен.";
    EXPECT_EQ(d.shown[0].text, msg);
    EXPECT_NE(Cp1251ToUtf8(Slurp(home.Path("zvrerror.log"))).find(msg), std::string::npos);
}

TEST(SaveGameFile, BadValuesFailTheLoadWithTheLoadErrorMessage) {
    test::TempHome home;
    const std::string path = home.Path("bad.zvr");
    struct Case {
        std::string general, gobla1, why;
    };
    const std::vector<Case> cases = {
        {"", "Xpos=abc\r\n", "Несоответствие типов"},
        {"CurSgin=40000\r\n", "", "Переполнение"},
        {"", "M=0\r\n", "Недопустимое значение M в разделе Gobla1"},
        {"", "M=1001\r\n", "Недопустимое значение M в разделе Gobla1"},
        {"", "Model=4\r\n", "Недопустимое значение Model в разделе Gobla1"},
        {"Ftr=0\r\n", "", "Недопустимое значение Ftr"},
        {"Ftr=-0,02\r\n", "", "Недопустимое значение Ftr"},
        {"", "U=1E400\r\n", "Переполнение"},
        {"KH2=9\r\n", "", "Недопустимое значение KH2"},
        {"CurG=3\r\n", "", "Недопустимое значение CurG"},
        {"ZI=-1\r\nN1=9\r\nN2=1\r\n", "", "Недопустимое значение N1, N2"},
    };
    for (const Case& c : cases) {
        // The earlier line of a key wins, so the bad value goes first.
        std::string t = HandWritten("", "");
        t.insert(t.find("Ver=1408"), c.general);
        t.insert(t.find("[Gobla1]\r\n") + 10, c.gobla1);
        Put(path, t);
        Module1 m;
        test::FakeDialogs d;
        LoadGame(m, path, d);
        EXPECT_EQ(m.MaxGamers, 0) << c.why;
        ASSERT_EQ(d.shown.size(), 1u) << c.why;
        EXPECT_EQ(d.shown[0].text, "Ошибка при загрузке файла:" + path + "\r\n\r\n" + c.why);
        EXPECT_EQ(d.shown[0].icon, MsgIcon::Stop);
    }
    std::string many = HandWritten("");
    many.replace(many.find("MaxGamers=2"), 11, "MaxGamers=9");
    Put(path, many);
    Module1 m;
    test::FakeDialogs d;
    LoadGame(m, path, d);
    EXPECT_EQ(m.MaxGamers, 0);
    LoadGame(m, home.Path("missing.zvr"), d);
    EXPECT_EQ(d.shown.back().text,
              "Ошибка при загрузке файла:" + home.Path("missing.zvr") + "\r\n\r\nФайл не найден");
}

TEST(SaveGameFile, QuickSaveFailureGoesToTheHintAndTheLog) {
    test::TempHome home;
    Module1 m = RandomState(5, false);
    FileSaves saves(m, home.Dir());
    EXPECT_EQ(saves.StateDir(), home.Dir());
    saves.SaveGame(home.Path("no/such/folder/game1.zvr"));
    EXPECT_EQ(m.HintText, "Ошибка при сохранении игры в файл " +
                              home.Path("no/such/folder/game1.zvr") + ": Файл не найден");
    EXPECT_NE(Cp1251ToUtf8(Slurp(home.Path("zvrerror.log"))).find(m.HintText), std::string::npos);
    m.HintText = "ok";
    saves.SaveGame(home.Path("game1.zvr"));
    EXPECT_EQ(m.HintText, "ok");
}

TEST(SaveGameFile, TableCheckOfTheLoadBrowser) {
    test::FakeDialogs d;
    Module1 m;
    m.MaxX = 200;
    m.MaxY = 1000;
    EXPECT_TRUE(CheckLoadedTable(m, d));
    m.MaxX = 150;
    EXPECT_FALSE(CheckLoadedTable(m, d));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Размеры стола сохраненного повтора заданы неверно.");
}

// ---- replays

std::vector<std::pair<StrikeRecord, i16>> RandomSteps(std::uint64_t seed, int n) {
    std::mt19937_64 g(seed);
    std::vector<std::pair<StrikeRecord, i16>> steps;
    for (int i = 0; i < n; ++i) {
        StrikeRecord s;
        if (i % 5 == 4) {
            steps.push_back({s, static_cast<i16>(1 + g() % 100)});
            continue;
        }
        s.ba = std::ldexp(static_cast<double>(g() >> 11), -53) * 12.6 - 6.3;
        s.pa = std::ldexp(static_cast<double>(g() >> 11), -53) * 12.6 - 6.3;
        s.si = static_cast<i16>(g() % 101);
        steps.push_back({s, 0});
    }
    return steps;
}

TEST(ReplayFile, RecordedStepsReadBackExactlyAfterTheSnapshot) {
    test::TempHome home;
    const std::string path = home.Path("replay1.sav");
    Module1 a = RandomState(11, true);
    a.MaxX = 600;
    a.MaxY = 400;
    test::FakeDialogs d;
    const auto steps = RandomSteps(11, 60);
    {
        FileReplay rec(a, d);
        ASSERT_TRUE(rec.StartReplayRecord(path));
        EXPECT_TRUE(rec.Recording());
        for (const auto& [s, pot] : steps)
            rec.WriteReplayStep(s, pot);
        rec.CloseReplayRecord();
        EXPECT_FALSE(rec.Recording());
    }
    const std::string text = Cp1251ToUtf8(Slurp(path));
    EXPECT_EQ(text.rfind(";Kvelmar II: Zantor - сохраненный повтор:", 0), 0u);
    EXPECT_NE(text.find("\r\n[pipa4]\r\nX="), std::string::npos);
    EXPECT_NE(text.find("[game]\r\nba="), std::string::npos);
    EXPECT_NE(text.find("\r\nsi= 0\r\nG= "), std::string::npos);
    EXPECT_NE(text.find("\r\n;Конец записи: "), std::string::npos);

    Module1 b;
    FileReplay play(b, d);
    ASSERT_TRUE(LoadReplayFile(b, path, d, play));
    ASSERT_TRUE(d.shown.empty());
    ExpectSameSnapshot(a, b);
    for (const auto& [s, pot] : steps) {
        StrikeRecord r;
        i16 g = -1;
        ASSERT_TRUE(play.ReadReplayStep(r, g));
        EXPECT_EQ(Bits(r.ba), Bits(s.ba));
        EXPECT_EQ(Bits(r.pa), Bits(s.pa));
        EXPECT_EQ(r.si, s.si);
        EXPECT_EQ(g, pot);
    }
    StrikeRecord r;
    i16 g = 0;
    // The closing comment reads as one value, then the file ends.
    EXPECT_FALSE(play.ReadReplayStep(r, g));
    EXPECT_FALSE(play.ReadReplayStep(r, g));
}

TEST(ReplayFile, StepsAreReadByPositionSkippingBlankLines) {
    test::TempHome home;
    const std::string path = home.Path("hand.sav");
    std::string t = HandWritten("");
    t.replace(0, t.find("\r\n"), ";Kvelmar II: Zantor - сохраненный повтор:01.02.2003 10:11:12");
    t += "[pipa1]\r\nX=1\r\n[GAME]\r\nba= .5\r\n\r\npa=-1.25\r\nxx= 40\r\nG= 0\r\n"
         "ba= 0\r\npa= 0\r\nsi= 0\r\nG= 35\r\nba= 1\r\npa= 2\r\n";
    Put(path, t);
    Module1 m;
    m.MaxX = 600;
    m.MaxY = 400;
    test::FakeDialogs d;
    FileReplay play(m, d);
    play.LoadReplay(path);
    ASSERT_EQ(m.MaxGamers, 2);
    StrikeRecord r;
    i16 g = 0;
    ASSERT_TRUE(play.ReadReplayStep(r, g));
    EXPECT_EQ(r.ba, 0.5);
    EXPECT_EQ(r.pa, -1.25);
    EXPECT_EQ(r.si, 40);
    EXPECT_EQ(g, 0);
    ASSERT_TRUE(play.ReadReplayStep(r, g));
    EXPECT_EQ(g, 35);
    EXPECT_FALSE(play.ReadReplayStep(r, g)); // a step cut short ends the replay
}

TEST(ReplayFile, ReplayWithoutTheGameLineAndDamagedStepsAreRefused) {
    test::TempHome home;
    const std::string path = home.Path("renamed.sav");
    Put(path, HandWritten(""));
    Module1 m;
    test::FakeDialogs d;
    FileReplay play(m, d);
    play.LoadReplay(path);
    EXPECT_EQ(m.MaxGamers, 0);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Ошибка при чтении файла повтора! Возможно, он поврежден или не "
                               "содержит сохраненную игру.");
    StrikeRecord r;
    i16 g = 0;
    EXPECT_FALSE(play.ReadReplayStep(r, g));

    std::string bad = HandWritten("") + "[game]\r\n";
    bad.insert(bad.find("[Gobla1]\r\n") + 10, "Xpos=x\r\n");
    Put(path, bad);
    play.LoadReplay(path);
    EXPECT_EQ(m.MaxGamers, 0);
    EXPECT_EQ(d.shown.back().text, "Ошибка при загрузке повтора.\r\n\r\nОписание ошибки: "
                                   "Несоответствие типов");

    // A step whose force overflows ends the playback there.
    Put(path, HandWritten("") + "[game]\r\nba= 1\r\npa= 1\r\nsi= 99999\r\nG= 0\r\n");
    m.MaxX = 600;
    m.MaxY = 400;
    play.LoadReplay(path);
    ASSERT_EQ(m.MaxGamers, 2);
    EXPECT_FALSE(play.ReadReplayStep(r, g));
}

TEST(ReplayFile, SnapshotWriteFailureAsksWhetherToPlayOn) {
    test::TempHome home;
    Module1 m = RandomState(2, false);
    test::FakeDialogs d;
    d.answers = {MsgAnswer::No, MsgAnswer::Yes};
    FileReplay rec(m, d);
    EXPECT_FALSE(rec.StartReplayRecord(home.Path("none/replay1.sav")));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].caption, "Запись игры");
    EXPECT_EQ(d.shown[0].text,
              "Ошибка при записи игры!\r\n\r\nОписание ошибки: Файл не найден. Продолжить?");
    EXPECT_TRUE(rec.StartReplayRecord(home.Path("none/replay1.sav")));
    rec.WriteReplayStep({}, 0);
    rec.CloseReplayRecord();
    const std::string log = Cp1251ToUtf8(Slurp(home.Path("zvrerror.log")));
    EXPECT_NE(log.find("Ошибка при записи хода игрока в файл повтора!\r\n\r\nФайл не открыт"),
              std::string::npos);
}

TEST(ReplayFile, AKilledRecordingKeepsEveryStepWrittenSoFar) {
    test::TempHome home;
    const std::string path = home.Path("replay2.sav");
    Module1 a = RandomState(21, false);
    a.MaxX = 500;
    a.MaxY = 500;
    const auto steps = RandomSteps(21, 25);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        test::FakeDialogs d;
        FileReplay rec(a, d);
        if (!rec.StartReplayRecord(path)) ::_exit(3);
        for (const auto& [s, pot] : steps)
            rec.WriteReplayStep(s, pot);
        ::raise(SIGKILL);
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    Module1 b;
    test::FakeDialogs d;
    FileReplay play(b, d);
    ASSERT_TRUE(LoadReplayFile(b, path, d, play));
    int n = 0;
    StrikeRecord r;
    i16 g = 0;
    while (play.ReadReplayStep(r, g)) {
        ASSERT_LT(n, static_cast<int>(steps.size()));
        EXPECT_EQ(Bits(r.ba), Bits(steps[static_cast<std::size_t>(n)].first.ba));
        ++n;
    }
    EXPECT_EQ(n, static_cast<int>(steps.size()));
}

TEST(ReplayFile, MatchWithoutStrikesEndsAtTheFirstTurn) {
    test::TempHome home;
    Module1 m = RandomState(9, false);
    m.MaxX = 400;
    m.MaxY = 400;
    test::FakeDialogs d;
    FileReplay rec(m, d);
    ASSERT_TRUE(rec.StartReplayRecord(home.Path("replay3.sav")));
    rec.CloseReplayRecord();
    const std::string text = Cp1251ToUtf8(Slurp(home.Path("replay3.sav")));
    EXPECT_NE(text.find("\r\nY=" + RealText(m.pipa(4).Y) + "\r\n[game]\r\n;Конец записи: "),
              std::string::npos);
    Module1 b;
    FileReplay play(b, d);
    ASSERT_TRUE(LoadReplayFile(b, home.Path("replay3.sav"), d, play));
    StrikeRecord r;
    i16 g = 0;
    EXPECT_FALSE(play.ReadReplayStep(r, g));
}

TEST(ReplayFile, OldReplayAsksItsOwnVersionQuestion) {
    test::TempHome home;
    std::string t = HandWritten("") + "[game]\r\n";
    t.replace(t.find("Ver=1408"), 8, "Ver=1");
    Put(home.Path("old.sav"), t);
    Module1 m;
    test::FakeDialogs d;
    d.answers = {MsgAnswer::No};
    FileReplay play(m, d);
    play.LoadReplay(home.Path("old.sav"));
    EXPECT_EQ(m.MaxGamers, 0);
    EXPECT_FALSE(play.Reading());
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Этот повтор записан не этой версией Kvelmar 2! Его загрузка может "
                               "оказаться неудачной. Продолжить?");
    EXPECT_EQ(d.shown[0].buttons, MsgButtons::YesNo);
}

TEST(ReplayFile, RecordPathOverridesTheNamedSlot) {
    test::TempHome home;
    Module1 m = RandomState(8, false);
    test::FakeDialogs d;
    FileReplay rec(m, d);
    rec.SetRecordPath(home.Path("mine.sav"));
    ASSERT_TRUE(rec.StartReplayRecord(home.Path("replay1.sav")));
    rec.CloseReplayRecord();
    EXPECT_TRUE(FileExists(home.Path("mine.sav")));
    EXPECT_FALSE(FileExists(home.Path("replay1.sav")));
}

TEST(ReplayFile, RecordingSlotsRotateThroughFive) {
    Module1 m;
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i)
        names.push_back(NextReplayPath(m, "/d"));
    EXPECT_EQ(names[0], "/d/replay1.sav");
    EXPECT_EQ(names[4], "/d/replay5.sav");
    EXPECT_EQ(names[5], "/d/replay1.sav");
}

} // namespace
} // namespace kv
