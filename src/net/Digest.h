// Digests that machines compare: the piece table after a turn, and the rules
// data a match is played by.
#pragma once

#include "state/MatchState.h"

#include <cstdint>

namespace kv::net {

// FNV-1a over the bits of every piece's place, motion, spin and standing, the
// turn orders and the match counters: equal on two machines exactly when their
// tables are.
std::uint64_t TableDigest(const Module1& m);

// The piece shapes, the game's constants and a short strike played out on a
// probe table: machines that differ here would not play the same match.
std::uint64_t RulesDigest();

} // namespace kv::net
