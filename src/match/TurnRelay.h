// Network play: the turns of one match are played on several machines. The
// match screen asks the relay who plays each turn and hands it the strikes made
// here; the relay hands back, through MatchScreen::PlayStrike, every strike to
// execute (this machine's own included) in the order the table's host fixed.
#pragma once

#include "state/MatchState.h"

#include <string>
#include <vector>

namespace kv {

enum class TurnOwner {
    Here,      // this machine: its player or its computer, as the piece's CompControl says
    Computer,  // this machine's computer, whatever CompControl says
    Elsewhere, // another machine strikes: wait for the strike
};

// A strike as it travels: an ordinary one, or the pot with its force.
struct PlayedStrike {
    StrikeRecord strike;
    bool pot = false;
    i16 potForce = 0;
};

class TurnRelay {
public:
    virtual ~TurnRelay() = default;
    // The turn of slot begins (or begins again after RetakeTurn); the pieces rest.
    virtual TurnOwner TurnBegins(i16 slot) = 0;
    // A strike made here goes out; the screen waits until it comes back.
    virtual void StrikeMade(const PlayedStrike& s) = 0;
    // The aim of a player here moved (strike point, direction, force so far).
    virtual void AimChanged(double pointAngle, double direction, i16 force) = 0;
    // The pieces of the last strike rest and the fallen are counted; the next
    // turn has not begun.
    virtual void TurnEnded() = 0;
    // Lines for the text over the picture: a countdown, the chat.
    virtual std::vector<std::string> Notes() const { return {}; }
    // A chat line typed in the match.
    virtual void Say(const std::string& line) { (void)line; }
};

} // namespace kv
