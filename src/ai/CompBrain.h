// The computer player's choice, the execution of every strike, and the spread.
#pragma once

#include "match/Module1.h"
#include "match/Rng.h"

namespace kv {

// What ExecuteStrike asks of the match screen.
class StrikeHost {
public:
    virtual ~StrikeHost() = default;
    virtual void SetTurnPhase(i16 phase) = 0;
    virtual bool ReplayMode() const = 0;
    virtual void WriteReplayStep(const StrikeRecord& strike, i16 pot) = 0;
    // Slot and attenuation; only called with Sound on.
    virtual void PlaySound(int slot, i32 volume) = 0;
    // Busy = false and the motion timer enabled.
    virtual void StartMotion() = 0;
};

// Fills the strike for piece p; writes StrikeDir (through the reference),
// StrikeForce and HintText. p must have at least one target.
StrikeRecord ChooseStrike(Module1& m, i16 p, double& StrikeDir);

// Strike point of piece g at rim angle a by its model's outline (unrounded).
void StrikePoint(const Module1& m, const GoblaRec& g, double a, double& px, double& py);

void ExecuteStrike(Module1& m, const StrikeRecord& strike, StrikeHost& host, Rng& rng);

double SpreadAngle(const Module1& m, Rng& rng, double a);
i16 SpreadForce(const Module1& m, Rng& rng, i16 f);

} // namespace kv
