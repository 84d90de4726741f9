// The network transport on Qt Network, over the loopback address only: a table
// opened, joined and closed through real sockets, and a port taken twice.
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
    host.Close();
    ASSERT_TRUE(Spin([&] { return player.GetState() == NetMember::State::Closed; }));
    EXPECT_NE(player.CloseText().find("закрыл стол"), std::string::npos);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
