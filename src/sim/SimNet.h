// The runner at a network table: host opens one and plays its matches with the
// players who join, join takes a seat (or watches). Both print what play or
// series print, and the same on every machine.
#pragma once

#include "net/Link.h"
#include "sim/SimOptions.h"

#include <functional>
#include <iosfwd>

namespace kv::sim {

// The network as the runner has it: a link, a clock, and a way to let the
// network run for up to ms milliseconds (0: only what is there now).
struct NetEnv {
    net::Link& link;
    net::Clock clock;
    std::function<void(int ms)> wait;
};

int HostCommand(const PlayOptions& p, const HostOptions& h, NetEnv& env, std::ostream& out,
                std::ostream& err);
int JoinCommand(const JoinOptions& j, NetEnv& env, std::ostream& out, std::ostream& err);

// Where a match of a series is recorded: FILE for a single match, FILE-N
// (before its extension) for match N of a series.
std::string RecordPathOf(const std::string& file, int match, bool series);

} // namespace kv::sim
