// The champion: before it strikes, it plays its candidate strikes out on copies
// of the table with the match's own physics, each under several spreads drawn
// from a generator of its own, looks at the opponent's reply to the best of
// them, and makes the one that comes out best.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"

#include <atomic>
#include <cstdint>

namespace kv {

// The work one choice may take: contact searches times the objects each looks
// at, plus separation tests, over every step of every strike tried. Counted,
// never timed, so that a position gives the same choice on every machine.
inline constexpr long long kChampionWork = 2000000;

struct ChampionStats {
    long long work = 0;   // spent, never above the budget
    int strikes = 0;      // strikes and pots played out
    int candidates = 0;   // strikes and pots considered
    bool spent = false;   // the budget ended the search before its plan was done
    bool stopped = false; // dropped from outside; the plan is of no use
};

// The seed of the champion's own draws, from the position alone (the pieces,
// the table and whose turn it is): the same position always gives the same
// choice, and the match's generator is left alone.
std::uint64_t ChampionSeed(const Module1& m);

// The plan of piece p: the strike as intended, before the match's spread, or
// the pot. A p without an opponent gets a zero strike. stop, set from another
// thread, ends the search at the next strike it would try.
PlannedStrike ChooseChampion(const Module1& m, i16 p, std::uint64_t seed,
                             long long budget = kChampionWork,
                             const std::atomic<bool>* stop = nullptr,
                             ChampionStats* stats = nullptr);

} // namespace kv
