// Solids with rounded rims for the modern look's meshes: the light runs along
// a rim instead of stopping at a knife edge. Smooth normals on the round
// parts, creases where faces meet at a sharp angle.
#pragma once

#include "MeshBuilder.h"
#include "PieceOutline.h"

#include <vector>

namespace kv::tools {

// A slab from y = 0 to `height` over the union of discs (piece frame (x, w)
// placed at (x, y, -w)): flat bottom on the whole union, straight side, and a
// top rim rounded with radius `rim` in `rimSteps` steps, so that the flat top
// is the union shrunk by `rim`. Arcs are sampled every stepDeg degrees; a
// corner of the outline turning more than creaseDeg stays a crease. False
// when the outline is not one loop or the rim is too wide for it.
bool AddRoundedSlab(Mesh& m, const std::vector<Disc>& discs, double height, double rim,
                    int rimSteps, double stepDeg, double creaseDeg, int material);

// A point of a profile turned about the y axis: radius and height; a crease
// splits the normals of the two segments that meet there.
struct ProfilePoint {
    double r, y;
    bool crease = false;
};

// An arc of radius `rim` about (cr, cy) from angle a0 to a1 (degrees; 0 along
// the profile's first coordinate, 90 up) in `steps` steps, appended to a
// profile: the rounding of one of its corners.
void AppendRound(std::vector<ProfilePoint>& profile, double cr, double cy, double rim, double a0,
                 double a1, int steps);

// The profile (bottom to top, radii >= 0) turned about the y axis in
// `segments` steps; a point on the axis closes the solid there.
void AddLathe(Mesh& m, const std::vector<ProfilePoint>& profile, int segments, int material);

// The closed cross-section (r holding z, and y), either way round, swept along
// x from x0 to x1, with flat ends.
void AddExtrusion(Mesh& m, const std::vector<ProfilePoint>& section, double x0, double x1,
                  int material);

// Adds the triangle wound along the vertices' normals; skips a degenerate one.
void AddFacing(Mesh& m, int a, int b, int c, int material);

} // namespace kv::tools
