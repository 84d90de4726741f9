// The runner's result: one JSON object or a short Russian summary.
#pragma once

#include "match/Module1.h"

#include <string>

namespace kv::sim {

struct RunResult {
    bool finished = false; // the match ended (GameOver)
    i16 winner = 0;
    long strikes = 0;
    long ticks = 0;
    long long virtualMs = 0;
};

std::string ResultJson(const Module1& m, const RunResult& r);
std::string ResultText(const Module1& m, const RunResult& r);
// Shortest text that reads back to the same double.
std::string RealText(double v);

} // namespace kv::sim
