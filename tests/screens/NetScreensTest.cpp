// The network screen and a table's lobby without a window: two machines'
// screens on connections in memory, from the list of tables to the start of a
// match on both, and the refusals a player is told of.
#include "ScreensRig.h"

#include "net/Digest.h"
#include "net/MemoryLink.h"

#include <gtest/gtest.h>

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

// Carries the bytes and runs both tables' clocks until nothing moves; the
// first screen change either machine asks for is applied and returned.
void Settle(net::MemoryNet& n, std::vector<Machine*> ms, std::vector<Next>* asked = nullptr) {
    for (int round = 0; round < 50; ++round) {
        const bool moved = n.Deliver() > 0;
        for (Machine* m : ms) {
            m->port.now += 20;
            const Next next = m->Tick();
            if (asked) asked->push_back(next);
            m->r.g.flow.Apply(next, m->r.g.flow.Current());
        }
        if (!moved && round > 3) return;
    }
}

TEST(NetScreens, AddressesNamesAndPortsAreCheckedBeforeAnyConnection) {
    std::string host;
    std::uint16_t port = 0;
    EXPECT_TRUE(screens::ParseAddress("192.168.1.5:27415", host, port));
    EXPECT_EQ(host, "192.168.1.5");
    EXPECT_EQ(port, 27415);
    EXPECT_TRUE(screens::ParseAddress("[::1]:5000", host, port));
    EXPECT_EQ(host, "::1");
    for (const char* bad :
         {"", "host", "host:", ":27415", "host:0", "host:70000", "a b:1", "::1:5000", "host:12x"})
        EXPECT_FALSE(screens::ParseAddress(bad, host, port)) << bad;

    net::MemoryNet n;
    Machine a(n);
    screens::GameScreens& g = a.r.g;
    ASSERT_EQ(g.flow.Current(), ScreenId::Net);
    g.net.name = " \x01 ";
    EXPECT_EQ(g.net.Host(g), Next::Stay());
    g.net.name = "Вася";
    g.net.port = "0";
    EXPECT_EQ(g.net.Host(g), Next::Stay());
    g.net.address = "нет такого адреса";
    EXPECT_EQ(g.net.Join(g), Next::Stay());
    EXPECT_EQ(a.r.dialogs.messages.size(), 3u) << "each refusal is said";
    EXPECT_FALSE(g.lobby.AtTable());
    EXPECT_EQ(g.net.Back(g), Next::To(ScreenId::MainMenu));
}

TEST(NetScreens, TableFoundJoinedReadiedAndStartedOnBothMachines) {
    net::MemoryNet n;
    Machine host(n), guest(n);
    screens::GameScreens& h = host.r.g;
    screens::GameScreens& gg = guest.r.g;
    h.net.name = "Хозяин";
    h.flow.Apply(h.net.Host(h), ScreenId::Net);
    ASSERT_EQ(h.flow.Current(), ScreenId::NetLobby);
    ASSERT_TRUE(host.port.beacon) << "an open table is heard on the network";
    h.lobby.SetOwnComp(h, true, kLevelNovice);

    guest.port.found = {{"127.0.0.1", host.port.beacon(), 0}};
    gg.net.Refresh(gg);
    ASSERT_EQ(gg.net.TableLines().size(), 1u);
    EXPECT_NE(gg.net.TableLines()[0].find("Стол Хозяин — Хозяин"), std::string::npos)
        << gg.net.TableLines()[0];
    gg.net.Select(0);
    EXPECT_EQ(gg.net.address, "127.0.0.1:" + std::to_string(net::kDefaultPort));
    gg.net.name = "Гость";
    gg.flow.Apply(gg.net.Join(gg), ScreenId::Net);
    ASSERT_EQ(gg.flow.Current(), ScreenId::NetLobby);
    Settle(n, {&host, &guest});

    const std::vector<std::string> seats = h.lobby.SeatLines();
    ASSERT_EQ(seats.size(), 2u);
    EXPECT_NE(seats[1].find("Гость"), std::string::npos);
    EXPECT_NE(seats[1].find("не готов"), std::string::npos);
    // Every machine sees the same seats, each its own marked.
    EXPECT_EQ(gg.lobby.SeatLines()[0] + "  ← вы", seats[0]);
    EXPECT_EQ(gg.lobby.SeatLines()[1], seats[1] + "  ← вы");
    EXPECT_FALSE(h.lobby.StartEnabled()) << "a taken seat is not ready";

    gg.lobby.SetOwnComp(gg, true, kLevelNovice);
    gg.lobby.SetReady(true);
    gg.lobby.line = "Привет!";
    gg.lobby.Say();
    Settle(n, {&host, &guest});
    ASSERT_TRUE(h.lobby.StartEnabled());
    EXPECT_EQ(h.lobby.chat.back(), "Гость: Привет!");

    h.flow.Apply(h.lobby.Start(h), ScreenId::NetLobby);
    EXPECT_EQ(host.r.view.matches, 1);
    ASSERT_NE(h.lobby.Relay(), nullptr);
    Settle(n, {&host, &guest});
    EXPECT_EQ(guest.r.view.matches, 1) << "the host's start starts the guest's match";
    ASSERT_NE(gg.lobby.Relay(), nullptr);
    EXPECT_EQ(guest.r.m.MaxGamers, 2);
    EXPECT_EQ(guest.r.m.Gobla(2).RName, "Гость");
    EXPECT_EQ(net::TableDigest(guest.r.m), net::TableDigest(host.r.m));
    EXPECT_EQ(guest.r.m.MaxX, host.r.m.MaxX);

    // The match screens close: only the host continues the series, and a
    // player's way back is to the table.
    gg.flow.ShowResults(false);
    EXPECT_FALSE(gg.results.continueEnabled);
    EXPECT_EQ(gg.results.Back(gg), Next::To(ScreenId::NetLobby));
    h.flow.ShowResults(false);
    EXPECT_EQ(h.results.Back(h), Next::To(ScreenId::NetLobby));
}

TEST(NetScreens, RefusedPlayerIsToldWhyAndReturnsToTheNetworkScreen) {
    net::MemoryNet n;
    Machine host(n), guest(n);
    screens::GameScreens& h = host.r.g;
    screens::GameScreens& gg = guest.r.g;
    h.net.name = "Хозяин";
    h.flow.Apply(h.net.Host(h), ScreenId::Net);
    h.lobby.password = "тайна";
    h.lobby.SetSettings(h);
    gg.net.name = "Гость";
    gg.net.address = "127.0.0.1:" + std::to_string(net::kDefaultPort);
    gg.net.password = "не та";
    gg.flow.Apply(gg.net.Join(gg), ScreenId::Net);
    std::vector<Next> asked;
    Settle(n, {&host, &guest}, &asked);
    EXPECT_EQ(gg.flow.Current(), ScreenId::Net);
    EXPECT_FALSE(gg.lobby.AtTable());
    ASSERT_EQ(guest.r.dialogs.messages.size(), 1u);
    EXPECT_NE(guest.r.dialogs.messages[0].find("арол"), std::string::npos)
        << guest.r.dialogs.messages[0];
    EXPECT_EQ(h.lobby.SeatLines()[1].find("Гость"), std::string::npos);
}

} // namespace
} // namespace kv
