#include "match/NameLabels.h"

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

} // namespace

std::vector<TextItem> PlaceNameLabels(const Module1& m) {
    std::vector<TextItem> out;
    const double K = m.ScreenW;
    const double W = m.ScreenW;
    const double H = m.ScreenH;
    if (m.MaxGamers < 1 || W <= 0 || H <= 0) return out;

    Vec3 D{m.TargetX - m.CamX, m.TargetY - m.CamY, m.TargetZ - m.CamZ};
    if (!ScaleTo(D, K)) return out; // camera on its own look-at point: no view direction
    Vec3 U{D[2], 0, -D[0]};
    if (D[0] == 0 && D[2] == 0) U = {0, 0, 1};
    Vec3 S = Cross(D, U);
    ScaleTo(U, K / 2);
    ScaleTo(S, 3 * K / 8);

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
        out.push_back({RoundI32(x - 15), RoundI32(y - 40), g.RName, false, true});
    }
    return out;
}

} // namespace kv
