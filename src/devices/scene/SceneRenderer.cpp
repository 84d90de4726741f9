#include "devices/scene/SceneRenderer.h"

#include "devices/scene/GpuCache.h"

#include "devices/scene/TextLayout.h"

#include <QFont>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace kv::scene {

QColor PaletteColour(int index) {
    static const QColor colours[16] = {
        {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
        {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
        {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
        {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    };
    return colours[((index % 16) + 16) % 16];
}

namespace {

constexpr int kMaxLights = 8;

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uViewProj;
uniform mat4 uModel;
uniform mat3 uNormalMat;
uniform vec3 uAmbient;
uniform int uLightCount;
uniform vec3 uLightPos[8];
uniform vec3 uLightColour[8];
uniform vec4 uDiffuse;
out vec4 vColour;
out vec2 vUv;
void main() {
    vec4 wp = uModel * vec4(aPos, 1.0);
    vec3 n = normalize(uNormalMat * aNormal);
    vec3 light = uAmbient;
    for (int i = 0; i < uLightCount; ++i)
        light += uLightColour[i] * max(dot(n, normalize(uLightPos[i] - wp.xyz)), 0.0);
    vColour = vec4(uDiffuse.rgb * min(light, vec3(1.0)), uDiffuse.a);
    vUv = aUv;
    gl_Position = uViewProj * wp;
}
)";

// Two programs rather than a branch: the software rasteriser would sample the
// texture for every fragment otherwise.
const char* kPlainFragmentShader = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
out vec4 fragColour;
void main() {
    fragColour = vColour;
}
)";

const char* kTexturedFragmentShader = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
uniform sampler2D uTex;
out vec4 fragColour;
void main() {
    fragColour = vColour * texture(uTex, vUv);
}
)";

struct Program {
    GLuint id = 0;
    GLint uViewProj = -1, uModel = -1, uNormalMat = -1, uAmbient = -1, uLightCount = -1,
          uLightPos = -1, uLightColour = -1, uDiffuse = -1, uTex = -1;
};

struct DrawItem {
    const MeshData* data;
    double size; // scaled bounding box diagonal
    std::array<float, 16> model;
    std::array<float, 9> normal;
};

} // namespace

struct SceneRenderer::Impl {
    QOpenGLExtraFunctions* gl = nullptr;
    Program plain, textured;
    GpuCache cache;
    std::unique_ptr<QOpenGLPaintDevice> paintDevice;
    QFont font, smallFont, bigFont;

    bool Link(const char* fragment, Program& out, std::string& error) {
        const GLuint prog = LinkProgram(gl, kVertexShader, fragment, error);
        if (!prog) return false;
        out.id = prog;
        out.uViewProj = gl->glGetUniformLocation(prog, "uViewProj");
        out.uModel = gl->glGetUniformLocation(prog, "uModel");
        out.uNormalMat = gl->glGetUniformLocation(prog, "uNormalMat");
        out.uAmbient = gl->glGetUniformLocation(prog, "uAmbient");
        out.uLightCount = gl->glGetUniformLocation(prog, "uLightCount");
        out.uLightPos = gl->glGetUniformLocation(prog, "uLightPos");
        out.uLightColour = gl->glGetUniformLocation(prog, "uLightColour");
        out.uDiffuse = gl->glGetUniformLocation(prog, "uDiffuse");
        out.uTex = gl->glGetUniformLocation(prog, "uTex");
        return true;
    }
};

SceneRenderer::SceneRenderer() : d_(std::make_unique<Impl>()) {
    d_->font = QFont(QStringLiteral("DejaVu Sans"));
    d_->font.setPixelSize(13); // 10 points at 96 dots per inch
    d_->smallFont = d_->font;
    d_->smallFont.setPixelSize(11); // 8 points
    d_->bigFont = d_->font;
    d_->bigFont.setPixelSize(19); // 14 points
    d_->bigFont.setBold(true);
}

SceneRenderer::~SceneRenderer() = default;

bool SceneRenderer::Ready() const {
    return d_->plain.id != 0 && d_->textured.id != 0;
}

bool SceneRenderer::InitGL(std::string& error) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (!ctx) {
        error = "нет текущего контекста OpenGL";
        return false;
    }
    const QSurfaceFormat f = ctx->format();
    if (f.majorVersion() < 3 || (f.majorVersion() == 3 && f.minorVersion() < 3)) {
        error = "нужен OpenGL 3.3, доступен " + std::to_string(f.majorVersion()) + "." +
                std::to_string(f.minorVersion());
        return false;
    }
    d_->gl = ctx->extraFunctions();
    d_->cache.Attach(d_->gl);
    if (!d_->Link(kPlainFragmentShader, d_->plain, error)) return false;
    if (!d_->Link(kTexturedFragmentShader, d_->textured, error)) {
        d_->gl->glDeleteProgram(d_->plain.id);
        d_->plain.id = 0;
        return false;
    }
    return true;
}

void SceneRenderer::ReleaseGL() {
    if (!d_->gl) return;
    QOpenGLExtraFunctions* gl = d_->gl;
    d_->cache.Clear();
    d_->cache.Attach(nullptr);
    for (Program* p : {&d_->plain, &d_->textured}) {
        if (p->id) gl->glDeleteProgram(p->id);
        *p = Program{};
    }
    d_->paintDevice.reset();
    d_->gl = nullptr;
}

void SceneRenderer::ForgetUnused(const Scene& scene) {
    d_->cache.ForgetUnused(scene);
}

namespace {

struct Collected {
    std::vector<DrawItem> items;
    Vec3 ambient;
    std::vector<std::pair<Vec3, Colour>> points;
};

void Collect(const Frame& f, const Mat3& parentRot, Vec3 parentPos, Collected& out) {
    const Mat3 rot = parentRot * f.Rotation();
    const Vec3 pos = parentPos + parentRot * f.Position();
    for (const auto& light : f.Lights()) {
        if (light->type == Light::Type::Ambient)
            out.ambient = out.ambient + Vec3{light->colour.r, light->colour.g, light->colour.b};
        else if (out.points.size() < kMaxLights)
            out.points.push_back({pos, light->colour});
    }
    for (const auto& mesh : f.Visuals()) {
        if (!mesh->Data()) continue;
        const Vec3 s = mesh->Scale();
        DrawItem it;
        it.data = mesh->Data().get();
        const Box b = mesh->Bounds();
        it.size = b.empty ? 0
                          : Length({(b.max.x - b.min.x) * s.x, (b.max.y - b.min.y) * s.y,
                                    (b.max.z - b.min.z) * s.z});
        // model = T * R * S, column-major
        const double sc[3] = {s.x, s.y, s.z};
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                it.model[static_cast<size_t>(c * 4 + r)] = static_cast<float>(rot.m[r][c] * sc[c]);
        it.model[3] = it.model[7] = it.model[11] = 0;
        it.model[12] = static_cast<float>(pos.x);
        it.model[13] = static_cast<float>(pos.y);
        it.model[14] = static_cast<float>(pos.z);
        it.model[15] = 1;
        // normals: R * S^-1 (renormalised in the shader)
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                it.normal[static_cast<size_t>(c * 3 + r)] =
                    static_cast<float>(sc[c] != 0 ? rot.m[r][c] / sc[c] : 0);
        out.items.push_back(it);
    }
    for (const auto& child : f.Children())
        Collect(*child, rot, pos, out);
}

} // namespace

void SceneRenderer::RenderScene(const Scene& scene) {
    Impl& d = *d_;
    if (!d.gl || !Ready()) return;
    QOpenGLExtraFunctions* gl = d.gl;
    const Viewport& vp = scene.viewport;
    gl->glViewport(0, 0, vp.width, vp.height);
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    gl->glDisable(GL_BLEND);
    // The labels' projection mirrors a right-handed camera, so the winding of
    // every face is reversed on screen; nothing is culled.
    gl->glDisable(GL_CULL_FACE);
    gl->glEnable(GL_DEPTH_TEST);
    gl->glDepthFunc(GL_LESS);
    gl->glDepthMask(GL_TRUE);
    gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl->glClearColor(scene.background.r, scene.background.g, scene.background.b, 1);
    gl->glClearDepthf(1);
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!scene.camera || !scene.root) return;

    Collected c;
    Collect(*scene.root, Mat3{}, Vec3{}, c);
    // Small things first, the room last: the depth test then spares the
    // software rasteriser most of the room's and the desk's hidden pixels.
    std::stable_sort(c.items.begin(), c.items.end(),
                     [](const DrawItem& a, const DrawItem& b) { return a.size < b.size; });

    const auto vpm = Projection::ViewProj(*scene.camera, vp);
    float lp[3 * kMaxLights] = {}, lc[3 * kMaxLights] = {};
    for (size_t i = 0; i < c.points.size(); ++i) {
        lp[3 * i] = static_cast<float>(c.points[i].first.x);
        lp[3 * i + 1] = static_cast<float>(c.points[i].first.y);
        lp[3 * i + 2] = static_cast<float>(c.points[i].first.z);
        lc[3 * i] = c.points[i].second.r;
        lc[3 * i + 1] = c.points[i].second.g;
        lc[3 * i + 2] = c.points[i].second.b;
    }
    for (const Program* p : {&d.plain, &d.textured}) {
        gl->glUseProgram(p->id);
        gl->glUniformMatrix4fv(p->uViewProj, 1, GL_FALSE, vpm.data());
        gl->glUniform3f(p->uAmbient, static_cast<float>(c.ambient.x),
                        static_cast<float>(c.ambient.y), static_cast<float>(c.ambient.z));
        gl->glUniform1i(p->uLightCount, static_cast<GLint>(c.points.size()));
        gl->glUniform3fv(p->uLightPos, kMaxLights, lp);
        gl->glUniform3fv(p->uLightColour, kMaxLights, lc);
        if (p->uTex >= 0) gl->glUniform1i(p->uTex, 0);
    }
    gl->glActiveTexture(GL_TEXTURE0);

    const Program* current = &d.textured;
    for (const DrawItem& it : c.items) {
        const auto& parts = d.cache.Upload(*it.data);
        bool fresh = true; // model matrix not yet given to the current program
        for (size_t i = 0; i < parts.size() && i < it.data->parts.size(); ++i) {
            const MeshPart& p = it.data->parts[i];
            const GpuPart& g = parts[i];
            const Program* want = p.texture && g.hasUv ? &d.textured : &d.plain;
            if (want != current) {
                current = want;
                gl->glUseProgram(current->id);
                fresh = true;
            }
            if (fresh) {
                gl->glUniformMatrix4fv(current->uModel, 1, GL_FALSE, it.model.data());
                gl->glUniformMatrix3fv(current->uNormalMat, 1, GL_FALSE, it.normal.data());
                fresh = false;
            }
            gl->glUniform4f(current->uDiffuse, p.diffuse.r, p.diffuse.g, p.diffuse.b, p.diffuse.a);
            if (current == &d.textured)
                gl->glBindTexture(GL_TEXTURE_2D, d.cache.TextureId(*p.texture, p.texture->linear));
            gl->glBindVertexArray(g.vao);
            gl->glDrawElements(GL_TRIANGLES, g.count, GL_UNSIGNED_INT, nullptr);
        }
    }
    gl->glBindVertexArray(0);
    gl->glUseProgram(0);
}

void SceneRenderer::RenderText(const std::vector<TextItem>& items, int textColour, int width,
                               int height) {
    Impl& d = *d_;
    if (!d.gl || items.empty()) return;
    if (!d.paintDevice) d.paintDevice = std::make_unique<QOpenGLPaintDevice>(width, height);
    d.paintDevice->setSize(QSize(width, height));
    QPainter p(d.paintDevice.get());
    p.setPen(PaletteColour(textColour));
    const QFont& normal = width < 800 ? d.smallFont : d.font;
    bool big = false;
    p.setFont(normal);
    for (const TextLine& t : LayoutText(items, normal, d.bigFont, width, height)) {
        if (t.big != big) {
            big = t.big;
            p.setFont(big ? d.bigFont : normal);
        }
        p.drawText(t.x, t.baseline, t.text);
    }
    p.end();
}

} // namespace kv::scene
