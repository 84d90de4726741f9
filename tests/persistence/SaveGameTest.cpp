#include "persistence/SaveGame.h"
#include "FakeDialogs.h"
#include "persistence/Replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

namespace kv {
namespace {

using std::tuple;
using test::Put;
using test::Text;

// A match state in the middle of a match, with awkward reals everywhere.
Module1 RandomState(std::uint64_t seed, bool teams) {
    std::mt19937_64 g(seed);
    auto real = [&] { return std::ldexp(static_cast<double>(g() >> 11), -53) * 900 - 50; };
    auto small = [&](int n) { return static_cast<i16>(g() % static_cast<unsigned>(n)); };
    Module1 m;
    m.MaxGamers = static_cast<i16>(2 + small(7));
    m.CurNG = static_cast<i16>(1 + small(m.MaxGamers));
    for (int p = 1; p <= m.MaxGamers; ++p)
        m.KH(p) = static_cast<i16>(m.MaxGamers + 1 - p);
    m.CurG = m.KH(m.CurNG);
    m.MaxX = static_cast<i16>(200 + small(801));
    m.MaxY = static_cast<i16>(200 + small(801));
    m.Ftr = 0.03;
    m.GPercent = real();
    m.VarK = static_cast<float>(m.MaxX) / 7e4f;
    m.Border = m.PipaSimm = Flag(g() & 1);
    m.PipaMode = small(2);
    m.ZI = Flag(teams);
    m.N1 = teams ? 2 : 0;
    m.N2 = teams ? 5 : 0;
    for (int s = 1; s <= kPieceSlots; ++s) {
        GoblaRec& p = m.Gobla(s);
        for (double* f : {&p.Xpos, &p.Ypos, &p.Xvec, &p.Yvec, &p.U, &p.Phi})
            *f = real() / (s % 3 ? 1 : 3e7);
        p.Life = Flag(g() & 1);
        p.ScoreLTotal = p.MyNum = static_cast<i16>(s);
        p.RName = "Ёжик №" + std::to_string(s);
        p.Model = static_cast<i16>(s <= m.MaxGamers ? small(4) : 5);
        p.M = static_cast<i16>(1 + small(1000));
    }
    for (int t = 1; t <= kTeams; ++t) {
        m.rc(t).ComName = m.rc(t).R4 = "Команда " + std::to_string(t);
        m.rc(t).RType = small(4);
        m.rc(t).Kolvo = static_cast<i16>(1 + m.rc(t).RType);
    }
    for (int k = 1; k <= kObstacles; ++k)
        m.pipa(k) = {real(), real()};
    return m;
}

Module1 Load(const std::string& path, test::FakeDialogs& d, Module1 m = {}) {
    LoadGame(m, path, d);
    return m;
}

using Steps = std::vector<std::tuple<double, double, int, int>>;

// The steps a replay has left: strike point, direction, force, pot.
Steps Rest(FileReplay& play) {
    Steps out;
    StrikeRecord r;
    i16 pot = -1;
    while (play.ReadReplayStep(r, pot))
        out.emplace_back(r.ba, r.pa, r.si, pot);
    return out;
}

// A saved game edited by hand: a capital header, Russian decimal commas, CR LF.
std::string HandWritten(const std::string& general, const std::string& gobla1 = "") {
    return ";Kvelmar II: Zantor - сохраненная игра:01.02.2003 10:11:12\r\n[GENERAL]\r\n"
           "Ver=1408\r\nCurG=1\r\nCurNG=1\r\nKH1=1\r\nKH2=2\r\nMaxGamers=2\r\n" +
           general + "[Gobla1]\r\nM=3\r\nModel=2\r\nXpos=123,75\r\nRName=Вася\r\n" + gobla1 +
           "[Gobla2]\r\nM=1\r\nLife=-1\r\n";
}

TEST(SaveGameFile, RoundTripIsBitExactAndTheLayoutKeepsItsOrder) {
    test::TempHome home;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Module1 a = RandomState(seed, seed % 3 == 0);
        const std::string path = home.Path("game" + std::to_string(seed) + ".zvr");
        std::string err;
        ASSERT_TRUE(WriteSaveGame(a, path, &err)) << err;
        test::FakeDialogs d;
        const Module1 b = Load(path, d);
        ASSERT_TRUE(d.shown.empty()) << d.shown[0].text;
        EXPECT_EQ(SnapshotText(a), SnapshotText(b)); // its reals in full
    }
    Module1 m = RandomState(3, false);
    m.Gobla(1).RName = "Вася\r\nM=0";
    const std::string path = home.Path("g.zvr");
    ASSERT_TRUE(WriteSaveGame(m, path, nullptr));
    // Windows-1251 with CR LF, the keys in order.
    const std::string text = Text(path);
    EXPECT_EQ(text.rfind(";Kvelmar II: Zantor - сохраненная игра:", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (const std::string& part :
         {std::string("\r\n[general]\r\nVer=1408\r\nBorder="),
          "KH1=" + std::to_string(m.KH(1)) + "\r\nWS1=", std::string("Ftr=0.03\r\n"),
          std::string("RName=Вася  M=0\r\n")}) // a line break in a name adds no key
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find("[rc1]"), std::string::npos);
    EXPECT_LT(text.find("[Gobla16]"), text.find("[pipa1]"));
    test::FakeDialogs d;
    EXPECT_EQ(Load(path, d).Gobla(1).M, m.Gobla(1).M);
}

// The computer's strengths close a saved game, after everything older readers
// know; a game without them, or with a value that is none, plays the masters.
TEST(SaveGameFile, StrengthsTravelLastAndDefaultToTheMaster) {
    test::TempHome home;
    Module1 a = RandomState(5, false);
    a.CompLevel(1) = kLevelNovice;
    a.CompLevel(4) = kLevelAmateur;
    a.CompLevel(8) = kLevelChampion;
    const std::string path = home.Path("g.zvr");
    ASSERT_TRUE(WriteSaveGame(a, path, nullptr));
    const std::string text = Text(path);
    EXPECT_LT(text.find("[pipa4]"), text.find("[levels]\r\nLevel1=0\r\nLevel2=2\r\n"));
    EXPECT_EQ(text.substr(text.size() - 10), "Level8=3\r\n");
    test::FakeDialogs d;
    Module1 b = Load(path, d);
    EXPECT_EQ(std::tuple(b.CompLevel(1), b.CompLevel(2), b.CompLevel(4), b.CompLevel(8)),
              std::tuple(kLevelNovice, kLevelMaster, kLevelAmateur, kLevelChampion));
    const std::string cut = text.substr(0, text.find("[levels]"));
    for (const std::string& old :
         {cut, cut + "[levels]\r\nLevel1=4\r\nLevel4=-1\r\nLevel8=x\r\n"}) {
        Put(path, old);
        Module1 c = Load(path, d);
        EXPECT_TRUE(d.shown.empty());
        EXPECT_EQ(std::tuple(c.CompLevel(1), c.CompLevel(4), c.CompLevel(8)),
                  std::tuple(kLevelMaster, kLevelMaster, kLevelMaster));
    }
}

TEST(SaveGameFile, HandWrittenFileLoadsAsTheRulesSay) {
    test::TempHome home;
    const std::string path = home.Path("hand.zvr");
    Put(path, HandWritten("Ftr=0,03\r\nGray=1\r\n", "Gray=1\r\n"));
    Module1 m;
    m.Gobla(1).Phi = 1.25;
    m.Gobla(1).Xpos = m.Gobla(2).Xpos = 5;
    m.Gobla(3).M = 77;
    test::FakeDialogs d;
    LoadGame(m, path, d);
    ASSERT_TRUE(d.shown.empty()) << d.shown[0].text;
    EXPECT_EQ(tuple(m.MaxGamers, m.Ftr, m.GPercent, m.SavedMass(3)), tuple(2, 0.03, 0, 77));
    const GoblaRec &p = m.Gobla(1), &q = m.Gobla(2);
    // No Phi line: unchanged; no Xpos line: 0; no Model line here nor later: 0.
    EXPECT_EQ(tuple(p.Xpos, p.Phi, p.Gray, p.M, p.Model, p.RName),
              tuple(123.75, 1.25, kTrue, 3, 2, "Вася"));
    EXPECT_EQ(tuple(q.Xpos, q.Gray, q.Model), tuple(0, kFalse, 0));
}

TEST(SnapshotFiles, AnOldVersionLoadsOnlyWhenTheQuestionIsAnsweredYes) {
    test::TempHome home;
    const std::string path = home.Path("old");
    std::string t = HandWritten("") + "[game]\r\n";
    t.replace(t.find("Ver=1408"), 8, "Ver=1300");
    Put(path, t);
    for (const bool replay : {false, true})
        for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            Module1 m;
            test::FakeDialogs d;
            d.answers = {answer};
            FileReplay play(m, d);
            replay ? play.LoadReplay(path) : LoadGame(m, path, d);
            ASSERT_EQ(d.shown.size(), 1u);
            EXPECT_NE(d.shown[0].text.find(" не этой версией Kvelmar 2!"), std::string::npos);
            EXPECT_EQ(d.shown[0].buttons, MsgButtons::YesNo);
            const bool yes = answer == MsgAnswer::Yes;
            EXPECT_EQ(tuple(m.MaxGamers, m.Gobla(1).Xpos), tuple(yes ? 2 : 0, yes ? 123.75 : 0));
            EXPECT_TRUE(yes || !play.Reading());
        }
}

TEST(SaveGameFile, BadValuesFailTheLoadWithTheMessageAndTheLog) {
    test::TempHome home;
    const std::string path = home.Path("bad.zvr");
    const struct {
        std::string general, gobla1, why;
    } cases[] = {
        {"", "Xpos=abc\r\n", path + "\r\n\r\nНесоответствие типов"},
        {"CurSgin=40000\r\n", "", path + "\r\n\r\nПереполнение"},
        {"", "M=1001\r\n", "значение M в разделе Gobla1"},
        {"", "Model=4\r\n", "значение Model в разделе Gobla1"},
        {"Ftr=0\r\n", "", "значение Ftr"},
        {"KH2=9\r\n", "", "значение KH2"},
        {"MaxGamers=9\r\n", "", "значение MaxGamers"},
        {"ZI=-1\r\nN1=9\r\nN2=1\r\n", "", "значение N1, N2"},
        {"ZI=-1\r\nN1=0\r\nN2=3\r\n", "", "номера команд"},
    };
    for (const auto& c : cases) {
        // The earlier line of a key wins, so the bad value goes first.
        std::string t = HandWritten("");
        t.insert(t.find("Ver=1408"), c.general);
        t.insert(t.find("[Gobla1]\r\n") + 10, c.gobla1);
        Put(path, t);
        test::FakeDialogs d;
        EXPECT_EQ(Load(path, d).MaxGamers, 0) << c.why;
        ASSERT_EQ(d.shown.size(), 1u) << c.why;
        EXPECT_NE(d.shown[0].text.find(c.why), std::string::npos) << d.shown[0].text;
        EXPECT_EQ(d.shown[0].icon, MsgIcon::Stop);
        EXPECT_NE(Text(home.Path("zvrerror.log")).find(d.shown[0].text), std::string::npos);
    }
    test::FakeDialogs d;
    Load(home.Path("missing.zvr"), d);
    EXPECT_NE(d.shown.at(0).text.find("missing.zvr\r\n\r\nФайл не найден"), std::string::npos);
}

TEST(SaveGameFile, TableCheckOfTheLoadBrowser) {
    test::FakeDialogs d;
    Module1 m;
    m.MaxX = 200;
    m.MaxY = 1000;
    EXPECT_TRUE(CheckLoadedTable(m, d));
    m.MaxX = 150;
    EXPECT_FALSE(CheckLoadedTable(m, d));
    EXPECT_EQ(d.shown.size(), 1u);
}

// ---- replays

TEST(ReplayFile, RecordedStepsReadBackExactlyAfterTheSnapshot) {
    test::TempHome home;
    const std::string path = home.Path("replay1.sav");
    const Steps steps{{-1.0 / 3, 1e-20, 100, 0}, {0, 0, 0, 37}, {6.25, -2.0 / 3, 0, 0}};
    Module1 a = RandomState(11, true);
    test::FakeDialogs d;
    FileReplay rec(a, d);
    ASSERT_TRUE(rec.StartReplayRecord(path));
    for (const auto& [ba, pa, si, pot] : steps)
        rec.WriteReplayStep({ba, pa, static_cast<i16>(si)}, static_cast<i16>(pot));
    rec.CloseReplayRecord();
    EXPECT_EQ(Text(path).rfind(";Kvelmar II: Zantor - сохраненный повтор:", 0), 0u);
    Module1 b;
    FileReplay play(b, d);
    ASSERT_TRUE(LoadReplayFile(b, path, d, play));
    ASSERT_TRUE(d.shown.empty());
    EXPECT_EQ(SnapshotText(a), SnapshotText(b));
    EXPECT_EQ(Rest(play), steps);
    EXPECT_TRUE(Rest(play).empty()); // the end stays the end
}

TEST(ReplayFile, StepsAreReadByPositionAndDamagedOnesAreRefused) {
    test::TempHome home;
    const std::string path = home.Path("renamed.sav");
    Put(path, HandWritten(""));
    Module1 m;
    test::FakeDialogs d;
    FileReplay play(m, d);
    play.LoadReplay(path);
    EXPECT_EQ(m.MaxGamers, 0);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_NE(d.shown[0].text.find("поврежден"), std::string::npos);
    EXPECT_TRUE(Rest(play).empty());
    // Steps are read by position; a step cut short or whose force overflows ends the replay.
    Put(path, HandWritten("") + "[GAME]\r\nba= .5\r\n\r\npa=-1.25\r\nxx= 40\r\nG= 0\r\n"
                                "ba= 0\r\npa= 0\r\nsi= 0\r\nG= 35\r\nba= 1\r\npa= 2\r\n");
    play.LoadReplay(path);
    ASSERT_EQ(m.MaxGamers, 2);
    EXPECT_EQ(Rest(play), (Steps{{0.5, -1.25, 40, 0}, {0, 0, 0, 35}}));
    Put(path, HandWritten("") + "[game]\r\nba= 1\r\npa= 1\r\nsi= 99999\r\nG= 0\r\n");
    play.LoadReplay(path);
    EXPECT_TRUE(Rest(play).empty());
}

TEST(ReplayFile, SnapshotWriteFailureAsksWhetherToPlayOn) {
    test::TempHome home;
    Module1 m = RandomState(2, false);
    test::FakeDialogs d;
    d.answers = {MsgAnswer::No, MsgAnswer::Yes};
    FileReplay rec(m, d);
    EXPECT_FALSE(rec.StartReplayRecord(home.Path("none/replay1.sav")));
    EXPECT_NE(d.shown.at(0).text.find("Файл не найден. Продолжить?"), std::string::npos);
    EXPECT_TRUE(rec.StartReplayRecord(home.Path("none/replay1.sav")));
    rec.WriteReplayStep({}, 0);
    rec.CloseReplayRecord();
    EXPECT_NE(Text(home.Path("zvrerror.log")).find("в файл повтора!\r\n\r\nФайл не открыт"),
              std::string::npos);
}

} // namespace
} // namespace kv
