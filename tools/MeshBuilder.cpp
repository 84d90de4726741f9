#include "MeshBuilder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kv::tools {

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalized(Vec3 a) {
    const double l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0 / l) : Vec3{0, 1, 0};
}

namespace {

constexpr double kPi = 3.14159265358979323846;

// Fixed precision keeps the files byte-identical between runs; -0 is folded
// into 0 so that a sign bit never shows up as a diff.
std::string Num(double v) {
    if (std::fabs(v) < 0.00005) v = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

// Any vector perpendicular to a unit axis.
Vec3 Perpendicular(Vec3 axis) {
    const Vec3 t = std::fabs(axis.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    return Normalized(Cross(axis, t));
}

} // namespace

int Mesh::AddMaterial(const Material& m) {
    mats_.push_back(m);
    return static_cast<int>(mats_.size()) - 1;
}

int Mesh::AddVertex(const Vertex& v) {
    verts_.push_back(v);
    return static_cast<int>(verts_.size()) - 1;
}

void Mesh::AddTriangle(int a, int b, int c, int material) {
    tris_.push_back({a, b, c});
    triMat_.push_back(material);
}

void Mesh::AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, int material) {
    const Vec3 n = Normalized(Cross(b - a, c - a));
    const int ia = AddVertex({a, n, 0, 0});
    const int ib = AddVertex({b, n, 1, 0});
    const int ic = AddVertex({c, n, 0, 1});
    AddTriangle(ia, ib, ic, material);
}

void Mesh::AddQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material) {
    const Vec3 n = Normalized(Cross(b - a, c - a));
    const int ia = AddVertex({a, n, 0, 1});
    const int ib = AddVertex({b, n, 1, 1});
    const int ic = AddVertex({c, n, 1, 0});
    const int id = AddVertex({d, n, 0, 0});
    AddTriangle(ia, ib, ic, material);
    AddTriangle(ia, ic, id, material);
}

void Mesh::AddBox(Vec3 lo, Vec3 hi, int material) {
    const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    AddQuad({x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}, material); // top
    AddQuad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, material); // bottom
    AddQuad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, material); // +z
    AddQuad({x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, material); // -z
    AddQuad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, material); // +x
    AddQuad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, material); // -x
}

void Mesh::AddFrustum(Vec3 p0, Vec3 p1, double r0, double r1, int segments, bool cap0, bool cap1,
                      int material, bool inward) {
    const Vec3 axis = Normalized(p1 - p0);
    const double len = std::sqrt(Dot(p1 - p0, p1 - p0));
    const Vec3 e1 = Perpendicular(axis);
    const Vec3 e2 = Cross(axis, e1);
    // Side normals lean along the axis by the slope of the side.
    const double slope = (r0 - r1) / len;
    std::vector<int> ring0, ring1;
    for (int i = 0; i <= segments; ++i) {
        const double a = 2 * kPi * i / segments;
        const Vec3 radial = e1 * std::cos(a) + e2 * std::sin(a);
        Vec3 n = Normalized(radial + axis * slope);
        if (inward) n = n * -1.0;
        const double u = static_cast<double>(i) / segments;
        ring0.push_back(AddVertex({p0 + radial * r0, n, u, 1}));
        ring1.push_back(AddVertex({p1 + radial * r1, n, u, 0}));
    }
    for (int i = 0; i < segments; ++i) {
        if (inward) {
            AddTriangle(ring0[i], ring1[i], ring1[i + 1], material);
            AddTriangle(ring0[i], ring1[i + 1], ring0[i + 1], material);
        } else {
            AddTriangle(ring0[i], ring0[i + 1], ring1[i + 1], material);
            AddTriangle(ring0[i], ring1[i + 1], ring1[i], material);
        }
    }
    auto cap = [&](Vec3 c, double r, Vec3 n) {
        if (r <= 0) return;
        const int ic = AddVertex({c, n, 0.5, 0.5});
        std::vector<int> ring;
        for (int i = 0; i <= segments; ++i) {
            const double a = 2 * kPi * i / segments;
            const Vec3 radial = e1 * std::cos(a) + e2 * std::sin(a);
            ring.push_back(
                AddVertex({c + radial * r, n, 0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a)}));
        }
        const bool forward = Dot(n, axis) > 0;
        for (int i = 0; i < segments; ++i) {
            if (forward)
                AddTriangle(ic, ring[i], ring[i + 1], material);
            else
                AddTriangle(ic, ring[i + 1], ring[i], material);
        }
    };
    if (cap0) cap(p0, r0, axis * (inward ? 1.0 : -1.0));
    if (cap1) cap(p1, r1, axis * (inward ? -1.0 : 1.0));
}

void Mesh::AddEllipsoid(Vec3 c, Vec3 radii, int slices, int stacks, int material) {
    std::vector<int> idx;
    for (int s = 0; s <= stacks; ++s) {
        const double th = kPi * s / stacks; // from the top down
        for (int i = 0; i <= slices; ++i) {
            const double ph = 2 * kPi * i / slices;
            const Vec3 unit{std::sin(th) * std::cos(ph), std::cos(th),
                            -std::sin(th) * std::sin(ph)};
            const Vec3 p{c.x + radii.x * unit.x, c.y + radii.y * unit.y, c.z + radii.z * unit.z};
            const Vec3 n = Normalized({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
            idx.push_back(AddVertex(
                {p, n, static_cast<double>(i) / slices, static_cast<double>(s) / stacks}));
        }
    }
    const int row = slices + 1;
    for (int s = 0; s < stacks; ++s) {
        for (int i = 0; i < slices; ++i) {
            const int a = idx[s * row + i], b = idx[s * row + i + 1];
            const int d = idx[(s + 1) * row + i], e = idx[(s + 1) * row + i + 1];
            if (s != 0) AddTriangle(a, d, b, material);
            if (s != stacks - 1) AddTriangle(b, d, e, material);
        }
    }
}

std::string Mesh::ToX() const {
    std::string o;
    auto line = [&o](const std::string& s) {
        o += s;
        o += '\n';
    };
    line("xof 0303txt 0032");
    line("");
    line("Frame " + name_ + " {");
    line(" FrameTransformMatrix {");
    line("  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;");
    line(" }");
    line(" Mesh " + name_ + "Mesh {");
    const size_t nv = verts_.size(), nf = tris_.size();
    // Mirror z (left-handed file space) and reverse the winding.
    line("  " + std::to_string(nv) + ";");
    for (size_t i = 0; i < nv; ++i) {
        const Vec3& p = verts_[i].pos;
        line("  " + Num(p.x) + ";" + Num(p.y) + ";" + Num(-p.z) + ";" + (i + 1 < nv ? "," : ";"));
    }
    auto faces = [&](const std::string& indent) {
        line(indent + std::to_string(nf) + ";");
        for (size_t i = 0; i < nf; ++i) {
            const auto& t = tris_[i];
            line(indent + "3;" + std::to_string(t[0]) + "," + std::to_string(t[2]) + "," +
                 std::to_string(t[1]) + ";" + (i + 1 < nf ? "," : ";"));
        }
    };
    faces("  ");
    line("  MeshNormals {");
    line("   " + std::to_string(nv) + ";");
    for (size_t i = 0; i < nv; ++i) {
        const Vec3& n = verts_[i].normal;
        line("   " + Num(n.x) + ";" + Num(n.y) + ";" + Num(-n.z) + ";" + (i + 1 < nv ? "," : ";"));
    }
    faces("   ");
    line("  }");
    line("  MeshTextureCoords {");
    line("   " + std::to_string(nv) + ";");
    for (size_t i = 0; i < nv; ++i) {
        // The loader turns v upside down again.
        line("   " + Num(verts_[i].u) + ";" + Num(1.0 - verts_[i].v) + ";" +
             (i + 1 < nv ? "," : ";"));
    }
    line("  }");
    line("  MeshMaterialList {");
    line("   " + std::to_string(mats_.size()) + ";");
    line("   " + std::to_string(nf) + ";");
    for (size_t i = 0; i < nf; ++i)
        line("   " + std::to_string(triMat_[i]) + (i + 1 < nf ? "," : ";"));
    for (const Material& m : mats_) {
        line("   Material " + m.name + " {");
        line("    " + Num(m.r) + ";" + Num(m.g) + ";" + Num(m.b) + ";1.0000;;");
        line("    " + Num(m.power) + ";");
        line("    " + Num(m.specular) + ";" + Num(m.specular) + ";" + Num(m.specular) + ";;");
        line("    " + Num(m.emissive * m.r) + ";" + Num(m.emissive * m.g) + ";" +
             Num(m.emissive * m.b) + ";;");
        if (!m.texture.empty()) {
            line("    TextureFilename {");
            line("     \"" + m.texture + "\";");
            line("    }");
        }
        line("   }");
    }
    line("  }");
    line(" }");
    line("}");
    return o;
}

bool Mesh::WriteX(const std::string& path) const {
    return WriteFileBytes(path, ToX());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

bool MakeDirs(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

void PutU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

} // namespace kv::tools
