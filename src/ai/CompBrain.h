// The computer player: it chooses strikes, which the match executes.
#pragma once

#include "state/MatchState.h"
#include "state/Rng.h"

#include <functional>

namespace kv {

// Fills the strike for piece p; writes StrikeDir (through the reference),
// StrikeForce and HintText. Without a target (or with p out of range) the
// strike is (0, 0, 0), StrikeDir and StrikeForce become 0 and HintText stays.
StrikeRecord ChooseStrike(Module1& m, i16 p, double& StrikeDir);

// The master's strike of piece p at the given target: straight at it, without
// spin, with the force that drives it over the table edge beyond. Writes
// StrikeForce and HintText as ChooseStrike does. p and target must be pieces.
StrikeRecord StrikeAt(Module1& m, i16 p, int target, double& StrikeDir);

// Plays strike s of piece p out on t until the table rests, or as far as it
// will; false when it may not be played (the caller's work has run out).
using PlayOut = std::function<bool(Module1& t, i16 p, const StrikeRecord& s)>;

// The choice of a computer player of the given strength (kLevelNovice ..
// kLevelMaster). The master is ChooseStrike itself and draws nothing; the weaker
// ones draw their target and their errors from rng. The amateur plays its
// strike out before it makes it: through play where given, so that a caller
// bounded by its work counts that too.
StrikeRecord ChooseStrikeAs(Module1& m, i16 p, i16 level, Rng& rng, double& StrikeDir,
                            const PlayOut& play = {});

} // namespace kv
