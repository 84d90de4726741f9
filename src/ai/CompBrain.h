// The computer player's choice, the execution of every strike, and the spread.
#pragma once

#include "state/Module1.h"
#include "state/Rng.h"
#include "state/TurnPhase.h"

namespace kv {

// What ExecuteStrike asks of the match screen.
class StrikeHost {
public:
    virtual ~StrikeHost() = default;
    virtual void SetTurnPhase(TurnPhase phase) = 0;
    virtual bool ReplayMode() const = 0;
    virtual void WriteReplayStep(const StrikeRecord& strike, i16 pot) = 0;
    // Slot and attenuation; only called with Sound on.
    virtual void PlaySound(int slot, i32 volume) = 0;
    // Busy = false and the motion timer enabled.
    virtual void StartMotion() = 0;
};

// Fills the strike for piece p; writes StrikeDir (through the reference),
// StrikeForce and HintText. Without a target (or with p out of range) the
// strike is (0, 0, 0), StrikeDir and StrikeForce become 0 and HintText stays.
StrikeRecord ChooseStrike(Module1& m, i16 p, double& StrikeDir);

// The choice of a computer player of the given strength (kLevelNovice ..
// kLevelMaster). The master is ChooseStrike itself and draws nothing; the weaker
// ones draw their target and their errors from rng.
StrikeRecord ChooseStrikeAs(Module1& m, i16 p, i16 level, Rng& rng, double& StrikeDir);

// Strike point of piece g at rim angle a by its model's outline (unrounded),
// after moving a by 2 pi when a and Phi differ in sign. Models without an
// outline are struck at their centre.
void StrikePoint(const Module1& m, const GoblaRec& g, double a, double& px, double& py);

// Executes the strike for CurG. The strong-strike sound draws from rng.
void ExecuteStrike(Module1& m, const StrikeRecord& strike, StrikeHost& host, Rng& rng);

// Each draws once from rng. VarK outside 0..0.1 spreads nothing.
double SpreadAngle(const Module1& m, Rng& rng, double a);
i16 SpreadForce(const Module1& m, Rng& rng, i16 f);

} // namespace kv
