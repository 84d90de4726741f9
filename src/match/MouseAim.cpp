#include "match/MouseAim.h"

#include "state/SceneUnits.h"

#include <cmath>

namespace kv {

namespace {

struct V {
    double x, y, z;
};
V Cross(V a, V b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool Unit(V& v) {
    const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (l == 0 || !std::isfinite(l)) return false;
    v = {v.x / l, v.y / l, v.z / l};
    return true;
}

} // namespace

bool TablePointAt(const CameraView& cam, int w, int h, Focal focal, double px, double py,
                  double& tableX, double& tableY) {
    if (w <= 0 || h <= 0) return false;
    V forward{cam.lookX - cam.eyeX, cam.lookY - cam.eyeY, cam.lookZ - cam.eyeZ};
    if (!Unit(forward)) return false;
    // The same basis the scene turns its camera to.
    V right{forward.z, 0, -forward.x};
    if (forward.x == 0 && forward.z == 0) right = {0, 0, 1};
    V up = Cross(forward, right);
    if (!Unit(right) || !Unit(up)) return false;
    const double W = w, H = h;
    const double a = (px - W / 2) / focal.x;
    const double b = (H / 2 - py) / focal.y;
    const V ray{forward.x + a * right.x + b * up.x, forward.y + a * right.y + b * up.y,
                forward.z + a * right.z + b * up.z};
    if (!(ray.y < 0) || !(cam.eyeY > 0)) return false; // the plane lies behind or above
    const double t = -cam.eyeY / ray.y;
    const double x = cam.eyeX + t * ray.x;
    const double z = cam.eyeZ + t * ray.z;
    if (!std::isfinite(x) || !std::isfinite(z)) return false;
    tableX = TableX(x);
    tableY = TableY(z);
    return true;
}

} // namespace kv
