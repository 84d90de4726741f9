// Piece motion, contacts and falls on the shared piece table.
#pragma once

#include "match/Module1.h"

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

// First touching pair (i < j) and their circle numbers; i = -1 means none.
struct Contact {
    double i = -1, j = 0, k = 0, l = 0;
    bool None() const { return i == -1; }
};

using Segment = std::array<double, 4>; // Px, Py, Qx, Qy

void BuildShapes(Module1& m);
// Number of occupied slots: players, obstacles, walls.
int ObjectCount(const Module1& m);
// Fills the wall slots after the obstacles from Border, BordMode, BordSimm.
void WriteWalls(Module1& m);

void MovePiece(Module1& m, GoblaRec& p, double dt, PhysicsEvents* ev);
// Advances the table by dt (the match passes 1.0). Bounded work per call: the
// halving, the resolutions and the separation pushes each have a budget; once
// one is spent the rest of dt is advanced without contact search, and any
// overlap left is pushed apart by the next step. dt <= 0 or not finite: nothing.
void PhysicsStep(Module1& m, double dt, PhysicsEvents* ev);
// A strike point at the centre adds no spin.
void StrikePush(GoblaRec& p, Segment& seg);

// Pairs of two fixed objects (obstacles, walls) are never reported: nothing
// could push them apart.
Contact FindContact(Module1& m, double dt, PhysicsEvents* ev);
// Advances copies of records i and j by dt and tests them. The copies may make
// the table's own record perish.
std::array<double, 2> ProbePair(Module1& m, int i, int j, double dt, PhysicsEvents* ev);
// (k, l) circle numbers of the first overlapping pair of the two records, or (-1, 0).
std::array<double, 2> PairContact(const Module1& m, const GoblaRec& a, const GoblaRec& b);
Circle WorldCircle(const Module1& m, const GoblaRec& p, int k);
bool CirclesOverlap(const Circle& a, const Circle& b);
// Concentric circles part along the line of the piece centres, or along +x.
// A pair with a piece already perished (in the probe that found the contact)
// is left alone, and a piece that perishes during the resolution takes no more
// pushes. At most 250000 separation pushes per contact.
void ResolveContact(Module1& m, double dt, const Contact& c, PhysicsEvents* ev);
// Mass below 1 counts as 1; a contact point at the centre adds no spin; a
// segment of length 0 pushes nothing.
void ContactPush(GoblaRec& p, Segment& seg);
// Parks piece k and updates the perish lists, never writing past their ends.
void Perish(Module1& m, i16 k, PhysicsEvents* ev);

} // namespace kv
