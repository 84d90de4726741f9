// The room around the table, scene units: the inside of its walls, floor and
// ceiling, and the height of the rulers standing along the table's edges.
#pragma once

namespace kv {

struct RoomBox {
    double x0, x1, y0, y1, z0, z1;
};
inline constexpr RoomBox kRoom{-150, 200, -35, 100, -200, 150};
// The modern look keeps the camera this far inside the walls.
inline constexpr double kRoomClearance = 2;
// The top of a border ruler over the table's plane.
inline constexpr double kBorderTop = 1;

} // namespace kv
