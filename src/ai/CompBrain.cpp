#include "ai/CompBrain.h"

#include "physics/Physics.h"
#include "state/ExactMath.h"
#include "state/SoundSlots.h"

#include <cmath>
#include <string>

namespace kv {

namespace {

// The spread is accepted only within 0..0.1, like the settings loader does.
double SpreadSize(const Module1& m) {
    // Compared as a single: 0.1f itself lies just above the double 0.1.
    const float v = m.VarK;
    return v >= 0.0f && v <= 0.1f ? static_cast<double>(v) : 0.0;
}

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
    const exact::SinCosPair dir = exact::SinCos(b);
    const double sb = dir.sin;
    const double cb = dir.cos;

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

// How far a weaker player strays from the master's strike.
struct Weakness {
    double nearestChance;       // takes the nearest opponent, else any of them
    double turn;                // direction error up to this many radians either way
    double forceLow, forceHigh; // force factor range
};

Weakness WeaknessOf(i16 level) {
    if (level <= kLevelNovice) return {0.0, 0.30, 0.55, 1.15};
    return {0.6, 0.12, 0.75, 1.10};
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

void StrikePoint(const Module1& m, const GoblaRec& g, double a, double& px, double& py) {
    const double Pi = m.Pi;
    const double R = m.PieceRadius;
    const double C = m.PieceRadius2;
    const double phi = g.Phi;
    if (a * phi < 0) a = a - 2 * Pi * (a > 0 ? 1.0 : -1.0);
    double d = a - phi;
    auto reduce = [&] {
        if (d > Pi) d -= 2 * Pi;
        if (d < -Pi) d += 2 * Pi;
    };
    double rho;
    switch (g.Model) {
    case 0:
        rho = std::fabs(d) <= Pi / 4 ? 2 * C * exact::Cos(d) : R;
        break;
    case 1:
        reduce();
        if (std::fabs(d) < Pi / 4)
            rho = 2 * C * exact::Cos(d);
        else if (std::fabs(d) < 3 * Pi / 4)
            rho = (R / std::sqrt(2.0)) / std::fabs(exact::Sin(std::fabs(d)));
        else
            rho = (R / std::sqrt(2.0)) / std::fabs(exact::Cos(d));
        break;
    case 2:
        reduce();
        if (std::fabs(d) < Pi / 4 || std::fabs(d) >= 3 * Pi / 4)
            rho = R / std::fabs(exact::Cos(d));
        else
            rho = R / std::fabs(exact::Sin(std::fabs(d)));
        break;
    case 3:
        rho = R;
        break;
    default:
        // No outline: strike at the piece's own centre (no lever arm, no spin).
        rho = 0;
        break;
    }
    const exact::SinCosPair dir = exact::SinCos(a);
    px = g.Xpos + rho * dir.sin;
    py = g.Ypos - rho * dir.cos;
}

void ExecuteStrike(Module1& m, const StrikeRecord& strike, StrikeHost& host, Rng& rng) {
    host.SetTurnPhase(TurnPhase::Struck);
    const bool valid = m.CurG >= 1 && m.CurG <= kPieceSlots;
    const double b = strike.pa;
    const double f = strike.si;
    Segment seg{};
    if (valid) {
        double px = 0, py = 0;
        StrikePoint(m, m.Gobla(m.CurG), strike.ba, px, py);
        const double Px = RoundI16(px);
        const double Py = RoundI16(py);
        const exact::SinCosPair dir = exact::SinCos(b);
        seg = Segment{Px, Py, Px + f * dir.sin, Py - f * dir.cos};
    }
    if (!host.ReplayMode()) host.WriteReplayStep(strike, 0);
    if (m.Sound != 0 && strike.si >= 100) {
        // The draw comes from the match's seeded generator instead of a
        // generator re-seeded from the time of day: replays stay repeatable.
        const double r = rng.Next01();
        const int k = static_cast<int>(10 * r);
        if (k >= 1 && k <= 3) host.PlaySound(sound::kFullForce + k, -10);
    }
    if (valid) StrikePush(m.Gobla(m.CurG), seg);
    host.StartMotion();
}

double SpreadAngle(const Module1& m, Rng& rng, double a) {
    const double Pi = m.Pi;
    // Seeded generator passed in, not one re-seeded from the clock.
    const double r = rng.Next01();
    double out = a + (r - 0.5) * SpreadSize(m) * Pi;
    if (out > 2 * Pi) out -= 2 * Pi;
    if (out < -2 * Pi) out += 2 * Pi;
    return out;
}

i16 SpreadForce(const Module1& m, Rng& rng, i16 f) {
    const double r = rng.Next01();
    return RoundI16((r - 0.5) * SpreadSize(m) * f + f);
}

} // namespace kv
