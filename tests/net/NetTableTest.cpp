// A network table of several machines in memory: the series they play is the
// series one machine plays, turn digest for turn digest and file for file,
// also when a player drops and comes back, when his seat is given to the
// host's computer, when a machine's table is damaged; and hostile input closes
// only the connection it came on.
#include "NetRig.h"

#include "match/Headless.h"
#include "persistence/ErrorLog.h"

#include <gtest/gtest.h>

namespace {

using namespace kv;
using namespace kv::test;

sim::PlayOptions Options(int players, std::uint64_t seed) {
    sim::PlayOptions p;
    p.players = players;
    p.seed = seed;
    return p;
}

// The same matches played on one machine, every player its computer: how each
// ended, and its table alone.
struct Local {
    std::vector<std::uint64_t> outcomes, tables;
};

Local LocalSeries(const sim::PlayOptions& p, int matches) {
    Module1 m;
    BuildShapes(m);
    NullDialogs dialogs;
    sim::SimGame game(m, dialogs, p.seed);
    EXPECT_TRUE(sim::SetupGame(game.g, p));
    Local out;
    for (int i = 0; i < matches; ++i) {
        if (i > 0) {
            EXPECT_TRUE(sim::ContinueSeries(game));
        }
        VirtualScheduler clock;
        NullKeyboard kb;
        NullDisplay display;
        NullScene scene;
        NullSound sound;
        NullSaveGame saves;
        NullReplay replay;
        FinalDigest final(m, &game.g.flow);
        MatchPorts ports{clock, kb, display, scene, sound, replay, saves, final, dialogs};
        Rng rng(1);
        MatchScreen screen(m, ports, rng);
        const HeadlessResult h = RunHeadless(screen, clock, m, p.maxStrikes);
        out.outcomes.push_back(Outcome(final.digest, h));
        out.tables.push_back(final.digest);
    }
    return out;
}

// Seat 1 the host's computer, the others open.
HostMachine& OpenTable(Table& t, const sim::PlayOptions& p) {
    HostMachine& h = t.Host(p);
    h.host.SetSeatCount(p.players);
    h.host.SetSeat(1, SeatKind::HostComputer);
    return h;
}

bool Seated(HostMachine& h, int players) {
    return h.host.PlayersSeated() == players && h.host.CanStart();
}

bool AllDone(std::size_t matches, std::initializer_list<Machine*> which) {
    for (Machine* m : which)
        if (m->outcomes.size() < matches) return false;
    return true;
}

struct LogLines {
    LogLines() {
        SetErrorLogSink([this](const std::string& s) { lines.push_back(s); });
    }
    ~LogLines() { SetErrorLogSink({}); }
    int Count(const std::string& part) const {
        int n = 0;
        for (const std::string& l : lines)
            n += l.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
    std::vector<std::string> lines;
};

TEST(NetTable, ThreeMachinesPlayTheSeriesOfOneMachine) {
    LogLines log;
    const sim::PlayOptions p = Options(3, 3);
    Table t;
    t.net.SetChunk(5); // every message arrives cut into pieces
    HostMachine& h = OpenTable(t, p);
    PlayerMachine& a = t.Player("Анна");
    PlayerMachine& b = t.Player("Борис");
    PlayerMachine& s = t.Player("Сева", true);
    ASSERT_TRUE(t.RunUntil(
        [&] { return Seated(h, 2) && s.member.Seat() == 0 && h.host.Spectators() == 1; }));
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(h.Start(MatchPlan{static_cast<std::uint16_t>(i), 3, 1000}));
        ASSERT_TRUE(t.RunUntil([&] { return AllDone(i, {&h, &a, &b, &s}); })) << i;
    }
    const std::vector<std::uint64_t> local = LocalSeries(p, 3).outcomes;
    for (Machine* m : {&a, &b, &s}) {
        EXPECT_EQ(m->outcomes, h.outcomes);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(m->digests[i], h.digests[i]) << i;
            EXPECT_EQ(FileText(m->files[i]), FileText(h.files[i])) << i;
        }
    }
    EXPECT_EQ(h.outcomes, local);
    EXPECT_GT(h.digests[0].size(), 2u);
    EXPECT_EQ(log.Count("разошёлся"), 0);
    EXPECT_EQ(a.member.Table().seats[0].kind, SeatKind::HostComputer);
    EXPECT_EQ(b.member.Table().seats[2].name, "Борис");
}

TEST(NetTable, ChampionsPlanWhereTheirSeatIsAndTheirStrikesTravel) {
    const sim::PlayOptions p = Options(2, 5);
    Table t;
    HostMachine& h = t.Host(p);
    h.host.SetSeatCount(2);
    h.host.SetSeat(1, SeatKind::HostComputer, {}, kLevelChampion);
    PlayerMachine& a = t.Player("Анна", false, 0, false, kLevelChampion);
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 1); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 6}));
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    EXPECT_EQ(a.m.CompLevel(1), kLevelChampion);
    EXPECT_EQ(a.m.CompLevel(2), kLevelChampion);
    EXPECT_EQ(a.outcomes, h.outcomes);
    EXPECT_EQ(a.digests[0], h.digests[0]);
    EXPECT_GE(h.digests[0].size(), 2u) << "both seats struck";
}

TEST(NetTable, APlayerWhoDropsComesBackAndCatchesUpInstantly) {
    const sim::PlayOptions p = Options(3, 4);
    Table t;
    HostMachine& h = OpenTable(t, p);
    PlayerMachine& b = t.Player("Борис"); // seat 2: his turn follows the host's first
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    b.link.DropAll(); // Борис's machine fails before his first turn
    const int seat = b.member.Seat();
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == seat; }));
    EXPECT_GE(h.current->StrikesKnown(), 1u);
    // His turn waits for him, with a countdown on every screen.
    t.RunUntil([] { return false; }, 3000);
    EXPECT_EQ(h.outcomes.size(), 0u);
    std::string notes; // lines wrapped to the picture, read as one text
    for (const TextItem& i : a.run->screen->Overlay())
        notes += i.text + " ";
    EXPECT_NE(notes.find("Ждём игрока Борис"), std::string::npos) << notes;
    PlayerMachine& back = t.Player("Борис", false, b.member.Token(), true);
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a, &back}); }));
    EXPECT_EQ(back.member.Seat(), seat);
    EXPECT_EQ(a.outcomes, h.outcomes);
    // Played out at once, out of virtual time: the same table all the same.
    EXPECT_EQ(back.tables, h.tables);
    EXPECT_EQ(h.outcomes, LocalSeries(p, 1).outcomes);
    EXPECT_EQ(back.digests[0], h.digests[0]);
    EXPECT_EQ(FileText(back.files[0]), FileText(h.files[0]));
}

TEST(NetTable, AfterTheGraceTimeAndTheTurnLimitTheHostsComputerPlays) {
    LogLines log;
    const sim::PlayOptions p = Options(3, 5);
    Table t;
    HostMachine& h = OpenTable(t, p);
    TableSettings ts;
    ts.graceSeconds = 10;
    ts.turnLimitSeconds = 3;
    h.host.SetSettings(ts);
    h.host.SetSeat(1, SeatKind::HostPlayer, "Хозяин"); // nobody at the host's keyboard
    PlayerMachine& b = t.Player("Борис");
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    b.link.DropAll(); // and never comes back
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    // The computer played what the players would have: the same match. Its
    // virtual time is not the same, waiting on the wall clock.
    EXPECT_EQ(a.tables, h.tables);
    EXPECT_EQ(h.digests, a.digests);
    EXPECT_EQ(h.tables, LocalSeries(p, 1).tables);
    bool takenOver = false, timedOut = false;
    for (const NetEvent& e : h.host.TakeEvents()) {
        takenOver = takenOver || e.text.find("играет компьютер") != std::string::npos;
        timedOut = timedOut || e.text.find("Время хода") != std::string::npos;
    }
    EXPECT_TRUE(takenOver && timedOut);
}

TEST(NetTable, ADamagedTableIsMendedFromTheHosts) {
    LogLines log;
    const sim::PlayOptions p = Options(3, 6);
    Table t;
    HostMachine& h = OpenTable(t, p);
    PlayerMachine& a = t.Player("Анна");
    PlayerMachine& b = t.Player("Борис");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    ASSERT_TRUE(t.RunUntil([&] { return a.current && a.current->Turn() >= 2; }));
    for (int k = 1; k <= 3; ++k)
        if (a.m.Gobla(k).Life != 0) a.m.Gobla(k).Phi += 0.5;
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a, &b}); }));
    EXPECT_EQ(log.Count("у хозяина"), 2) << "both machines log both digests";
    // The mended machine played on from the host's table: it ends with it.
    EXPECT_EQ(a.tables, h.tables);
    EXPECT_EQ(b.outcomes, h.outcomes);
    EXPECT_EQ(FileText(a.files[0]), FileText(h.files[0]));
    EXPECT_EQ(FileText(b.files[0]), FileText(h.files[0]));
}

TEST(NetTable, TheHostLeavingStrandsEveryMatchAsItStood) {
    const sim::PlayOptions p = Options(3, 7);
    Table t;
    HostMachine& h = OpenTable(t, p);
    PlayerMachine& a = t.Player("Анна");
    PlayerMachine& b = t.Player("Борис");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    ASSERT_TRUE(t.RunUntil([&] { return h.current->Turn() >= 2; }));
    h.link.DropAll();
    h.run.reset();
    ASSERT_TRUE(t.RunUntil([&] { return a.run->done && b.run->done; }));
    for (PlayerMachine* m : {&a, &b}) {
        EXPECT_TRUE(m->run->stranded);
        EXPECT_NE(m->member.CloseText().find("Хозяин стола ушёл"), std::string::npos);
        EXPECT_NE(FileText(m->files[0]).find("[game]"), std::string::npos);
    }
    EXPECT_EQ(FileText(a.files[0]), FileText(b.files[0]));
}

// A connection that speaks the protocol by hand.
struct Raw : LinkEvents {
    explicit Raw(MemoryNet& net) : link(net) {
        link.SetEvents(this);
        c = link.Connect("127.0.0.1", kDefaultPort);
        net.Deliver();
    }
    void Opened(ConnId) override {}
    void Received(ConnId, std::string_view b) override {
        frames.Feed(b);
        while (auto f = frames.Next())
            if (auto m = Decode(*f, From::Host)) got.push_back(*m);
    }
    void Closed(ConnId, const std::string&) override { closed = true; }
    void Send(const Message& m) { link.Send(c, Frame(Encode(m))); }
    static Hello Greeting(const std::string& name, const std::string& password) {
        Hello h;
        h.rules = RulesDigest();
        h.name = name;
        h.password = password;
        return h;
    }
    Reason Ending() const {
        for (auto it = got.rbegin(); it != got.rend(); ++it) {
            if (const auto* r = std::get_if<Refuse>(&*it)) return r->reason;
            if (const auto* b = std::get_if<Bye>(&*it)) return b->reason;
        }
        return Reason::None;
    }
    int Seat() const {
        for (const Message& m : got)
            if (const auto* w = std::get_if<Welcome>(&m)) return w->seat;
        return -1;
    }
    MemoryLink link;
    ConnId c = 0;
    FrameReader frames{kMaxFromHost};
    std::vector<Message> got;
    bool closed = false;
};

TEST(NetTable, HostileInputClosesOnlyItsConnectionAndTheTableGoesOn) {
    LogLines log;
    const std::string pw = "секрет";
    const sim::PlayOptions p = Options(4, 8);
    Table t;
    HostMachine& h = OpenTable(t, p);
    TableSettings ts;
    ts.graceSeconds = 5;
    h.host.SetSettings(ts);
    h.host.SetPassword(pw);

    auto refused = [&](Hello hello) {
        Raw r(t.net);
        r.Send(hello);
        t.net.Deliver();
        EXPECT_TRUE(r.closed);
        return r.Ending();
    };
    Hello other = Raw::Greeting("Чужой", pw);
    other.protocol = kProtocolVersion + 1;
    EXPECT_EQ(refused(other), Reason::Protocol);
    other = Raw::Greeting("Чужой", pw);
    other.build = static_cast<i16>(kBuild - 1);
    EXPECT_EQ(refused(other), Reason::Version);
    EXPECT_NE(ReasonText(Reason::Version, kProtocolVersion, kBuild - 1)
                  .find("у хозяина стола Билд " + std::to_string(kBuild - 1)),
              std::string::npos);
    other = Raw::Greeting("Чужой", pw);
    other.rules ^= 1;
    EXPECT_EQ(refused(other), Reason::Rules);
    EXPECT_EQ(refused(Raw::Greeting("Чужой", "пароль")), Reason::Password);
    EXPECT_EQ(refused(Raw::Greeting(std::string(21, 'x'), pw)), Reason::BadName);
    EXPECT_EQ(refused(Raw::Greeting("\x01\x02", pw)), Reason::BadName);

    JoinOptions anna;
    anna.name = "Анна";
    anna.password = pw;
    anna.comp = true;
    t.machines.push_back(std::make_unique<PlayerMachine>(t.net, t.time, anna, t.dir.path.string()));
    PlayerMachine& a = static_cast<PlayerMachine&>(*t.machines.back());
    t.RunUntil([&] { return a.member.Seat() == 2; });
    EXPECT_EQ(refused(Raw::Greeting("анна", pw)), Reason::NameTaken);
    Raw wrong(t.net), range(t.net);
    wrong.Send(Raw::Greeting("Вова", pw));
    range.Send(Raw::Greeting("Гена", pw));
    t.net.Deliver();
    wrong.Send(Ready{true});
    range.Send(Ready{true});
    EXPECT_EQ(refused(Raw::Greeting("Дима", pw)), Reason::Full);

    // Spectators that break the rules, one way each.
    std::vector<std::unique_ptr<Raw>> bad;
    auto watcher = [&] {
        bad.push_back(std::make_unique<Raw>(t.net));
        Hello w = Raw::Greeting("Зритель" + std::to_string(bad.size()), pw);
        w.spectator = true;
        bad.back()->Send(w);
        t.net.Deliver();
        return bad.back().get();
    };
    watcher()->link.Send(bad.back()->c, Frame(std::string(1, '\x7F')));
    watcher()->link.Send(bad.back()->c, Frame(std::string("\x04\x00\x05z", 4)));
    watcher()->link.Send(bad.back()->c, std::string("\x00\x00\x13\x88", 4)); // 5000 bytes
    Raw* chat = watcher();
    for (int i = 0; i < 6; ++i)
        chat->Send(Say{"флуд"});
    Raw* ping = watcher();
    for (int i = 0; i <= kMaxFramesPerSecond; ++i)
        ping->Send(Ping{});
    Raw early(t.net);
    early.Send(Ready{true});
    t.net.Deliver();
    const std::vector<Reason> want = {Reason::Unknown, Reason::Malformed, Reason::TooLarge,
                                      Reason::Flood, Reason::Flood};
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(bad[i]->Ending(), want[i]) << i;
    EXPECT_EQ(early.Ending(), Reason::OutOfTurn);

    // In the match: a strike of another seat's turn, a strike out of range.
    ASSERT_TRUE(t.RunUntil([&] { return h.host.CanStart(); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == 2; }));
    const std::uint16_t match = 1;
    wrong.Send(
        StrikeOut{match, NetStrike{1, static_cast<i16>(wrong.Seat()), {{0.1, 0.2, 50}, false, 0}}});
    range.Send(StrikeOut{
        match, NetStrike{1, static_cast<i16>(range.Seat()), {{0.1, 0.2, 150}, false, 0}}});
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    EXPECT_EQ(wrong.Ending(), Reason::OutOfTurn);
    EXPECT_EQ(range.Ending(), Reason::BadStrike);
    EXPECT_EQ(a.outcomes, h.outcomes);
    EXPECT_EQ(log.Count("закрыто"), 8) << "each closing logged with its reason";
    EXPECT_EQ(log.Count("не принят"), 8);
}

// A player at his keyboard: his aim reaches every screen, no faster than its
// limit, and his pot falls on every table alike.
TEST(NetTable, TheAimOfThePlayerWhoseTurnItIsMovesOnEveryScreen) {
    const sim::PlayOptions p = Options(3, 9);
    Table t;
    HostMachine& h = OpenTable(t, p);
    Raw r(t.net); // a player at his keyboard, seat 2
    r.Send(Raw::Greeting("Вова", {}));
    r.Send(Ready{true});
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    ASSERT_TRUE(t.RunUntil(
        [&] { return h.host.Match()->WaitingFor() == 2 && a.current && a.current->Waiting(); }));
    const std::uint32_t turn = h.current->Turn();
    auto aim = [&](double dir) {
        r.Send(Aim{1, turn, 0.3, dir, 0});
        t.net.Deliver();
        return std::tuple(h.run->screen->StrikeDir(), a.run->screen->StrikeDir());
    };
    EXPECT_EQ(aim(1.25), std::tuple(1.25, 1.25));
    EXPECT_EQ(aim(1.5), std::tuple(1.25, 1.25)) << "passed on no faster than the limit";
    t.time.now += kAimEveryMs;
    EXPECT_EQ(aim(2.0), std::tuple(2.0, 2.0));
    r.Send(StrikeOut{1, NetStrike{turn, 2, {{}, true, 60}}}); // the pot
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    EXPECT_EQ(a.tables, h.tables);
    EXPECT_EQ(FileText(a.files[0]), FileText(h.files[0]));
    EXPECT_NE(FileText(h.files[0]).find("G= 60\r\n"), std::string::npos);
}

} // namespace
