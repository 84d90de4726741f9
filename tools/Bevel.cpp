#include "Bevel.h"

#include <algorithm>
#include <cmath>

namespace kv::tools {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The angle equal to `a` modulo 2 pi that lies nearest to `near`.
double Near(double a, double near) {
    return a + 2 * kPi * std::round((near - a) / (2 * kPi));
}

// The meeting point of circles (a, ra) and (b, rb) nearer to `hint`; false
// when they do not meet.
bool Meet(Point2 a, double ra, Point2 b, double rb, Point2 hint, Point2& out) {
    const double dx = b.x - a.x, dy = b.y - a.y, d = std::hypot(dx, dy);
    if (d < 1e-12) return false;
    const double along = (ra * ra - rb * rb + d * d) / (2 * d), h2 = ra * ra - along * along;
    if (h2 < 0) return false;
    const double h = std::sqrt(h2), mx = a.x + along * dx / d, my = a.y + along * dy / d;
    const Point2 p{mx - h * dy / d, my + h * dx / d}, q{mx + h * dy / d, my - h * dx / d};
    const bool pNearer =
        std::hypot(p.x - hint.x, p.y - hint.y) <= std::hypot(q.x - hint.x, q.y - hint.y);
    out = pNearer ? p : q;
    return true;
}

// The outward normal of segment a-b: to its right, to its left with `flip`
// (a clockwise outline).
Point2 SegmentNormal(Point2 a, Point2 b, bool flip) {
    const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
    if (l < 1e-12) return {0, 0};
    return flip ? Point2{-dy / l, dx / l} : Point2{dy / l, -dx / l};
}

Point2 Unit(Point2 p) {
    const double l = std::hypot(p.x, p.y);
    return l > 0 ? Point2{p.x / l, p.y / l} : Point2{1, 0};
}

// Per point of a profile: one normal, or two (before, after) at a crease.
std::vector<std::vector<Point2>> ProfileNormals(const std::vector<ProfilePoint>& pts, bool closed,
                                                bool flip) {
    const size_t n = pts.size();
    std::vector<Point2> seg(n);
    for (size_t i = 0; i + (closed ? 0 : 1) < n; ++i) {
        const ProfilePoint &a = pts[i], &b = pts[(i + 1) % n];
        seg[i] = SegmentNormal({a.r, a.y}, {b.r, b.y}, flip);
    }
    std::vector<std::vector<Point2>> out(n);
    for (size_t i = 0; i < n; ++i) {
        const bool hasPrev = closed || i > 0, hasNext = closed || i + 1 < n;
        const Point2 before = seg[(i + n - 1) % n], after = seg[i];
        if (!hasPrev)
            out[i] = {after};
        else if (!hasNext)
            out[i] = {before};
        else if (pts[i].crease)
            out[i] = {before, after};
        else
            out[i] = {Unit({before.x + after.x, before.y + after.y})};
    }
    return out;
}

// Profile length up to each point, as a share of the whole (1 at the start).
std::vector<double> RunningV(const std::vector<ProfilePoint>& pts) {
    std::vector<double> len(pts.size(), 0);
    for (size_t i = 1; i < pts.size(); ++i)
        len[i] = len[i - 1] + std::hypot(pts[i].r - pts[i - 1].r, pts[i].y - pts[i - 1].y);
    for (double& l : len)
        l = len.back() > 0 ? 1 - l / len.back() : 0;
    return len;
}

// Triangles over a simple polygon, all vertices facing `normal`.
void AddCap(Mesh& m, const std::vector<Point2>& poly, const std::vector<Vec3>& at, Vec3 normal,
            const std::vector<Point2>& uv, int material) {
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Point2 a = poly[i], b = poly[(i + 1) % poly.size()];
        area += a.x * b.y - b.x * a.y;
    }
    // The triangulation wants the polygon counter-clockwise.
    std::vector<size_t> order(poly.size());
    std::vector<Point2> ccw(poly.size());
    for (size_t i = 0; i < poly.size(); ++i) {
        order[i] = area >= 0 ? i : poly.size() - 1 - i;
        ccw[i] = poly[order[i]];
    }
    std::vector<int> idx(poly.size());
    for (size_t i = 0; i < poly.size(); ++i)
        idx[i] = m.AddVertex({at[order[i]], normal, uv[order[i]].x, uv[order[i]].y});
    for (const auto& t : Triangulate(ccw))
        AddFacing(m, idx[t[0]], idx[t[1]], idx[t[2]], material);
}

} // namespace

void AddFacing(Mesh& m, int a, int b, int c, int material) {
    const auto& v = m.Vertices();
    const Vec3 n = Cross(v[b].pos - v[a].pos, v[c].pos - v[a].pos);
    if (Dot(n, n) < 1e-14) return;
    if (Dot(n, v[a].normal + v[b].normal + v[c].normal) < 0)
        m.AddTriangle(a, c, b, material);
    else
        m.AddTriangle(a, b, c, material);
}

void AppendRound(std::vector<ProfilePoint>& profile, double cr, double cy, double rim, double a0,
                 double a1, int steps) {
    for (int k = 0; k <= steps; ++k) {
        const double a = (a0 + (a1 - a0) * k / steps) * kPi / 180;
        profile.push_back({cr + rim * std::cos(a), cy + rim * std::sin(a)});
    }
}

bool AddRoundedSlab(Mesh& m, const std::vector<Disc>& discs, double height, double rim,
                    int rimSteps, double stepDeg, double creaseDeg, int material) {
    std::vector<OutlineArc> arcs = UnionArcs(discs, stepDeg);
    if (arcs.empty() || rim <= 0 || rim >= height || rimSteps < 1) return false;
    const size_t na = arcs.size();
    // Small circles need fewer steps for the same smoothness: keep the chord's
    // distance from the arc that of the largest circle at stepDeg.
    double largest = 0;
    for (const Disc& d : discs)
        largest = std::max(largest, d.r);
    const double sag = largest * (1 - std::cos(stepDeg * kPi / 360));
    for (OutlineArc& a : arcs) {
        const double r = discs[a.disc].r;
        const double step = r > sag ? 2 * std::acos(1 - sag / r) - 1e-9 : 2 * kPi;
        std::vector<double> kept = {a.angles.front()};
        for (double angle : a.angles)
            if (angle - kept.back() >= step && a.a1 - angle >= 0.5 * step) kept.push_back(angle);
        a.angles = kept;
    }

    // Rows of the side from the bottom up: inset, height, and the profile
    // normal's outward and upward parts. The rim is a quarter circle, so the
    // side and the top meet it without a crease.
    struct Row {
        double inset, y, out, up, v;
    };
    std::vector<Row> rows = {{0, 0, 1, 0, 1}};
    const double profileLen = height - rim + rim * kPi / 2;
    for (int k = 0; k <= rimSteps; ++k) {
        const double t = kPi / 2 * k / rimSteps;
        rows.push_back({rim * (1 - std::cos(t)), height - rim + rim * std::sin(t), std::cos(t),
                        std::sin(t), 1 - (height - rim + rim * t) / profileLen});
    }

    // One ring per row: each outline point moved in along its circle; the
    // corners are where the shrunk neighbouring circles meet.
    struct RingPoint {
        Point2 p, in, out; // position; normals of the arcs before and after it
    };
    auto ring = [&](double inset, std::vector<RingPoint>& pts) {
        std::vector<double> start(na), end(na);
        for (size_t k = 0; k < na; ++k) {
            const OutlineArc& prev = arcs[(k + na - 1) % na];
            const OutlineArc& cur = arcs[k];
            start[k] = cur.a0;
            end[(k + na - 1) % na] = prev.a1;
            if (prev.disc == cur.disc) continue;
            const Disc &dp = discs[prev.disc], &dc = discs[cur.disc];
            const Point2 hint{dc.x + dc.r * std::cos(cur.a0), dc.y + dc.r * std::sin(cur.a0)};
            Point2 q;
            if (!Meet({dp.x, dp.y}, dp.r - inset, {dc.x, dc.y}, dc.r - inset, hint, q))
                return false;
            start[k] = Near(std::atan2(q.y - dc.y, q.x - dc.x), cur.a0);
            end[(k + na - 1) % na] = Near(std::atan2(q.y - dp.y, q.x - dp.x), prev.a1);
        }
        pts.clear();
        for (size_t k = 0; k < na; ++k) {
            const OutlineArc& a = arcs[k];
            const Disc& d = discs[a.disc];
            if (end[k] <= start[k] || d.r - inset <= 0) return false;
            const double prevEnd = end[(k + na - 1) % na];
            for (size_t j = 0; j < a.angles.size(); ++j) {
                // Same share of the arc as on the outline itself.
                const double share = (a.angles[j] - a.a0) / (a.a1 - a.a0);
                const double ang = start[k] + share * (end[k] - start[k]);
                const Point2 n{std::cos(ang), std::sin(ang)};
                const Point2 p{d.x + (d.r - inset) * n.x, d.y + (d.r - inset) * n.y};
                const Point2 in = j == 0 ? Point2{std::cos(prevEnd), std::sin(prevEnd)} : n;
                pts.push_back({p, in, n});
            }
        }
        return true;
    };

    std::vector<std::vector<RingPoint>> rings(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        if (!ring(rows[r].inset, rings[r])) return false;
    const size_t np = rings[0].size();

    // Columns around the side: one per point, two at a crease (each arc keeps
    // its own normal), and the first again at the end to close the texture seam.
    const double creaseCos = std::cos(creaseDeg * kPi / 180);
    struct Column {
        size_t point;
        int side; // -1: the arc before, +1: the arc after, 0: both
        double u;
    };
    std::vector<Column> cols;
    double len = 0;
    for (size_t i = 0; i < np; ++i) {
        if (i > 0) {
            const Point2 a = rings[0][i - 1].p, b = rings[0][i].p;
            len += std::hypot(b.x - a.x, b.y - a.y) / 100;
        }
        const RingPoint& q = rings[0][i];
        if (q.in.x * q.out.x + q.in.y * q.out.y < creaseCos) {
            cols.push_back({i, -1, len});
            cols.push_back({i, 1, len});
        } else {
            cols.push_back({i, 0, len});
        }
    }
    {
        const Point2 a = rings[0][np - 1].p, b = rings[0][0].p;
        Column seam = cols.front();
        seam.u = len + std::hypot(b.x - a.x, b.y - a.y) / 100;
        cols.push_back(seam);
    }
    std::vector<std::vector<int>> vid(rows.size(), std::vector<int>(cols.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < cols.size(); ++c) {
            const RingPoint& q = rings[r][cols[c].point];
            const Point2 n2 = cols[c].side < 0   ? q.in
                              : cols[c].side > 0 ? q.out
                                                 : Unit({q.in.x + q.out.x, q.in.y + q.out.y});
            const Row& row = rows[r];
            vid[r][c] = m.AddVertex({{q.p.x, row.y, -q.p.y},
                                     Normalized({row.out * n2.x, row.up, -row.out * n2.y}),
                                     cols[c].u,
                                     row.v});
        }
    for (size_t c = 0; c + 1 < cols.size(); ++c) {
        if (cols[c].point == cols[c + 1].point) continue; // a crease
        for (size_t r = 0; r + 1 < rows.size(); ++r) {
            AddFacing(m, vid[r][c], vid[r][c + 1], vid[r + 1][c + 1], material);
            AddFacing(m, vid[r][c], vid[r + 1][c + 1], vid[r + 1][c], material);
        }
    }

    // The flat bottom on the whole outline and the flat top inside the rim,
    // mapped from above as the classic pieces are.
    for (const size_t r : {size_t{0}, rows.size() - 1}) {
        std::vector<Point2> poly, uv;
        std::vector<Vec3> at;
        for (const RingPoint& q : rings[r]) {
            poly.push_back(q.p);
            at.push_back({q.p.x, rows[r].y, -q.p.y});
            uv.push_back({q.p.x / 40 + 0.5, q.p.y / 40 + 0.5});
        }
        AddCap(m, poly, at, {0, r == 0 ? -1.0 : 1.0, 0}, uv, material);
    }
    return true;
}

void AddLathe(Mesh& m, const std::vector<ProfilePoint>& profile, int segments, int material) {
    if (profile.size() < 2 || segments < 3) return;
    const auto normals = ProfileNormals(profile, false, false);
    const auto vs = RunningV(profile);
    // Per profile point, one ring per normal; a ring joins the next point's first.
    std::vector<std::vector<std::vector<int>>> rings(profile.size());
    for (size_t i = 0; i < profile.size(); ++i)
        for (const Point2 n : normals[i]) {
            std::vector<int> ring;
            for (int s = 0; s <= segments; ++s) {
                const double a = 2 * kPi * s / segments, c = std::cos(a), sn = std::sin(a);
                const ProfilePoint& p = profile[i];
                ring.push_back(m.AddVertex({{p.r * c, p.y, -p.r * sn},
                                            Normalized({n.x * c, n.y, -n.x * sn}),
                                            static_cast<double>(s) / segments,
                                            vs[i]}));
            }
            rings[i].push_back(std::move(ring));
        }
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        const auto &lo = rings[i].back(), &hi = rings[i + 1].front();
        for (int s = 0; s < segments; ++s) {
            AddFacing(m, lo[s], lo[s + 1], hi[s + 1], material);
            AddFacing(m, lo[s], hi[s + 1], hi[s], material);
        }
    }
}

void AddExtrusion(Mesh& m, const std::vector<ProfilePoint>& section, double x0, double x1,
                  int material) {
    const size_t n = section.size();
    if (n < 3) return;
    double area = 0;
    for (size_t i = 0; i < n; ++i) {
        const ProfilePoint &a = section[i], &b = section[(i + 1) % n];
        area += a.r * b.y - b.r * a.y;
    }
    const auto normals = ProfileNormals(section, true, area < 0);
    std::vector<double> vlen(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        const ProfilePoint &a = section[i - 1], &b = section[i % n];
        vlen[i] = vlen[i - 1] + std::hypot(b.r - a.r, b.y - a.y);
    }
    // Columns along the section: one per normal, the first again to close it.
    struct Column {
        size_t point;
        Point2 normal;
        double v;
    };
    std::vector<Column> cols;
    for (size_t i = 0; i < n; ++i)
        for (const Point2 nm : normals[i])
            cols.push_back({i, nm, vlen[i] / vlen[n]});
    cols.push_back({0, normals[0].front(), 1});
    std::vector<int> lo, hi;
    for (const Column& c : cols) {
        const ProfilePoint& p = section[c.point];
        const Vec3 nrm = Normalized({0, c.normal.y, c.normal.x});
        lo.push_back(m.AddVertex({{x0, p.y, p.r}, nrm, 0, c.v}));
        hi.push_back(m.AddVertex({{x1, p.y, p.r}, nrm, 1, c.v}));
    }
    for (size_t c = 0; c + 1 < cols.size(); ++c) {
        if (cols[c].point == cols[c + 1].point) continue; // a crease
        AddFacing(m, lo[c], lo[c + 1], hi[c + 1], material);
        AddFacing(m, lo[c], hi[c + 1], hi[c], material);
    }
    std::vector<Point2> poly, uv;
    std::vector<Vec3> at0, at1;
    for (const ProfilePoint& p : section) {
        poly.push_back({p.r, p.y});
        uv.push_back({0.5 + p.r / 10, 1 - p.y / 20});
        at0.push_back({x0, p.y, p.r});
        at1.push_back({x1, p.y, p.r});
    }
    AddCap(m, poly, at0, {x0 < x1 ? -1.0 : 1.0, 0, 0}, uv, material);
    AddCap(m, poly, at1, {x0 < x1 ? 1.0 : -1.0, 0, 0}, uv, material);
}

} // namespace kv::tools
