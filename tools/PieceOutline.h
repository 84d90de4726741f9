// The outline of a piece seen from above: the boundary of the union of its
// contact circles, so that what is drawn is exactly what collides.
#pragma once

#include <array>
#include <vector>

namespace kv::tools {

struct Disc {
    double x, y, r;
};
struct Point2 {
    double x, y;
};

// Contact circles of piece models 0..3 in the piece's own frame (table units).
std::vector<Disc> ModelDiscs(int model, double R = 20, double C = 14);

// A piece of the union's boundary on circle `disc`, counter-clockwise from
// angle a0 to a1 (radians), with the angles it is sampled at (a0 first).
struct OutlineArc {
    int disc;
    double a0, a1;
    std::vector<double> angles;
};

// The arcs of the boundary of the union in counter-clockwise order, each
// ending where the next begins (see UnionOutline).
std::vector<OutlineArc> UnionArcs(const std::vector<Disc>& discs, double stepDeg);

// Counter-clockwise boundary of the union (a single outer loop); arcs are
// sampled every stepDeg degrees of their circle and always at its four
// extreme points. Empty when the union is not one simple loop.
std::vector<Point2> UnionOutline(const std::vector<Disc>& discs, double stepDeg);

// Ear-clipping triangulation of a simple counter-clockwise polygon.
std::vector<std::array<int, 3>> Triangulate(const std::vector<Point2>& poly);

} // namespace kv::tools
