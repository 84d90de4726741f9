// How a strike comes out on the table: the point on the rim, the spread of an
// unsteady hand and the push it gives the piece. The match executes strikes
// through these, and a computer player that tries strikes before making one
// plays them through the same code.
#pragma once

#include "physics/Physics.h"
#include "state/MatchState.h"
#include "state/Rng.h"

namespace kv {

// Strike point of piece g at rim angle a by its model's outline (unrounded),
// after moving a by 2 pi when a and Phi differ in sign. Models without an
// outline are struck at their centre.
void StrikePoint(const Module1& m, const GoblaRec& g, double a, double& px, double& py);

// The table's spread as strikes take it: VarK, or 0 outside 0..0.1. A strike's
// direction spreads by up to SpreadSize * Pi / 2 either way.
double SpreadSize(const Module1& m);

// An angle brought back within one turn either way, as strikes keep theirs.
double WrapTurn(double a, double pi);

// Each draws once from rng. VarK outside 0..0.1 spreads nothing.
double SpreadAngle(const Module1& m, Rng& rng, double a);
i16 SpreadForce(const Module1& m, Rng& rng, i16 f);

// Gives piece CurG the velocity and spin of the strike, struck at its strike
// point rounded to whole table units. Nothing for a CurG out of range.
void PushStrike(Module1& m, const StrikeRecord& strike);

// The pot of force F brought down on piece CurG: every other piece is thrown
// straight away from it for one step, and then the whole table stands still.
// Nothing for a CurG out of range. Other guards than the match's: see PhysicsStep.
StepLoad PotThrow(Module1& m, double F, PhysicsEvents* ev, const StepGuards* guards = nullptr);

} // namespace kv
