// kvelmar2-sim: plays matches of computer players and replays without a window.
#include "persistence/Folders.h"
#include "sim/SimOptions.h"
#include "sim/SimRun.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto o = kv::sim::ParseOptions(args, error);
    if (!o) {
        std::cerr << error << "\n\n" << kv::sim::UsageText();
        return 2;
    }
    const bool needsData =
        o->command != kv::sim::Command::Help && o->command != kv::sim::Command::Info;
    if (needsData && !kv::HasGameData(kv::DataDir())) {
        std::cerr << kv::MissingDataText(kv::DataDir()) << '\n';
        return 1;
    }
    switch (o->command) {
    case kv::sim::Command::Help:
        std::cout << kv::sim::UsageText();
        return 0;
    case kv::sim::Command::Play:
        return kv::sim::PlayCommand(o->play, std::cout, std::cerr);
    case kv::sim::Command::Replay:
        return kv::sim::ReplayCommand(o->replay, std::cout, std::cerr);
    case kv::sim::Command::Series:
        return kv::sim::SeriesCommand(o->play, o->matches, std::cout, std::cerr);
    case kv::sim::Command::Info:
        return kv::sim::InfoCommand(o->file, std::cout, std::cerr);
    }
    return 0;
}
