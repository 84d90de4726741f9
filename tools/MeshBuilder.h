// Triangle meshes built in the game's right-handed, y-up space and written as
// DirectX .x text files. The loader mirrors z and reverses the winding, so the
// writer does the opposite and the imported mesh matches what was built here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::tools {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
Vec3 Cross(Vec3 a, Vec3 b);
double Dot(Vec3 a, Vec3 b);
Vec3 Normalized(Vec3 a);

struct Material {
    std::string name;
    double r = 1, g = 1, b = 1;
    double power = 10;
    double specular = 0.2;
    double emissive = 0;
    std::string texture; // empty: no texture
};

struct Vertex {
    Vec3 pos, normal;
    double u = 0, v = 0;
};

class Mesh {
public:
    explicit Mesh(std::string name) : name_(std::move(name)) {}

    int AddMaterial(const Material& m);
    int AddVertex(const Vertex& v);
    // Counter-clockwise seen from the side the normals face.
    void AddTriangle(int a, int b, int c, int material);
    // Flat triangle, normal from its winding.
    void AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, int material);
    // Flat quad a-b-c-d, counter-clockwise from outside, with UVs (0,0)..(1,1).
    void AddQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material);
    // Axis-aligned box, faces outwards.
    void AddBox(Vec3 lo, Vec3 hi, int material);
    // Frustum between two points with radii r0 (at p0) and r1 (at p1), smooth
    // sides, optional flat caps.
    void AddFrustum(Vec3 p0, Vec3 p1, double r0, double r1, int segments, bool cap0, bool cap1,
                    int material, bool inward = false);
    // Ellipsoid with semi-axes along x, y, z.
    void AddEllipsoid(Vec3 c, Vec3 radii, int slices, int stacks, int material);

    const std::vector<Vertex>& Vertices() const { return verts_; }
    std::string ToX() const;
    bool WriteX(const std::string& path) const;

private:
    std::string name_;
    std::vector<Material> mats_;
    std::vector<Vertex> verts_;
    std::vector<std::array<int, 3>> tris_;
    std::vector<int> triMat_;
};

// Writes bytes to a file, creating nothing else; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// Little-endian fields of the binary formats (BMP, WAVE).
void PutU16(std::string& out, uint32_t v);
void PutU32(std::string& out, uint32_t v);
// Creates the directory and its parents.
bool MakeDirs(const std::string& path);

} // namespace kv::tools
