// What a renderer keeps on the GPU for a scene: each mesh's buffers and each
// texture, under the serial of the data it was made from, made on first use.
// Both looks' renderers draw through one of these.
#pragma once

#include "devices/scene/SceneGraph.h"

#include <QOpenGLExtraFunctions>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kv::scene {

struct GpuPart {
    GLuint vao = 0, vbo = 0, ibo = 0;
    GLsizei count = 0;
    bool hasUv = false;
};

// The program of the two shaders; 0, with the driver's words in error, when
// one does not compile or they do not link.
GLuint LinkProgram(QOpenGLExtraFunctions* gl, const char* vertex, const char* fragment,
                   std::string& error);

class GpuCache {
public:
    void Attach(QOpenGLExtraFunctions* gl) { gl_ = gl; }
    // A part per mesh part: position, normal and texture coordinate
    // interleaved, as vertex attributes 0, 1 and 2.
    const std::vector<GpuPart>& Upload(const MeshData& data);
    // Repeating; bilinear when linear, else nearest; no mipmaps.
    GLuint TextureId(const Texture& t, bool linear);
    // Frees what the scene no longer shows.
    void ForgetUnused(const Scene& scene);
    // Frees everything; call with the context current.
    void Clear();

private:
    void Free(std::vector<GpuPart>& parts);

    QOpenGLExtraFunctions* gl_ = nullptr;
    std::unordered_map<std::uint64_t, std::vector<GpuPart>> meshes_;
    std::unordered_map<std::uint64_t, GLuint> textures_;
};

} // namespace kv::scene
