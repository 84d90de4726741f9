#include "devices/scene/MeshLoader.h"

#include <QImage>
#include <QImageReader>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace kv::scene {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> SplitPath(const std::string& rel) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : rel) {
        if (c == '/' || c == '\\') {
            if (!cur.empty() && cur != ".") parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty() && cur != ".") parts.push_back(cur);
    return parts;
}

std::string FileName(const std::string& path) {
    auto parts = SplitPath(path);
    return parts.empty() ? path : parts.back();
}

} // namespace

std::string FindFileNoCase(const std::string& base, const std::string& relative) {
    std::error_code ec;
    fs::path cur = base.empty() ? fs::path(".") : fs::path(base);
    const auto parts = SplitPath(relative);
    if (parts.empty()) return {};
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& want = parts[i];
        fs::path next = cur / want;
        if (want == "..") {
            cur = next;
            continue;
        }
        if (!fs::exists(next, ec)) {
            next.clear();
            const std::string lw = Lower(want);
            for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec))
                if (Lower(it->path().filename().string()) == lw) {
                    next = it->path();
                    break;
                }
            if (next.empty()) return {};
        }
        cur = next;
    }
    if (!fs::is_regular_file(cur, ec)) return {};
    return cur.string();
}

AssetLoader::AssetLoader(std::string dataDir) : dataDir_(std::move(dataDir)) {}

std::string AssetLoader::Resolve(const std::string& relative, LoadError& err) const {
    std::string path = FindFileNoCase(dataDir_, relative);
    if (path.empty()) {
        std::string shown = relative;
        std::replace(shown.begin(), shown.end(), '\\', '/');
        err = {kErrFileNotFound, "Файл не найден: gamedata/" + shown};
    }
    return path;
}

std::shared_ptr<const MeshData> AssetLoader::LoadMesh(const std::string& relative, LoadError& err,
                                                      bool& firstFailure, bool withTextures) {
    firstFailure = false;
    const std::string key = (withTextures ? "mesh:" : "bare mesh:") + Lower(relative);
    if (auto it = meshes_.find(key); it != meshes_.end()) return it->second;
    if (failed_.count(key)) return nullptr;
    std::string path = Resolve(relative, err);
    std::shared_ptr<const MeshData> mesh;
    if (!path.empty()) mesh = LoadMeshFile(path, err, withTextures);
    if (!mesh) {
        failed_[key] = true;
        firstFailure = true;
        return nullptr;
    }
    meshes_[key] = mesh;
    return mesh;
}

std::shared_ptr<scene::Texture> AssetLoader::LoadTexture(const std::string& relative,
                                                         LoadError& err, bool& firstFailure) {
    firstFailure = false;
    const std::string key = "tex:" + Lower(relative);
    if (auto it = textures_.find(key); it != textures_.end()) return it->second;
    if (failed_.count(key)) return nullptr;
    std::string path = Resolve(relative, err);
    std::shared_ptr<scene::Texture> tex;
    if (!path.empty()) tex = LoadTextureFile(path, err);
    if (!tex) {
        failed_[key] = true;
        firstFailure = true;
        return nullptr;
    }
    textures_[key] = tex;
    return tex;
}

std::shared_ptr<scene::Texture> AssetLoader::LoadTextureFile(const std::string& path,
                                                             LoadError& err) {
    QImageReader reader(QString::fromStdString(path));
    QImage img = reader.read();
    if (img.isNull() || img.width() < 1 || img.height() < 1) {
        err = {kErrBadFormat, "Неверный формат файла " + FileName(path) + ": " +
                                  reader.errorString().toStdString()};
        return nullptr;
    }
    auto tex = std::make_shared<scene::Texture>();
    tex->image = img.convertToFormat(QImage::Format_RGBA8888);
    tex->linear = linear_;
    tex->serial = NextSerial();
    return tex;
}

namespace {

void AppendNode(const aiScene* sc, const aiNode* node, const aiMatrix4x4& parent,
                std::vector<MeshPart>& byMaterial) {
    const aiMatrix4x4 m = parent * node->mTransformation;
    aiMatrix3x3 nm(m);
    nm.Inverse().Transpose();
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* am = sc->mMeshes[node->mMeshes[i]];
        if (am->mMaterialIndex >= byMaterial.size()) continue;
        MeshPart& part = byMaterial[am->mMaterialIndex];
        const auto base = static_cast<std::uint32_t>(part.positions.size() / 3);
        const bool uv = am->HasTextureCoords(0);
        for (unsigned v = 0; v < am->mNumVertices; ++v) {
            const aiVector3D p = m * am->mVertices[v];
            part.positions.insert(part.positions.end(), {p.x, p.y, p.z});
            aiVector3D n = am->HasNormals() ? nm * am->mNormals[v] : aiVector3D(0, 1, 0);
            n.Normalize();
            part.normals.insert(part.normals.end(), {n.x, n.y, n.z});
            part.uvs.push_back(uv ? am->mTextureCoords[0][v].x : 0.f);
            part.uvs.push_back(uv ? am->mTextureCoords[0][v].y : 0.f);
        }
        for (unsigned f = 0; f < am->mNumFaces; ++f) {
            const aiFace& face = am->mFaces[f];
            if (face.mNumIndices != 3) continue; // points and lines
            for (unsigned k = 0; k < 3; ++k)
                part.indices.push_back(base + face.mIndices[k]);
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        AppendNode(sc, node->mChildren[c], m, byMaterial);
}

} // namespace

std::shared_ptr<const MeshData> AssetLoader::LoadMeshFile(const std::string& path, LoadError& err,
                                                          bool withTextures) {
    Assimp::Importer importer;
    const aiScene* sc = importer.ReadFile(
        path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals);
    if (!sc || !sc->mRootNode || (sc->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        err = {kErrBadFormat,
               "Неверный формат файла " + FileName(path) + ": " + importer.GetErrorString()};
        return nullptr;
    }
    auto data = std::make_shared<MeshData>();
    data->serial = NextSerial();
    std::vector<MeshPart> parts(std::max(1u, sc->mNumMaterials));
    const std::string meshDir = fs::path(path).parent_path().string();
    const std::string programDir = fs::path(dataDir_).parent_path().string();
    for (unsigned i = 0; i < sc->mNumMaterials; ++i) {
        const aiMaterial* mat = sc->mMaterials[i];
        aiColor4D c(1, 1, 1, 1);
        if (mat->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS)
            parts[i].diffuse = {c.r, c.g, c.b, 1};
        aiString tex;
        if (!withTextures || mat->GetTexture(aiTextureType_DIFFUSE, 0, &tex) != AI_SUCCESS ||
            tex.length == 0)
            continue;
        const std::string name = tex.C_Str();
        std::string found;
        for (const std::string& base : {meshDir, programDir, dataDir_}) {
            found = FindFileNoCase(base, name);
            if (!found.empty()) break;
        }
        if (found.empty()) found = FindFileNoCase(meshDir, FileName(name));
        if (found.empty()) {
            err = {kErrFileNotFound,
                   "Файл не найден: " + FileName(name) + " (текстура " + FileName(path) + ")"};
            return nullptr;
        }
        const std::string key = "tex:" + Lower(found);
        auto it = textures_.find(key);
        if (it == textures_.end()) {
            auto t = LoadTextureFile(found, err);
            if (!t) return nullptr;
            it = textures_.emplace(key, t).first;
        }
        parts[i].texture = it->second;
    }
    AppendNode(sc, sc->mRootNode, aiMatrix4x4(), parts);
    for (MeshPart& p : parts)
        if (!p.indices.empty()) {
            if (!p.texture) p.uvs.clear();
            data->parts.push_back(std::move(p));
        }
    if (data->parts.empty()) {
        err = {kErrBadFormat, "Неверный формат файла " + FileName(path) + ": нет ни одной грани"};
        return nullptr;
    }
    return data;
}

} // namespace kv::scene
