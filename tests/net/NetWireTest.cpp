// The messages on the wire: every one reads back to the same bytes, no part of
// one is taken for a message, frames survive any cutting of the stream, and
// text from the network is made safe.
#include "net/Messages.h"
#include "net/TableList.h"
#include "net/Wire.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

using namespace kv::net;

struct Sample {
    Message m;
    From from;
};

std::vector<Sample> Samples() {
    NetStrike s{7, 2, {{0.1 + 0.2, -std::nextafter(3.0, 4.0), 55}, false, 0}};
    NetStrike pot{8, 3, {{}, true, 64}};
    Hello h;
    h.rules = 0x0123456789ABCDEFull;
    h.name = "Вася";
    h.password = "пароль";
    h.token = 42;
    h.model = 2;
    h.comp = true;
    h.level = 1;
    TableView t;
    t.host = "Хозяин";
    t.phase = TablePhase::Results;
    t.match = 3;
    t.settings.table = "Парта";
    t.settings.friction = 0.03;
    t.settings.spread = 0.05;
    t.seats = {{SeatKind::HostComputer, "", 1, true, true, 0, false},
               {SeatKind::Player, "Петя", 3, false, false, 2, true}};
    t.spectators = 4;
    MatchStart st;
    st.match = 2;
    st.matches = 5;
    st.maxStrikes = 1000;
    st.stamp = "01.02.2003 04:05:06";
    st.snapshot = "[general]\r\nVer=1408\r\n";
    st.levels = {0, 1, 2, 2, 2, 2, 2, 2};
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
    // A strike's reals travel as their bits.
    const NetStrike s = std::get<StrikeOut>(Samples()[4].m).strike;
    const auto back = std::get<StrikeOut>(*Decode(Encode(StrikeOut{2, s}), From::Player));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back.strike.s.strike.ba),
              std::bit_cast<std::uint64_t>(s.s.strike.ba));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back.strike.s.strike.pa),
              std::bit_cast<std::uint64_t>(s.s.strike.pa));
}

TEST(NetWire, FieldsOutOfTheirBoundsAreRefused) {
    Writer w;
    w.U8(0x02); // Ready with a flag that is neither 0 nor 1
    w.U8(2);
    EXPECT_FALSE(Decode(w.Bytes(), From::Player));
    Aim a;
    a.point = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(Decode(Encode(a), From::Player));
    Hello long_name;
    long_name.name = std::string(kMaxNameBytes + 1, 'x');
    EXPECT_FALSE(Decode(Encode(long_name), From::Player));
    EXPECT_FALSE(Decode(std::string(1, '\x7F'), From::Player));
    EXPECT_FALSE(Decode({}, From::Host));
    // A greeting of another protocol is read as far as its version.
    std::string other = Encode(Hello{});
    other[2] = 9;
    const auto h = Decode(other + "whatever follows", From::Player);
    ASSERT_TRUE(h);
    EXPECT_EQ(std::get<Hello>(*h).protocol, 9);

    EXPECT_TRUE(StrikeInRange({{1, -12, 100}, false, 0}));
    EXPECT_TRUE(StrikeInRange({{}, true, 100}));
    EXPECT_FALSE(StrikeInRange({{1, 2, 101}, false, 0}));
    EXPECT_FALSE(StrikeInRange({{std::nan(""), 2, 1}, false, 0}));
    EXPECT_FALSE(StrikeInRange({{1e9, 2, 1}, false, 0}));
    EXPECT_FALSE(StrikeInRange({{}, true, -1}));
}

TEST(NetWire, FramesSurviveAnyCuttingAndStopAtTheLimit) {
    const std::string stream = Frame("abc") + Frame("") + Frame(std::string(300, 'z'));
    FrameReader r(1000);
    std::vector<std::string> got;
    for (char c : stream) {
        r.Feed(std::string_view(&c, 1));
        while (auto f = r.Next())
            got.push_back(*f);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"abc", "", std::string(300, 'z')}));
    EXPECT_EQ(r.Buffered(), 0u);

    FrameReader small(100);
    small.Feed(Frame(std::string(101, 'z')));
    EXPECT_FALSE(small.Next());
    EXPECT_TRUE(small.Broken());
    small.Feed(Frame("ok"));
    EXPECT_FALSE(small.Next()); // a broken stream stays broken
}

TEST(NetWire, TextFromTheNetworkIsCleaned) {
    EXPECT_EQ(CleanText("  при\x01вет\x7F\r\n ", 100), "привет");
    EXPECT_EQ(CleanText("a\xC2\x85z", 100), "az");                 // C1 control
    EXPECT_EQ(CleanText("a\xE2\x80\xA8z", 100), "az");             // line separator
    EXPECT_EQ(CleanText("a\xFF\xC0\xAFz\xED\xA0\x80", 100), "az"); // invalid, overlong, surrogate
    EXPECT_EQ(CleanText("абвгд", 3), "абв");
    EXPECT_EQ(CharCount("абв😀"), 4u);
    EXPECT_EQ(CleanName("Вася😀"), "Вася?");
    EXPECT_EQ(CleanName("\x1b[31mВася"), "[31mВася");
}

TEST(NetWire, BeaconsListTheTablesHeardLately) {
    Beacon b;
    b.table = "Парта\x01";
    b.host = "Хозяин";
    b.seated = 2;
    b.seats = 4;
    b.port = 27416;
    TableList list;
    EXPECT_TRUE(list.Heard("127.0.0.1", EncodeBeacon(b), 0));
    EXPECT_TRUE(list.Heard("127.0.0.1", EncodeBeacon(b), 1000)); // the same table again
    EXPECT_FALSE(list.Heard("127.0.0.1", "KVZB garbage", 1000));
    b.seated = 5; // more seated than seats
    EXPECT_FALSE(list.Heard("127.0.0.2", EncodeBeacon(b), 1000));
    const auto now = list.Current(2000);
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].beacon.table, "Парта");
    EXPECT_EQ(now[0].beacon.port, 27416);
    EXPECT_TRUE(list.Current(1000 + TableList::kForgetMs + 1).empty());
}

} // namespace
