// Player names over the pieces: each living piece's centre projected through the
// camera onto the screen, from the camera's position and look-at point alone.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"

#include <array>
#include <vector>

namespace kv {

using Vec3 = std::array<double, 3>;
using Mat3f = std::array<float, 9>; // row by row

Vec3 MatVec(const Mat3f& m, const Vec3& v);
double VecLength(double x, double y, double z);
Vec3 Cross(const Vec3& a, const Vec3& b);

// One label per living player piece whose centre falls inside the picture, 15
// pixels left of and 40 above it, through the picture's own projection. The
// modern look leaves out a piece that the table, a border or a wall hides.
std::vector<TextItem> PlaceNameLabels(const Module1& m);

} // namespace kv
