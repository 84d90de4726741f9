// Writes the desk texture <gamedata>/mesh/goblatable.bmp and the room's wall
// paper <gamedata>/pic/mingerb.bmp. Usage: gen_textures <gamedata dir>
#include "MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using kv::tools::MakeDirs;
using kv::tools::PutU16;
using kv::tools::PutU32;
using kv::tools::WriteFileBytes;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

class Image {
public:
    Image(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {}
    void Set(int x, int y, Rgb c) { px_[static_cast<size_t>(y) * w_ + x] = c; }

    // 24-bit uncompressed BMP, rows bottom-up; (0, 0) is the top left pixel.
    std::string ToBmp() const {
        const uint32_t stride = (static_cast<uint32_t>(w_) * 3 + 3) & ~3u;
        const uint32_t imageSize = stride * static_cast<uint32_t>(h_);
        std::string o;
        auto u16 = [&o](uint32_t v) { PutU16(o, v); };
        auto u32 = [&o](uint32_t v) { PutU32(o, v); };
        o += "BM";
        u32(54 + imageSize);
        u32(0);
        u32(54);
        u32(40);
        u32(static_cast<uint32_t>(w_));
        u32(static_cast<uint32_t>(h_));
        u16(1);
        u16(24);
        u32(0);
        u32(imageSize);
        u32(2835);
        u32(2835);
        u32(0);
        u32(0);
        auto byte = [](double v) {
            return static_cast<char>(std::clamp(static_cast<int>(std::lround(v * 255.0)), 0, 255));
        };
        for (int y = h_ - 1; y >= 0; --y) {
            for (int x = 0; x < w_; ++x) {
                const Rgb& c = px_[static_cast<size_t>(y) * w_ + x];
                o += byte(c.b);
                o += byte(c.g);
                o += byte(c.r);
            }
            for (uint32_t p = static_cast<uint32_t>(w_) * 3; p < stride; ++p)
                o += '\0';
        }
        return o;
    }

private:
    int w_, h_;
    std::vector<Rgb> px_;
};

// Integer hash to [0, 1): the same numbers on every run and every machine.
double Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0;
}

// Value noise on a lattice that repeats every `period` cells, so the texture tiles.
double Noise(double x, double y, int period, int seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) {
        return Hash(((i % period) + period) % period, ((j % period) + period) % period, seed);
    };
    const double a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

double Fbm(double u, double v, int basePeriod, int octaves, int seed) {
    double sum = 0, amp = 0.5, norm = 0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise(u * period, v * period, period, seed + o);
        norm += amp;
        amp *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

Image Wood() {
    const int n = 256;
    Image img(n, n);
    const Rgb light{0.80, 0.62, 0.40}, dark{0.56, 0.37, 0.20};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double u = static_cast<double>(x) / n, v = static_cast<double>(y) / n;
            // Grain runs along the desk: rings across v, bent by noise.
            const double warp = Fbm(u, v, 2, 4, 11);
            const double rings = 0.5 + 0.5 * std::sin(2 * kPi * (v * 9 + warp * 2.5));
            const double fibre =
                Noise(u * 8, v * 128, 128, 23) * 0.5 + Noise(u * 4, v * 64, 64, 29) * 0.5;
            const double t = std::clamp(0.15 + 0.55 * std::pow(rings, 3) + 0.3 * fibre, 0.0, 1.0);
            img.Set(x, y, Mix(light, dark, t));
        }
    return img;
}

// The school emblem in its own coordinates (u, v in about -64..64, v up).
struct Emblem {
    static bool InShield(double u, double v, double s) {
        u /= s;
        v /= s;
        if (v > 36 || v < -50 || std::fabs(u) > 34) return false;
        if (v >= -10) return true;
        const double t = (v + 10) / 40;
        return std::fabs(u) <= 34 * std::sqrt(std::max(0.0, 1 - t * t));
    }
    static bool InStar(double u, double v, double cx, double cy, double ro, double ri) {
        const double a = std::atan2(u - cx, v - cy); // 0 points up
        const double r = std::hypot(u - cx, v - cy);
        const double sector = 2 * kPi / 5;
        double f = std::fmod(a + 2 * kPi, sector) / sector; // 0..1 across one point
        f = std::fabs(f - 0.5) * 2;                         // 1 at a point, 0 between
        // Straight edges between point and notch, well enough for a few pixels.
        const double limit = ri + (ro - ri) * f * f;
        return r <= limit;
    }
    static bool InQuad(double u, double v, const double (&q)[4][2]) {
        bool inside = true;
        for (int i = 0; i < 4 && inside; ++i) {
            const double* a = q[i];
            const double* b = q[(i + 1) % 4];
            inside = (b[0] - a[0]) * (v - a[1]) - (b[1] - a[1]) * (u - a[0]) >= 0;
        }
        return inside;
    }
    static bool Colour(double u, double v, Rgb& out) {
        const Rgb gold{0.90, 0.74, 0.26}, blue{0.17, 0.25, 0.55}, page{0.96, 0.95, 0.90},
            line{0.45, 0.45, 0.55};
        if (!InShield(u, v, 1.0)) return false;
        if (!InShield(u, v, 0.88)) {
            out = gold;
            return true;
        }
        static const double left[4][2] = {{-24, -16}, {-2, -20}, {-2, 4}, {-24, 8}};
        static const double right[4][2] = {{2, -20}, {24, -16}, {24, 8}, {2, 4}};
        if (InQuad(u, v, left) || InQuad(u, v, right)) {
            const double rel = v + std::fabs(u) * 0.18; // page lines follow the slope
            const bool ruled = std::fabs(u) > 5 && std::fabs(u) < 21 &&
                               std::fmod(rel + 100, 5.0) < 0.8 && rel < 6 && rel > -12;
            out = ruled ? line : page;
            return true;
        }
        if (InStar(u, v, 0, 22, 10, 4)) {
            out = gold;
            return true;
        }
        out = blue;
        return true;
    }
};

Image Wallpaper() {
    const int n = 256;
    Image img(n, n);
    const Rgb base{0.93, 0.89, 0.80}, stripe{0.88, 0.82, 0.70}, dot{0.75, 0.66, 0.52};
    const int ss = 4;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            Rgb acc{0, 0, 0};
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const double px = x + (sx + 0.5) / ss, py = y + (sy + 0.5) / ss;
                    Rgb c = std::fmod(px, 32.0) < 12 ? stripe : base;
                    // Emblems in a staggered grid, small dots between them.
                    const double cx = px < 128 ? 64 : 192;
                    const double cy = (py < 128 ? 64 : 192);
                    const double u = px - cx, v = -(py - cy);
                    Rgb e;
                    if (Emblem::Colour(u * 1.05, v * 1.05, e))
                        c = e;
                    else {
                        const double dx = std::fmod(px + 64, 128.0) - 64,
                                     dy = std::fmod(py + 64, 128.0) - 64;
                        if (std::hypot(dx, dy) < 4) c = dot;
                    }
                    acc = {acc.r + c.r, acc.g + c.g, acc.b + c.b};
                }
            const double k = 1.0 / (ss * ss);
            img.Set(x, y, {acc.r * k, acc.g * k, acc.b * k});
        }
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_textures <gamedata dir>\n");
        return 2;
    }
    const std::string root = argv[1];
    if (!MakeDirs(root + "/mesh") || !MakeDirs(root + "/pic")) {
        std::fprintf(stderr, "gen_textures: cannot create folders under %s\n", root.c_str());
        return 1;
    }
    int rc = 0;
    if (!WriteFileBytes(root + "/mesh/goblatable.bmp", Wood().ToBmp())) rc = 1;
    if (!WriteFileBytes(root + "/pic/mingerb.bmp", Wallpaper().ToBmp())) rc = 1;
    if (rc != 0) std::fprintf(stderr, "gen_textures: cannot write the textures\n");
    return rc;
}
