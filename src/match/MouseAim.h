// Aiming with the mouse: the table point under a pixel of the picture.
#pragma once

#include "state/Picture.h"

namespace kv {

// The camera as the scene shows it: its position and the point it looks at,
// scene units.
struct CameraView {
    double eyeX = 0, eyeY = 0, eyeZ = 0;
    double lookX = 0, lookY = 0, lookZ = 0;
};

// Casts the ray from the camera through pixel (px, py) of a w x h picture (origin
// top left) onto the table's plane, undoing the scene's perspective with its
// focal lengths. Gives the point in table units; false when the ray does not
// come down onto the plane in front of the camera. The point may lie off the table.
bool TablePointAt(const CameraView& cam, int w, int h, Focal focal, double px, double py,
                  double& tableX, double& tableY);

} // namespace kv
