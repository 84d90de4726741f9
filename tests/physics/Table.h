// Small table set-ups shared by the physics and computer-player tests.
#pragma once

#include "physics/Physics.h"
#include "state/MatchState.h"

#include <cmath>
#include <tuple>
#include <vector>

namespace kv::test {

struct Events : PhysicsEvents {
    int knocks = 0;
    std::vector<i16> perished;
    void KnockSound() override { ++knocks; }
    void PiecePerished(i16 k) override { perished.push_back(k); }
};

// A bare table of n players (callers place them): no walls, no obstacles.
inline Module1 Bare(int n, i16 model = 3, i16 maxX = 600, i16 maxY = 400) {
    Module1 m;
    m.MaxGamers = static_cast<i16>(n);
    m.MaxX = maxX;
    m.MaxY = maxY;
    m.Ftr = 0.02;
    m.Border = m.PipaOn = kFalse;
    m.MaxPip = 0;
    m.CurG = 1;
    BuildShapes(m);
    for (int k = 1; k <= kPieceSlots; ++k) {
        GoblaRec& g = m.Gobla(k);
        g.MyNum = static_cast<i16>(k);
        g.Life = kTrue;
        g.Model = model;
    }
    return m;
}

inline void Put(Module1& m, int k, double x, double y, double vx = 0, double vy = 0) {
    GoblaRec& g = m.Gobla(k);
    g.Xpos = x;
    g.Ypos = y;
    g.Xvec = vx;
    g.Yvec = vy;
}

// Position, speed and spin, to compare in one go.
inline auto State(const GoblaRec& g) {
    return std::tuple(g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U);
}

// Obstacles go into the slots after the players; walls after them.
inline void AddObstacle(Module1& m, double x, double y) {
    ++m.MaxPip;
    m.PipaOn = kTrue;
    const int k = m.MaxGamers + m.MaxPip;
    GoblaRec& g = m.Gobla(k);
    g = GoblaRec{};
    g.Model = kModelObstacle;
    g.Life = kTrue;
    g.MyNum = static_cast<i16>(k);
    Put(m, k, x, y);
}

inline void AddWalls(Module1& m, i16 mode, bool both) {
    m.Border = kTrue;
    m.BordMode = mode;
    m.BordSimm = Flag(both);
    WriteWalls(m);
}

inline bool Finite(const Module1& m) {
    for (int k = 1; k <= kPieceSlots; ++k) {
        const GoblaRec& g = m.Gobla(k);
        for (double v : {g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U, g.Phi})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

// Motion ticks until everything stops; returns the count, or -1 past the limit.
inline int RunToRest(Module1& m, PhysicsEvents* ev, int limit = 20000) {
    for (int t = 0; t < limit; ++t) {
        if (AllStopped(m)) return t;
        PhysicsStep(m, 1.0, ev);
    }
    return AllStopped(m) ? limit : -1;
}

} // namespace kv::test
