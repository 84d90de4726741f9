// Piece motion, contacts and falls on the shared piece table.
#pragma once

#include "state/MatchState.h"

#include <array>

namespace kv {

// What the physics needs from the match screen: the knock sound and the camera
// turning away from a followed piece that perished.
class PhysicsEvents {
public:
    virtual ~PhysicsEvents() = default;
    // Sound 8 at volume -10, asked for by a contact-free whole step.
    virtual void KnockSound() = 0;
    // Piece k has just perished (its record is already parked); the listener
    // turns the camera to the table centre when it followed k.
    virtual void PiecePerished(i16 k) = 0;
};

using Segment = std::array<double, 4>; // Px, Py, Qx, Qy

// The work of one PhysicsStep: what the guards watch, and whether one acted.
struct StepLoad {
    long long searches = 0;    // contact searches, one per interval tried
    long long resolutions = 0; // contacts resolved
    long long pushes = 0;      // separation pushes (the rebound pushes not counted)
    long long checks = 0;      // separation tests actually made (pushes are skipped in bulk)
    long long circles = 0;     // circles placed and compared by the contact searches
    bool guarded = false;      // a guard cut the step short
};

// How much work one step may take before a guard acts (see Physics.cpp for
// the match's own guards).
struct StepGuards {
    long long searches;
    long long resolutions;
    long long checks;
    long long pushes;
    long long circles;
};

void BuildShapes(Module1& m);
// Number of occupied slots: players, obstacles, walls.
int ObjectCount(const Module1& m);
// Fills the wall slots after the obstacles from Border, BordMode, BordSimm.
void WriteWalls(Module1& m);

void MovePiece(Module1& m, GoblaRec& p, double dt, PhysicsEvents* ev);
// Advances the table by dt (the match passes 1.0), halving the interval down
// to a millionth at every contact and resolving it there. Guards far beyond
// play keep a tick finite on a table that could never settle; once one acts
// the rest of dt is advanced without contact search. dt <= 0 or not finite:
// nothing.
StepLoad PhysicsStep(Module1& m, double dt, PhysicsEvents* ev);
// The same under other guards: a player trying strikes gives up on a step far
// sooner than the match would.
StepLoad PhysicsStep(Module1& m, double dt, PhysicsEvents* ev, const StepGuards& guards);
// A strike point at the centre adds no spin.
void StrikePush(GoblaRec& p, Segment& seg);
// Parks piece k and updates the perish lists, never writing past their ends.
void Perish(Module1& m, i16 k, PhysicsEvents* ev);

} // namespace kv
