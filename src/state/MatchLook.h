#pragma once
// What the modern look shows beyond the scene's objects: a picture of the
// match, never a change of it. The classic look ignores all of it.

#include "state/MatchState.h"

#include <array>
#include <string>

namespace kv {

struct PieceLook {
    bool turn = false;               // the ring under the piece whose turn it is
    float tint[3] = {1.f, 1.f, 1.f}; // the player's own colour, linear RGB
    // A piece going over the edge, drawn from where the physics last had it:
    // progress 0 (still on the table) to 1 (fallen out of sight).
    float fall = 0.f;
    double fallX = 0, fallY = 0, fallZ = 0; // scene position where it left the table
    float fallDirX = 0.f, fallDirZ = 0.f;   // unit direction out of the table, scene axes
};

struct MatchLook {
    std::array<PieceLook, kPieceSlots + 1> pieces{}; // by piece number, 0 unused
    float force = -1.f;   // 0..1 in a bar beside the piece while charging; below 0 none
    std::string banner;   // a short line across the middle of the picture; empty none
    float bannerAlpha = 0.f;
};

} // namespace kv
