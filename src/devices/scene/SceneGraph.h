// A small retained-mode scene: frames with position, orientation and children,
// meshes with scale, lights, one camera frame. CPU side only; SceneRenderer
// draws it with OpenGL.
#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace kv::scene {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(double s, Vec3 a) {
    return {s * a.x, s * a.y, s * a.z};
}
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalized(Vec3 a);

// 3x3 rotation, m[row][col], applied to column vectors.
struct Mat3 {
    std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec3 operator*(Vec3 v) const;
    Mat3 operator*(const Mat3& o) const;
    Vec3 Column(int c) const { return {m[0][c], m[1][c], m[2][c]}; }
};
// R_y(t) = [[cos t, 0, sin t], [0, 1, 0], [-sin t, 0, cos t]].
Mat3 RotationY(double t);

struct Colour {
    float r = 1, g = 1, b = 1, a = 1;
};

// Pixels kept top row first (QImage order), RGBA.
struct Texture {
    QImage image;
    bool linear = true; // filtering: linear on the hardware device, nearest on the software one
    std::uint64_t serial = 0;
};

// One material's triangles. Vertex data is in the mesh's own units.
struct MeshPart {
    std::vector<float> positions; // xyz per vertex
    std::vector<float> normals;   // xyz per vertex
    std::vector<float> uvs;       // uv per vertex (empty when the part has none)
    std::vector<std::uint32_t> indices;
    Colour diffuse;
    std::shared_ptr<Texture> texture;
};

struct Box {
    Vec3 min, max;
    bool empty = true;
};

// Geometry shared by every mesh loaded from the same file.
struct MeshData {
    std::vector<MeshPart> parts;
    std::uint64_t serial = 0; // identifies the GPU copy; changes with every new MeshData
    // Computed once: fill the parts before the first call.
    Box Bounds() const;
    size_t TriangleCount() const;

private:
    mutable std::optional<Box> bounds_;
};
std::uint64_t NextSerial();

// A flat wrap: u = su * ((p - origin) . uAxis), v = sv * ((p - origin) . vAxis).
// With perFace set, each face takes the two axes of its own dominant plane, so
// one wrap serves the four walls of a room.
struct FlatWrap {
    Vec3 origin;
    Vec3 uAxis{1, 0, 0};
    Vec3 vAxis{0, 0, -1};
    double su = 1, sv = 1;
    bool perFace = false;
};

// What a surface is made of, for the modern look; the classic look draws every
// material alike.
enum class Material { Painted, TableWood, RailWood, Metal, Room, Lamp };

// A visual: shared geometry, a scale, and an optional texture of its own.
class Mesh {
public:
    explicit Mesh(std::shared_ptr<const MeshData> data = {});
    const std::shared_ptr<const MeshData>& Data() const { return data_; }
    void SetScale(Vec3 s) { scale_ = s; }
    Vec3 Scale() const { return scale_; }
    // Gives this mesh its own copy of the geometry with texture coordinates from the wrap.
    void ApplyWrap(const FlatWrap& wrap);
    // Replaces the texture of every part.
    void SetTexture(std::shared_ptr<Texture> tex);
    Box Bounds() const; // in the mesh's own units, before scale
    // The modern look's extras: the player's colour over the model's, the material.
    Colour tint;
    Material material = Material::Painted;

private:
    std::shared_ptr<const MeshData> data_;
    Vec3 scale_{1, 1, 1};
};

struct Light {
    enum class Type { Ambient, Point } type = Type::Ambient;
    Colour colour;
};

class Frame {
public:
    Frame() = default;
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    void AddChild(const std::shared_ptr<Frame>& child);
    void RemoveChild(const Frame* child);
    Frame* Parent() const { return parent_; }
    const std::vector<std::shared_ptr<Frame>>& Children() const { return children_; }

    // Position and orientation are relative to the parent.
    void SetPosition(Vec3 p) { position_ = p; }
    Vec3 Position() const { return position_; }
    // Replaces the orientation by a rotation about (0, 1, 0).
    void SetRotationY(double angle) { rotation_ = RotationY(angle); }
    void SetRotation(const Mat3& r) { rotation_ = r; }
    const Mat3& Rotation() const { return rotation_; }
    // Turns the frame so that its local +z points at the other frame's origin,
    // local +x along the screen's right as the name labels see it.
    void LookAt(const Frame& target);

    Vec3 WorldPosition() const;
    Mat3 WorldRotation() const;

    void AddVisual(const std::shared_ptr<Mesh>& mesh);
    void DeleteVisual(const Mesh* mesh);
    const std::vector<std::shared_ptr<Mesh>>& Visuals() const { return visuals_; }
    void AddLight(const std::shared_ptr<Light>& light);
    void DeleteLight(const Light* light);
    const std::vector<std::shared_ptr<Light>>& Lights() const { return lights_; }

private:
    Frame* parent_ = nullptr;
    std::vector<std::shared_ptr<Frame>> children_;
    Vec3 position_;
    Mat3 rotation_;
    std::vector<std::shared_ptr<Mesh>> visuals_;
    std::vector<std::shared_ptr<Light>> lights_;
};

// The camera basis of the name labels: right U = (D.z, 0, -D.x) (or (0, 0, 1)
// straight down or up), up S = D x U, forward D; all unit length.
struct CameraBasis {
    Vec3 right, up, forward;
};
CameraBasis LabelBasis(Vec3 forward);

struct Viewport {
    int width = 640, height = 480;
    bool squarePixels = false; // the modern look's projection; see PictureFocal
    double frontClip = 0.5;
    double backClip = 2000;
};

// Perspective with the picture's focal lengths, the same as the name labels'
// and the mouse's (PictureFocal).
struct Projection {
    // Screen pixel (origin top left) of a world point; false behind the camera.
    static bool Project(const Frame& camera, const Viewport& vp, Vec3 world, double& sx,
                        double& sy);
    // Column-major 4x4 view-projection for OpenGL.
    static std::array<float, 16> ViewProj(const Frame& camera, const Viewport& vp);
};

// A soft mark on the table drawn by the modern look: the dark contact shadow
// under a piece or an obstacle, or the ring under the piece whose turn it is.
struct Decal {
    enum class Kind { Shadow, Ring } kind = Kind::Shadow;
    Vec3 centre;
    double radius = 1;
    Colour colour{0, 0, 0, 1};
};

struct Scene {
    std::shared_ptr<Frame> root = std::make_shared<Frame>();
    std::shared_ptr<Frame> camera; // a child of root
    Viewport viewport;
    Colour background{0, 0, 0, 1};
    std::vector<Decal> decals;
};

// The serials of the meshes and textures a frame and its children show: what a
// renderer keeps uploaded, the rest it may forget.
void InUse(const Frame& f, std::unordered_set<std::uint64_t>& meshes,
           std::unordered_set<std::uint64_t>& textures);

} // namespace kv::scene
