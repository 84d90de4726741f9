// The runner's result: one JSON object or a short Russian summary.
#pragma once

#include "physics/Physics.h"
#include "state/MatchState.h"

#include <string>
#include <vector>

namespace kv::sim {

struct RunResult {
    bool finished = false; // the match ended (GameOver)
    i16 winner = 0;
    long strikes = 0;
    long ticks = 0;
    long guardHits = 0; // physics steps a guard cut short: 0 in any real play
    StepLoad busiest;
    long long virtualMs = 0;
};

std::string ResultJson(const Module1& m, const RunResult& r);
std::string ResultText(const Module1& m, const RunResult& r);
// A match of a series: the turn order it was played in (TurnOrderJson before
// it), the finishing order, the winner, the round's and the total scores.
std::string TurnOrderJson(const Module1& m);
std::string SeriesMatchJson(const Module1& m, const std::string& turnOrder);
std::string SeriesJson(const std::vector<std::string>& matches);
// Shortest text that reads back to the same double.
std::string RealText(double v);

} // namespace kv::sim
