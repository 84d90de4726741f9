// The network screen and a table's lobby without a window: two machines'
// screens on connections in memory, from the list of tables and a refusal,
// through a dropped line and the way back to the seat, to the start of a
// match (a team match too) on both.
#include "ScreensRig.h"

#include "net/Digest.h"
#include "net/MemoryLink.h"
#include "net/SeatTicket.h"
#include "persistence/ErrorLog.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kv {
namespace {

using screens::Next;
using screens::ScreenId;
using test::ScreensRig;

class FakeNet : public screens::NetPort {
public:
    explicit FakeNet(net::MemoryNet& n) : link(n) {}
    net::Link& TableLink() override { return link; }
    long long NowMs() override { return now; }
    std::string ListenAddress() override { return "127.0.0.1"; }
    bool Advertise(std::function<net::Beacon()> what, std::string*) override {
        beacon = std::move(what);
        return true;
    }
    void StopAdvertising() override { beacon = nullptr; }
    bool StartFinding(std::string*) override { return true; }
    void StopFinding() override {}
    std::vector<net::FoundTable> Tables() override { return found; }

    net::MemoryLink link;
    long long now = 0;
    std::function<net::Beacon()> beacon;
    std::vector<net::FoundTable> found;
};

struct Machine {
    explicit Machine(net::MemoryNet& n) : port(n) {
        r.view.play = false; // the match window's part is the relay's own tests'
        r.g.s.net = &port;
        r.g.available.insert({ScreenId::Net, ScreenId::NetLobby});
        r.g.flow.Show(ScreenId::MainMenu);
        r.g.flow.Apply(r.g.menu.NetGame(r.g), ScreenId::MainMenu);
    }
    Next Tick() { return r.g.lobby.Tick(r.g, r.g.flow.Current()); }
    FakeNet port;
    ScreensRig r;
};

// Carries the bytes and runs both tables' clocks until nothing moves.
void Settle(net::MemoryNet& n, std::vector<Machine*> ms) {
    for (int round = 0; round < 50; ++round) {
        const bool moved = n.Deliver() > 0;
        for (Machine* m : ms) {
            m->port.now += 20;
            m->r.g.flow.Apply(m->Tick(), m->r.g.flow.Current());
        }
        if (!moved && round > 3) return;
    }
}

TEST(NetScreens, AddressesNamesAndPortsAreCheckedBeforeAnyConnection) {
    net::MemoryNet n;
    Machine a(n);
    screens::GameScreens& g = a.r.g;
    g.net.name = " \x01 ";
    EXPECT_EQ(g.net.Host(g), Next::Stay());
    g.net.name = "Вася";
    g.net.port = "0";
    EXPECT_EQ(g.net.Host(g), Next::Stay());
    g.net.address = "нет такого адреса";
    EXPECT_EQ(g.net.Join(g), Next::Stay());
    EXPECT_EQ(a.r.dialogs.messages.size(), 3u) << "each refusal is said";

    // The name a table was asked with is kept in the settings file; one there
    // that no table would take gives way to the default, logged.
    EXPECT_EQ(g.settings.netName, "Вася");
    std::vector<std::string> log;
    SetErrorLogSink([&log](const std::string& s) { log.push_back(s); });
    for (const char* kept : {"Вася", "\x01Вася", "Василий Васильевич Васнецов"}) {
        g.settings.netName = kept;
        g.SaveSettings();
        g.settings.netName.clear();
        g.LoadSettings();
        g.net.name.clear();
        g.net.Open(g);
        EXPECT_EQ(g.net.name, kept == std::string("Вася") ? "Вася" : g.settings.rows[0].name);
    }
    SetErrorLogSink({});
    EXPECT_EQ(log.size(), 2u);
}

TEST(NetScreens, TableFoundRefusedJoinedReadiedAndStartedOnBothMachines) {
    net::MemoryNet n;
    Machine host(n), guest(n);
    screens::GameScreens& h = host.r.g;
    screens::GameScreens& gg = guest.r.g;
    h.net.name = "Хозяин";
    h.flow.Apply(h.net.Host(h), ScreenId::Net);
    ASSERT_EQ(h.flow.Current(), ScreenId::NetLobby);
    ASSERT_TRUE(host.port.beacon) << "an open table is heard on the network";
    guest.port.found = {{"127.0.0.1", host.port.beacon(), 0}};
    gg.net.Refresh(gg);
    gg.net.Select(0);
    gg.net.name = "Гость";
    h.lobby.SetOwnComp(h, true, kLevelNovice);
    h.lobby.password = "тайна";
    h.lobby.SetSettings(h);
    gg.net.password = "не та";
    gg.flow.Apply(gg.net.Join(gg), ScreenId::Net);
    Settle(n, {&host, &guest});
    EXPECT_EQ(gg.flow.Current(), ScreenId::Net) << "the refused player is back, told why";
    EXPECT_EQ(guest.r.dialogs.messages.size(), 1u);
    gg.net.password = "тайна";
    gg.flow.Apply(gg.net.Join(gg), ScreenId::Net);
    ASSERT_EQ(gg.flow.Current(), ScreenId::NetLobby);
    Settle(n, {&host, &guest});

    // Every machine sees the same seats, each its own marked.
    const std::vector<std::string> seats = h.lobby.SeatLines();
    ASSERT_EQ(seats.size(), 2u);
    EXPECT_EQ(gg.lobby.SeatLines()[0] + "  ← вы", seats[0]);
    EXPECT_EQ(gg.lobby.SeatLines()[1], seats[1] + "  ← вы");
    EXPECT_FALSE(h.lobby.StartEnabled()) << "a taken seat is not ready";

    // The seat outlives a dropped line: the network screen offers the way back.
    const std::string kept = guest.r.dir + net::kSeatTicketFile;
    ASSERT_TRUE(net::LoadSeatTicket(kept));
    guest.port.link.DropAll();
    for (Machine* m : {&host, &guest})
        m->port.now += net::kSilenceMs + 1000; // the guest hears nothing more
    Settle(n, {&host, &guest});
    ASSERT_EQ(gg.flow.Current(), ScreenId::Net);
    ASSERT_TRUE(gg.net.seat);
    EXPECT_EQ(gg.net.seat->name, "Гость");
    gg.flow.Apply(gg.net.Rejoin(gg), ScreenId::Net);
    Settle(n, {&host, &guest});
    EXPECT_EQ(gg.lobby.SeatLines()[1], seats[1] + "  ← вы") << "the same seat, taken back";

    // The host's table settings reach every machine, and the match they start.
    h.lobby.SetFrictionLevel(h, 0);
    h.lobby.settings.tableX = 150; // below what every machine takes
    h.lobby.settings.matches = 3;
    h.lobby.SetSettings(h);
    h.lobby.SetSeatModel(h, 1, 2);
    h.lobby.SetSeatMass(h, 2, 7);
    h.lobby.SetSeatModel(h, 2, 3);
    EXPECT_EQ(host.r.dialogs.messages.size(), 1u) << "the player's model is the player's";
    Settle(n, {&host, &guest});
    EXPECT_EQ(std::tuple(gg.lobby.SeatModel(1), gg.lobby.SeatMass(2)), std::tuple(2, 7));

    gg.lobby.SetOwnComp(gg, true, kLevelNovice);
    gg.lobby.SetReady(true);
    Settle(n, {&host, &guest});
    ASSERT_TRUE(h.lobby.StartEnabled());
    h.flow.Apply(h.lobby.Start(h), ScreenId::NetLobby);
    Settle(n, {&host, &guest});
    EXPECT_EQ(guest.r.view.matches, 1) << "the host's start starts the guest's match";
    EXPECT_EQ(guest.r.m.Gobla(2).RName, "Гость");
    EXPECT_EQ(
        std::tuple(guest.r.m.Ftr, guest.r.m.MaxX, guest.r.m.Gobla(1).Model, guest.r.m.Gobla(2).M),
        std::tuple(kFrictions[0], kMinTableSize, 2, 7));
    EXPECT_EQ(net::TableDigest(guest.r.m), net::TableDigest(host.r.m));

    // Only the host continues the series; a player's way back is to the table.
    gg.flow.ShowResults(false);
    EXPECT_FALSE(gg.results.continueEnabled);
    EXPECT_EQ(gg.results.Back(gg), Next::To(ScreenId::NetLobby));
    // Leaving a table that is still there gives the seat up.
    EXPECT_EQ(gg.lobby.Back(gg), Next::To(ScreenId::Net));
    EXPECT_FALSE(net::LoadSeatTicket(kept));
}

TEST(NetScreens, ATeamTablePlaysATeamMatchOnEveryMachine) {
    net::MemoryNet n;
    Machine host(n), guest(n);
    screens::GameScreens& h = host.r.g;
    screens::GameScreens& gg = guest.r.g;
    h.net.name = "Хозяин";
    h.flow.Apply(h.net.Host(h), ScreenId::Net);
    h.lobby.SetTeams(h, 2);
    ASSERT_EQ(h.lobby.SeatCount(), 4);
    h.lobby.SetSeatCount(h, 3);
    EXPECT_EQ(h.lobby.SeatCount(), 4) << "two teams of two sit on four seats";
    h.lobby.SetOwnComp(h, true, kLevelNovice);
    for (int seat : {3, 4})
        h.lobby.SetSeat(h, seat, screens::SeatChoice::Computer, kLevelNovice);
    gg.net.name = "Гость";
    gg.net.address = "127.0.0.1:" + std::to_string(net::kDefaultPort);
    gg.flow.Apply(gg.net.Join(gg), ScreenId::Net);
    Settle(n, {&host, &guest});
    gg.lobby.SetOwnComp(gg, true, kLevelNovice);
    gg.lobby.SetReady(true);
    Settle(n, {&host, &guest});
    EXPECT_NE(gg.lobby.SeatLines()[1].find("Гость, "), std::string::npos);
    EXPECT_NE(gg.lobby.SeatLines()[1].find("команда 2"), std::string::npos);
    ASSERT_TRUE(h.lobby.StartEnabled());
    h.flow.Apply(h.lobby.Start(h), ScreenId::NetLobby);
    Settle(n, {&host, &guest});
    EXPECT_EQ(guest.r.view.matches, 1);
    for (Machine* m : {&host, &guest}) {
        const Module1& mm = m->r.m;
        EXPECT_EQ(std::tuple(mm.ZI, mm.MaxGamers), std::tuple(kTrue, 4));
        // The second team's pieces are the gray ones, as in a team game on one machine.
        EXPECT_EQ(std::tuple(mm.Gobla(1).Gray, mm.Gobla(2).Gray, mm.Gobla(3).Com, mm.Gobla(4).Com),
                  std::tuple(kFalse, kTrue, 0, 1));
        m->r.g.flow.ShowResults(false);
        EXPECT_TRUE(m->r.g.results.teamGame);
    }
    EXPECT_EQ(guest.r.m.Gobla(2).RName, "Гость");
    EXPECT_EQ(net::TableDigest(guest.r.m), net::TableDigest(host.r.m));
}

} // namespace
} // namespace kv
