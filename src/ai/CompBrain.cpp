#include "ai/CompBrain.h"

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
    StrikeDir = iy >= 0 ? theta - Pi : theta;
    if (StrikeDir > 2 * Pi) StrikeDir -= 2 * Pi;
    if (StrikeDir < -2 * Pi) StrikeDir += 2 * Pi;
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

// How far a weaker player strays from the master's strike.
struct Weakness {
    double nearestChance;       // takes the nearest opponent, else any of them
    double turn;                // direction error up to this many radians either way
    double forceLow, forceHigh; // force factor range
};

// Tuned by two-player matches on tables of 200 to 1000 and spreads of 0 to
// 0.1 (scripts/strengths.sh): a novice who mostly hits too hard throws its own
// piece off far more often than a master, an amateur who mostly holds back
// less often. The master's own first strike from the corner often throws its
// piece off, which no tuning below it can change.
Weakness WeaknessOf(i16 level) {
    if (level <= kLevelNovice) return {0.0, 0.45, 0.80, 2.50};
    return {0.6, 0.10, 0.60, 1.05};
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

StrikeRecord ChooseStrikeAs(Module1& m, i16 p, i16 level, Rng& rng, double& StrikeDir) {
    // The master draws nothing, so its matches stay what they always were.
    if (level >= kLevelMaster || p < 1 || p > kPieceSlots || NearestTarget(m, p) == 0)
        return ChooseStrike(m, p, StrikeDir);
    const Weakness w = WeaknessOf(level);
    const GoblaRec& me = m.Gobla(p);
    int target = NearestTarget(m, p);
    if (rng.Next01() >= w.nearestChance) {
        int count = 0;
        for (int k = 1; k <= Players(m); ++k)
            if (IsOpponent(m, me, p, k)) ++count;
        int pick = rng.NextInt(count);
        for (int k = 1; k <= Players(m); ++k)
            if (IsOpponent(m, me, p, k) && pick-- == 0) {
                target = k;
                break;
            }
    }
    StrikeRecord out = StrikeAt(m, p, target, StrikeDir);
    const double twoPi = 2 * m.Pi;
    // The point turns with the direction: still a strike without spin, just off the line.
    const double turn = (rng.Next01() - 0.5) * 2 * w.turn;
    auto wrap = [&](double a) {
        if (a > twoPi) a -= twoPi;
        if (a < -twoPi) a += twoPi;
        return a;
    };
    out.ba = wrap(out.ba + turn);
    out.pa = wrap(out.pa + turn);
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
