#include "physics/Physics.h"

#include "physics/RepeatedSum.h"
#include "state/ExactMath.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace kv {

namespace {

// Guards against a table that would not settle in any time a player could
// wait for. They lie 100 times above the most that one motion tick took in
// 20,000 matches on crowded tables (6 to 8 pieces on 200 to 300 units, every
// model, masses 1 to 1000, walls and obstacles or none; half of them computer
// matches, half random strikes; bench/physics/GuardSurvey.cpp):
//   searches 1,604,802, resolutions 1,603,549, separation tests 1,603,608,
//   separation pushes 177,135,144,007 (heavy pieces overlapping at the start).
// Three of those matches were left out: a piece wedged between two obstacles
// that stand exactly a piece's width apart is parted again in every millionth
// of a step, and one such tick took 1,084,428,392 resolutions (16 minutes).
// Once a guard is spent, the rest of the interval is advanced without looking
// for contacts; an overlap left behind is pushed apart by the next step.
constexpr StepGuards kMatchGuards{200000000, 200000000, 200000000, 20000000000000,
                                  std::numeric_limits<long long>::max()};

constexpr double kMinInterval = 0.000001;

// First touching pair (i < j) and their circle numbers; i = -1 means none.
struct Contact {
    double i = -1, j = 0, k = 0, l = 0;
    bool None() const { return i == -1; }
};

struct StepBudget {
    const StepGuards& guards;
    StepLoad load;
    bool Spent() const {
        return load.searches >= guards.searches || load.resolutions >= guards.resolutions ||
               load.checks >= guards.checks || load.circles >= guards.circles;
    }
};

bool Fixed(const GoblaRec& p) {
    return p.Model == kModelObstacle || p.Model == kModelWall;
}

double Mass(const GoblaRec& p) {
    // A hand-edited mass below 1 must not divide by zero or flip the push.
    return p.M >= 1 ? static_cast<double>(p.M) : 1.0;
}

// The physical part of a record: probes copy this instead of whole records
// with their names.
struct Body {
    double Xpos, Ypos, Xvec, Yvec, U, Phi;
    i16 Life, MyNum, Model, M;
};

Body BodyOf(const GoblaRec& g) {
    return Body{g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U, g.Phi, g.Life, g.MyNum, g.Model, g.M};
}

bool Fixed(const Body& p) {
    return p.Model == kModelObstacle || p.Model == kModelWall;
}

// The one motion rule for table records and probe copies alike. Returns the
// piece number that perished, or 0.
template <bool Apply = true, typename Rec>
i16 Advance(Module1& m, Rec& p, double dt, PhysicsEvents* ev) {
    if (Fixed(p)) return 0;
    const double F = m.Ftr;

    const double s = Hypot(p.Xvec, p.Yvec);
    if (s > 2 * F * dt) {
        p.Xvec -= 2 * (F * p.Xvec * dt / s);
        p.Yvec -= 2 * (F * p.Yvec * dt / s);
    } else {
        p.Xvec = 0.0;
        p.Yvec = 0.0;
    }

    if (std::fabs(p.U) > 3 * F * dt)
        p.U -= (p.U > 0 ? 1.0 : -1.0) * 3 * F * dt;
    else
        p.U = 0.0;

    p.Xpos += dt * p.Xvec;
    p.Ypos += dt * p.Yvec;

    const double twoPi = 2 * m.Pi;
    p.Phi -= dt * p.U;
    if (p.Phi > twoPi) p.Phi -= twoPi;
    if (p.Phi < -twoPi) p.Phi += twoPi;

    if (p.MyNum <= m.MaxGamers && p.Life != 0) {
        // Written as "inside" so that a centre that is not a number counts as fallen.
        const bool inside = p.Xpos <= m.MaxX && p.Ypos <= m.MaxY && p.Xpos >= 0 && p.Ypos >= 0;
        if (!inside) {
            const i16 k = p.MyNum;
            if constexpr (Apply) Perish(m, k, ev);
            return k;
        }
    }
    return 0;
}

const ShapeRec* ShapeOfModel(const Module1& m, i16 model) {
    if (model < 0 || model > 6) return nullptr;
    return &m.Shapes[static_cast<std::size_t>(model)];
}

Circle Place(const Circle& c, double cs, double sn, double x, double y) {
    return Circle{c.x * cs - c.y * sn + x, c.x * sn + c.y * cs + y, c.r};
}

template <typename Rec> Circle WorldOf(const Module1& m, const Rec& p, int k) {
    const ShapeRec* s = ShapeOfModel(m, p.Model);
    if (!s || k < 1 || k > s->count) return Circle{p.Xpos, p.Ypos, 0};
    const exact::SinCosPair turn = exact::SinCos(p.Phi);
    return Place(s->c[static_cast<std::size_t>(k)], turn.cos, turn.sin, p.Xpos, p.Ypos);
}

// Touching exactly is no overlap.
bool CirclesOverlap(const Circle& a, const Circle& b) {
    return a.r + b.r > Hypot(a.x - b.x, a.y - b.y);
}

// a.r + b.r > distance, as CirclesOverlap computes it; the square root is
// taken only when the squares are too close to tell.
template <typename C> bool Overlap(const C& a, const C& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double q = dx * dx + dy * dy;
    const double R = a.r + b.r;
    const double R2 = R * R;
    if (q > R2 * (1 + 1e-9)) return false;
    if (q < R2 * (1 - 1e-9)) return R > 0;
    return R > std::sqrt(q);
}

// Probe copies of one contact search: each object is advanced once and its
// circles placed once, however many pairs it is in.
// Placed circles; no member initialisers, so a cache costs nothing to create.
struct Spot {
    double x, y, r;
};

struct ProbeCache {
    Body body[kPieceSlots + 1];
    Spot world[kPieceSlots + 1][20];
    bool moved[kPieceSlots + 1] = {};
    bool placed[kPieceSlots + 1] = {};
    double extent[7] = {-1, -1, -1, -1, -1, -1, -1};
    long long* circles = nullptr; // the step's count of circle work
};

// How far a shape's circles reach from its centre, with room for rounding.
double Extent(ProbeCache& pc, i16 model, const ShapeRec& s) {
    double& e = pc.extent[model];
    if (e < 0) {
        e = 0;
        for (int k = 1; k <= s.count; ++k) {
            const Circle& c = s.c[static_cast<std::size_t>(k)];
            const double r = std::sqrt(c.x * c.x + c.y * c.y) + c.r;
            if (r > e) e = r;
        }
        e += 1e-6;
    }
    return e;
}

// False only when circle c lies clearly beyond reach of a shape of extent e at (x, y).
bool Reaches(const Spot& c, double x, double y, double e) {
    const double dx = c.x - x;
    const double dy = c.y - y;
    const double R = c.r + e;
    return !(dx * dx + dy * dy > R * R * (1 + 1e-9));
}

const Spot* Placed(ProbeCache& pc, int i, const ShapeRec& s) {
    if (!pc.placed[i]) {
        *pc.circles += s.count;
        const Body& b = pc.body[i];
        const exact::SinCosPair turn = exact::SinCos(b.Phi);
        const double cs = turn.cos;
        const double sn = turn.sin;
        for (int k = 1; k <= s.count; ++k) {
            const Circle w = Place(s.c[static_cast<std::size_t>(k)], cs, sn, b.Xpos, b.Ypos);
            pc.world[i][k] = Spot{w.x, w.y, w.r};
        }
        pc.placed[i] = true;
    }
    return pc.world[i];
}

// PairContact on two cached probe copies.
std::array<double, 2> CachedPair(const Module1& m, ProbeCache& pc, int i, int j) {
    const std::array<double, 2> none{-1, 0};
    const Body& a = pc.body[i];
    const Body& b = pc.body[j];
    if (a.Life == 0 || b.Life == 0) return none;
    const ShapeRec* sa = ShapeOfModel(m, a.Model);
    const ShapeRec* sb = ShapeOfModel(m, b.Model);
    if (!sa || !sb) return none;
    // D > bound, decided on the squares where they are clear: the bound is a
    // whole number, so q > (T + 1)^2 means D >= T + 1 and q <= T^2 means D <= T.
    const double dx = a.Xpos - b.Xpos;
    const double dy = a.Ypos - b.Ypos;
    const double q = dx * dx + dy * dy;
    const double T = sa->bound + sb->bound + 2;
    if (q > (T + 1) * (T + 1)) return none;
    if (q > T * T && std::sqrt(q) > T) return none;
    if (!(q <= (T + 1) * (T + 1))) return none; // not a number
    if (sa->count == 0 || sb->count == 0) return none;
    const Spot* ca = Placed(pc, i, *sa);
    const Spot* cb = Placed(pc, j, *sb);
    // Only circles that reach into the other shape's extent can overlap one of
    // its circles; skipping the rest keeps the first pair in order.
    const double ea = Extent(pc, a.Model, *sa);
    const double eb = Extent(pc, b.Model, *sb);
    int la[20], lb[20];
    int na = 0, nb = 0;
    for (int k = 1; k <= sa->count; ++k)
        if (Reaches(ca[k], b.Xpos, b.Ypos, eb)) la[na++] = k;
    if (na == 0) return none;
    for (int l = 1; l <= sb->count; ++l)
        if (Reaches(cb[l], a.Xpos, a.Ypos, ea)) lb[nb++] = l;
    *pc.circles += sa->count + sb->count + na * nb;
    for (int x = 0; x < na; ++x)
        for (int y = 0; y < nb; ++y)
            if (Overlap(ca[la[x]], cb[lb[y]]))
                return {static_cast<double>(la[x]), static_cast<double>(lb[y])};
    return none;
}

void Invalidate(ProbeCache& pc, i16 k) {
    if (k >= 1 && k <= kPieceSlots) pc.moved[k] = pc.placed[k] = false;
}

// ProbePair with the cache. Both copies are taken before either is advanced,
// and a piece that perishes is copied afresh (parked) for the pairs after.
std::array<double, 2> CachedProbe(Module1& m, ProbeCache& pc, int i, int j, double dt,
                                  PhysicsEvents* ev) {
    const bool ci = pc.moved[i];
    const bool cj = pc.moved[j];
    if (!ci) pc.body[i] = BodyOf(m.Gobla(i));
    if (!cj) pc.body[j] = BodyOf(m.Gobla(j));
    i16 gone1 = 0, gone2 = 0;
    if (!ci) {
        gone1 = Advance(m, pc.body[i], dt, ev);
        pc.moved[i] = true;
        pc.placed[i] = false;
    }
    if (!cj) {
        gone2 = Advance(m, pc.body[j], dt, ev);
        pc.moved[j] = true;
        pc.placed[j] = false;
    }
    const std::array<double, 2> kl = CachedPair(m, pc, i, j);
    Invalidate(pc, gone1);
    Invalidate(pc, gone2);
    return kl;
}

// The search in pair order, advancing each copy when its first pair comes up:
// copies that leave the table make their pieces perish in exactly that order.
Contact OrderedSearch(Module1& m, double dt, PhysicsEvents* ev, int n, StepLoad& load) {
    ProbeCache pc;
    pc.circles = &load.circles;
    for (int i = 1; i <= n - 1; ++i) {
        const bool fi = Fixed(m.Gobla(i));
        for (int j = i + 1; j <= n; ++j) {
            // Two fixed objects can never be pushed apart: they never count as touching.
            if (fi && Fixed(m.Gobla(j))) continue;
            const std::array<double, 2> kl = CachedProbe(m, pc, i, j, dt, ev);
            if (kl[0] != -1) {
                m.ContactSound = kTrue;
                return Contact{static_cast<double>(i), static_cast<double>(j), kl[0], kl[1]};
            }
        }
    }
    return Contact{};
}

Contact Search(Module1& m, double dt, PhysicsEvents* ev, StepLoad& load) {
    const int n = ObjectCount(m);
    // Usually no copy leaves the table: then the search changes nothing but
    // ContactSound, every copy can be advanced up front, and the pairs are
    // tried in a tight loop. Otherwise the ordered search does it all again.
    ProbeCache pc;
    pc.circles = &load.circles;
    double bound[kPieceSlots + 1];
    bool live[kPieceSlots + 1];
    bool fixed[kPieceSlots + 1];
    for (int i = 1; i <= n; ++i) {
        Body& b = pc.body[i];
        b = BodyOf(m.Gobla(i));
        if (Advance<false>(m, b, dt, ev) != 0) return OrderedSearch(m, dt, ev, n, load);
        pc.moved[i] = true;
        const ShapeRec* s = ShapeOfModel(m, b.Model);
        live[i] = b.Life != 0 && s && s->count > 0;
        bound[i] = s ? s->bound : 0;
        fixed[i] = Fixed(b);
    }
    for (int i = 1; i <= n - 1; ++i) {
        if (!live[i]) continue;
        const Body& a = pc.body[i];
        for (int j = i + 1; j <= n; ++j) {
            if (!live[j] || (fixed[i] && fixed[j])) continue;
            const Body& b = pc.body[j];
            const double dx = a.Xpos - b.Xpos;
            const double dy = a.Ypos - b.Ypos;
            const double T = bound[i] + bound[j] + 2;
            if (dx * dx + dy * dy > (T + 1) * (T + 1)) continue; // clearly apart
            const std::array<double, 2> kl = CachedPair(m, pc, i, j);
            if (kl[0] != -1) {
                m.ContactSound = kTrue;
                return Contact{static_cast<double>(i), static_cast<double>(j), kl[0], kl[1]};
            }
        }
    }
    return Contact{};
}

void MoveAll(Module1& m, double dt, PhysicsEvents* ev) {
    const int n = m.MaxGamers < kPieceSlots ? m.MaxGamers : kPieceSlots;
    for (int k = 1; k <= n; ++k)
        MovePiece(m, m.Gobla(k), dt, ev);
}

void Resolve(Module1& m, double dt, const Contact& c, PhysicsEvents* ev, StepBudget& b);

void Step(Module1& m, double dt, PhysicsEvents* ev, StepBudget& b) {
    for (;;) {
        if (b.Spent()) {
            b.load.guarded = true;
            MoveAll(m, dt, ev);
            break;
        }
        ++b.load.searches;
        const Contact c = Search(m, dt, ev, b.load);
        if (c.None()) {
            MoveAll(m, dt, ev);
            break;
        }
        if (dt > kMinInterval) {
            Step(m, dt / 2, ev, b);
            Step(m, dt / 2, ev, b);
            return;
        }
        // Resolve, then try the same interval again (a loop, not recursion).
        ++b.load.resolutions;
        Resolve(m, dt, c, ev, b);
    }
    if (m.ContactSound != 0 && dt == 1.0) {
        if (ev) ev->KnockSound();
        m.ContactSound = kFalse;
    }
}

} // namespace

void BuildShapes(Module1& m) {
    const double R = m.PieceRadius;
    const double C = m.PieceRadius2;
    const double A = m.PipaRadius;
    for (ShapeRec& s : m.Shapes)
        s = ShapeRec{};
    auto add = [](ShapeRec& s, double x, double y, double r) {
        ++s.count;
        s.c[static_cast<std::size_t>(s.count)] = Circle{x, y, r};
    };

    ShapeRec& s0 = m.Shapes[0];
    add(s0, 0, 0, R);
    add(s0, 0, -C, C);
    s0.bound = 2 * m.PieceRadius;

    ShapeRec& s1 = m.Shapes[1];
    for (int k = 0; k <= 10; ++k)
        add(s1, 0, -C * (1 - k / 10.0), C);
    for (int k = 1; k <= 4; ++k)
        add(s1, -k * C / 5, k * C / 5, C * (1 - k / 5.0));
    for (int k = 1; k <= 4; ++k)
        add(s1, k * C / 5, k * C / 5, C * (1 - k / 5.0));
    s1.bound = 2 * m.PieceRadius2;

    ShapeRec& s2 = m.Shapes[2];
    add(s2, 0, 0, R);
    for (int k = 1; k <= 4; ++k)
        add(s2, -k * R / 5, k * R / 5, R * (1 - k / 5.0));
    for (int k = 1; k <= 4; ++k)
        add(s2, k * R / 5, k * R / 5, R * (1 - k / 5.0));
    for (int k = 1; k <= 4; ++k)
        add(s2, -k * R / 5, -k * R / 5, R * (1 - k / 5.0));
    for (int k = 1; k <= 4; ++k)
        add(s2, k * R / 5, -k * R / 5, R * (1 - k / 5.0));
    s2.bound = 2 * m.PieceRadius;

    ShapeRec& s3 = m.Shapes[3];
    add(s3, 0, 0, R);
    s3.bound = m.PieceRadius;

    // Model 4: no circles, never touches anything.

    ShapeRec& s5 = m.Shapes[5];
    add(s5, 0, 0, A);
    s5.bound = m.PipaRadius;

    ShapeRec& s6 = m.Shapes[6];
    add(s6, 0, 0, 1000000);
    s6.bound = 1000000;
}

int ObjectCount(const Module1& m) {
    int w = 0;
    if (m.Border != 0) w = m.BordSimm != 0 ? 2 : 1;
    int n = m.MaxGamers + (m.MaxPip > 0 ? m.MaxPip : 0) + w;
    if (n < 0) n = 0;
    return n > kPieceSlots ? kPieceSlots : n;
}

void WriteWalls(Module1& m) {
    if (m.Border == 0) return;
    const int first = m.MaxGamers + (m.MaxPip > 0 ? m.MaxPip : 0) + 1;
    const double X = m.MaxX;
    const double Y = m.MaxY;
    auto put = [&](int slot, double x, double y, const char* name) {
        if (slot < 1 || slot > kPieceSlots) return;
        GoblaRec& g = m.Gobla(slot);
        g.Xpos = x;
        g.Ypos = y;
        g.Xvec = g.Yvec = g.U = g.Phi = 0;
        g.Model = kModelWall;
        g.Life = kTrue;
        g.MyNum = static_cast<i16>(slot);
        g.RName = name;
    };
    if (m.BordMode != 1)
        put(first, -1000000, Y / 2, "Stenka1");
    else
        put(first, X / 2, -1000000, "Stenka1");
    if (m.BordSimm == 0) return;
    if (m.BordMode != 1)
        put(first + 1, X + 1000000, Y / 2, "Stenka2");
    else
        put(first + 1, X / 2, Y + 1000000, "Stenka2");
}

void MovePiece(Module1& m, GoblaRec& p, double dt, PhysicsEvents* ev) {
    Advance(m, p, dt, ev);
}

StepLoad PhysicsStep(Module1& m, double dt, PhysicsEvents* ev) {
    return PhysicsStep(m, dt, ev, kMatchGuards);
}

StepLoad PhysicsStep(Module1& m, double dt, PhysicsEvents* ev, const StepGuards& guards) {
    StepBudget b{guards, {}};
    if (!(dt > 0) || !std::isfinite(dt)) return b.load;
    Step(m, dt, ev, b);
    return b.load;
}

void StrikePush(GoblaRec& p, Segment& seg) {
    if (Fixed(p)) return;
    seg[2] = seg[2] - seg[0];
    seg[3] = seg[3] - seg[1];
    const double dx = seg[2];
    const double dy = seg[3];
    p.Xvec += 0.2 * dx;
    p.Yvec += 0.2 * dy;
    const double rx = p.Xpos - seg[0];
    const double ry = p.Ypos - seg[1];
    const double r = Hypot(rx, ry);
    // A strike at the centre itself has no lever arm and gives no spin.
    if (r > 0) p.U -= 0.02 * (ry * dx - rx * dy) / r;
}

namespace {

// What one push of a contact adds to a body. Positions stay put while a contact
// is resolved, so every push of it adds the very same amounts.
struct PushPlan {
    bool active = false;
    double ax = 0, ay = 0; // added to Xvec, Yvec
    bool spin = false;
    double au = 0; // subtracted from U
};

// The segment is a contact point P and the centre Q of the circle it lies on.
PushPlan PlanPush(const GoblaRec& p, const Segment& seg) {
    PushPlan k;
    if (Fixed(p)) return k;
    const double dx = seg[2] - seg[0];
    const double dy = seg[3] - seg[1];
    const double L = Hypot(dx, dy);
    if (!(L > 0)) return k; // no direction to push along
    const double M = Mass(p);
    k.active = true;
    k.ax = (dx / L) * 0.2 / M;
    k.ay = (dy / L) * 0.2 / M;
    const double rx = p.Xpos - seg[0];
    const double ry = p.Ypos - seg[1];
    const double r = Hypot(rx, ry);
    // A contact point at the centre (the rim of circle (0, -C, C) passes through it): no spin.
    if (r > 0) {
        k.spin = true;
        k.au = 0.02 * ((ry * dx - rx * dy) / L / r) / M;
    }
    return k;
}

void Push(GoblaRec& p, const PushPlan& k, long long times) {
    if (!k.active || p.Life == 0 || times <= 0) return;
    const auto n = static_cast<std::uint64_t>(times);
    p.Xvec = AddRepeated(p.Xvec, k.ax, n);
    p.Yvec = AddRepeated(p.Yvec, k.ay, n);
    if (k.spin) p.U = AddRepeated(p.U, -k.au, n);
}

double Norm(double x, double y) {
    return std::sqrt(x * x + y * y);
}

// How far circle k of a body's model lies from the body's centre.
double Offset(const Module1& m, const GoblaRec& p, int k) {
    const ShapeRec* s = ShapeOfModel(m, p.Model);
    if (!s || k < 1 || k > s->count) return 0;
    const Circle& c = s->c[static_cast<std::size_t>(k)];
    return Norm(c.x, c.y);
}

// How many more pushes of the separation loop surely leave the two tested
// circles overlapping and both probe copies on the table, so that their tests
// can be skipped. Each push moves a copy's circle by at most dt times the
// velocity and spin it adds (friction never adds to a change), plus rounding.
long long SafePushes(const Module1& m, double dt, const GoblaRec& A, const GoblaRec& B,
                     const PushPlan& pa, const PushPlan& pb, const Body& a, const Body& b,
                     const Circle& ca, const Circle& cb, double offA, double offB) {
    auto share = [&](const GoblaRec& g, const PushPlan& k, double off) {
        if (!k.active || g.Life == 0) return 0.0;
        return Norm(k.ax, k.ay) + (k.spin ? std::fabs(k.au) * off : 0.0);
    };
    const double move = dt * (share(A, pa, offA) + share(B, pb, offB));
    if (!(move > 0)) return 0;
    const double mag =
        std::fabs(ca.x) + std::fabs(ca.y) + std::fabs(cb.x) + std::fabs(cb.y) + ca.r + cb.r;
    const double slop = 1e-9 + 4e-15 * mag;
    const double gap = ca.r + cb.r - Norm(ca.x - cb.x, ca.y - cb.y) - slop;
    if (!(gap > 0)) return 0;
    double K = std::floor(gap / (move * (1 + 1e-6)));
    // A copy that can fall must stay clear of the edges.
    auto edge = [&](const GoblaRec& g, const PushPlan& k, const Body& c) {
        if (!k.active || g.Life == 0 || c.MyNum > m.MaxGamers) return;
        const double room =
            std::fmin(std::fmin(c.Xpos, m.MaxX - c.Xpos), std::fmin(c.Ypos, m.MaxY - c.Ypos)) -
            slop;
        const double step = dt * Norm(k.ax, k.ay) * (1 + 1e-6);
        const double E = room > 0 && step > 0 ? std::floor(room / step) : 0;
        if (!(E < K)) return;
        K = E;
    };
    edge(A, pa, a);
    edge(B, pb, b);
    if (!(K >= 1)) return 0;
    // Rounding of the sums grows with the speeds reached: bound it at the end
    // of the skip and take it off the gap.
    double v = 0;
    for (const Body* c : {&a, &b})
        v += std::fabs(c->Xvec) + std::fabs(c->Yvec) + std::fabs(c->U) * (offA + offB);
    v += K * (move / dt) * 2;
    const double drift = dt * v * 0x1p-50;
    K = std::floor(gap / ((move + drift) * (1 + 1e-6)));
    if (!(K >= 1)) return 0;
    return K > 1e18 ? static_cast<long long>(1e18) : static_cast<long long>(K);
}

void Resolve(Module1& m, double dt, const Contact& c, PhysicsEvents* ev, StepBudget& b) {
    const int i = static_cast<int>(c.i);
    const int j = static_cast<int>(c.j);
    if (i < 1 || j < 1 || i > kPieceSlots || j > kPieceSlots || i == j) return;
    const int k = static_cast<int>(c.k);
    const int l = static_cast<int>(c.l);
    GoblaRec& A = m.Gobla(i);
    GoblaRec& B = m.Gobla(j);
    // The contact was found on probe copies; a piece that perished in that very
    // probe is already parked and touches nothing.
    if (A.Life == 0 || B.Life == 0) return;

    const Circle cA = WorldOf(m, A, k);
    const Circle cB = WorldOf(m, B, l);
    const double D = Hypot(cB.x - cA.x, cB.y - cA.y);
    double nx, ny;
    if (D > 0) {
        nx = (cB.x - cA.x) / D;
        ny = (cB.y - cA.y) / D;
    } else {
        // Concentric circles: part along the line of the piece centres, or along
        // +x when those coincide too.
        const double E = Hypot(B.Xpos - A.Xpos, B.Ypos - A.Ypos);
        if (E > 0) {
            nx = (B.Xpos - A.Xpos) / E;
            ny = (B.Ypos - A.Ypos) / E;
        } else {
            nx = 1;
            ny = 0;
        }
    }
    const Segment segB{cB.x - cB.r * nx, cB.y - cB.r * ny, cB.x, cB.y};
    const Segment segA{cA.x + cA.r * nx, cA.y + cA.r * ny, cA.x, cA.y};
    const PushPlan pb = PlanPush(B, segB);
    const PushPlan pa = PlanPush(A, segA);
    const double offA = Offset(m, A, k);
    const double offB = Offset(m, B, l);
    auto pushPair = [&](long long times) {
        Push(B, pb, times);
        Push(A, pa, times);
    };

    // Push until the two circles no longer overlap one interval later, testing
    // only where a test could come out otherwise.
    long long n = 0;
    for (;;) {
        pushPair(1);
        ++n;
        if (b.load.pushes + n >= b.guards.pushes || b.load.checks >= b.guards.checks) {
            b.load.guarded = true;
            break;
        }
        Body a = BodyOf(A);
        Body bb = BodyOf(B);
        Advance(m, a, dt, ev);
        Advance(m, bb, dt, ev);
        ++b.load.checks;
        const Circle ca = WorldOf(m, a, k);
        const Circle cb = WorldOf(m, bb, l);
        if (!CirclesOverlap(ca, cb)) break;
        long long skip = SafePushes(m, dt, A, B, pa, pb, a, bb, ca, cb, offA, offB);
        if (skip > b.guards.pushes - 1 - b.load.pushes - n)
            skip = b.guards.pushes - 1 - b.load.pushes - n;
        if (skip > 0) {
            pushPair(skip);
            n += skip;
        }
    }
    b.load.pushes += n;
    pushPair(n + 1); // the rebound
}

} // namespace

void Perish(Module1& m, i16 k, PhysicsEvents* ev) {
    if (k < 1 || k > kPieceSlots) return;
    GoblaRec& g = m.Gobla(k);
    g.Life = kFalse;
    g.Xpos = -100;
    g.Ypos = -100;
    g.Xvec = 0;
    g.Yvec = 0;
    g.U = 0;
    if (ev) ev->PiecePerished(k);
    if (k != m.CurG) {
        // Bounded list: a damaged state must not write past it.
        if (m.NewSgin < 0) m.NewSgin = 0;
        if (m.NewSgin < kPerishListSize) {
            ++m.NewSgin;
            m.SginList(m.NewSgin) = k;
        }
        return;
    }
    // The striker itself: it leaves first, then the pieces it took with it.
    if (m.CurSgin < 0) m.CurSgin = 0;
    if (m.CurSgin < kMaxPlayers) {
        ++m.CurSgin;
        m.WS(m.CurSgin) = m.CurG;
    }
    RecordFallen(m);
}

} // namespace kv
