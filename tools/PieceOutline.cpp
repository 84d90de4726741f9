#include "PieceOutline.h"

#include <algorithm>
#include <cmath>

namespace kv::tools {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

double Wrap(double a) {
    a = std::fmod(a, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}

bool StrictlyInside(const Disc& d, double x, double y) {
    return std::hypot(x - d.x, y - d.y) < d.r - 1e-9;
}

struct Arc {
    int disc;
    double a0, a1; // a1 > a0, radians, may exceed 2 pi
};

Point2 At(const Disc& d, double a) {
    return {d.x + d.r * std::cos(a), d.y + d.r * std::sin(a)};
}

double Cross(Point2 o, Point2 a, Point2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

} // namespace

std::vector<Disc> ModelDiscs(int model, double R, double C) {
    std::vector<Disc> d;
    switch (model) {
    case 0:
        d = {{0, 0, R}, {0, -C, C}};
        break;
    case 1:
        for (int k = 0; k <= 10; ++k)
            d.push_back({0, -C * (1 - k / 10.0), C});
        for (int k = 1; k <= 4; ++k)
            d.push_back({-k * C / 5, k * C / 5, C * (1 - k / 5.0)});
        for (int k = 1; k <= 4; ++k)
            d.push_back({k * C / 5, k * C / 5, C * (1 - k / 5.0)});
        break;
    case 2: {
        d.push_back({0, 0, R});
        const int sx[4] = {-1, 1, -1, 1}, sy[4] = {1, 1, -1, -1};
        for (int q = 0; q < 4; ++q)
            for (int k = 1; k <= 4; ++k)
                d.push_back({sx[q] * k * R / 5, sy[q] * k * R / 5, R * (1 - k / 5.0)});
        break;
    }
    default:
        d = {{0, 0, R}};
        break;
    }
    return d;
}

std::vector<OutlineArc> UnionArcs(const std::vector<Disc>& discs, double stepDeg) {
    // Arcs of each circle that lie inside no other circle: cut the circle at
    // every intersection and keep the pieces whose midpoint is uncovered.
    std::vector<Arc> arcs;
    for (size_t i = 0; i < discs.size(); ++i) {
        const Disc& c = discs[i];
        std::vector<double> cuts = {0.0};
        for (size_t j = 0; j < discs.size(); ++j) {
            if (j == i) continue;
            const Disc& o = discs[j];
            const double d = std::hypot(o.x - c.x, o.y - c.y);
            if (d < 1e-12 || d >= c.r + o.r || d <= std::fabs(c.r - o.r)) continue;
            const double phi = std::atan2(o.y - c.y, o.x - c.x);
            const double cosA = (c.r * c.r + d * d - o.r * o.r) / (2 * c.r * d);
            const double alpha = std::acos(std::clamp(cosA, -1.0, 1.0));
            cuts.push_back(Wrap(phi - alpha));
            cuts.push_back(Wrap(phi + alpha));
        }
        std::sort(cuts.begin(), cuts.end());
        cuts.push_back(kTwoPi);
        std::vector<Arc> own;
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            const double a0 = cuts[k], a1 = cuts[k + 1];
            if (a1 - a0 < 1e-9) continue;
            const Point2 mid = At(c, 0.5 * (a0 + a1));
            bool covered = false;
            for (size_t j = 0; j < discs.size() && !covered; ++j)
                covered = j != i && StrictlyInside(discs[j], mid.x, mid.y);
            if (covered) continue;
            if (!own.empty() && std::fabs(own.back().a1 - a0) < 1e-12)
                own.back().a1 = a1;
            else
                own.push_back({static_cast<int>(i), a0, a1});
        }
        // Join the piece that ends at 2 pi with the one that starts at 0.
        if (own.size() > 1 && own.front().a0 == 0.0 && std::fabs(own.back().a1 - kTwoPi) < 1e-12) {
            own.front().a0 = own.back().a0 - kTwoPi;
            own.pop_back();
        }
        arcs.insert(arcs.end(), own.begin(), own.end());
    }
    if (arcs.empty()) return {};

    // Chain the arcs: each ends where the next one starts.
    std::vector<OutlineArc> out;
    std::vector<bool> used(arcs.size(), false);
    size_t cur = 0;
    const double step = stepDeg * kPi / 180.0;
    for (size_t n = 0; n < arcs.size(); ++n) {
        used[cur] = true;
        const Arc& a = arcs[cur];
        const Disc& d = discs[a.disc];
        OutlineArc oa{a.disc, a.a0, a.a1, {a.a0}};
        for (double g = std::floor(a.a0 / step + 1) * step; g < a.a1 - 1e-9; g += step) {
            // Snap grid angles so that the extreme points are exact.
            const double snapped = std::round(g / step) * step;
            if (snapped > a.a0 + 1e-9) oa.angles.push_back(snapped);
        }
        out.push_back(std::move(oa));
        const Point2 end = At(d, a.a1);
        if (n + 1 == arcs.size()) {
            const Point2 first = At(discs[out.front().disc], out.front().a0);
            if (std::hypot(end.x - first.x, end.y - first.y) > 1e-6) return {};
            break;
        }
        size_t best = arcs.size();
        double bestDist = 1e-6;
        for (size_t k = 0; k < arcs.size(); ++k) {
            if (used[k]) continue;
            const Point2 s = At(discs[arcs[k].disc], arcs[k].a0);
            const double dist = std::hypot(s.x - end.x, s.y - end.y);
            if (dist < bestDist) {
                bestDist = dist;
                best = k;
            }
        }
        if (best == arcs.size()) return {};
        cur = best;
    }
    return out;
}

std::vector<Point2> UnionOutline(const std::vector<Disc>& discs, double stepDeg) {
    std::vector<Point2> out;
    for (const OutlineArc& a : UnionArcs(discs, stepDeg))
        for (double angle : a.angles)
            out.push_back(At(discs[a.disc], angle));
    return out;
}

std::vector<std::array<int, 3>> Triangulate(const std::vector<Point2>& poly) {
    std::vector<int> idx(poly.size());
    for (size_t i = 0; i < poly.size(); ++i)
        idx[i] = static_cast<int>(i);
    std::vector<std::array<int, 3>> tris;
    auto inTriangle = [&](Point2 p, Point2 a, Point2 b, Point2 c) {
        return Cross(a, b, p) >= -1e-12 && Cross(b, c, p) >= -1e-12 && Cross(c, a, p) >= -1e-12;
    };
    while (idx.size() > 3) {
        const size_t n = idx.size();
        size_t ear = n;
        double bestCross = -1;
        size_t fallback = 0;
        for (size_t i = 0; i < n; ++i) {
            const int ip = idx[(i + n - 1) % n], ic = idx[i], in = idx[(i + 1) % n];
            const Point2 a = poly[ip], b = poly[ic], c = poly[in];
            const double cr = Cross(a, b, c);
            if (cr > bestCross) {
                bestCross = cr;
                fallback = i;
            }
            if (cr <= 1e-12) continue;
            bool blocked = false;
            for (size_t k = 0; k < n && !blocked; ++k) {
                const int q = idx[k];
                if (q == ip || q == ic || q == in) continue;
                blocked = inTriangle(poly[q], a, b, c);
            }
            if (!blocked) {
                ear = i;
                break;
            }
        }
        if (ear == n) ear = fallback;
        tris.push_back({idx[(ear + n - 1) % n], idx[ear], idx[(ear + 1) % n]});
        idx.erase(idx.begin() + static_cast<long>(ear));
    }
    if (idx.size() == 3) tris.push_back({idx[0], idx[1], idx[2]});
    return tris;
}

} // namespace kv::tools
