// Command line of the headless runner.
#pragma once

#include "state/Defaults.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::sim {

struct PlayOptions {
    int players = 2;
    int teams = 0; // 0: a quick game; 1..4: a team game of teams against teams
    std::vector<int> models;
    std::vector<int> masses;
    std::vector<std::string> names;
    std::vector<int> levels; // 0 novice, 1 amateur, 2 master, 3 champion, per slot (2)
    int tableX = kDefaultTableX;
    int tableY = kDefaultTableY;
    double friction = 0.02;
    int wall = 2; // 0 off, 1 first position, 2 second position
    bool wallMirror = true;
    int obstacles = 1; // 0 off, 1 first part, 2 second part
    bool obstaclesMirror = false;
    double spread = 0;
    std::uint64_t seed = 1;
    long maxStrikes = 1000;
    bool json = false;
    std::string record;    // write the match as a replay file
    std::string settings;  // take players and table from a settings file
    bool realtime = false; // pace virtual time to the clock, as the game does
    bool trace = false;    // one line on the error stream per executed strike
};

struct ReplayOptions {
    std::string file;
    bool json = false;
    std::uint64_t seed = 1;
    bool realtime = false;
    bool trace = false;
};

enum class Command { Play, Replay, Series, Info, Help };

struct Options {
    Command command = Command::Help;
    PlayOptions play;
    ReplayOptions replay;
    int matches = 10; // series
    std::string file; // info
};

// Parses argv (without the program name). On a bad option returns nothing and
// puts a Russian message into error.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

const char* UsageText();

} // namespace kv::sim
