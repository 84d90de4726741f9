// Writes the game's meshes into <gamedata>/mesh, and the modern look's own
// ones into <gamedata>/mesh/modern. Usage: gen_meshes <gamedata dir>
#include "Bevel.h"
#include "MeshBuilder.h"
#include "PieceOutline.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace kv::tools;

namespace {

constexpr double kPi = 3.14159265358979323846;

Material Mat(const char* name, double r, double g, double b, double specular = 0.2,
             double emissive = 0) {
    Material m;
    m.name = name;
    m.r = r;
    m.g = g;
    m.b = b;
    m.specular = specular;
    m.emissive = emissive;
    return m;
}

// A flat prism between heights y0 < y1 over a counter-clockwise polygon given
// in table-like (x, w) coordinates, placed at (x, y, -w). Side normals are
// averaged at the corners when smooth.
void AddPrism(Mesh& mesh, const std::vector<Point2>& poly, double y0, double y1, int material,
              bool smooth, bool bottom = true) {
    const auto tris = Triangulate(poly);
    const size_t n = poly.size();
    auto at = [](Point2 p, double y) { return Vec3{p.x, y, -p.y}; };
    std::vector<int> top(n), bot(n);
    for (size_t i = 0; i < n; ++i) {
        top[i] = mesh.AddVertex(
            {at(poly[i], y1), {0, 1, 0}, poly[i].x / 40 + 0.5, poly[i].y / 40 + 0.5});
        if (bottom)
            bot[i] = mesh.AddVertex(
                {at(poly[i], y0), {0, -1, 0}, poly[i].x / 40 + 0.5, poly[i].y / 40 + 0.5});
    }
    for (const auto& t : tris) {
        mesh.AddTriangle(top[t[0]], top[t[1]], top[t[2]], material);
        if (bottom) mesh.AddTriangle(bot[t[0]], bot[t[2]], bot[t[1]], material);
    }
    std::vector<Vec3> edgeN(n);
    for (size_t i = 0; i < n; ++i) {
        const Point2 a = poly[i], b = poly[(i + 1) % n];
        // Outside lies to the right of a counter-clockwise edge.
        edgeN[i] = Normalized(Vec3{b.y - a.y, 0, b.x - a.x});
    }
    double len = 0;
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const Vec3 ni = smooth ? Normalized(edgeN[(i + n - 1) % n] + edgeN[i]) : edgeN[i];
        const Vec3 nj = smooth ? Normalized(edgeN[i] + edgeN[j]) : edgeN[i];
        const double step = std::hypot(poly[j].x - poly[i].x, poly[j].y - poly[i].y) / 100;
        const int a = mesh.AddVertex({at(poly[i], y0), ni, len, 1});
        const int b = mesh.AddVertex({at(poly[j], y0), nj, len + step, 1});
        const int c = mesh.AddVertex({at(poly[j], y1), nj, len + step, 0});
        const int d = mesh.AddVertex({at(poly[i], y1), ni, len, 0});
        len += step;
        mesh.AddTriangle(a, b, c, material);
        mesh.AddTriangle(a, c, d, material);
    }
}

// A flat ring at height y between radii r0 < r1, facing up or down.
void AddAnnulus(Mesh& m, double y, double r0, double r1, bool up, int seg, int material) {
    const Vec3 n{0, up ? 1.0 : -1.0, 0};
    std::vector<int> in, out;
    for (int i = 0; i <= seg; ++i) {
        const double a = 2 * kPi * i / seg, c = std::cos(a), s = std::sin(a);
        in.push_back(m.AddVertex({{r0 * c, y, -r0 * s}, n, 0.5 + 0.25 * c, 0.5 + 0.25 * s}));
        out.push_back(m.AddVertex({{r1 * c, y, -r1 * s}, n, 0.5 + 0.5 * c, 0.5 + 0.5 * s}));
    }
    for (int i = 0; i < seg; ++i) {
        // Counter-clockwise seen from above as the angle grows.
        if (up) {
            m.AddTriangle(in[i], out[i], out[i + 1], material);
            m.AddTriangle(in[i], out[i + 1], in[i + 1], material);
        } else {
            m.AddTriangle(in[i], out[i + 1], out[i], material);
            m.AddTriangle(in[i], in[i + 1], out[i + 1], material);
        }
    }
}

struct PieceLook {
    const char* name;
    double r, g, b;
};

// The classic pieces are flat prisms; the modern ones have a rounded rim, 96
// steps to a full circle, over the same outline.
Mesh Piece(int model, bool gray, bool modern) {
    static const PieceLook looks[4] = {{"Red", 0.85, 0.12, 0.10},
                                       {"Blue", 0.12, 0.32, 0.90},
                                       {"Green", 0.10, 0.70, 0.22},
                                       {"Orange", 1.00, 0.55, 0.05}};
    const PieceLook& look = looks[model];
    Mesh m("Gobla" + std::to_string(model) + (gray ? "Gray" : ""));
    const int body = gray ? m.AddMaterial(Mat("GoblaGray", 0.52, 0.52, 0.54, 0.3))
                          : m.AddMaterial(Mat(look.name, look.r, look.g, look.b, 0.3));
    const int mark = gray ? m.AddMaterial(Mat("MarkDark", 0.12, 0.12, 0.12))
                          : m.AddMaterial(Mat("MarkWhite", 0.97, 0.97, 0.97));
    if (modern) {
        if (!AddRoundedSlab(m, ModelDiscs(model), 4, 1.2, 6, 3.75, 20, body)) {
            std::fprintf(stderr, "gen_meshes: no rounded rim for model %d\n", model);
            return Mesh("Empty");
        }
    } else {
        const auto outline = UnionOutline(ModelDiscs(model), 6.0);
        if (outline.empty()) {
            std::fprintf(stderr, "gen_meshes: outline of model %d is not a single loop\n", model);
            return m;
        }
        AddPrism(m, outline, 0, 4, body, true);
    }
    // The heading arrow points along the piece's own +y, just above the top.
    const double y = 4.05;
    auto at = [y](double px, double py) { return Vec3{px, y, -py}; };
    m.AddFlatTriangle(at(0, 12), at(-5, 3), at(5, 3), mark);
    m.AddFlatTriangle(at(-1.5, -6), at(1.5, -6), at(1.5, 3), mark);
    m.AddFlatTriangle(at(-1.5, -6), at(1.5, 3), at(-1.5, 3), mark);
    return m;
}

// The desk's two materials, the wooden top first: both looks' desks share them.
void DeskMaterials(Mesh& m, int& itop, int& edge) {
    Material top = Mat("DeskTop", 1, 1, 1, 0.15);
    top.texture = "goblatable.bmp";
    itop = m.AddMaterial(top);
    edge = m.AddMaterial(Mat("DeskEdge", 0.55, 0.36, 0.18));
}

Mesh Table() {
    Mesh m("GoblaTable");
    int itop = 0, edge = 0;
    DeskMaterials(m, itop, edge);
    // The top is a grid so that the point light shades it across, not only at the corners.
    const int nx = 20, nz = 10;
    std::vector<int> idx;
    for (int j = 0; j <= nz; ++j)
        for (int i = 0; i <= nx; ++i)
            idx.push_back(m.AddVertex({{100.0 * i / nx, 0, -50.0 * j / nz},
                                       {0, 1, 0},
                                       static_cast<double>(i) / nx,
                                       static_cast<double>(j) / nz}));
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            const int a = idx[j * (nx + 1) + i], b = idx[j * (nx + 1) + i + 1];
            const int c = idx[(j + 1) * (nx + 1) + i + 1], d = idx[(j + 1) * (nx + 1) + i];
            m.AddTriangle(a, b, c, itop);
            m.AddTriangle(a, c, d, itop);
        }
    const double x0 = 0, x1 = 100, y0 = -4, y1 = 0, z0 = -50, z1 = 0;
    m.AddQuad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, edge);
    m.AddQuad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, edge);
    m.AddQuad({x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, edge);
    m.AddQuad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, edge);
    m.AddQuad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, edge);
    return m;
}

// The modern desk: the same box, its top edge rounded all round; the rim
// takes the top's material so that the wood runs over it.
Mesh ModernTable() {
    Mesh m("GoblaTable");
    int itop = 0, edge = 0;
    DeskMaterials(m, itop, edge);
    const double w = 100, d = 50, h = 4, rim = 0.8;
    const int steps = 6;
    const int nx = 20, nz = 10;
    std::vector<int> idx;
    for (int j = 0; j <= nz; ++j)
        for (int i = 0; i <= nx; ++i) {
            const double x = rim + (w - 2 * rim) * i / nx, z = -rim - (d - 2 * rim) * j / nz;
            idx.push_back(m.AddVertex({{x, 0, z}, {0, 1, 0}, x / w, -z / d}));
        }
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            const int a = idx[j * (nx + 1) + i], b = idx[j * (nx + 1) + i + 1];
            const int c = idx[(j + 1) * (nx + 1) + i + 1], e = idx[(j + 1) * (nx + 1) + i];
            AddFacing(m, a, b, c, itop);
            AddFacing(m, a, c, e, itop);
        }
    // Each side from the bottom over the rim to the top, its corners mitred.
    struct Side {
        double nx, nz;
    };
    const Side sides[4] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
    for (const Side& s : sides) {
        std::vector<std::pair<int, int>> rows; // the side's two ends, bottom up
        for (int k = -1; k <= steps; ++k) {
            const double t = k < 0 ? 0 : kPi / 2 * k / steps;
            const double in = rim * (1 - std::cos(t)), y = k < 0 ? -h : -rim + rim * std::sin(t);
            const Vec3 n = Normalized({s.nx * std::cos(t), std::sin(t), s.nz * std::cos(t)});
            const double x0 = in, x1 = w - in, z0 = -d + in, z1 = -in;
            // Ends of the side, along it: the corners of the shrunk rectangle.
            Vec3 a, b;
            if (s.nz > 0)
                a = {x0, y, z1}, b = {x1, y, z1};
            else if (s.nx > 0)
                a = {x1, y, z1}, b = {x1, y, z0};
            else if (s.nz < 0)
                a = {x1, y, z0}, b = {x0, y, z0};
            else
                a = {x0, y, z0}, b = {x0, y, z1};
            const double along = s.nz != 0 ? w : d, v = 1 - (k + 1.0) / (steps + 1);
            rows.push_back({m.AddVertex({a, n, 0, v}), m.AddVertex({b, n, along / 100, v})});
        }
        for (size_t r = 0; r + 1 < rows.size(); ++r) {
            const int material = r == 0 ? edge : itop;
            AddFacing(m, rows[r].first, rows[r].second, rows[r + 1].second, material);
            AddFacing(m, rows[r].first, rows[r + 1].second, rows[r + 1].first, material);
        }
    }
    m.AddQuad({0, -h, -d}, {w, -h, -d}, {w, -h, 0}, {0, -h, 0}, edge);
    return m;
}

Mesh Leg() {
    Mesh m("Nozhka");
    const int metal = m.AddMaterial(Mat("LegMetal", 0.30, 0.30, 0.33, 0.6));
    const int foot = m.AddMaterial(Mat("LegFoot", 0.08, 0.08, 0.08));
    m.AddBox({-2, -62, -2}, {2, 2, 2}, metal);
    m.AddBox({-2.5, -64, -2.5}, {2.5, -62, 2.5}, foot);
    return m;
}

Mesh Border() {
    // A long wooden ruler standing on its edge.
    Mesh m("Border1");
    const int wood = m.AddMaterial(Mat("RulerWood", 0.86, 0.74, 0.44));
    const int ink = m.AddMaterial(Mat("RulerInk", 0.10, 0.10, 0.10));
    m.AddBox({-100, 0, -4.95}, {0, 20, -0.05}, wood);
    // Centimetre ticks on both faces, just off the surface.
    for (int k = 1; k < 20; ++k) {
        const double x = -100 + 5 * k, h = k % 2 == 0 ? 6 : 3.5;
        m.AddQuad({x - 0.3, 20 - h, 0}, {x + 0.3, 20 - h, 0}, {x + 0.3, 19.5, 0},
                  {x - 0.3, 19.5, 0}, ink);
        m.AddQuad({x + 0.3, 20 - h, -5}, {x - 0.3, 20 - h, -5}, {x - 0.3, 19.5, -5},
                  {x + 0.3, 19.5, -5}, ink);
    }
    return m;
}

Mesh Pipa() {
    Mesh m("Pipa");
    const int body = m.AddMaterial(Mat("PipaBody", 0.55, 0.33, 0.78, 0.4));
    const int band = m.AddMaterial(Mat("PipaBand", 0.95, 0.85, 0.25, 0.4));
    m.AddFrustum({0, 0, 0}, {0, 14, 0}, 10, 10, 32, true, false, body);
    m.AddFrustum({0, 14, 0}, {0, 17, 0}, 10, 10, 32, false, false, band);
    m.AddFrustum({0, 17, 0}, {0, 20, 0}, 10, 9, 32, false, true, body);
    return m;
}

// The modern ruler: its top edges rounded, the same box and ticks.
Mesh ModernBorder() {
    Mesh m("Border1");
    const int wood = m.AddMaterial(Mat("RulerWood", 0.86, 0.74, 0.44));
    const int ink = m.AddMaterial(Mat("RulerInk", 0.10, 0.10, 0.10));
    const double zf = -0.05, zb = -4.95, rim = 1.0, top = 20;
    std::vector<ProfilePoint> section = {{zf, 0, true}};
    AppendRound(section, zf - rim, top - rim, rim, 0, 90, 6);
    AppendRound(section, zb + rim, top - rim, rim, 90, 180, 6);
    section.push_back({zb, 0, true});
    AddExtrusion(m, section, -100, 0, wood);
    for (int k = 1; k < 20; ++k) {
        const double x = -100 + 5 * k, h = k % 2 == 0 ? 6 : 3.5, y1 = top - rim;
        m.AddQuad({x - 0.3, 20 - h, 0}, {x + 0.3, 20 - h, 0}, {x + 0.3, y1, 0}, {x - 0.3, y1, 0},
                  ink);
        m.AddQuad({x + 0.3, 20 - h, -5}, {x - 0.3, 20 - h, -5}, {x - 0.3, y1, -5},
                  {x + 0.3, y1, -5}, ink);
    }
    return m;
}

// The modern obstacle: a turned metal post, its foot and top rounded.
Mesh ModernPipa() {
    Mesh m("Pipa");
    const int body = m.AddMaterial(Mat("PipaBody", 0.55, 0.33, 0.78, 0.4));
    const int band = m.AddMaterial(Mat("PipaBand", 0.95, 0.85, 0.25, 0.4));
    const int seg = 96;
    std::vector<ProfilePoint> foot = {{0, 0}};
    AppendRound(foot, 9.6, 0.4, 0.4, -90, 0, 2);
    foot.push_back({10, 14});
    AddLathe(m, foot, seg, body);
    AddLathe(m, {{10, 14}, {10, 17}}, seg, band);
    std::vector<ProfilePoint> head = {{10, 17}};
    AppendRound(head, 8.5, 18.5, 1.5, 0, 90, 5);
    head.push_back({0, 20});
    AddLathe(m, head, seg, body);
    return m;
}

Mesh Pot() {
    // Upside down: the open rim rests at y = 0, the pot's bottom is on top.
    Mesh m("Pot");
    const int clay = m.AddMaterial(Mat("Clay", 0.78, 0.36, 0.20));
    const int inner = m.AddMaterial(Mat("ClayInside", 0.45, 0.22, 0.12));
    const int seg = 32;
    m.AddFrustum({0, 0, 0}, {0, 4, 0}, 16, 16, seg, false, false, clay);
    AddAnnulus(m, 4, 15, 16, true, seg, clay);
    m.AddFrustum({0, 4, 0}, {0, 22, 0}, 15, 10.5, seg, false, true, clay);
    AddAnnulus(m, 0, 14.5, 16, false, seg, inner);
    m.AddFrustum({0, 0, 0}, {0, 20, 0}, 14.5, 9.5, seg, false, true, inner, true);
    return m;
}

Mesh Ball() {
    Mesh m("Ball");
    const int mat = m.AddMaterial(Mat("BallCyan", 0.10, 0.90, 1.00, 0.6));
    m.AddEllipsoid({0, 0, 0}, {5, 5, 5}, 16, 10, mat);
    return m;
}

Mesh Arrow() {
    Mesh m("Point");
    const int mat = m.AddMaterial(Mat("ArrowYellow", 1.00, 0.85, 0.10, 0.3, 0.3));
    // Points along +z: in (x, w) coordinates w = -z.
    AddPrism(m, {{-3, 0}, {-3, -75}, {3, -75}, {3, 0}}, 0, 2, mat, false);
    AddPrism(m, {{-12, -75}, {0, -100}, {12, -75}}, 0, 2, mat, false);
    return m;
}

Mesh CenterPoint() {
    Mesh m("CenterPoint");
    const int mat = m.AddMaterial(Mat("CenterWhite", 0.95, 0.95, 0.95));
    m.AddEllipsoid({0, 0, 0}, {0.5, 0.5, 0.5}, 8, 6, mat);
    return m;
}

Mesh Lamp() {
    Mesh m("Lamp");
    const int cord = m.AddMaterial(Mat("Cord", 0.10, 0.10, 0.10));
    const int shade = m.AddMaterial(Mat("ShadeGreen", 0.12, 0.42, 0.22, 0.5));
    const int inside = m.AddMaterial(Mat("ShadeInside", 0.90, 0.90, 0.80));
    const int bulb = m.AddMaterial(Mat("Bulb", 1.00, 0.95, 0.70, 0.0, 1.0));
    m.AddFrustum({0, 0, 0}, {0, -40, 0}, 0.6, 0.6, 8, true, false, cord);
    m.AddFrustum({0, -37, 0}, {0, -42, 0}, 4, 4, 16, true, false, shade);
    m.AddFrustum({0, -40, 0}, {0, -62, 0}, 3, 24, 32, false, false, shade);
    m.AddFrustum({0, -40, 0}, {0, -62, 0}, 3, 24, 32, false, false, inside, true);
    m.AddEllipsoid({0, -52, 0}, {6, 7, 6}, 16, 10, bulb);
    return m;
}

Mesh Swin() {
    // A pink pig on the wall, side-on to the room; it stays in front of z = 0.
    Mesh m("Swin");
    const int pink = m.AddMaterial(Mat("Pink", 1.00, 0.62, 0.70, 0.3));
    const int snout = m.AddMaterial(Mat("SnoutPink", 0.93, 0.44, 0.55, 0.3));
    const int dark = m.AddMaterial(Mat("Dark", 0.08, 0.05, 0.05, 0.5));
    const double zc = -20;
    m.AddEllipsoid({0, 0, zc}, {38, 24, 20}, 24, 14, pink);
    m.AddEllipsoid({40, 6, zc}, {16, 16, 15}, 20, 12, pink);
    m.AddFrustum({52, 3, zc}, {60, 3, zc}, 7, 7, 20, false, true, snout);
    m.AddEllipsoid({60.2, 3, zc - 2.5}, {0.8, 1.8, 1.2}, 8, 6, dark);
    m.AddEllipsoid({60.2, 3, zc + 2.5}, {0.8, 1.8, 1.2}, 8, 6, dark);
    m.AddEllipsoid({52, 13, zc - 7}, {2.2, 2.2, 2.2}, 8, 6, dark);
    m.AddEllipsoid({52, 13, zc + 7}, {2.2, 2.2, 2.2}, 8, 6, dark);
    m.AddFrustum({38, 17, zc - 8}, {34, 31, zc - 11}, 5, 0.01, 12, true, false, snout);
    m.AddFrustum({38, 17, zc + 8}, {34, 31, zc + 11}, 5, 0.01, 12, true, false, snout);
    for (double x : {-22.0, 22.0})
        for (double dz : {-10.0, 10.0}) {
            m.AddFrustum({x, -12, zc + dz}, {x, -34, zc + dz}, 5.5, 5, 12, false, false, pink);
            m.AddFrustum({x, -34, zc + dz}, {x, -38, zc + dz}, 5, 5, 12, false, true, dark);
        }
    // A curly tail.
    for (int i = 0; i <= 10; ++i) {
        const double a = 0.8 * i, r = 4.0 - 0.2 * i;
        m.AddEllipsoid({-41 - r * std::cos(a), 8 + r * std::sin(a), zc + 0.3 * i}, {1.6, 1.6, 1.6},
                       6, 4, pink);
    }
    return m;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_meshes <gamedata dir>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/mesh";
    if (!MakeDirs(dir + "/modern")) {
        std::fprintf(stderr, "gen_meshes: cannot create %s\n", dir.c_str());
        return 1;
    }
    struct Item {
        std::string file;
        Mesh mesh;
    };
    std::vector<Item> items;
    items.push_back({"goblatable.x", Table()});
    items.push_back({"nozhka.x", Leg()});
    for (int model = 0; model < 4; ++model) {
        items.push_back({"gobla" + std::to_string(model) + ".x", Piece(model, false, false)});
        items.push_back({"gobla" + std::to_string(model) + "_gray.x", Piece(model, true, false)});
    }
    items.push_back({"border1.x", Border()});
    items.push_back({"pipa.x", Pipa()});
    items.push_back({"pot.x", Pot()});
    items.push_back({"ball.x", Ball()});
    items.push_back({"point.x", Arrow()});
    items.push_back({"centerpoint.x", CenterPoint()});
    items.push_back({"lamp.x", Lamp()});
    items.push_back({"swin.x", Swin()});
    // The modern look's own meshes; the scene takes the classic file for any
    // name not here.
    for (int model = 0; model < 4; ++model) {
        items.push_back({"modern/gobla" + std::to_string(model) + ".x", Piece(model, false, true)});
        items.push_back(
            {"modern/gobla" + std::to_string(model) + "_gray.x", Piece(model, true, true)});
    }
    items.push_back({"modern/goblatable.x", ModernTable()});
    items.push_back({"modern/border1.x", ModernBorder()});
    items.push_back({"modern/pipa.x", ModernPipa()});
    int rc = 0;
    for (const Item& it : items) {
        if (it.mesh.Vertices().empty() || !it.mesh.WriteX(dir + "/" + it.file)) {
            std::fprintf(stderr, "gen_meshes: cannot write %s\n", it.file.c_str());
            rc = 1;
        }
    }
    return rc;
}
