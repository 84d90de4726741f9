// A network table of several machines in memory: the series they play is the
// series one machine plays, turn digest for turn digest and file for file,
// also when a player drops and comes back, when the host's computer takes a
// seat left too long or a turn past its limit, and when a machine's table is
// damaged; and hostile input closes only the connection it came on.
#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "net/Digest.h"
#include "net/MemoryLink.h"
#include "net/NetHeadless.h"
#include "net/NetHost.h"
#include "net/NetMember.h"
#include "net/SeatTicket.h"
#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Replay.h"
#include "physics/Physics.h"
#include "sim/SimGame.h"
#include "state/NullPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using namespace kv;
using namespace kv::net;

std::string FileText(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// The digest of the table as the match ends, before the results screen scores it.
class FinalDigest : public ScreensPort {
public:
    FinalDigest(const Module1& m, ScreensPort* next) : m_(m), next_(next) {}
    void ShowResults(bool over) override {
        digest = TableDigest(m_);
        if (next_) next_->ShowResults(over);
    }
    void ShowLoadBrowser() override {}
    std::uint64_t digest = 0;

private:
    const Module1& m_;
    ScreensPort* next_;
};

// How a match ended on one machine: its table and its counters.
std::uint64_t Outcome(std::uint64_t table, const HeadlessResult& h) {
    return table ^ (static_cast<std::uint64_t>(h.strikes) * 0x9E3779B97F4A7C15ull) ^
           (static_cast<std::uint64_t>(h.physicsTicks) << 20) ^
           (static_cast<std::uint64_t>(h.virtualMs) << 40);
}

// One machine's match, recorded into a file.
struct MatchRun {
    MatchRun(Module1& m, NetMatch& nm, const std::string& path, ScreensPort* after, bool instant)
        : m(m), nm(nm), final(m, after) {
        file.SetRecordPath(path);
        file.ShareHeader(nm.SharedHeader());
        ports = std::make_unique<MatchPorts>(MatchPorts{
            clock, kb, display, scene, sound, nm.RecordInto(file), saves, final, dialogs});
        screen = std::make_unique<MatchScreen>(m, *ports, rng);
        nm.Attach(*screen, m);
        nm.SetInstantCatchUp(instant);
        driver = std::make_unique<NetHeadless>(*screen, clock, m, nm,
                                               static_cast<long>(nm.Start().maxStrikes));
    }
    bool Step() { // true when anything happened
        bool moved = false;
        for (int k = 0; k < 200 && !done; ++k) {
            // Nobody at this keyboard: only a strike from the table moves the turn on.
            nm.Pump();
            if (screen->Phase() == TurnPhase::Aim && m.Gobla(m.CurG).CompControl == 0) break;
            const NetHeadless::Step s = driver->Next();
            if (s == NetHeadless::Step::Waiting) break;
            moved = true;
            if (s == NetHeadless::Step::Done) {
                outcome = Outcome(final.digest, driver->Finish());
                done = true;
            }
        }
        return moved;
    }

    Module1& m;
    NetMatch& nm;
    VirtualScheduler clock;
    NullKeyboard kb;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullDialogs dialogs;
    FileReplay file{m, dialogs};
    FinalDigest final;
    Rng rng{7};
    std::unique_ptr<MatchPorts> ports;
    std::unique_ptr<MatchScreen> screen;
    std::unique_ptr<NetHeadless> driver;
    std::uint64_t outcome = 0;
    bool done = false;
};

struct Machine {
    explicit Machine(MemoryNet& net) : link(net) { BuildShapes(m); }
    virtual ~Machine() = default;
    virtual void Poll() = 0;
    virtual bool Step() = 0; // true when anything happened
    bool Play() {
        if (!run || run->done) return false;
        const bool moved = run->Step();
        if (run->done) {
            outcomes.push_back(run->outcome);
            digests.push_back(current->Digests());
        }
        return moved;
    }
    MemoryLink link;
    Module1 m;
    std::unique_ptr<MatchRun> run;
    std::vector<std::uint64_t> outcomes; // the table and the counters, virtual time included
    std::vector<std::string> files;
    std::vector<std::vector<std::uint64_t>> digests; // after every turn, of each match
    const NetMatch* current = nullptr;
};

struct HostMachine : Machine {
    HostMachine(MemoryNet& net, Clock clock, const sim::PlayOptions& p, std::string dir)
        : Machine(net), game(m, dialogs, p.seed), host(link, clock, tokens), dir(dir) {
        EXPECT_TRUE(sim::SetupGame(game.g, p));
        EXPECT_TRUE(host.Open("127.0.0.1", kDefaultPort, nullptr));
        host.SetSeatCount(p.players);
        host.SetSeat(1, SeatKind::HostComputer);
    }
    void Poll() override { host.Poll(); }
    bool Start(const MatchPlan& plan) {
        if (plan.match > 1 && !sim::ContinueSeries(game)) return false;
        HostMatch* hm = host.StartMatch(m, plan, nullptr);
        if (!hm) return false;
        files.push_back(dir + "/host-" + std::to_string(plan.match) + ".sav");
        current = hm;
        last = plan.match == plan.matches || plan.matches == 0;
        run = std::make_unique<MatchRun>(m, *hm, files.back(), &game.g.flow, false);
        return true;
    }
    bool Step() override {
        const bool moved = Play();
        if (moved && run->done) host.MatchOver(last);
        return moved;
    }
    NullDialogs dialogs;
    sim::SimGame game;
    Rng tokens{99};
    NetHost host;
    std::string dir;
    bool last = false;
};

struct PlayerMachine : Machine {
    PlayerMachine(MemoryNet& net, Clock clock, const JoinOptions& o, std::string dir, bool instant)
        : Machine(net), member(link, clock), name(o.name), dir(dir), instant(instant) {
        member.Join("127.0.0.1", kDefaultPort, o);
    }
    void Poll() override { member.Poll(); }
    bool Step() override {
        if (member.GetState() == NetMember::State::AtTable && !ready && !member.Spectator())
            member.SetReady(ready = true);
        if ((!run || run->done) && played < member.MatchCount()) {
            PlayerMatch& pm = *member.MatchAt(played++);
            EXPECT_TRUE(pm.LoadStart(m, nullptr));
            files.push_back(dir + "/" + name + "-" + std::to_string(pm.Start().match) + ".sav");
            current = &pm;
            run = std::make_unique<MatchRun>(m, pm, files.back(), nullptr, instant);
        }
        return Play();
    }
    NetMember member;
    std::string name, dir;
    bool instant, ready = false;
    std::size_t played = 0;
};

// Every machine on one MemoryNet, stepped in turn, with a fake wall clock that
// moves on only while every machine waits.
struct Table {
    MemoryNet net;
    long long now = 1000;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kvnet" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::vector<std::unique_ptr<Machine>> machines; // the host first

    Table() { std::filesystem::create_directories(dir); }
    ~Table() { std::filesystem::remove_all(dir); }
    Clock clock() {
        return [this] { return now; };
    }
    HostMachine& Host(const sim::PlayOptions& p) {
        machines.push_back(std::make_unique<HostMachine>(net, clock(), p, dir.string()));
        return static_cast<HostMachine&>(*machines.back());
    }
    PlayerMachine& Player(const std::string& name, bool spectator = false, std::uint64_t token = 0,
                          bool instant = false, const std::string& password = {},
                          bool comp = true) {
        const JoinOptions o{.name = name,
                            .password = password,
                            .spectator = spectator,
                            .comp = comp,
                            .token = token};
        machines.push_back(std::make_unique<PlayerMachine>(net, clock(), o, dir.string(), instant));
        return static_cast<PlayerMachine&>(*machines.back());
    }
    bool RunUntil(const std::function<bool()>& done, long long ms = 600000) {
        const long long until = now + ms;
        while (!done()) {
            if (now > until) return false;
            bool moved = net.Deliver() > 0;
            for (auto& mc : machines) {
                mc->Poll();
                moved = mc->Step() || moved;
            }
            if (!moved) now += 50;
        }
        return true;
    }
};

sim::PlayOptions Options(int players, std::uint64_t seed) {
    sim::PlayOptions p;
    p.players = players;
    p.seed = seed;
    return p;
}

// The same matches played on one machine, every player its computer.
std::vector<std::uint64_t> LocalSeries(const sim::PlayOptions& p, int matches) {
    Module1 m;
    BuildShapes(m);
    NullDialogs dialogs;
    sim::SimGame game(m, dialogs, p.seed);
    EXPECT_TRUE(sim::SetupGame(game.g, p));
    std::vector<std::uint64_t> out;
    for (int i = 0; i < matches; ++i) {
        EXPECT_TRUE(i == 0 || sim::ContinueSeries(game));
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
        out.push_back(Outcome(final.digest, h));
    }
    return out;
}

bool Seated(HostMachine& h, int players) {
    return h.host.PlayersSeated() == players && h.host.CanStart();
}

bool AllDone(std::size_t matches, std::initializer_list<Machine*> which) {
    return std::all_of(which.begin(), which.end(),
                       [&](Machine* m) { return m->outcomes.size() >= matches; });
}

struct LogLines {
    LogLines() {
        SetErrorLogSink([this](const std::string& s) { lines.push_back(s); });
    }
    ~LogLines() { SetErrorLogSink({}); }
    long Count(const std::string& part) const {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.find(part) != std::string::npos;
        });
    }
    std::vector<std::string> lines;
};

TEST(NetTable, ThreeMachinesPlayTheSeriesOfOneMachine) {
    LogLines log;
    const sim::PlayOptions p = Options(3, 3);
    Table t;
    t.net.SetChunk(5); // every message arrives cut into pieces
    HostMachine& h = t.Host(p);
    PlayerMachine& a = t.Player("Анна");
    PlayerMachine& b = t.Player("Борис");
    PlayerMachine& s = t.Player("Сева", true);
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2) && h.host.Spectators() == 1; }));
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(h.Start(MatchPlan{static_cast<std::uint16_t>(i), 3, 1000}));
        ASSERT_TRUE(t.RunUntil([&] { return AllDone(i, {&h, &a, &b, &s}); })) << i;
    }
    EXPECT_EQ(h.outcomes, LocalSeries(p, 3));
    EXPECT_GT(h.digests[0].size(), 2u);
    for (Machine* m : {&a, &b, &s}) {
        EXPECT_EQ(m->outcomes, h.outcomes);
        EXPECT_EQ(m->digests, h.digests);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(FileText(m->files[i]), FileText(h.files[i])) << i;
    }
    EXPECT_EQ(log.Count("разошёлся"), 0);
}

TEST(NetTable, APlayerWhoDropsComesBackAndCatchesUpInstantly) {
    const sim::PlayOptions p = Options(3, 4);
    Table t;
    HostMachine& h = t.Host(p);
    PlayerMachine& b = t.Player("Борис"); // seat 2: his turn follows the host's first
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    b.link.DropAll(); // Борис's machine fails before his first turn
    const int seat = b.member.Seat();
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == seat; }));
    t.RunUntil([] { return false; }, 3000);
    EXPECT_EQ(h.outcomes.size(), 0u) << "his turn waits for him";
    std::string notes; // the countdown on every screen, its lines read as one text
    for (const TextItem& i : a.run->screen->Overlay())
        notes += i.text + " ";
    EXPECT_NE(notes.find("Ждём игрока Борис"), std::string::npos) << notes;
    // His machine kept the seat in a file; what it reads back takes the seat again.
    const std::string kept = (t.dir / kSeatTicketFile).string();
    ASSERT_TRUE(
        SaveSeatTicket(kept, {"127.0.0.1", kDefaultPort, "Борис", b.member.Token()}, nullptr));
    const std::optional<SeatTicket> ticket = LoadSeatTicket(kept);
    ASSERT_TRUE(ticket);
    PlayerMachine& back = t.Player(ticket->name, false, ticket->token, true);
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a, &back}); }));
    EXPECT_EQ(back.member.Seat(), seat);
    EXPECT_EQ(a.outcomes, h.outcomes);
    EXPECT_EQ(h.outcomes, LocalSeries(p, 1));
    // Played out at once, out of virtual time: the same table all the same.
    EXPECT_EQ(back.run->final.digest, h.run->final.digest);
    EXPECT_EQ(back.digests, h.digests);
    EXPECT_EQ(FileText(back.files[0]), FileText(h.files[0]));
}

std::string Said(NetHost& h) {
    std::string out;
    for (const NetEvent& e : h.TakeEvents())
        out += e.text + "\n";
    return out;
}

TEST(NetTable, AfterTheGraceTimeTheHostsComputerPlaysADroppedSeat) {
    const sim::PlayOptions p = Options(3, 4);
    Table t;
    HostMachine& h = t.Host(p);
    h.host.SetSettings({.table = {}, .graceSeconds = 5});
    PlayerMachine& b = t.Player("Борис");
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    b.link.DropAll();
    const int seat = b.member.Seat();
    const long long dropped = t.now;
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == seat; }));
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() != seat; }));
    EXPECT_GE(t.now - dropped, 5000) << "his turn waits out the grace time";
    EXPECT_TRUE(h.host.Seats()[static_cast<std::size_t>(seat - 1)].takenOver);
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    EXPECT_NE(Said(h.host).find("За игрока Борис играет компьютер"), std::string::npos);
    EXPECT_EQ(a.outcomes, h.outcomes);
    EXPECT_EQ(FileText(a.files[0]), FileText(h.files[0]));
}

TEST(NetTable, WhenTheTurnLimitRunsOutTheComputerPlaysThatTurn) {
    const sim::PlayOptions p = Options(3, 5);
    Table t;
    HostMachine& h = t.Host(p);
    h.host.SetSettings({.table = {}, .turnLimitSeconds = 2});
    PlayerMachine& v = t.Player("Вера", false, 0, false, {}, false); // never strikes
    t.net.Deliver();
    PlayerMachine& a = t.Player("Анна");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == v.member.Seat(); }));
    const long long began = t.now;
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() != v.member.Seat(); }));
    EXPECT_GE(t.now - began, 2000);
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a, &v}); }));
    EXPECT_NE(Said(h.host).find("Время хода игрока Вера вышло"), std::string::npos);
    const HostSeat& seat = h.host.Seats()[static_cast<std::size_t>(v.member.Seat() - 1)];
    EXPECT_FALSE(seat.away || seat.takenOver) << "she stays at the table, her turns timed";
    for (Machine* m : {&a, &v}) {
        EXPECT_EQ(m->outcomes, h.outcomes);
        EXPECT_EQ(FileText(m->files[0]), FileText(h.files[0]));
    }
}

TEST(NetTable, ADamagedSeatFileIsIgnoredAndLogged) {
    LogLines log;
    Table t;
    const std::string path = (t.dir / kSeatTicketFile).string();
    EXPECT_FALSE(LoadSeatTicket(path)) << "no file: no seat, nothing logged";
    const SeatTicket good{"::1", 27000, "Анна", 0xABCDEF0123456789ull};
    ASSERT_TRUE(SaveSeatTicket(path, good, nullptr));
    const std::string text = FileText(path);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"Port=27000", "Port=70000"},
             {"Token=abcdef0123456789", "Token=0"},
             {"Name=Анна", "Name=\x01"},
             {"[netseat]", "[zvrset]"}}) {
        std::string bad = text;
        bad.replace(bad.find(from), from.size(), to);
        std::string err;
        ASSERT_TRUE(WriteFileAtomic(path, bad, &err)) << err;
        EXPECT_FALSE(LoadSeatTicket(path)) << to;
    }
    EXPECT_EQ(log.Count("повреждён"), 4);
    ASSERT_TRUE(WriteFileAtomic(path, text, nullptr));
    const std::optional<SeatTicket> back = LoadSeatTicket(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tie(back->host, back->port, back->name, back->token),
              std::tie(good.host, good.port, good.name, good.token));
}

TEST(NetTable, ADamagedTableIsMendedFromTheHosts) {
    LogLines log;
    Table t;
    HostMachine& h = t.Host(Options(3, 6));
    PlayerMachine& a = t.Player("Анна");
    PlayerMachine& b = t.Player("Борис");
    ASSERT_TRUE(t.RunUntil([&] { return Seated(h, 2); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    ASSERT_TRUE(t.RunUntil([&] { return a.current && a.current->Turn() >= 2; }));
    for (int k = 1; k <= 3; ++k)
        if (a.m.Gobla(k).Life != 0) a.m.Gobla(k).Phi += 0.5;
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a, &b}); }));
    EXPECT_EQ(log.Count("у хозяина"), 2) << "both machines log both digests";
    EXPECT_EQ(a.run->final.digest, h.run->final.digest);
    EXPECT_EQ(b.outcomes, h.outcomes);
    EXPECT_EQ(FileText(a.files[0]), FileText(h.files[0]));
}

// A connection that speaks the protocol by hand.
struct Raw : LinkEvents {
    Raw(MemoryNet& net, const Hello* hello = nullptr) : link(net) {
        link.SetEvents(this);
        c = link.Connect("127.0.0.1", kDefaultPort);
        net.Deliver();
        if (hello) Send(*hello);
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
    Reason Ending() const {
        for (auto it = got.rbegin(); it != got.rend(); ++it) {
            if (const auto* r = std::get_if<Refuse>(&*it)) return r->reason;
            if (const auto* b = std::get_if<Bye>(&*it)) return b->reason;
        }
        return Reason::None;
    }
    MemoryLink link;
    ConnId c = 0;
    FrameReader frames{kMaxFromHost};
    std::vector<Message> got;
    bool closed = false;
};

TEST(NetTable, EveryRefusalAndHostileInputClosesOnlyItsConnection) {
    LogLines log;
    const std::string pw = "секрет";
    Table t;
    HostMachine& h = t.Host(Options(4, 8));
    h.host.SetSettings({.table = {}, .graceSeconds = 5});
    h.host.SetPassword(pw);
    auto greeting = [&](const std::string& name, const std::function<void(Hello&)>& change = {}) {
        Hello x;
        x.rules = RulesDigest();
        x.name = name;
        x.password = pw;
        if (change) change(x);
        return x;
    };
    auto refused = [&](const Hello& hello) {
        Raw r(t.net, &hello);
        EXPECT_TRUE(r.closed);
        return r.Ending();
    };

    const std::vector<std::pair<std::function<void(Hello&)>, Reason>> refusals = {
        {[](Hello& x) { x.protocol = kProtocolVersion + 1; }, Reason::Protocol},
        {[](Hello& x) { x.build = static_cast<i16>(kBuild - 1); }, Reason::Version},
        {[](Hello& x) { x.rules ^= 1; }, Reason::Rules},
        {[](Hello& x) { x.password = "пароль"; }, Reason::Password},
        {[](Hello& x) { x.name = std::string(21, 'x'); }, Reason::BadName},
        {[](Hello& x) { x.name = "\x01\x02"; }, Reason::BadName},
    };
    for (std::size_t i = 0; i < refusals.size(); ++i)
        EXPECT_EQ(refused(greeting("Чужой", refusals[i].first)), refusals[i].second) << i;

    PlayerMachine& a = t.Player("Анна", false, 0, false, pw);
    t.RunUntil([&] { return a.member.Seat() == 2; });
    EXPECT_EQ(refused(greeting("анна")), Reason::NameTaken);
    const Hello vova = greeting("Вова"), gena = greeting("Гена");
    Raw wrong(t.net, &vova), range(t.net, &gena);
    wrong.Send(Ready{true});
    range.Send(Ready{true});
    EXPECT_EQ(refused(greeting("Дима")), Reason::Full);

    // Spectators that break the rules, one way each.
    struct Hostile {
        std::string bytes;
        int times;
        Reason why;
    };
    const std::vector<Hostile> hostile = {
        {Frame(std::string(1, '\x7F')), 1, Reason::Unknown},
        {Frame(std::string("\x04\x00\x05z", 4)), 1, Reason::Malformed},
        {std::string("\x00\x00\x13\x88", 4), 1, Reason::TooLarge}, // 5000 bytes to come
        {Frame(Encode(Say{"флуд"})), 6, Reason::Flood},
        {Frame(Encode(Ping{})), kMaxFramesPerSecond + 1, Reason::Flood},
    };
    std::vector<std::unique_ptr<Raw>> bad;
    for (const Hostile& x : hostile) {
        const Hello w =
            greeting("Зритель" + std::to_string(bad.size()), [](Hello& y) { y.spectator = true; });
        bad.push_back(std::make_unique<Raw>(t.net, &w));
        for (int i = 0; i < x.times; ++i)
            bad.back()->link.Send(bad.back()->c, x.bytes);
    }
    Raw early(t.net);
    early.Send(Ready{true});
    t.net.Deliver();
    for (std::size_t i = 0; i < hostile.size(); ++i)
        EXPECT_EQ(bad[i]->Ending(), hostile[i].why) << i;
    EXPECT_EQ(early.Ending(), Reason::OutOfTurn);

    // In the match: a strike of another seat's turn, a strike out of range.
    ASSERT_TRUE(t.RunUntil([&] { return h.host.CanStart(); }));
    ASSERT_TRUE(h.Start(MatchPlan{1, 0, 1000}));
    t.net.Deliver();
    ASSERT_TRUE(t.RunUntil([&] { return h.host.Match()->WaitingFor() == 2; }));
    wrong.Send(StrikeOut{1, NetStrike{1, 3, {{0.1, 0.2, 50}, false, 0}}});
    range.Send(StrikeOut{1, NetStrike{1, 4, {{0.1, 0.2, 150}, false, 0}}});
    ASSERT_TRUE(t.RunUntil([&] { return AllDone(1, {&h, &a}); }));
    EXPECT_EQ(wrong.Ending(), Reason::OutOfTurn);
    EXPECT_EQ(range.Ending(), Reason::BadStrike);
    EXPECT_EQ(a.outcomes, h.outcomes);
    EXPECT_EQ(log.Count("закрыто"), 8) << "each closing logged with its reason";
    EXPECT_EQ(log.Count("не принят"), 8);
}

} // namespace
