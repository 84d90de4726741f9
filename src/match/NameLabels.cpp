#include "match/NameLabels.h"

#include "state/Picture.h"
#include "state/Room.h"
#include "state/SceneUnits.h"

#include <cmath>

namespace kv {

Vec3 MatVec(const Mat3f& m, const Vec3& v) {
    Vec3 r{};
    for (int k = 0; k < 3; ++k)
        r[k] = m[3 * k] * v[0] + m[3 * k + 1] * v[1] + m[3 * k + 2] * v[2];
    return r;
}

double VecLength(double x, double y, double z) {
    return std::sqrt(x * x + y * y + z * z);
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

namespace {

// False for a zero vector, which has no direction to scale.
bool ScaleTo(Vec3& v, double len) {
    double l = VecLength(v[0], v[1], v[2]);
    if (l == 0 || !std::isfinite(l)) return false;
    for (double& c : v)
        c = c / l * len;
    return true;
}

// Whether something solid stands between the eye and point p on the table: the
// room's walls (an eye outside them), the table seen from below, or a border
// ruler along one of its edges.
bool SightBlocked(const Module1& m, const Vec3& eye, const Vec3& p) {
    const RoomBox& r = kRoom;
    if (!(eye[0] > r.x0 && eye[0] < r.x1 && eye[1] > r.y0 && eye[1] < r.y1 && eye[2] > r.z0 &&
          eye[2] < r.z1))
        return true;
    const double X = SceneX(m.MaxX), Z = SceneZ(m.MaxY); // the table: 0..X, Z..0
    // Where the sight line crosses the plane a = v of axis k, if between the two.
    auto cross = [&](int k, double v, Vec3& at) {
        const double d = p[k] - eye[k];
        if (d == 0) return false;
        const double t = (v - eye[k]) / d;
        if (!(t > 0 && t < 1)) return false;
        for (int i = 0; i < 3; ++i)
            at[i] = eye[i] + t * (p[i] - eye[i]);
        return true;
    };
    Vec3 at{};
    if (cross(1, 0, at) && at[0] > 0 && at[0] < X && at[2] > Z && at[2] < 0) return true;
    if (m.Border == 0) return false;
    auto ruler = [&](int k, double v) { // an edge at axis k = v, along the other axis
        if (!cross(k, v, at) || at[1] > kBorderTop) return false;
        return k == 2 ? at[0] >= 0 && at[0] <= X : at[2] >= Z && at[2] <= 0;
    };
    const bool along = m.BordMode == 1;
    if (along ? ruler(2, 0) : ruler(0, 0)) return true;
    return m.BordSimm != 0 && (along ? ruler(2, Z) : ruler(0, X));
}

} // namespace

std::vector<TextItem> PlaceNameLabels(const Module1& m) {
    std::vector<TextItem> out;
    const double W = PictureWidth(m);
    const double H = PictureHeight(m);
    if (m.MaxGamers < 1 || W <= 0 || H <= 0) return out;
    // Classic: K = W and the rows stretch the height; square pixels: K is the focal.
    const bool square = m.Graphics == kGraphicsModern;
    const double K = square ? PictureFocal(true, W, H).x : W;

    Vec3 D{m.TargetX - m.CamX, m.TargetY - m.CamY, m.TargetZ - m.CamZ};
    if (!ScaleTo(D, K)) return out; // camera on its own look-at point: no view direction
    Vec3 U{D[2], 0, -D[0]};
    if (D[0] == 0 && D[2] == 0) U = {0, 0, 1};
    Vec3 S = Cross(D, U);
    ScaleTo(U, square ? W / 2 : K / 2);
    ScaleTo(S, square ? H / 2 : 3 * K / 8);

    Mat3f rows{};
    for (int c = 0; c < 3; ++c) {
        rows[c] = static_cast<float>(2 * U[c] / W);
        rows[3 + c] = static_cast<float>(2 * S[c] / H);
        rows[6 + c] = static_cast<float>(D[c] / K);
    }

    for (int k = 1; k <= m.MaxGamers && k <= kMaxPlayers; ++k) {
        const GoblaRec& g = m.Gobla(k);
        if (g.Life == 0) continue;
        Vec3 v{SceneX(g.Xpos) - m.CamX, -m.CamY, SceneZ(g.Ypos) - m.CamZ};
        Vec3 w = MatVec(rows, v);
        double p = w[0] / (W / 2);
        double q = w[1] / (H / 2);
        double t = w[2] / K;
        if (!(t > 0)) continue; // behind the camera (or level with it): nothing to see
        // The centre on the screen; a piece outside the picture has no label.
        const double x = W / 2 + (W / 2) * p / t;
        const double y = H / 2 - (H / 2) * q / t;
        if (!(x >= 0 && x < W && y >= 0 && y < H)) continue;
        // The modern look draws no name over what hides its piece.
        const Vec3 top{SceneX(g.Xpos), 0.2, SceneZ(g.Ypos)};
        if (m.Graphics == kGraphicsModern && SightBlocked(m, {m.CamX, m.CamY, m.CamZ}, top))
            continue;
        out.push_back({RoundI32(x - 15), RoundI32(y - 40), g.RName, false, true});
    }
    return out;
}

} // namespace kv
