// Every mesh loads through Assimp the way the scene loads it, with the size and
// placement the scene relies on; the pieces are exactly the physics circles.
// The modern look's own meshes (mesh/modern) are held to the same boxes.
#include "DataFiles.h"
#include "devices/scene/MeshLoader.h"
#include "physics/Physics.h"
#include "state/MatchState.h"

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using kv::testdata::GameData;

struct Part {
    std::string texture;
    std::vector<aiVector3D> verts, normals;
    std::vector<std::array<unsigned, 3>> tris;
};

struct Loaded {
    bool ok = false;
    std::string error;
    std::vector<Part> parts;
    aiVector3D lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    size_t triangles = 0, nonTriangles = 0;
};

void Walk(const aiScene* s, const aiNode* n, aiMatrix4x4 t, Loaded& out) {
    t = t * n->mTransformation;
    const aiMatrix3x3 rot(t);
    for (unsigned i = 0; i < n->mNumMeshes; ++i) {
        const aiMesh* m = s->mMeshes[n->mMeshes[i]];
        const aiMaterial* mat = s->mMaterials[m->mMaterialIndex];
        Part p;
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

// file: named as the scene names it, e.g. "mesh\\modern\\pipa.x".
Loaded Load(const std::string& file) {
    Loaded out;
    const std::string path = kv::scene::FindFileNoCase(KV_GAMEDATA_DIR, file);
    if (path.empty()) {
        out.error = "not found";
        return out;
    }
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

std::string PieceFile(int model, bool gray) {
    return "gobla" + std::to_string(model) + (gray ? "_gray.x" : ".x");
}

// Where the scene looks for a mesh in each look.
const char* const kLooks[] = {"mesh\\", "mesh\\modern\\"};

// Every mesh has triangles wound along their normals (else culled away or lit
// from behind) and the box the scene's placements are built on.
TEST(MeshData, EveryMeshLoadsWithItsBoxAndWinding) {
    std::map<std::string, std::pair<aiVector3D, aiVector3D>> boxes = {
        {"goblatable.x", {{0, -4, -50}, {100, 0, 0}}},
        {"nozhka.x", {{-2.5f, -64, -2.5f}, {2.5f, 2, 2.5f}}},
        {"border1.x", {{-100, 0, -5}, {0, 20, 0}}},
        {"pipa.x", {{-10, 0, -10}, {10, 20, 10}}},
        {"pot.x", {{-16, 0, -16}, {16, 22, 16}}},
        {"ball.x", {{-5, -5, -5}, {5, 5, 5}}},
        {"point.x", {{-12, 0, 0}, {12, 2, 100}}},
        {"centerpoint.x", {{-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}}},
        {"lamp.x", {{-24, -62, -24}, {24, 0, 24}}},
    };
    // Model n seen from above: x over the circles, z = -(piece y).
    const float half[4] = {20, 14, 20, 20}, front[4] = {28, 28, 20, 20};
    for (int model = 0; model < 4; ++model)
        for (bool gray : {false, true})
            boxes[PieceFile(model, gray)] = {{-half[model], 0, -half[model]},
                                             {half[model], 4.05f, front[model]}};
    size_t boxed = 0, modern = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(GameData("mesh"))) {
        const std::string file = entry.path().filename().string();
        if (entry.path().extension() != ".x") continue;
        const bool own = entry.path().parent_path().filename() == "modern";
        SCOPED_TRACE(entry.path().string());
        const Loaded m = Load(kLooks[own] + file);
        ASSERT_TRUE(m.ok) << m.error;
        EXPECT_GT(m.triangles, 0u);
        EXPECT_EQ(m.nonTriangles, 0u);
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
        const auto box = boxes.find(file);
        ASSERT_TRUE(box != boxes.end() || !own) << "a modern mesh keeps its classic box";
        if (box == boxes.end()) continue;
        ++(own ? modern : boxed);
        for (unsigned k = 0; k < 3; ++k) {
            EXPECT_NEAR(m.lo[k], box->second.first[k], 0.01f) << "axis " << k;
            EXPECT_NEAR(m.hi[k], box->second.second[k], 0.01f) << "axis " << k;
        }
    }
    EXPECT_EQ(boxed, boxes.size());
    EXPECT_EQ(modern, 11u); // the pieces, the desk, the ruler and the obstacle
}

TEST(MeshData, TheDeskTopCarriesItsTexture) {
    const Loaded table = Load("mesh\\goblatable.x");
    ASSERT_TRUE(table.ok) << table.error;
    bool textured = false;
    for (const Part& p : table.parts) {
        if (p.texture != "goblatable.bmp") continue;
        textured = true;
        for (const aiVector3D& v : p.verts)
            EXPECT_NEAR(v.y, 0, 1e-4); // flat on top
    }
    EXPECT_TRUE(textured);
}

// Signed distance outside the union of circles (negative inside).
double Outside(const std::vector<kv::Circle>& cs, double x, double y) {
    double best = 1e9;
    for (const kv::Circle& c : cs)
        best = std::min(best, std::hypot(x - c.x, y - c.y) - c.r);
    return best;
}

// Each piece stands on the union of its physics circles and never leaves it;
// the modern piece's flat top lies inside its rounded rim.
TEST(MeshData, PiecesAreTheirPhysicsCircles) {
    kv::Module1 phys;
    kv::SetMatchDefaults(phys);
    kv::BuildShapes(phys);
    for (int model = 0; model < 4; ++model) {
        const kv::ShapeRec& shape = phys.Shapes[static_cast<size_t>(model)];
        const std::vector<kv::Circle> circles(shape.c.begin() + 1,
                                              shape.c.begin() + 1 + shape.count);
        ASSERT_FALSE(circles.empty());
        // The union's area on a fine grid.
        double inside = 0;
        const double h = 0.1;
        for (double y = -30; y <= 30; y += h)
            for (double x = -22; x <= 22; x += h)
                if (Outside(circles, x, y) < 0) inside += h * h;
        for (const char* look : kLooks)
            for (bool gray : {false, true}) {
                SCOPED_TRACE(look + PieceFile(model, gray));
                const Loaded m = Load(look + PieceFile(model, gray));
                ASSERT_TRUE(m.ok) << m.error;
                // Piece point (x, y) is imported (x, h, -y); bottom at h = 0, top at 4.
                double bottomArea = 0, topArea = 0;
                auto at = [](const aiVector3D& v, float y) { return std::fabs(v.y - y) < 1e-3; };
                for (const Part& p : m.parts) {
                    for (const aiVector3D& v : p.verts)
                        EXPECT_LE(Outside(circles, v.x, -v.z), 2e-3) << v.x << " " << -v.z;
                    for (const auto& t : p.tris) {
                        const aiVector3D a = p.verts[t[0]], b = p.verts[t[1]], c = p.verts[t[2]];
                        const double up = 0.5 * ((b - a) ^ (c - a)).y;
                        if (at(a, 0) && at(b, 0) && at(c, 0)) bottomArea -= up;
                        if (at(a, 4) && at(b, 4) && at(c, 4)) topArea += up;
                    }
                }
                EXPECT_NEAR(bottomArea, inside, inside * 0.01);
                if (look == kLooks[0])
                    EXPECT_NEAR(topArea, inside, inside * 0.01);
                else
                    EXPECT_LT(topArea, inside * 0.9);
            }
    }
}

} // namespace
