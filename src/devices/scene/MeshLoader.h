// Meshes from .x files (Assimp) and textures (QImage), with file names looked
// up case-insensitively, as the data was written for a case-blind file system.
#pragma once

#include "devices/scene/SceneGraph.h"

#include <map>
#include <memory>
#include <string>

namespace kv::scene {

// Error numbers of the scene's failure message (the classic runtime numbers).
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrBadFormat = 321;

struct LoadError {
    int number = 0;
    std::string description; // Russian
};

// base + relative ('/' or '\' separated), each component matched without
// regard to ASCII case. Empty when there is no such plain file.
std::string FindFileNoCase(const std::string& base, const std::string& relative);

class AssetLoader {
public:
    // dataDir: the gamedata folder. Texture names inside meshes are tried
    // beside the mesh, under the program folder (dataDir's parent) and under dataDir.
    explicit AssetLoader(std::string dataDir);

    // relative: a path under dataDir, e.g. "mesh\\goblatable.x". A file that
    // failed once fails again without touching the disk; the error is set only
    // the first time (so the user is asked once per file). Without textures the
    // mesh ignores those its materials name (the table is textured by the
    // scene's own step).
    std::shared_ptr<const MeshData> LoadMesh(const std::string& relative, LoadError& err,
                                             bool& firstFailure, bool withTextures = true);
    std::shared_ptr<scene::Texture> LoadTexture(const std::string& relative, LoadError& err,
                                                bool& firstFailure);
    // Resolves a data file; on failure fills err (file not found).
    std::string Resolve(const std::string& relative, LoadError& err) const;
    const std::string& DataDir() const { return dataDir_; }
    // Filtering of textures loaded from now on.
    void SetLinearFiltering(bool on) { linear_ = on; }

private:
    std::shared_ptr<scene::Texture> LoadTextureFile(const std::string& path, LoadError& err);
    std::shared_ptr<const MeshData> LoadMeshFile(const std::string& path, LoadError& err,
                                                 bool withTextures);

    std::string dataDir_;
    std::map<std::string, std::shared_ptr<const MeshData>> meshes_;
    std::map<std::string, std::shared_ptr<scene::Texture>> textures_;
    bool linear_ = false;
    std::map<std::string, bool> failed_;
};

} // namespace kv::scene
