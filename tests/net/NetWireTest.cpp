// The messages on the wire: every one reads back to the same bytes, no part of
// one is taken for a message, and text from the network is made safe.
#include "net/Messages.h"
#include "net/TableList.h"
#include "net/Wire.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace kv::net;

struct Sample {
    Message m;
    From from;
};

std::vector<Sample> Samples() {
    const NetStrike s{7, 2, {{0.1 + 0.2, -std::nextafter(3.0, 4.0), 55}, false, 0}};
    const NetStrike pot{8, 3, {{}, true, 64}};
    const Hello h{.rules = 0x0123456789ABCDEFull,
                  .name = "Вася",
                  .password = "пароль",
                  .token = 42,
                  .model = 2,
                  .comp = true,
                  .level = 1};
    const TableView t{"Хозяин",
                      TablePhase::Results,
                      3,
                      {.table = "Парта", .friction = 0.03, .spread = 0.05},
                      {{SeatKind::HostComputer, "", 1, true, true, 0, false, 1000},
                       {SeatKind::Player, "Петя", 3, false, false, 2, true}},
                      4};
    const MatchStart st{
        2, 5, 1000, "01.02.2003 04:05:06", "[general]\r\nVer=1408\r\n", {0, 1, 2, 2, 2, 2, 2, 2}};
    Repair rep{12, 11, 4000, 10, 1, 2, "[general]\r\n"};
    return {{h, From::Player},
            {Ready{true}, From::Player},
            {Wishes{3, true, 0}, From::Player},
            {Say{"привет"}, From::Player},
            {StrikeOut{2, s}, From::Player},
            {Aim{2, 9, 1.5, -2.25, 40}, From::Player},
            {TurnDigest{2, 9, 0xFFFFFFFFFFFFFFFFull}, From::Player},
            {Leave{}, From::Player},
            {Ping{}, From::Player},
            {Ping{}, From::Host},
            {Welcome{kProtocolVersion, kv::kBuild, 99, 3}, From::Host},
            {Refuse{Reason::Password, 1, 1400, "нет"}, From::Host},
            {t, From::Host},
            {ChatLine{"Петя", "ход!"}, From::Host},
            {st, From::Host},
            {Struck{pot}, From::Host},
            {AimShown{2, Aim{2, 9, 1.5, -2.25, 40}}, From::Host},
            {CatchUp{st, {s, pot}}, From::Host},
            {rep, From::Host},
            {Notice{NoticeKind::Dropped, 2, 60, "Петя"}, From::Host},
            {MatchEnd{2, 30, true}, From::Host},
            {Bye{Reason::SeriesOver, 1, 1408, "всё"}, From::Host}};
}

TEST(NetWire, EveryMessageReadsBackToItsBytesAndNothingLess) {
    for (const Sample& x : Samples()) {
        const std::string bytes = Encode(x.m);
        const std::optional<Message> back = Decode(bytes, x.from);
        ASSERT_TRUE(back) << NameOf(x.m);
        EXPECT_EQ(back->index(), x.m.index());
        EXPECT_EQ(Encode(*back), bytes) << NameOf(x.m);
        for (std::size_t n = 0; n < bytes.size(); ++n)
            EXPECT_FALSE(Decode(bytes.substr(0, n), x.from)) << NameOf(x.m) << " cut at " << n;
        EXPECT_FALSE(Decode(bytes + '\0', x.from)) << NameOf(x.m);
        // Each side reads only the other's messages.
        const From other = x.from == From::Host ? From::Player : From::Host;
        if (!std::holds_alternative<Ping>(x.m)) {
            EXPECT_FALSE(Decode(bytes, other)) << NameOf(x.m);
        }
    }
}

TEST(NetWire, FieldsOutOfTheirBoundsAreRefused) {
    EXPECT_FALSE(Decode(std::string("\x02\x02", 2), From::Player)); // Ready, neither 0 nor 1
    Aim a;
    a.point = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(Decode(Encode(a), From::Player));
    Hello long_name;
    long_name.name = std::string(kMaxNameBytes + 1, 'x');
    EXPECT_FALSE(Decode(Encode(long_name), From::Player));
    EXPECT_FALSE(Decode({}, From::Host));
    EXPECT_TRUE(StrikeInRange({{1, -12, 100}, false, 0}));
    EXPECT_FALSE(StrikeInRange({{std::nan(""), 2, 1}, false, 0}));
    EXPECT_FALSE(StrikeInRange({{}, true, -1}));
}

TEST(NetWire, TextFromTheNetworkIsCleaned) {
    EXPECT_EQ(CleanText("  при\x01вет\x7F\r\n ", 100), "привет");
    // C1 control, line separator, invalid, overlong, surrogate
    EXPECT_EQ(CleanText("a\xC2\x85\xE2\x80\xA8\xFF\xC0\xAFz\xED\xA0\x80", 100), "az");
    EXPECT_EQ(CleanText("абвгд", 3), "абв");
    EXPECT_EQ(CleanName("\x1b[31mВася😀"), "[31mВася?");
}

// Typed into the network screen or given to the runner: a port left out is
// the one already held, and nothing is touched by an address refused.
TEST(NetWire, AddressesAsPlayersTypeThem) {
    const std::tuple<const char*, const char*, int> good[] = {
        {"127.0.0.1:27500", "127.0.0.1", 27500},
        {"localhost", "localhost", 27415},
        {"[::1]", "::1", 27415},
        {"[::1]:27416", "::1", 27416},
    };
    for (const auto& [text, wantHost, wantPort] : good) {
        std::string host;
        std::uint16_t port = 27415;
        ASSERT_TRUE(ParseAddress(text, host, port)) << text;
        EXPECT_EQ(std::tuple(host, static_cast<int>(port)), std::tuple(wantHost, wantPort));
    }
    const std::string tooLong(256, 'a');
    for (const std::string text :
         {"", "::1:27415", "[::1", "[::1]x", "[::1]:", "host:", "host:0", "host:65536", "host:12a",
          "host:000001", "нет такого адреса", "a b:1", "[]:5", tooLong.c_str()}) {
        std::string host = "было";
        std::uint16_t port = 7;
        EXPECT_FALSE(ParseAddress(text, host, port)) << text;
        EXPECT_EQ(std::tuple(host, static_cast<int>(port)), std::tuple("было", 7));
    }
}

TEST(NetWire, BeaconsListTheTablesHeardLately) {
    Beacon b;
    b.table = "Парта\x01";
    b.seats = 4;
    TableList list;
    EXPECT_TRUE(list.Heard("127.0.0.1", EncodeBeacon(b), 0));
    EXPECT_FALSE(list.Heard("127.0.0.1", "KVZB garbage", 1000));
    b.seated = 5; // more seated than seats
    EXPECT_FALSE(list.Heard("127.0.0.2", EncodeBeacon(b), 1000));
    EXPECT_EQ(list.Current(1000).at(0).beacon.table, "Парта");
    EXPECT_TRUE(list.Current(TableList::kForgetMs + 1).empty());
}

} // namespace
