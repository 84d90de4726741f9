// The network transport on Qt Network, over the loopback address only: a table
// opened and joined through real sockets, a port taken twice, a table that is
// not there, and the beacon heard by the table list.
#include "devices/net/QtBeacon.h"
#include "devices/net/QtLink.h"
#include "net/NetHost.h"
#include "net/NetMember.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

using namespace kv;
using namespace kv::net;

bool Spin(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

std::uint16_t FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

Clock Wall() {
    return [] {
        static QElapsedTimer t = [] {
            QElapsedTimer e;
            e.start();
            return e;
        }();
        return t.elapsed();
    };
}

TEST(NetLink, ATableIsOpenedJoinedAndClosedOverLoopbackSockets) {
    const std::uint16_t port = FreePort();
    QtLink hostLink, playerLink, otherLink;
    Rng tokens(1);
    NetHost host(hostLink, Wall(), tokens);
    std::string why;
    ASSERT_TRUE(host.Open("127.0.0.1", port, &why)) << why;
    EXPECT_FALSE(otherLink.Listen("127.0.0.1", port, &why));
    EXPECT_NE(why.find("порт уже занят"), std::string::npos) << why;

    NetMember player(playerLink, Wall());
    JoinOptions o;
    o.name = "Анна";
    player.Join("127.0.0.1", port, o);
    ASSERT_TRUE(Spin([&] { return player.GetState() == NetMember::State::AtTable; }));
    EXPECT_EQ(player.Seat(), 1);
    EXPECT_NE(player.Token(), 0u);
    player.Say("привет\x01");
    ASSERT_TRUE(Spin([&] {
        for (const NetEvent& e : host.TakeEvents())
            if (e.kind == EventKind::Chat) return e.text == "Анна: привет";
        return false;
    }));
    host.Close();
    ASSERT_TRUE(Spin([&] { return player.GetState() == NetMember::State::Closed; }));
    EXPECT_EQ(player.CloseText(), "Стол закрыт: Хозяин стола закрыл стол.");

    NetMember late(otherLink, Wall());
    late.Join("127.0.0.1", port, o); // the table is closed: nobody listens
    ASSERT_TRUE(Spin([&] { return late.GetState() == NetMember::State::Closed; }));
    EXPECT_NE(late.CloseText().find("Не удалось подключиться"), std::string::npos)
        << late.CloseText();
}

TEST(NetLink, TheBeaconIsHeardOnTheLoopbackAddress) {
    const std::uint16_t port = FreePort();
    QtTableFinder finder;
    std::string why;
    ASSERT_TRUE(finder.Start("127.0.0.1", port, &why)) << why;
    QtLink link;
    Rng tokens(1);
    NetHost host(link, Wall(), tokens);
    TableSettings ts;
    ts.table = "Парта";
    host.SetSettings(ts);
    host.SetSeatCount(4);
    host.SetSeat(1, SeatKind::HostPlayer, "Хозяин");
    QtBeacon beacon([&] { return host.Advert(27999); });
    ASSERT_TRUE(beacon.Start("127.0.0.1", port, &why)) << why;
    ASSERT_TRUE(Spin([&] { return !finder.Tables().empty(); }));
    const FoundTable t = finder.Tables().front();
    EXPECT_EQ(t.address, "127.0.0.1");
    EXPECT_EQ(t.beacon.table, "Парта");
    EXPECT_EQ(t.beacon.port, 27999);
    EXPECT_EQ(std::tuple(t.beacon.seated, t.beacon.seats), std::tuple(1, 4));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
