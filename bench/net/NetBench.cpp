// Figures of network play:
//  - the time from a player's strike leaving his machine to its execution on
//    another player's machine, through the host, over loopback sockets;
//  - a player who comes back after 100 strikes: from his greeting to his
//    table being the host's again, played out at once (the game) or in
//    virtual time (the runner).
#include "devices/net/QtLink.h"
#include "match/VirtualClock.h"
#include "net/MemoryLink.h"
#include "net/NetHeadless.h"
#include "net/NetHost.h"
#include "net/NetMember.h"
#include "physics/Physics.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <QCoreApplication>
#include <QTcpServer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using namespace kv;
using namespace kv::net;
using Steady = std::chrono::steady_clock;

Clock Wall() {
    return [] {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
                .count());
    };
}

// One machine's match in virtual time.
struct Run {
    Run(Module1& m, NetMatch& nm, bool instant) {
        ports = std::make_unique<MatchPorts>(MatchPorts{
            clock, kb, display, scene, sound, nm.RecordInto(none), saves, screens, dialogs});
        screen = std::make_unique<MatchScreen>(m, *ports, rng);
        nm.Attach(*screen, m);
        nm.SetInstantCatchUp(instant);
        driver = std::make_unique<NetHeadless>(*screen, clock, m, nm, 0);
    }
    // Up to `ticks` timer ticks, fewer when the screen waits; how many.
    int Step(int ticks) {
        int k = 0;
        for (; k < ticks && !done; ++k) {
            const NetHeadless::Step s = driver->Next();
            if (s == NetHeadless::Step::Waiting) break;
            if (s == NetHeadless::Step::Done) {
                driver->Finish();
                done = true;
            }
        }
        return k;
    }
    VirtualScheduler clock;
    NullKeyboard kb;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullScreens screens;
    NullDialogs dialogs;
    NullReplay none;
    Rng rng{7};
    std::unique_ptr<MatchPorts> ports;
    std::unique_ptr<MatchScreen> screen;
    std::unique_ptr<NetHeadless> driver;
    bool done = false;
};

// A link that notes when a player's strikes leave.
class TimedLink : public Link {
public:
    explicit TimedLink(Link& inner) : inner_(inner) {}
    void Wire(LinkEvents* e) { inner_.SetEvents(e); }
    bool Listen(const std::string& a, std::uint16_t p, std::string* w) override {
        return inner_.Listen(a, p, w);
    }
    void StopListening() override { inner_.StopListening(); }
    ConnId Connect(const std::string& h, std::uint16_t p) override { return inner_.Connect(h, p); }
    void Send(ConnId c, std::string_view bytes) override {
        if (bytes.size() > 4 && bytes[4] == 0x05) strikes.push_back(Steady::now());
        inner_.Send(c, bytes);
    }
    void Close(ConnId c) override { inner_.Close(c); }
    std::string PeerOf(ConnId c) const override { return inner_.PeerOf(c); }
    std::vector<Steady::time_point> strikes;

private:
    Link& inner_;
};

// Eight masters on a large rough table: a match of some 350 strikes.
struct Start {
    Module1 m;
    Start() {
        BuildShapes(m);
        sim::PlayOptions p;
        p.players = 8;
        p.tableX = p.tableY = 1000;
        p.friction = 0.15;
        NullDialogs d;
        sim::SetupPlay(m, p, d);
    }
};

void BM_StrikeLatencyOverLoopback(benchmark::State& state) {
    std::vector<double> latencies;
    for (auto _ : state) {
        QtLink hostLink, aSocket, bLink;
        TimedLink aLink(aSocket);
        Rng tokens(1);
        NetHost host(hostLink, Wall(), tokens);
        host.SetSeatCount(8);
        for (int seat = 4; seat <= 8; ++seat)
            host.SetSeat(seat, SeatKind::HostComputer);
        host.SetSeat(1, SeatKind::HostComputer);
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const std::uint16_t port = probe.serverPort();
        probe.close();
        std::string why;
        if (!host.Open("127.0.0.1", port, &why)) state.SkipWithError(why.c_str());
        NetMember a(aLink, Wall()), b(bLink, Wall());
        aLink.Wire(&a);
        JoinOptions o;
        o.comp = true;
        o.name = "Анна";
        a.Join("127.0.0.1", port, o);
        o.name = "Борис";
        b.Join("127.0.0.1", port, o);
        while (host.PlayersSeated() < 2 || !host.CanStart()) {
            QCoreApplication::processEvents();
            a.SetReady(true);
            b.SetReady(true);
        }
        Start s;
        HostMatch* hm = host.StartMatch(s.m, MatchPlan{1, 0, 0}, &why);
        while (b.MatchCount() == 0 || a.MatchCount() == 0)
            QCoreApplication::processEvents();
        Module1 am = s.m, bm = s.m;
        a.MatchAt(0)->LoadStart(am, &why);
        b.MatchAt(0)->LoadStart(bm, &why);
        Run hr(s.m, *hm, false), ar(am, *a.MatchAt(0), false), br(bm, *b.MatchAt(0), false);
        std::vector<Steady::time_point> executed;
        // The host and Борис run ahead and wait; Анна is the slowest, so each
        // of her strikes finds the others waiting for it. One thread stands
        // for three machines: the network goes first, then Борис's screen.
        while (!hr.done || !br.done) {
            for (int k = 0; k < 4; ++k) {
                QCoreApplication::processEvents();
                for (int moved = 1; moved > 0;) {
                    const long before = br.screen->Strikes();
                    moved = br.Step(1);
                    for (long n = before; n < br.screen->Strikes(); ++n)
                        executed.push_back(Steady::now());
                }
            }
            host.Poll();
            hr.Step(100000);
            ar.Step(1);
        }
        const auto& played = b.MatchAt(0)->Strikes();
        std::size_t mine = 0;
        for (std::size_t i = 0; i < played.size() && i < executed.size(); ++i)
            if (played[i].seat == a.Seat() && mine < aLink.strikes.size())
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(executed[i] - aLink.strikes[mine++])
                        .count());
        host.Close();
    }
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    double sum = 0;
    for (double l : latencies)
        sum += l;
    state.counters["strikes"] = static_cast<double>(latencies.size());
    state.counters["mean_ms"] = sum / static_cast<double>(latencies.size());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["max_ms"] = latencies.back();
}
BENCHMARK(BM_StrikeLatencyOverLoopback)->Iterations(2)->Unit(benchmark::kMillisecond);

// The host's computers and Анна play 100 strikes, Анна's machine fails, and
// she comes back.
void BM_CatchUpAfter100Strikes(benchmark::State& state) {
    const bool instant = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryNet net;
        MemoryLink hostLink(net), aLink(net), againLink(net);
        long long now = 0;
        const Clock clock = [&] { return now; };
        Rng tokens(1);
        NetHost host(hostLink, clock, tokens);
        host.SetSeatCount(8);
        for (int s = 1; s <= 8; ++s)
            if (s != 2) host.SetSeat(s, SeatKind::HostComputer);
        std::string why;
        host.Open("127.0.0.1", kDefaultPort, &why);
        NetMember a(aLink, clock);
        JoinOptions o;
        o.name = "Анна";
        o.comp = true;
        a.Join("127.0.0.1", kDefaultPort, o);
        while (!host.CanStart() || host.PlayersSeated() < 1) {
            net.Deliver();
            a.SetReady(true);
        }
        Start s;
        HostMatch* hm = host.StartMatch(s.m, MatchPlan{1, 0, 0}, &why);
        net.Deliver();
        Module1 am = s.m;
        a.MatchAt(0)->LoadStart(am, &why);
        Run hr(s.m, *hm, false), ar(am, *a.MatchAt(0), false);
        while (hm->StrikesPlayed() < 100 && !hr.done) {
            net.Deliver();
            hr.Step(200);
            ar.Step(200);
        }
        aLink.DropAll();
        net.Deliver();
        const std::uint64_t token = a.Token();
        state.ResumeTiming();

        NetMember again(againLink, clock);
        o.token = token;
        again.Join("127.0.0.1", kDefaultPort, o);
        while (again.MatchCount() == 0)
            net.Deliver();
        Module1 bm = s.m;
        again.MatchAt(0)->LoadStart(bm, &why);
        Run br(bm, *again.MatchAt(0), instant);
        PlayerMatch& pm = *again.MatchAt(0);
        while (pm.StrikesPlayed() < 100 && !br.done) {
            net.Deliver();
            br.Step(1000);
        }
        state.counters["strikes"] = static_cast<double>(pm.StrikesPlayed());
        state.counters["ticks"] = static_cast<double>(br.screen->PhysicsTicks());
    }
}
BENCHMARK(BM_CatchUpAfter100Strikes)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("instant")
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
