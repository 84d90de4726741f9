#include "physics/Strike.h"

#include "state/ExactMath.h"

#include <cmath>

namespace kv {

// The spread is accepted only within 0..0.1, like the settings loader does.
double SpreadSize(const Module1& m) {
    // Compared as a single: 0.1f itself lies just above the double 0.1.
    const float v = m.VarK;
    return v >= 0.0f && v <= 0.1f ? static_cast<double>(v) : 0.0;
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
    px = g.Xpos + rho * exact::Sin(a);
    py = g.Ypos - rho * exact::Cos(a);
}

double WrapTurn(double a, double pi) {
    if (a > 2 * pi) a -= 2 * pi;
    if (a < -2 * pi) a += 2 * pi;
    return a;
}

double SpreadAngle(const Module1& m, Rng& rng, double a) {
    const double Pi = m.Pi;
    // Seeded generator passed in, not one re-seeded from the clock.
    const double r = rng.Next01();
    return WrapTurn(a + (r - 0.5) * SpreadSize(m) * Pi, Pi);
}

i16 SpreadForce(const Module1& m, Rng& rng, i16 f) {
    const double r = rng.Next01();
    return RoundI16((r - 0.5) * SpreadSize(m) * f + f);
}

void PushStrike(Module1& m, const StrikeRecord& strike) {
    if (m.CurG < 1 || m.CurG > kPieceSlots) return;
    double px = 0, py = 0;
    StrikePoint(m, m.Gobla(m.CurG), strike.ba, px, py);
    const double Px = RoundI16(px);
    const double Py = RoundI16(py);
    const double b = strike.pa;
    const double f = strike.si;
    Segment seg{Px, Py, Px + f * exact::Sin(b), Py - f * exact::Cos(b)};
    StrikePush(m.Gobla(m.CurG), seg);
}

StepLoad PotThrow(Module1& m, double F, PhysicsEvents* ev, const StepGuards* guards) {
    const int g = m.CurG;
    if (g < 1 || g > kPieceSlots) return {};
    const double P = m.GPercent;
    const double gx = m.Gobla(g).Xpos, gy = m.Gobla(g).Ypos;
    for (int i = 1; i <= m.MaxGamers && i <= kMaxPlayers; ++i) {
        if (i == g) continue;
        GoblaRec& o = m.Gobla(i);
        const double d = Hypot(o.Xpos - gx, o.Ypos - gy);
        const double c = Hypot(o.Xpos - m.MaxX / 2.0, o.Ypos - m.MaxY / 2.0);
        if (d == 0) {
            // A piece exactly under the pot has no direction to fly in.
            o.Xvec = 0;
            o.Yvec = 0;
            continue;
        }
        o.Xvec = F * P / (d * d) * c * (o.Xpos - gx) / 10;
        o.Yvec = F * P / (d * d) * c * (o.Ypos - gy) / 10;
    }
    m.Gobla(g).Xvec = 0;
    m.Gobla(g).Yvec = 0;
    const StepLoad load = guards ? PhysicsStep(m, 1.0, ev, *guards) : PhysicsStep(m, 1.0, ev);
    for (int i = 1; i <= m.MaxGamers && i <= kMaxPlayers; ++i) {
        GoblaRec& o = m.Gobla(i);
        o.Xvec = 0;
        o.Yvec = 0;
        o.U = 0;
    }
    return load;
}

} // namespace kv
