#include "devices/scene/SceneGraph.h"

#include "state/Picture.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace kv::scene {

double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
Vec3 Normalized(Vec3 a) {
    const double l = Length(a);
    return l > 0 ? (1.0 / l) * a : a;
}

Vec3 Mat3::operator*(Vec3 v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}
Mat3 Mat3::operator*(const Mat3& o) const {
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

Mat3 RotationY(double t) {
    const double c = std::cos(t), s = std::sin(t);
    Mat3 r;
    r.m = {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    return r;
}

std::uint64_t NextSerial() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

Box MeshData::Bounds() const {
    if (bounds_) return *bounds_;
    Box& b = bounds_.emplace();
    for (const MeshPart& p : parts)
        for (size_t i = 0; i + 2 < p.positions.size(); i += 3) {
            const Vec3 v{p.positions[i], p.positions[i + 1], p.positions[i + 2]};
            if (b.empty) {
                b.min = b.max = v;
                b.empty = false;
                continue;
            }
            b.min = {std::min(b.min.x, v.x), std::min(b.min.y, v.y), std::min(b.min.z, v.z)};
            b.max = {std::max(b.max.x, v.x), std::max(b.max.y, v.y), std::max(b.max.z, v.z)};
        }
    return b;
}

size_t MeshData::TriangleCount() const {
    size_t n = 0;
    for (const MeshPart& p : parts)
        n += p.indices.size() / 3;
    return n;
}

Mesh::Mesh(std::shared_ptr<const MeshData> data) : data_(std::move(data)) {}

void Mesh::ApplyWrap(const FlatWrap& w) {
    if (!data_) return;
    auto copy = std::make_shared<MeshData>(*data_);
    copy->serial = NextSerial();
    for (MeshPart& p : copy->parts) {
        const size_t nv = p.positions.size() / 3;
        p.uvs.assign(nv * 2, 0.f);
        auto vertex = [&](size_t i) {
            return Vec3{p.positions[3 * i], p.positions[3 * i + 1], p.positions[3 * i + 2]};
        };
        auto put = [&](size_t i, Vec3 ua, Vec3 va) {
            const Vec3 d = vertex(i) - w.origin;
            p.uvs[2 * i] = static_cast<float>(w.su * Dot(d, ua));
            p.uvs[2 * i + 1] = static_cast<float>(w.sv * Dot(d, va));
        };
        if (!w.perFace) {
            for (size_t i = 0; i < nv; ++i)
                put(i, w.uAxis, w.vAxis);
            continue;
        }
        // Each face in its own plane: vertices shared across planes are split.
        std::vector<float> pos, nor, uv;
        std::vector<std::uint32_t> idx;
        for (size_t f = 0; f + 2 < p.indices.size(); f += 3) {
            const Vec3 a = vertex(p.indices[f]), b = vertex(p.indices[f + 1]),
                       c = vertex(p.indices[f + 2]);
            // The side the face is seen from: its stored normal, else its winding.
            Vec3 n = Cross(b - a, c - a);
            if (p.normals.size() == p.positions.size()) {
                const std::uint32_t i0 = p.indices[f];
                n = {p.normals[3 * i0], p.normals[3 * i0 + 1], p.normals[3 * i0 + 2]};
            }
            Vec3 ua{1, 0, 0}, va{0, 0, -1};
            if (std::fabs(n.y) < std::fabs(n.x) || std::fabs(n.y) < std::fabs(n.z)) {
                // Upright: u runs to the right of someone facing the face, as
                // the camera's right is (D.z, 0, -D.x) for a view direction D = -n.
                ua = Normalized({-n.z, 0, n.x});
                va = {0, 1, 0};
            }
            for (int k = 0; k < 3; ++k) {
                const std::uint32_t vi = p.indices[f + k];
                const Vec3 d = vertex(vi) - w.origin;
                for (int j = 0; j < 3; ++j) {
                    pos.push_back(p.positions[3 * vi + j]);
                    nor.push_back(vi * 3 + j < p.normals.size() ? p.normals[3 * vi + j] : 0.f);
                }
                uv.push_back(static_cast<float>(w.su * Dot(d, ua)));
                uv.push_back(static_cast<float>(w.sv * Dot(d, va)));
                idx.push_back(static_cast<std::uint32_t>(idx.size()));
            }
        }
        p.positions = std::move(pos);
        p.normals = std::move(nor);
        p.uvs = std::move(uv);
        p.indices = std::move(idx);
    }
    data_ = std::move(copy);
}

void Mesh::SetTexture(std::shared_ptr<Texture> tex) {
    if (!data_) return;
    auto copy = std::make_shared<MeshData>(*data_);
    for (MeshPart& p : copy->parts)
        p.texture = tex;
    // Same geometry: the GPU copy can stay.
    data_ = std::move(copy);
}

Box Mesh::Bounds() const {
    return data_ ? data_->Bounds() : Box{};
}

Frame::~Frame() {
    // Children kept alive elsewhere must not point back at a dead frame.
    for (const auto& c : children_)
        c->parent_ = nullptr;
}

void Frame::AddChild(const std::shared_ptr<Frame>& child) {
    if (!child || child.get() == this) return;
    if (child->parent_) child->parent_->RemoveChild(child.get());
    child->parent_ = this;
    children_.push_back(child);
}

void Frame::RemoveChild(const Frame* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const std::shared_ptr<Frame>& c) { return c.get() == child; });
    if (it == children_.end()) return;
    (*it)->parent_ = nullptr;
    children_.erase(it);
}

Vec3 Frame::WorldPosition() const {
    if (!parent_) return position_;
    return parent_->WorldPosition() + parent_->WorldRotation() * position_;
}

Mat3 Frame::WorldRotation() const {
    return parent_ ? parent_->WorldRotation() * rotation_ : rotation_;
}

CameraBasis LabelBasis(Vec3 d) {
    CameraBasis b;
    b.forward = Normalized(d);
    Vec3 u{d.z, 0, -d.x};
    if (d.x == 0 && d.z == 0) u = {0, 0, 1};
    b.up = Normalized(Cross(d, u));
    b.right = Normalized(u);
    return b;
}

void Frame::LookAt(const Frame& target) {
    const Vec3 d = target.WorldPosition() - WorldPosition();
    if (Length(d) == 0) return;
    const CameraBasis b = LabelBasis(d);
    Mat3 world;
    world.m = {{{b.right.x, b.up.x, b.forward.x},
                {b.right.y, b.up.y, b.forward.y},
                {b.right.z, b.up.z, b.forward.z}}};
    if (parent_) {
        // Local = parent^T * world.
        const Mat3 p = parent_->WorldRotation();
        Mat3 pt;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                pt.m[i][j] = p.m[j][i];
        world = pt * world;
    }
    rotation_ = world;
}

void Frame::AddVisual(const std::shared_ptr<Mesh>& mesh) {
    if (!mesh) return;
    if (std::find(visuals_.begin(), visuals_.end(), mesh) == visuals_.end())
        visuals_.push_back(mesh);
}

void Frame::DeleteVisual(const Mesh* mesh) {
    visuals_.erase(std::remove_if(visuals_.begin(), visuals_.end(),
                                  [&](const std::shared_ptr<Mesh>& v) { return v.get() == mesh; }),
                   visuals_.end());
}

void Frame::AddLight(const std::shared_ptr<Light>& light) {
    if (!light) return;
    if (std::find(lights_.begin(), lights_.end(), light) == lights_.end()) lights_.push_back(light);
}

void Frame::DeleteLight(const Light* light) {
    lights_.erase(std::remove_if(lights_.begin(), lights_.end(),
                                 [&](const std::shared_ptr<Light>& l) { return l.get() == light; }),
                  lights_.end());
}

namespace {
struct CamSpace {
    Vec3 eye;
    CameraBasis b;
};
CamSpace CameraOf(const Frame& camera) {
    const Mat3 r = camera.WorldRotation();
    return {camera.WorldPosition(), {r.Column(0), r.Column(1), r.Column(2)}};
}
// The projection's scales, 2 f / size, the classic one in its old form.
double HorizontalScale(const Viewport& vp) {
    if (!vp.squarePixels) return 2.0;
    return 2 * PictureFocal(true, vp.width, vp.height).x / vp.width;
}
double VerticalScale(const Viewport& vp) {
    const double w = vp.width, h = vp.height;
    if (vp.squarePixels) return 2 * PictureFocal(true, w, h).y / h;
    return 3.0 * w * w / (2.0 * h * h);
}
} // namespace

bool Projection::Project(const Frame& camera, const Viewport& vp, Vec3 world, double& sx,
                         double& sy) {
    const CamSpace c = CameraOf(camera);
    const Vec3 v = world - c.eye;
    const double depth = Dot(c.b.forward, v);
    if (depth <= 0) return false;
    const double w = vp.width, h = vp.height;
    const Focal f = PictureFocal(vp.squarePixels, w, h);
    sx = w / 2 + f.x * Dot(c.b.right, v) / depth;
    sy = h / 2 - f.y * Dot(c.b.up, v) / depth;
    return true;
}

std::array<float, 16> Projection::ViewProj(const Frame& camera, const Viewport& vp) {
    const CamSpace c = CameraOf(camera);
    const double n = vp.frontClip, f = vp.backClip;
    const double A = (f + n) / (f - n), B = -2 * f * n / (f - n);
    const double sx = HorizontalScale(vp), sy = VerticalScale(vp);
    // Rows of P * V, P acting on camera coordinates (right, up, forward).
    const Vec3 r = c.b.right, u = c.b.up, fw = c.b.forward;
    const double rows[4][4] = {
        {sx * r.x, sx * r.y, sx * r.z, -sx * Dot(r, c.eye)},
        {sy * u.x, sy * u.y, sy * u.z, -sy * Dot(u, c.eye)},
        {A * fw.x, A * fw.y, A * fw.z, -A * Dot(fw, c.eye) + B},
        {fw.x, fw.y, fw.z, -Dot(fw, c.eye)},
    };
    std::array<float, 16> out{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            out[static_cast<size_t>(col * 4 + row)] = static_cast<float>(rows[row][col]);
    return out;
}

void InUse(const Frame& f, std::unordered_set<std::uint64_t>& meshes,
           std::unordered_set<std::uint64_t>& textures) {
    for (const auto& mesh : f.Visuals()) {
        if (!mesh->Data()) continue;
        meshes.insert(mesh->Data()->serial);
        for (const MeshPart& p : mesh->Data()->parts)
            if (p.texture) textures.insert(p.texture->serial);
    }
    for (const auto& c : f.Children())
        InUse(*c, meshes, textures);
}

} // namespace kv::scene
