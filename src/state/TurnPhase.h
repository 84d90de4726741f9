// Where the turn of the match screen stands.
#pragma once

#include "state/MatchState.h"

namespace kv {

enum class TurnPhase : i16 {
    None = 0,      // before the first turn
    Aim = 1,       // waiting for the strike of CurG
    Charge = 2,    // SPACE held: the force grows
    Struck = 3,    // the strike is executed, the pieces move
    Think = 4,     // a computer player works out its strike, or waits with it for ENTER
    PotCharge = 5, // the pot strike's force grows
    PotFall = 6,   // the pot falls and throws the pieces
    Elsewhere = 7, // network play: the strike is made on another machine, or sent and not back
};

} // namespace kv
