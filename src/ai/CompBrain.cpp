#include "ai/CompBrain.h"

#include "physics/Physics.h"
#include "physics/Strike.h"
#include "state/ExactMath.h"

#include <cmath>
#include <string>

namespace kv {

namespace {

bool IsOpponent(const Module1& m, const GoblaRec& me, int p, int k) {
    if (k == p) return false;
    const GoblaRec& g = m.Gobla(k);
    if (g.Life == 0) return false;
    if (m.ZI == kTrue && g.Com == me.Com) return false;
    if (m.ZI != kTrue && m.ZI != kFalse) return false;
    return true;
}

int Players(const Module1& m) {
    return m.MaxGamers < kMaxPlayers ? m.MaxGamers : kMaxPlayers;
}

// The nearest opponent, its distance kept rounded; 0 when there is none.
int NearestTarget(const Module1& m, i16 p) {
    const GoblaRec& me = m.Gobla(p);
    double D = RoundI32(Hypot(m.MaxX, m.MaxY));
    int target = 0;
    for (int k = 1; k <= Players(m); ++k) {
        if (!IsOpponent(m, me, p, k)) continue;
        const GoblaRec& g = m.Gobla(k);
        const double d = Hypot(g.Xpos - me.Xpos, g.Ypos - me.Ypos);
        if (D > d) {
            target = k;
            D = RoundI32(d);
        }
    }
    return target;
}

} // namespace

// Straight at the target, with the force that drives it over the edge beyond.
StrikeRecord StrikeAt(Module1& m, i16 p, int target, double& StrikeDir) {
    StrikeRecord out;
    const double Pi = m.Pi;
    const GoblaRec& me = m.Gobla(p);
    const GoblaRec& t = m.Gobla(target);

    // Aim.
    const i16 ix = RoundI16(t.Xpos - me.Xpos);
    const i16 iy = RoundI16(t.Ypos - me.Ypos);
    double theta;
    if (iy == 0)
        theta = ix > 0 ? -Pi / 2 : Pi / 2;
    else
        theta = -exact::Atan(static_cast<double>(ix) / static_cast<double>(iy));
    StrikeDir = WrapTurn(iy >= 0 ? theta - Pi : theta, Pi);
    const double b = StrikeDir;
    const double sb = exact::Sin(b);
    const double cb = exact::Cos(b);

    // March to the table edge beyond the target. The cap only matters for a
    // piece that is not on the table at all.
    const double X = m.MaxX;
    const double Y = m.MaxY;
    const double marchCap = 3 * Hypot(X, Y) + 10;
    double s = 0;
    double x = me.Xpos;
    double y = me.Ypos;
    while (!(std::fabs(x) <= 0.1 || std::fabs(y) <= 0.1 || std::fabs(X - x) <= 0.1 ||
             std::fabs(Y - y) <= 0.1)) {
        s = s + 0.1;
        x = me.Xpos + s * sb;
        y = me.Ypos - s * cb;
        if (!(s <= marchCap)) break;
    }

    // A wall on that edge: the path runs on along it to the next edge.
    if (m.Border != 0) {
        const bool wallX = (x <= 0.1 && m.BordMode == 0) ||
                           (std::fabs(x - X) <= 0.1 && m.BordMode == 0 && m.BordSimm != 0);
        const bool wallY = (y <= 0.1 && m.BordMode == 1) ||
                           (std::fabs(y - Y) <= 0.1 && m.BordMode == 1 && m.BordSimm != 0);
        if (wallX) {
            while (y > 0.1 && std::fabs(Y - y) > 0.1) {
                s = s + 0.1;
                y = me.Ypos - s * cb;
                if (s > 3 * X) {
                    s = 10 * X;
                    break;
                }
            }
        } else if (wallY) {
            while (std::fabs(x) > 0.1 && std::fabs(X - x) > 0.1) {
                s = s + 0.1;
                x = me.Xpos + s * sb;
                if (s > 3 * Y) {
                    s = 10 * Y;
                    break;
                }
            }
        }
    }

    // Force enough to drive the target over that edge. A negative friction or
    // path gives no force rather than a square root of a negative number.
    const double arg = 2 * m.Ftr * 9.81 * s;
    i16 f = arg > 0 ? RoundI16(3 * std::sqrt(arg)) : i16{0};
    if (f > 100) f = 100;
    m.StrikeForce = f;
    m.HintText = "Сила удара: " + std::to_string(f);

    out.ba = theta;
    out.pa = StrikeDir;
    out.si = f;
    return out;
}

namespace {

// A weaker player makes the master's strike, except when it slips: then it
// may pick another target, turns well off the line and misjudges the force.
// A novice always slips, and the wrong way: it takes the point on the rim on
// the target's side, so its own piece goes almost straight back.
// A slip has to cost: a player who merely holds back is safer than the master,
// whose full strikes often take its own piece off with the target.
struct Weakness {
    double slip;                // chance of a slip on a strike
    double otherTarget;         // chance, on a slip, of any opponent but the nearest
    double turnLow, turnHigh;   // turn of a slip, either way, in radians
    double forceLow, forceHigh; // force factor of a slip
};

// Tuned by two-player matches on tables of 200 to 1000 a side and spreads of
// 0 to 0.1 (bench/ai/StrengthSurvey.cpp).
Weakness WeaknessOf(i16 level) {
    if (level <= kLevelNovice) return {1.00, 0.5, 2.60, 3.14, 3.00, 4.00};
    return {0.50, 0.5, 0.50, 1.50, 1.50, 2.50};
}

} // namespace

StrikeRecord ChooseStrike(Module1& m, i16 p, double& StrikeDir) {
    if (p < 1 || p > kPieceSlots) {
        StrikeDir = 0;
        m.StrikeForce = 0;
        return {};
    }
    const int target = NearestTarget(m, p);
    if (target == 0) {
        // Nobody to aim at: a harmless zero strike instead of a missing target.
        StrikeDir = 0;
        m.StrikeForce = 0;
        return {};
    }
    return StrikeAt(m, p, target, StrikeDir);
}

namespace {

// The amateur's own play-out when no caller counts it. A table that will not
// settle is judged as it stands then.
bool PlayAlone(Module1& t, i16 p, const StrikeRecord& s) {
    t.CurG = p;
    t.NewSgin = 0;
    PushStrike(t, s);
    const StepGuards guards{200000, 200000, 200000, 2000000000, 20000000};
    for (int tick = 0; tick < 3000 && !AllStopped(t); ++tick)
        if (PhysicsStep(t, 1.0, nullptr, guards).guarded) break;
    return true;
}

// Whether p's piece is still on the table once the strike s, made as meant,
// has come to rest: an amateur looks before it strikes, a novice does not. A
// strike that may not be played out counts as one that loses the piece.
bool KeepsOwnPiece(const Module1& m, i16 p, const StrikeRecord& s, const PlayOut& play) {
    Module1 t = m;
    const bool played = play ? play(t, p, s) : PlayAlone(t, p, s);
    return played && t.Gobla(p).Life != 0;
}

// The same at every corner of the table's spread: the point on the rim and the
// direction each turned either way, and the force at its most. A careful
// player allows for an unsteady hand.
bool KeepsOwnPieceAnyway(const Module1& m, i16 p, const StrikeRecord& s, const PlayOut& play) {
    if (!KeepsOwnPiece(m, p, s, play)) return false;
    const double size = SpreadSize(m);
    if (size <= 0) return true;
    const double turn = size * m.Pi / 2;
    for (double point : {-1.0, 1.0})
        for (double dir : {-1.0, 1.0}) {
            StrikeRecord t = s;
            t.ba = WrapTurn(t.ba + point * turn, m.Pi);
            t.pa = WrapTurn(t.pa + dir * turn, m.Pi);
            t.si = RoundI16(s.si * (1 + size / 2));
            if (!KeepsOwnPiece(m, p, t, play)) return false;
        }
    return true;
}

// The master's strike, held back where it would take the amateur's own piece off.
StrikeRecord Careful(Module1& m, i16 p, double& StrikeDir, const PlayOut& play) {
    StrikeRecord s = ChooseStrike(m, p, StrikeDir);
    if (KeepsOwnPieceAnyway(m, p, s, play)) return s;
    for (double f : {0.75, 0.5, 0.25}) {
        StrikeRecord softer = s;
        softer.si = RoundI16(s.si * f);
        if (KeepsOwnPieceAnyway(m, p, softer, play)) {
            m.StrikeForce = softer.si;
            m.HintText = "Сила удара: " + std::to_string(softer.si);
            return softer;
        }
    }
    return s;
}

} // namespace

StrikeRecord ChooseStrikeAs(Module1& m, i16 p, i16 level, Rng& rng, double& StrikeDir,
                            const PlayOut& play) {
    // The master draws nothing, so its matches stay what they always were.
    if (level >= kLevelMaster || p < 1 || p > kPieceSlots || NearestTarget(m, p) == 0)
        return ChooseStrike(m, p, StrikeDir);
    const Weakness w = WeaknessOf(level);
    if (rng.Next01() >= w.slip)
        return level == kLevelAmateur ? Careful(m, p, StrikeDir, play)
                                      : ChooseStrike(m, p, StrikeDir);
    const GoblaRec& me = m.Gobla(p);
    int target = NearestTarget(m, p);
    int others = 0;
    for (int k = 1; k <= Players(m); ++k)
        if (k != target && IsOpponent(m, me, p, k)) ++others;
    if (others > 0 && rng.Next01() < w.otherTarget) {
        int pick = rng.NextInt(others);
        for (int k = 1; k <= Players(m); ++k)
            if (k != target && IsOpponent(m, me, p, k) && pick-- == 0) {
                target = k;
                break;
            }
    }
    StrikeRecord out = StrikeAt(m, p, target, StrikeDir);
    // The point turns with the direction: still a strike without spin, just off the line.
    const double size = w.turnLow + rng.Next01() * (w.turnHigh - w.turnLow);
    const double turn = rng.Next01() < 0.5 ? -size : size;
    out.ba = WrapTurn(out.ba + turn, m.Pi);
    out.pa = WrapTurn(out.pa + turn, m.Pi);
    const double factor = w.forceLow + rng.Next01() * (w.forceHigh - w.forceLow);
    double f = out.si * factor;
    if (f > 100) f = 100;
    out.si = RoundI16(f);
    StrikeDir = out.pa;
    m.StrikeForce = out.si;
    m.HintText = "Сила удара: " + std::to_string(out.si);
    return out;
}

} // namespace kv
