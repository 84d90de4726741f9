#include "physics/Physics.h"

#include <cmath>

namespace kv {

namespace {

// Bounds that keep a motion tick finite whatever the table holds (stuck pairs,
// deep overlaps at the start, heavy pieces). A legitimate contact of two
// pieces of mass 1000 at full closing speed needs about 10^5 pushes, so the
// per-contact cap stays above that.
constexpr long kMaxSeparationPushes = 250000;
// All separation pushes of one top-level step together.
constexpr long kStepPushBudget = 1000000;
// Resolutions and contact searches of one top-level step. Once spent, the rest
// of the interval is advanced without looking for contacts; an overlap left
// behind is pushed apart by the next step.
constexpr int kStepResolutionBudget = 256;
constexpr int kStepSearchBudget = 4096;

constexpr double kMinInterval = 0.000001;

struct StepBudget {
    long pushes = kStepPushBudget;
    int resolutions = kStepResolutionBudget;
    int searches = kStepSearchBudget;
    bool Spent() const { return resolutions <= 0 || searches <= 0; }
};

bool Fixed(const GoblaRec& p) {
    return p.Model == kModelObstacle || p.Model == kModelWall;
}

double Mass(const GoblaRec& p) {
    // A hand-edited mass below 1 must not divide by zero or flip the push.
    return p.M >= 1 ? static_cast<double>(p.M) : 1.0;
}

const ShapeRec* ShapeOf(const Module1& m, const GoblaRec& p) {
    if (p.Model < 0 || p.Model > 6) return nullptr;
    return &m.Shapes[static_cast<std::size_t>(p.Model)];
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
    return Place(s->c[static_cast<std::size_t>(k)], std::cos(p.Phi), std::sin(p.Phi), p.Xpos,
                 p.Ypos);
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
        const Body& b = pc.body[i];
        const double cs = std::cos(b.Phi);
        const double sn = std::sin(b.Phi);
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
Contact OrderedSearch(Module1& m, double dt, PhysicsEvents* ev, int n) {
    ProbeCache pc;
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

Contact Search(Module1& m, double dt, PhysicsEvents* ev) {
    const int n = ObjectCount(m);
    // Usually no copy leaves the table: then the search changes nothing but
    // ContactSound, every copy can be advanced up front, and the pairs are
    // tried in a tight loop. Otherwise the ordered search does it all again.
    ProbeCache pc;
    double bound[kPieceSlots + 1];
    bool live[kPieceSlots + 1];
    bool fixed[kPieceSlots + 1];
    for (int i = 1; i <= n; ++i) {
        Body& b = pc.body[i];
        b = BodyOf(m.Gobla(i));
        if (Advance<false>(m, b, dt, ev) != 0) return OrderedSearch(m, dt, ev, n);
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
            MoveAll(m, dt, ev);
            break;
        }
        --b.searches;
        const Contact c = Search(m, dt, ev);
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
        --b.resolutions;
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

void PhysicsStep(Module1& m, double dt, PhysicsEvents* ev) {
    if (!(dt > 0) || !std::isfinite(dt)) return;
    StepBudget b;
    Step(m, dt, ev, b);
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

Contact FindContact(Module1& m, double dt, PhysicsEvents* ev) {
    return Search(m, dt, ev);
}

std::array<double, 2> ProbePair(Module1& m, int i, int j, double dt, PhysicsEvents* ev) {
    if (i < 1 || j < 1 || i > kPieceSlots || j > kPieceSlots) return {-1, 0};
    ProbeCache pc;
    return CachedProbe(m, pc, i, j, dt, ev);
}

std::array<double, 2> PairContact(const Module1& m, const GoblaRec& a, const GoblaRec& b) {
    const std::array<double, 2> none{-1, 0};
    if (a.Life == 0 || b.Life == 0) return none;
    const ShapeRec* sa = ShapeOf(m, a);
    const ShapeRec* sb = ShapeOf(m, b);
    if (!sa || !sb) return none;
    const double D = Hypot(a.Xpos - b.Xpos, a.Ypos - b.Ypos);
    if (D > sa->bound + sb->bound + 2) return none;
    for (int k = 1; k <= sa->count; ++k)
        for (int l = 1; l <= sb->count; ++l)
            if (CirclesOverlap(WorldCircle(m, a, k), WorldCircle(m, b, l)))
                return {static_cast<double>(k), static_cast<double>(l)};
    // A centre that is not a number fails every comparison above: no contact.
    return none;
}

Circle WorldCircle(const Module1& m, const GoblaRec& p, int k) {
    return WorldOf(m, p, k);
}

bool CirclesOverlap(const Circle& a, const Circle& b) {
    return a.r + b.r > Hypot(a.x - b.x, a.y - b.y);
}

void ResolveContact(Module1& m, double dt, const Contact& c, PhysicsEvents* ev) {
    StepBudget b;
    Resolve(m, dt, c, ev, b);
}

namespace {

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

    const Circle cA = WorldCircle(m, A, k);
    const Circle cB = WorldCircle(m, B, l);
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

    auto pushPair = [&] {
        Segment s = segB;
        if (B.Life != 0) ContactPush(B, s);
        s = segA;
        if (A.Life != 0) ContactPush(A, s);
    };

    long limit = b.pushes < kMaxSeparationPushes ? b.pushes : kMaxSeparationPushes;
    if (limit < 1) limit = 1;

    long n = 0;
    for (;;) {
        pushPair();
        ++n;
        if (n >= limit) break;
        Body a = BodyOf(A);
        Body bb = BodyOf(B);
        Advance(m, a, dt, ev);
        Advance(m, bb, dt, ev);
        if (!CirclesOverlap(WorldOf(m, a, k), WorldOf(m, bb, l))) break;
    }
    b.pushes -= n;
    for (long r = 0; r < n + 1; ++r)
        pushPair();
}

} // namespace

void ContactPush(GoblaRec& p, Segment& seg) {
    if (Fixed(p)) return;
    seg[2] = seg[2] - seg[0];
    seg[3] = seg[3] - seg[1];
    const double dx = seg[2];
    const double dy = seg[3];
    const double L = Hypot(dx, dy);
    if (!(L > 0)) return; // no direction to push along
    const double M = Mass(p);
    p.Xvec += (dx / L) * 0.2 / M;
    p.Yvec += (dy / L) * 0.2 / M;
    const double rx = p.Xpos - seg[0];
    const double ry = p.Ypos - seg[1];
    const double r = Hypot(rx, ry);
    // A contact point at the centre (the rim of circle (0, -C, C) passes through it): no spin.
    if (r > 0) p.U -= 0.02 * ((ry * dx - rx * dy) / L / r) / M;
}

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
        // Bounded lists: a damaged state must not write past them.
        if (m.NewSgin < 0) m.NewSgin = 0;
        if (m.NewSgin < 7) {
            ++m.NewSgin;
            m.SginList(m.NewSgin) = k;
        }
        return;
    }
    if (m.CurSgin < 0) m.CurSgin = 0;
    if (m.CurSgin < kMaxPlayers) {
        ++m.CurSgin;
        m.WS(m.CurSgin) = m.CurG;
    }
    const int fallen = m.NewSgin > 0 ? (m.NewSgin < 7 ? m.NewSgin : 7) : 0;
    int written = 0;
    for (int i = 1; i <= fallen; ++i) {
        if (m.CurSgin + i > kMaxPlayers) break;
        m.WS(m.CurSgin + i) = m.SginList(fallen - i + 1);
        ++written;
    }
    m.CurSgin = static_cast<i16>(m.CurSgin + written);
    g.Sginul = static_cast<i16>(g.Sginul + fallen);
    m.NewSgin = 0;
}

} // namespace kv
