#include "devices/scene/GpuCache.h"

#include <unordered_set>

namespace kv::scene {

namespace {

GLuint Compile(QOpenGLExtraFunctions* gl, GLenum type, const char* src, std::string& error) {
    GLuint s = gl->glCreateShader(type);
    gl->glShaderSource(s, 1, &src, nullptr);
    gl->glCompileShader(s);
    GLint ok = 0;
    gl->glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        gl->glGetShaderInfoLog(s, sizeof log, nullptr, log);
        error = log;
        gl->glDeleteShader(s);
        return 0;
    }
    return s;
}

} // namespace

GLuint LinkProgram(QOpenGLExtraFunctions* gl, const char* vertex, const char* fragment,
                   std::string& error) {
    GLuint vs = Compile(gl, GL_VERTEX_SHADER, vertex, error);
    if (!vs) return 0;
    GLuint fs = Compile(gl, GL_FRAGMENT_SHADER, fragment, error);
    if (!fs) {
        gl->glDeleteShader(vs);
        return 0;
    }
    GLuint prog = gl->glCreateProgram();
    gl->glAttachShader(prog, vs);
    gl->glAttachShader(prog, fs);
    gl->glLinkProgram(prog);
    gl->glDeleteShader(vs);
    gl->glDeleteShader(fs);
    GLint ok = 0;
    gl->glGetProgramiv(prog, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        gl->glGetProgramInfoLog(prog, sizeof log, nullptr, log);
        error = log;
        gl->glDeleteProgram(prog);
        return 0;
    }
    return prog;
}

const std::vector<GpuPart>& GpuCache::Upload(const MeshData& data) {
    auto it = meshes_.find(data.serial);
    if (it != meshes_.end()) return it->second;
    std::vector<GpuPart> parts;
    for (const MeshPart& p : data.parts) {
        GpuPart g;
        const size_t nv = p.positions.size() / 3;
        g.hasUv = p.uvs.size() == nv * 2;
        std::vector<float> v;
        v.reserve(nv * 8);
        for (size_t i = 0; i < nv; ++i) {
            for (size_t k = 0; k < 3; ++k)
                v.push_back(p.positions[3 * i + k]);
            for (size_t k = 0; k < 3; ++k)
                v.push_back(3 * i + k < p.normals.size() ? p.normals[3 * i + k] : 0.f);
            v.push_back(g.hasUv ? p.uvs[2 * i] : 0.f);
            v.push_back(g.hasUv ? p.uvs[2 * i + 1] : 0.f);
        }
        gl_->glGenVertexArrays(1, &g.vao);
        gl_->glBindVertexArray(g.vao);
        gl_->glGenBuffers(1, &g.vbo);
        gl_->glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
        gl_->glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(v.size() * sizeof(float)),
                          v.data(), GL_STATIC_DRAW);
        gl_->glGenBuffers(1, &g.ibo);
        gl_->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.ibo);
        gl_->glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                          static_cast<GLsizeiptr>(p.indices.size() * sizeof(std::uint32_t)),
                          p.indices.data(), GL_STATIC_DRAW);
        const GLsizei stride = 8 * sizeof(float);
        gl_->glEnableVertexAttribArray(0);
        gl_->glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
        gl_->glEnableVertexAttribArray(1);
        gl_->glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<void*>(3 * sizeof(float)));
        gl_->glEnableVertexAttribArray(2);
        gl_->glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<void*>(6 * sizeof(float)));
        gl_->glBindVertexArray(0);
        g.count = static_cast<GLsizei>(p.indices.size());
        parts.push_back(g);
    }
    return meshes_.emplace(data.serial, std::move(parts)).first->second;
}

GLuint GpuCache::TextureId(const Texture& t, bool linear) {
    auto it = textures_.find(t.serial);
    if (it != textures_.end()) return it->second;
    // GL rows run bottom up; texture coordinates follow the GL convention.
    const QImage img = t.image.mirrored().convertToFormat(QImage::Format_RGBA8888);
    GLuint id = 0;
    gl_->glGenTextures(1, &id);
    gl_->glBindTexture(GL_TEXTURE_2D, id);
    // The text painter may have left its own unpacking settings.
    gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl_->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl_->glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    gl_->glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, img.width(), img.height(), 0, GL_RGBA,
                      GL_UNSIGNED_BYTE, img.constBits());
    // No mipmaps: a software rasteriser pays dearly for the level of detail.
    const GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    textures_.emplace(t.serial, id);
    return id;
}

void GpuCache::Free(std::vector<GpuPart>& parts) {
    for (GpuPart& g : parts) {
        gl_->glDeleteBuffers(1, &g.vbo);
        gl_->glDeleteBuffers(1, &g.ibo);
        gl_->glDeleteVertexArrays(1, &g.vao);
    }
}

void GpuCache::ForgetUnused(const Scene& scene) {
    if (!gl_) return;
    std::unordered_set<std::uint64_t> meshes, textures;
    if (scene.root) InUse(*scene.root, meshes, textures);
    for (auto it = meshes_.begin(); it != meshes_.end();) {
        if (meshes.count(it->first)) {
            ++it;
            continue;
        }
        Free(it->second);
        it = meshes_.erase(it);
    }
    for (auto it = textures_.begin(); it != textures_.end();) {
        if (textures.count(it->first)) {
            ++it;
            continue;
        }
        gl_->glDeleteTextures(1, &it->second);
        it = textures_.erase(it);
    }
}

void GpuCache::Clear() {
    if (gl_) {
        for (auto& [serial, parts] : meshes_)
            Free(parts);
        for (auto& [serial, id] : textures_)
            gl_->glDeleteTextures(1, &id);
    }
    meshes_.clear();
    textures_.clear();
}

} // namespace kv::scene
