#include "sim/SimOptions.h"

#include <gtest/gtest.h>

using kv::sim::Command;

namespace {

std::optional<kv::sim::Options> Parse(std::vector<std::string> args, std::string* err = nullptr) {
    std::string e;
    auto o = kv::sim::ParseOptions(args, e);
    if (err) *err = e;
    return o;
}

} // namespace

TEST(SimOptions, ReadsEveryOption) {
    auto o = Parse({"play",          "--teams",    "3",           "--models",  "1,2",
                    "--masses",      "5,1000",     "--names",     "Вася,Петя", "--table",
                    "1000x200",      "--friction", "0.03",        "--wall",    "pos1",
                    "--wall-mirror", "no",         "--obstacles", "part2",     "--obstacles-mirror",
                    "yes",           "--spread",   "0.1",         "--seed",    "77",
                    "--max-strikes", "5",          "--json",      "--levels",  "0,3"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->command, Command::Play);
    const auto& p = o->play;
    EXPECT_EQ(std::tuple(p.teams, p.players, p.tableX, p.tableY, p.wall, p.obstacles),
              std::tuple(3, 6, 1000, 200, 1, 2));
    EXPECT_EQ(std::tuple(p.models, p.masses, p.names[1]),
              std::tuple(std::vector<int>{1, 2}, std::vector<int>{5, 1000}, "Петя"));
    EXPECT_EQ(std::tuple(p.friction, p.spread, p.seed, p.maxStrikes),
              std::tuple(0.03, 0.1, 77u, 5));
    EXPECT_TRUE(!p.wallMirror && p.obstaclesMirror && p.json);
    EXPECT_EQ(p.levels, (std::vector<int>{0, 3}));

    o = Parse({"replay", "a.sav", "--json"});
    ASSERT_TRUE(o);
    EXPECT_EQ(std::tuple(o->command, o->replay.file, o->replay.json),
              std::tuple(Command::Replay, "a.sav", true));
    o = Parse({"info", "Партия.zvr"});
    ASSERT_TRUE(o);
    EXPECT_EQ(std::tuple(o->command, o->file), std::tuple(Command::Info, "Партия.zvr"));
}

TEST(SimOptions, RejectsBadValuesWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {"play", "--players", "9"},
        {"info"},
        {"info", "a.zvr", "b.zvr"},
        {"play", "--players", "x"},
        {"play", "--table", "150x400"},
        {"play", "--friction", "nan"},
        {"play", "--colour", "red"},
        {"play", "--players", "3", "--teams", "2"},
        {"play", "--levels", "2,4"},
        {"play", "--levels", "0,1,2"},
        {"fly"},
        {"host", "--seats", "comp,net,bot"},
        {"host", "--seats", "comp,net", "--players", "3"},
        {"join", "--name", "Вася"},
        {"join", "::1:27415", "--name", "Вася"},
    };
    for (const auto& args : bad) {
        std::string err;
        EXPECT_FALSE(Parse(args, &err)) << args.back();
        EXPECT_FALSE(err.empty());
    }
}

TEST(SimOptions, ReadsTheNetworkCommands) {
    auto o = Parse({"host", "--seats", "comp,net,net", "--port", "27500", "--grace", "9"});
    ASSERT_TRUE(o);
    EXPECT_EQ(std::tuple(o->command, o->host.netSeats, o->play.players, o->host.port,
                         o->host.graceSeconds),
              std::tuple(Command::Host, std::vector<bool>{false, true, true}, 3, 27500, 9));
    o = Parse({"join", "[::1]:27416", "--watch"});
    ASSERT_TRUE(o);
    EXPECT_EQ(std::tuple(o->command, o->join.host, o->join.port, o->join.watch, o->join.name),
              std::tuple(Command::Join, "::1", 27416, true, "Гость"));
}
