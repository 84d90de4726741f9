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
    int speed = 1;         // with realtime: virtual time runs this many times faster
    bool trace = false;    // one line on the error stream per executed strike
};

struct ReplayOptions {
    std::string file;
    bool json = false;
    std::uint64_t seed = 1;
    bool realtime = false;
    bool trace = false;
};

// A network table the runner opens: its seats, the port and the waiting.
struct HostOptions {
    std::string listen = "127.0.0.1"; // the only address it listens on
    std::uint16_t port = 27415;
    std::vector<bool> netSeats; // per slot: a joining player (net) or the host's computer (comp)
    int waitSeconds = 120;      // for every net seat to be taken
    int graceSeconds = 60;
    int turnLimitSeconds = 0;
    int matches = 0; // a series of this many; 0: one match, reported as play reports it
    std::string password;
    std::string name = "Хозяин";
};

// A table the runner joins, as a player of its own computer or a spectator.
struct JoinOptions {
    std::string host;
    std::uint16_t port = 27415;
    std::string name;
    int level = 2;
    int model = -1;
    bool watch = false;
    bool json = false;
    std::string record;
    std::string password;
    int waitSeconds = 600;  // for the host to start a match
    std::uint64_t seed = 1; // this machine's own draws (its computer's, the spread)
};

enum class Command { Play, Replay, Series, Info, Host, Join, Help };

struct Options {
    Command command = Command::Help;
    PlayOptions play;
    ReplayOptions replay;
    int matches = 10; // series
    HostOptions host;
    JoinOptions join;
    std::string file; // info
};

// Parses argv (without the program name). On a bad option returns nothing and
// puts a Russian message into error.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

const char* UsageText();

} // namespace kv::sim
