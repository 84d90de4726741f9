// Every mesh of the scene loads the way the scene layer loads it, with the
// size and placement the scene relies on; the pieces look exactly like the
// circles the physics collides.
#include "DataFiles.h"
#include "match/Module1.h"
#include "physics/Physics.h"

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using kv::testdata::GameData;

struct Part {
    std::string material;
    aiColor3D diffuse;
    std::string texture;
    std::vector<aiVector3D> verts;
    std::vector<aiVector3D> normals;
    std::vector<std::array<unsigned, 3>> tris;
};

struct Loaded {
    bool ok = false;
    std::string error;
    std::vector<Part> parts;
    aiVector3D lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    size_t triangles = 0;
    size_t nonTriangles = 0;
};

void Walk(const aiScene* s, const aiNode* n, aiMatrix4x4 t, Loaded& out) {
    t = t * n->mTransformation;
    aiMatrix3x3 rot(t);
    for (unsigned i = 0; i < n->mNumMeshes; ++i) {
        const aiMesh* m = s->mMeshes[n->mMeshes[i]];
        Part p;
        const aiMaterial* mat = s->mMaterials[m->mMaterialIndex];
        aiString name;
        if (mat->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) p.material = name.C_Str();
        mat->Get(AI_MATKEY_COLOR_DIFFUSE, p.diffuse);
        aiString tex;
        if (mat->GetTexture(aiTextureType_DIFFUSE, 0, &tex) == AI_SUCCESS) p.texture = tex.C_Str();
        for (unsigned v = 0; v < m->mNumVertices; ++v) {
            const aiVector3D w = t * m->mVertices[v];
            p.verts.push_back(w);
            p.normals.push_back(m->HasNormals() ? rot * m->mNormals[v] : aiVector3D());
            out.lo = {std::min(out.lo.x, w.x), std::min(out.lo.y, w.y), std::min(out.lo.z, w.z)};
            out.hi = {std::max(out.hi.x, w.x), std::max(out.hi.y, w.y), std::max(out.hi.z, w.z)};
        }
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            const aiFace& face = m->mFaces[f];
            if (face.mNumIndices != 3) {
                ++out.nonTriangles;
                continue;
            }
            p.tris.push_back({face.mIndices[0], face.mIndices[1], face.mIndices[2]});
            ++out.triangles;
        }
        out.parts.push_back(std::move(p));
    }
    for (unsigned c = 0; c < n->mNumChildren; ++c)
        Walk(s, n->mChildren[c], t, out);
}

Loaded Load(const std::string& file) {
    Loaded out;
    const std::string path = GameData("mesh/" + file);
    const aiScene* s =
        aiImportFile(path.c_str(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    if (s == nullptr) {
        out.error = aiGetErrorString();
        return out;
    }
    Walk(s, s->mRootNode, aiMatrix4x4(), out);
    aiReleaseImport(s);
    out.ok = true;
    return out;
}

struct Box {
    const char* file;
    aiVector3D lo, hi;
};

// The boxes the scene's placements are built on (imported coordinates).
const Box kBoxes[] = {
    {"goblatable.x", {0, -4, -50}, {100, 0, 0}},
    {"nozhka.x", {-2.5f, -64, -2.5f}, {2.5f, 2, 2.5f}},
    {"border1.x", {-100, 0, -5}, {0, 20, 0}},
    {"pipa.x", {-10, 0, -10}, {10, 20, 10}},
    {"pot.x", {-16, 0, -16}, {16, 22, 16}},
    {"ball.x", {-5, -5, -5}, {5, 5, 5}},
    {"point.x", {-12, 0, 0}, {12, 2, 100}},
    {"centerpoint.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}},
    {"lamp.x", {-24, -62, -24}, {24, 0, 24}},
    // Model n seen from above: x over the circles, z = -(piece y).
    {"gobla0.x", {-20, 0, -20}, {20, 4.05f, 28}},
    {"gobla1.x", {-14, 0, -14}, {14, 4.05f, 28}},
    {"gobla2.x", {-20, 0, -20}, {20, 4.05f, 20}},
    {"gobla3.x", {-20, 0, -20}, {20, 4.05f, 20}},
    {"gobla0_gray.x", {-20, 0, -20}, {20, 4.05f, 28}},
    {"gobla1_gray.x", {-14, 0, -14}, {14, 4.05f, 28}},
    {"gobla2_gray.x", {-20, 0, -20}, {20, 4.05f, 20}},
    {"gobla3_gray.x", {-20, 0, -20}, {20, 4.05f, 20}},
};

TEST(MeshData, EveryMeshLoadsWithItsBoxAndConsistentFaces) {
    for (const Box& b : kBoxes) {
        SCOPED_TRACE(b.file);
        const Loaded m = Load(b.file);
        ASSERT_TRUE(m.ok) << m.error;
        EXPECT_GT(m.triangles, 0u);
        EXPECT_EQ(m.nonTriangles, 0u);
        const float tol = 0.01f;
        EXPECT_NEAR(m.lo.x, b.lo.x, tol);
        EXPECT_NEAR(m.lo.y, b.lo.y, tol);
        EXPECT_NEAR(m.lo.z, b.lo.z, tol);
        EXPECT_NEAR(m.hi.x, b.hi.x, tol);
        EXPECT_NEAR(m.hi.y, b.hi.y, tol);
        EXPECT_NEAR(m.hi.z, b.hi.z, tol);
    }
}

// Faces wound against their normals are culled away or lit from behind.
TEST(MeshData, WindingAgreesWithNormalsEverywhere) {
    for (const auto& entry : std::filesystem::directory_iterator(GameData("mesh"))) {
        if (entry.path().extension() != ".x") continue;
        const std::string file = entry.path().filename().string();
        SCOPED_TRACE(file);
        const Loaded m = Load(file);
        ASSERT_TRUE(m.ok) << m.error;
        size_t against = 0, degenerate = 0;
        for (const Part& p : m.parts)
            for (const auto& t : p.tris) {
                const aiVector3D n =
                    (p.verts[t[1]] - p.verts[t[0]]) ^ (p.verts[t[2]] - p.verts[t[0]]);
                const aiVector3D vn = p.normals[t[0]] + p.normals[t[1]] + p.normals[t[2]];
                if (n.Length() < 1e-6f)
                    ++degenerate;
                else if (n * vn <= 0)
                    ++against;
            }
        EXPECT_EQ(against, 0u);
        EXPECT_LE(degenerate, 2u);
    }
}

TEST(MeshData, FiguresHaveTheirSizeAndPlace) {
    const Loaded swin = Load("swin.x");
    ASSERT_TRUE(swin.ok) << swin.error;
    EXPECT_GT(swin.hi.x - swin.lo.x, 90);
    EXPECT_LT(swin.hi.x - swin.lo.x, 120);
    // It stands against the room's wall at z = 150 and must not poke through it.
    EXPECT_LE(swin.hi.z, 0.01f);
    bool pink = false;
    for (const Part& p : swin.parts)
        pink |=
            p.diffuse.r > 0.9f && p.diffuse.g > 0.5f && p.diffuse.b > 0.5f && p.diffuse.g < 0.8f;
    EXPECT_TRUE(pink);

    // Leg: 0.5 scale at y = -3 reaches from under the desk top to the floor at -35.
    const Loaded leg = Load("nozhka.x");
    ASSERT_TRUE(leg.ok);
    EXPECT_FLOAT_EQ(-3 + 0.5f * leg.lo.y, -35);
    const Loaded table = Load("goblatable.x");
    ASSERT_TRUE(table.ok);
    EXPECT_FLOAT_EQ(-3 + 0.5f * leg.hi.y, 0.5f * table.lo.y);

    // The lamp hangs at 100 with scale 0.4 and stays above the point light at 80.
    const Loaded lamp = Load("lamp.x");
    ASSERT_TRUE(lamp.ok);
    EXPECT_GT(100 + 0.4f * lamp.lo.y, 70);
}

TEST(MeshData, DeskTopCarriesItsTexture) {
    const Loaded table = Load("goblatable.x");
    ASSERT_TRUE(table.ok);
    bool textured = false;
    for (const Part& p : table.parts)
        if (p.texture == "goblatable.bmp") {
            textured = true;
            for (const aiVector3D& v : p.verts)
                EXPECT_NEAR(v.y, 0, 1e-4);
        }
    EXPECT_TRUE(textured);
    EXPECT_TRUE(std::filesystem::exists(GameData("mesh/goblatable.bmp")));
}

// ---- pieces against their contact circles ----

// The circles the physics collides, from the physics itself.
std::vector<kv::Circle> Circles(int model) {
    kv::Module1 m;
    kv::SetMatchDefaults(m);
    kv::BuildShapes(m);
    const kv::ShapeRec& shape = m.Shapes[static_cast<size_t>(model)];
    return std::vector<kv::Circle>(shape.c.begin() + 1, shape.c.begin() + 1 + shape.count);
}

// Signed distance outside the union (negative inside).
double Outside(const std::vector<kv::Circle>& cs, double x, double y) {
    double best = 1e9;
    for (const kv::Circle& c : cs)
        best = std::min(best, std::hypot(x - c.x, y - c.y) - c.r);
    return best;
}

TEST(MeshData, PieceOutlinesAreTheUnionOfTheirCircles) {
    for (int model = 0; model < 4; ++model)
        for (const char* suffix : {".x", "_gray.x"}) {
            const std::string file = "gobla" + std::to_string(model) + suffix;
            SCOPED_TRACE(file);
            const Loaded m = Load(file);
            ASSERT_TRUE(m.ok) << m.error;
            const auto circles = Circles(model);
            // Piece point (x, y) is imported (x, h, -y).
            std::vector<std::pair<double, double>> top;
            double topArea = 0;
            for (const Part& p : m.parts) {
                for (const aiVector3D& v : p.verts)
                    EXPECT_LE(Outside(circles, v.x, -v.z), 2e-3) << v.x << " " << -v.z;
                for (const auto& t : p.tris) {
                    const aiVector3D a = p.verts[t[0]], b = p.verts[t[1]], c = p.verts[t[2]];
                    if (std::fabs(a.y - 4) > 1e-3 || std::fabs(b.y - 4) > 1e-3 ||
                        std::fabs(c.y - 4) > 1e-3)
                        continue;
                    topArea += 0.5 * ((b - a) ^ (c - a)).y;
                }
                for (const aiVector3D& v : p.verts)
                    if (std::fabs(v.y - 4) < 1e-3) top.push_back({v.x, -v.z});
            }
            // Each circle's extreme point that lies on the outline is reached.
            ASSERT_FALSE(circles.empty());
            for (const kv::Circle& c : circles) {
                const double ex[4][2] = {
                    {c.x + c.r, c.y}, {c.x - c.r, c.y}, {c.x, c.y + c.r}, {c.x, c.y - c.r}};
                for (const auto& e : ex) {
                    if (Outside(circles, e[0], e[1]) < -1e-6) continue; // covered by another circle
                    double nearest = 1e9;
                    for (const auto& [x, y] : top)
                        nearest = std::min(nearest, std::hypot(x - e[0], y - e[1]));
                    EXPECT_LT(nearest, 2e-3) << "circle (" << c.x << ", " << c.y << ", " << c.r
                                             << ") extreme (" << e[0] << ", " << e[1] << ")";
                }
            }
            // The top face covers the union: compare areas on a fine grid.
            double inside = 0;
            const double h = 0.1;
            for (double y = -30; y <= 30; y += h)
                for (double x = -22; x <= 22; x += h)
                    if (Outside(circles, x, y) < 0) inside += h * h;
            EXPECT_NEAR(topArea, inside, inside * 0.01);
        }
}

TEST(MeshData, PiecesShowTheirHeadingAndTheirColour) {
    std::vector<aiColor3D> bodies;
    for (int model = 0; model < 4; ++model)
        for (bool gray : {false, true}) {
            const std::string file = "gobla" + std::to_string(model) + (gray ? "_gray.x" : ".x");
            SCOPED_TRACE(file);
            const Loaded m = Load(file);
            ASSERT_TRUE(m.ok);
            ASSERT_EQ(m.parts.size(), 2u);
            // The body is the larger part; the mark sits on top of it.
            const Part& body =
                m.parts[0].verts.size() > m.parts[1].verts.size() ? m.parts[0] : m.parts[1];
            const Part& mark = &body == &m.parts[0] ? m.parts[1] : m.parts[0];
            const aiColor3D c = body.diffuse;
            if (gray) {
                EXPECT_NEAR(c.r, c.g, 0.05);
                EXPECT_NEAR(c.g, c.b, 0.05);
            } else {
                EXPECT_GT(std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}), 0.5)
                    << "not bright";
                bodies.push_back(c);
            }
            // The mark's tip points along the piece's own +y (imported -z), on the centre line.
            aiVector3D tip = mark.verts[0], sum;
            for (const aiVector3D& v : mark.verts) {
                if (v.z < tip.z) tip = v;
                sum += v;
                EXPECT_GT(v.y, 4.0f);
            }
            const aiVector3D centroid = sum / static_cast<float>(mark.verts.size());
            EXPECT_NEAR(tip.x, 0, 1e-3);
            EXPECT_LT(tip.z, centroid.z - 3);
            const float contrast = std::fabs(mark.diffuse.r - c.r) +
                                   std::fabs(mark.diffuse.g - c.g) +
                                   std::fabs(mark.diffuse.b - c.b);
            EXPECT_GT(contrast, 0.6f);
        }
    // Every model has a colour of its own.
    for (size_t i = 0; i < bodies.size(); ++i)
        for (size_t j = i + 1; j < bodies.size(); ++j)
            EXPECT_GT(std::fabs(bodies[i].r - bodies[j].r) + std::fabs(bodies[i].g - bodies[j].g) +
                          std::fabs(bodies[i].b - bodies[j].b),
                      0.3f);
}

} // namespace
