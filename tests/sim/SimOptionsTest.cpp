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
                    "--max-strikes", "5",          "--json"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->command, Command::Play);
    const auto& p = o->play;
    EXPECT_EQ(p.teams, 3);
    EXPECT_EQ(p.players, 6);
    EXPECT_EQ(p.models, (std::vector<int>{1, 2}));
    EXPECT_EQ(p.masses, (std::vector<int>{5, 1000}));
    EXPECT_EQ(p.names, (std::vector<std::string>{"Вася", "Петя"}));
    EXPECT_EQ(p.tableX, 1000);
    EXPECT_EQ(p.tableY, 200);
    EXPECT_EQ(p.friction, 0.03);
    EXPECT_EQ(p.wall, 1);
    EXPECT_FALSE(p.wallMirror);
    EXPECT_EQ(p.obstacles, 2);
    EXPECT_TRUE(p.obstaclesMirror);
    EXPECT_EQ(p.spread, 0.1);
    EXPECT_EQ(p.seed, 77u);
    EXPECT_EQ(p.maxStrikes, 5);
    EXPECT_TRUE(p.json);

    o = Parse({"replay", "a.sav", "--json"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->command, Command::Replay);
    EXPECT_EQ(o->replay.file, "a.sav");
    EXPECT_TRUE(o->replay.json);
}

TEST(SimOptions, RejectsBadValuesWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {"play", "--players", "1"},
        {"play", "--players", "9"},
        {"play", "--players", "x"},
        {"play", "--teams", "5"},
        {"play", "--models", "0,4"},
        {"play", "--masses", "0"},
        {"play", "--masses", "1001"},
        {"play", "--table", "150x400"},
        {"play", "--table", "600"},
        {"play", "--friction", "0"},
        {"play", "--friction", "nan"},
        {"play", "--wall", "left"},
        {"play", "--spread", "0.2"},
        {"play", "--obstacles-mirror", "maybe"},
        {"play", "--players"},
        {"play", "--colour", "red"},
        {"play", "--players", "3", "--teams", "2"},
        {"play", "--players", "2", "--names", "a,b,c"},
        {"fly"},
        {"replay"},
    };
    for (const auto& args : bad) {
        std::string err;
        EXPECT_FALSE(Parse(args, &err)) << args.back();
        EXPECT_FALSE(err.empty());
    }
}
