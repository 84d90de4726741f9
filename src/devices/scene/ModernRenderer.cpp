#include "devices/scene/ModernRenderer.h"

#include "devices/scene/GpuCache.h"

#include "devices/scene/SceneRenderer.h"
#include "devices/scene/TextLayout.h"

#include "state/TextMetrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace kv::scene {

namespace {

using Mat4 = std::array<float, 16>; // column-major

Mat4 Mul(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a[static_cast<size_t>(k * 4 + row)] * b[static_cast<size_t>(c * 4 + k)];
            r[static_cast<size_t>(c * 4 + row)] = s;
        }
    return r;
}

// The lamp looks straight down at the table; the picture's up is the table's far side.
Mat4 LampViewProj(Vec3 eye, double fovDeg, double nearClip, double farClip) {
    const Vec3 f{0, -1, 0}, up{0, 0, -1};
    const Vec3 s = Normalized(Cross(f, up));
    const Vec3 u = Cross(s, f);
    Mat4 view{};
    view[0] = static_cast<float>(s.x);
    view[4] = static_cast<float>(s.y);
    view[8] = static_cast<float>(s.z);
    view[1] = static_cast<float>(u.x);
    view[5] = static_cast<float>(u.y);
    view[9] = static_cast<float>(u.z);
    view[2] = static_cast<float>(-f.x);
    view[6] = static_cast<float>(-f.y);
    view[10] = static_cast<float>(-f.z);
    view[12] = static_cast<float>(-Dot(s, eye));
    view[13] = static_cast<float>(-Dot(u, eye));
    view[14] = static_cast<float>(Dot(f, eye));
    view[15] = 1;
    const double t = 1 / std::tan(fovDeg * 3.14159265358979 / 360);
    Mat4 proj{};
    proj[0] = static_cast<float>(t);
    proj[5] = static_cast<float>(t);
    proj[10] = static_cast<float>((farClip + nearClip) / (nearClip - farClip));
    proj[11] = -1;
    proj[14] = static_cast<float>(2 * farClip * nearClip / (nearClip - farClip));
    return Mul(proj, view);
}

const char* kLitVertex = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uViewProj;
uniform mat4 uLampViewProj;
uniform mat4 uModel;
uniform mat3 uNormalMat;
out vec3 vWorld;
out vec3 vNormal;
out vec2 vUv;
out vec4 vShadow;
void main() {
    vec4 wp = uModel * vec4(aPos, 1.0);
    vWorld = wp.xyz;
    vNormal = uNormalMat * aNormal;
    vUv = aUv;
    vShadow = uLampViewProj * wp;
    gl_Position = uViewProj * wp;
}
)";

// What both ways of lighting share, with the version line; a fragment shader
// of either follows it: the wood's grain, the tone curve, the player's tint.
const char* kFragmentShared = R"(#version 330 core
uniform sampler2D uWood;
uniform vec3 uTint;
// Fine grain running along x, baked once: 128 by 64 units before it repeats.
vec3 grain(vec2 p) {
    vec3 c = texture(uWood, p * vec2(1.0 / 128.0, 1.0 / 64.0)).rgb;
    return c * c;
}
vec3 filmic(vec3 x) {
    return clamp((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}
// The player's colour over the model's, keeping its shading.
vec3 tinted(vec3 base) {
    if (uTint == vec3(1.0)) return base;
    float l = dot(base, vec3(0.2126, 0.7152, 0.0722));
    return mix(base, uTint * (0.3 + 0.7 * sqrt(l)), 0.8);
}
)";

// Materials: 0 painted, 1 table wood, 2 rail wood, 3 metal, 4 room, 5 lamp.
const char* kLitFragment = R"(in vec3 vWorld;
in vec3 vNormal;
in vec2 vUv;
in vec4 vShadow;
uniform sampler2D uTex;
uniform sampler2DShadow uShadowMap;
uniform int uUseTex;
uniform int uMaterial;
uniform int uShadowOn;
uniform float uShadowTexel;
uniform vec4 uDiffuse;
uniform vec3 uLampPos;
uniform vec3 uLampColour;
uniform vec3 uAmbient;
uniform vec3 uEye;
out vec4 fragColour;


void main() {
    vec3 n = normalize(vNormal);
    vec3 v = normalize(uEye - vWorld);
    if (dot(n, v) < 0.0) n = -n; // the meshes wind either way
    vec3 base = uDiffuse.rgb * uDiffuse.rgb; // to linear, near enough and cheap
    if (uUseTex == 1) {
        vec3 t = texture(uTex, vUv).rgb;
        base *= t * t;
    }
    float specular = 0.12, shiny = 16.0;
    if (uMaterial == 1) {
        base = grain(vWorld.xz);
        specular = 0.35;
        shiny = 70.0;
    } else if (uMaterial == 2) {
        base = grain(vec2(vWorld.x + vWorld.z, vWorld.y * 4.0)) * 1.2;
        specular = 0.2;
        shiny = 30.0;
    } else if (uMaterial == 3) {
        base = mix(vec3(0.55, 0.56, 0.6), base, 0.25);
        specular = 0.9;
        shiny = 60.0;
    } else if (uMaterial == 4) {
        if (n.y > 0.5) { // planks of the floor
            float plank = floor(vWorld.z / 12.0);
            float seam = clamp(abs(fract(vWorld.z / 12.0) - 0.5) * 24.0 - 11.4, 0.0, 1.0);
            base = grain(vec2(vWorld.x + plank * 37.0, vWorld.z * 0.7)) * 0.75 * (1.0 - 0.6 * seam);
            specular = 0.15;
            shiny = 25.0;
        } else if (n.y < -0.5) {
            base = vec3(0.55, 0.53, 0.5);
        } else { // the paper's stripes over its pattern
            float stripe = 0.9 + 0.1 * step(0.5, fract((vWorld.x + vWorld.z) / 8.0));
            base *= stripe;
            specular = 0.03;
        }
    } else if (uMaterial == 5) {
        fragColour = vec4(sqrt(filmic(base * 1.6)), 1.0);
        return;
    }
    base = tinted(base);
    vec3 l = uLampPos - vWorld;
    float d = length(l);
    l /= d;
    float ndl = max(dot(n, l), 0.0);
    float lit = 1.0;
    if (uShadowOn == 1 && ndl > 0.0) {
        vec3 sc = vShadow.xyz / vShadow.w * 0.5 + 0.5;
        float o = uShadowTexel * 1.5;
        sc.z -= 0.0015;
        lit = 0.25 * (texture(uShadowMap, sc + vec3(-o, -o, 0.0)) +
                      texture(uShadowMap, sc + vec3(o, -o, 0.0)) +
                      texture(uShadowMap, sc + vec3(-o, o, 0.0)) +
                      texture(uShadowMap, sc + vec3(o, o, 0.0)));
    }
    float fall = 1.0 / (1.0 + d * d * 0.00006);
    vec3 h = normalize(l + v);
    float s = specular * pow(max(dot(n, h), 0.0), shiny) * (shiny + 8.0) / 24.0 * step(0.0, ndl);
    vec3 sky = mix(vec3(0.30, 0.26, 0.22), vec3(0.50, 0.52, 0.58), n.y * 0.5 + 0.5);
    vec3 c = base * uAmbient * sky + (base * ndl + vec3(s)) * uLampColour * fall * lit;
    fragColour = vec4(sqrt(filmic(c * 1.5)), uDiffuse.a);
}
)";

// The last step on a slow renderer: the light per vertex, as cheap as the
// classic look's, the materials and the tone curve still per pixel.
const char* kVertexLitVertex = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uViewProj;
uniform mat4 uModel;
uniform mat3 uNormalMat;
uniform vec3 uLampPos;
uniform vec3 uLampColour;
uniform vec3 uAmbient;
uniform vec3 uEye;
out vec3 vWorld;
out vec2 vUv;
out vec3 vLight;
out float vUp;
void main() {
    vec4 wp = uModel * vec4(aPos, 1.0);
    vWorld = wp.xyz;
    vUv = aUv;
    vec3 n = normalize(uNormalMat * aNormal);
    vec3 v = normalize(uEye - wp.xyz);
    if (dot(n, v) < 0.0) n = -n;
    vec3 l = uLampPos - wp.xyz;
    float d = length(l);
    l /= d;
    float ndl = max(dot(n, l), 0.0);
    float fall = 1.0 / (1.0 + d * d * 0.00006);
    vec3 sky = mix(vec3(0.30, 0.26, 0.22), vec3(0.50, 0.52, 0.58), n.y * 0.5 + 0.5);
    vLight = uAmbient * sky + ndl * uLampColour * fall;
    vUp = n.y;
    gl_Position = uViewProj * wp;
}
)";

const char* kVertexLitFragment = R"(in vec3 vWorld;
in vec2 vUv;
in vec3 vLight;
in float vUp;
uniform sampler2D uTex;
uniform int uUseTex;
uniform int uMaterial;
uniform vec4 uDiffuse;
out vec4 fragColour;
void main() {
    vec3 base = uDiffuse.rgb * uDiffuse.rgb;
    if (uUseTex == 1) {
        vec3 t = texture(uTex, vUv).rgb;
        base *= t * t;
    }
    if (uMaterial == 1) {
        base = grain(vWorld.xz);
    } else if (uMaterial == 2) {
        base = grain(vec2(vWorld.x + vWorld.z, vWorld.y * 4.0)) * 1.2;
    } else if (uMaterial == 3) {
        base = mix(vec3(0.55, 0.56, 0.6), base, 0.25);
    } else if (uMaterial == 4 && vUp > 0.5) {
        float plank = floor(vWorld.z / 12.0);
        base = grain(vec2(vWorld.x + plank * 37.0, vWorld.z * 0.7)) * 0.75;
    } else if (uMaterial == 4 && vUp < -0.5) {
        base = vec3(0.55, 0.53, 0.5);
    } else if (uMaterial == 5) {
        fragColour = vec4(sqrt(filmic(base * 1.6)), 1.0);
        return;
    }
    base = tinted(base);
    fragColour = vec4(sqrt(filmic(base * vLight * 1.5)), uDiffuse.a);
}
)";

const char* kDepthVertex = R"(#version 330 core
layout(location = 0) in vec3 aPos;
uniform mat4 uLampViewProj;
uniform mat4 uModel;
void main() {
    gl_Position = uLampViewProj * (uModel * vec4(aPos, 1.0));
}
)";

const char* kDepthFragment = R"(#version 330 core
void main() {}
)";

const char* kDecalVertex = R"(#version 330 core
layout(location = 0) in vec2 aCorner;
uniform mat4 uViewProj;
uniform vec3 uCentre;
uniform float uRadius;
out vec2 vQ;
void main() {
    vQ = aCorner;
    gl_Position = uViewProj * vec4(uCentre + vec3(aCorner.x, 0.0, aCorner.y) * uRadius, 1.0);
}
)";

const char* kDecalFragment = R"(#version 330 core
in vec2 vQ;
uniform int uKind;
uniform vec4 uColour;
out vec4 fragColour;
void main() {
    float r = length(vQ);
    float a;
    if (uKind == 0)
        a = 1.0 - smoothstep(0.7, 1.0, r); // dark up to the piece's edge, soft beyond
    else
        a = smoothstep(0.66, 0.74, r) * (1.0 - smoothstep(0.9, 1.0, r));
    fragColour = vec4(uColour.rgb, uColour.a * a);
}
)";

// A whole-screen triangle: the backdrop, and the edge smoothing's pass.
const char* kScreenVertex = R"(#version 330 core
out vec2 vUv;
void main() {
    vec2 p = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    vUv = p;
    gl_Position = vec4(p * 2.0 - 1.0, 1.0, 1.0);
}
)";

const char* kBackdropFragment = R"(#version 330 core
in vec2 vUv;
out vec4 fragColour;
void main() {
    float r = length((vUv - vec2(0.5, 0.6)) * vec2(1.4, 1.0));
    vec3 c = mix(vec3(0.20, 0.17, 0.15), vec3(0.07, 0.06, 0.065), smoothstep(0.0, 0.9, r));
    fragColour = vec4(c, 1.0);
}
)";

// Edges found by luma contrast, blended along them (a small FXAA).
const char* kSmoothFragment = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uImage;
uniform vec2 uTexel;
out vec4 fragColour;
float luma(vec3 c) { return dot(c, vec3(0.299, 0.587, 0.114)); }
void main() {
    vec3 m = texture(uImage, vUv).rgb;
    float lm = luma(m);
    float ln = luma(texture(uImage, vUv + vec2(0.0, uTexel.y)).rgb);
    float ls = luma(texture(uImage, vUv - vec2(0.0, uTexel.y)).rgb);
    float le = luma(texture(uImage, vUv + vec2(uTexel.x, 0.0)).rgb);
    float lw = luma(texture(uImage, vUv - vec2(uTexel.x, 0.0)).rgb);
    float lo = min(lm, min(min(ln, ls), min(le, lw)));
    float hi = max(lm, max(max(ln, ls), max(le, lw)));
    if (hi - lo < max(0.06, hi * 0.12)) {
        fragColour = vec4(m, 1.0);
        return;
    }
    vec2 dir = normalize(vec2(-(ln - ls), le - lw) + 1e-6) * uTexel;
    vec3 a = 0.5 * (texture(uImage, vUv + dir * (1.0 / 3.0 - 0.5)).rgb +
                    texture(uImage, vUv + dir * (2.0 / 3.0 - 0.5)).rgb);
    vec3 b = a * 0.5 + 0.25 * (texture(uImage, vUv - dir * 0.5).rgb +
                               texture(uImage, vUv + dir * 0.5).rgb);
    float lb = luma(b);
    fragColour = vec4((lb < lo || lb > hi) ? a : b, 1.0);
}
)";

// The desk's wood: warped bands of early and late wood with fine pores, in
// sRGB; 256 texels along the grain, 512 across, no visible repeat on a desk.
// Made once a run: the start of a match waits for it.
const QImage& WoodGrain() {
    static const QImage wood = [] {
        constexpr int w = 256, h = 512;
        auto hash = [](int x, int y) {
            std::uint32_t n = static_cast<std::uint32_t>(x) * 374761393u +
                              static_cast<std::uint32_t>(y) * 668265263u;
            n = (n ^ (n >> 13)) * 1274126177u;
            return static_cast<double>((n ^ (n >> 16)) & 0xffff) / 65535.0;
        };
        // Value noise tiling with the period (px, py) in lattice cells.
        auto noise = [&](double x, double y, int px, int py) {
            const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
            const double fx = x - xi, fy = y - yi;
            const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
            auto at = [&](int i, int j) {
                return hash(((i % px) + px) % px, ((j % py) + py) % py);
            };
            const double a = at(xi, yi) + sx * (at(xi + 1, yi) - at(xi, yi));
            const double b = at(xi, yi + 1) + sx * (at(xi + 1, yi + 1) - at(xi, yi + 1));
            return a + sy * (b - a);
        };
        QImage img(w, h, QImage::Format_RGBA8888);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<std::uint8_t*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const double u = x / double(w), v = y / double(h);
                const double warp =
                    noise(u * 4, v * 6, 4, 6) * 3 + noise(u * 16, v * 24, 16, 24) * 0.4;
                const double band = 0.5 + 0.5 * std::sin((v * 110 + warp) * 6.2831853);
                const double late = band * band * band;
                const double pores = hash(x, y);
                const double t = std::clamp(0.8 - 0.4 * late - 0.15 * pores, 0.0, 1.0);
                const double dark[3] = {0.42, 0.26, 0.15}, light[3] = {0.66, 0.44, 0.26};
                for (int k = 0; k < 3; ++k)
                    row[4 * x + k] = static_cast<std::uint8_t>(
                        std::lround(255 * (dark[k] + t * (light[k] - dark[k]))));
                row[4 * x + 3] = 255;
            }
        }
        return img;
    }();
    return wood;
}

struct Item {
    const MeshData* data;
    const Mesh* mesh;
    double size;
    Mat4 model;
    std::array<float, 9> normal;
};

struct Collected {
    std::vector<Item> items;
    Vec3 ambient;
    bool lamp = false;
    Vec3 lampPos;
    Colour lampColour;
};

void Collect(const Frame& f, const Mat3& parentRot, Vec3 parentPos, Collected& out) {
    const Mat3 rot = parentRot * f.Rotation();
    const Vec3 pos = parentPos + parentRot * f.Position();
    for (const auto& light : f.Lights()) {
        if (light->type == Light::Type::Ambient) {
            out.ambient = out.ambient + Vec3{light->colour.r, light->colour.g, light->colour.b};
        } else if (!out.lamp) {
            out.lamp = true;
            out.lampPos = pos;
            out.lampColour = light->colour;
        }
    }
    for (const auto& mesh : f.Visuals()) {
        if (!mesh->Data()) continue;
        const Vec3 s = mesh->Scale();
        Item it;
        it.data = mesh->Data().get();
        it.mesh = mesh.get();
        const Box b = mesh->Bounds();
        it.size = b.empty ? 0
                          : Length({(b.max.x - b.min.x) * s.x, (b.max.y - b.min.y) * s.y,
                                    (b.max.z - b.min.z) * s.z});
        const double sc[3] = {s.x, s.y, s.z};
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                it.model[static_cast<size_t>(c * 4 + r)] = static_cast<float>(rot.m[r][c] * sc[c]);
        it.model[3] = it.model[7] = it.model[11] = 0;
        it.model[12] = static_cast<float>(pos.x);
        it.model[13] = static_cast<float>(pos.y);
        it.model[14] = static_cast<float>(pos.z);
        it.model[15] = 1;
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

struct ModernRenderer::Impl {
    QOpenGLExtraFunctions* gl = nullptr;
    GLuint lit = 0, vertexLit = 0, depth = 0, decal = 0, backdrop = 0, smooth = 0;
    std::unordered_map<std::string, GLint> loc; // "program:name"
    GLuint emptyVao = 0, quadVao = 0, quadVbo = 0;
    GLuint shadowFbo = 0, shadowTex = 0;
    int shadowSize = 0;
    GLuint wood = 0;
    GLuint sceneFbo = 0, sceneTex = 0, sceneColour = 0, sceneDepth = 0;
    int sceneW = 0, sceneH = 0, sceneSamples = 0;
    GpuCache cache;
    std::unique_ptr<QOpenGLPaintDevice> paintDevice;
    QFont font, bigFont, bannerFont;

    GLint U(GLuint prog, const char* name) {
        const std::string key = std::to_string(prog) + ":" + name;
        auto it = loc.find(key);
        if (it != loc.end()) return it->second;
        const GLint l = gl->glGetUniformLocation(prog, name);
        loc.emplace(key, l);
        return l;
    }

    void FreeShadow() {
        if (shadowFbo) gl->glDeleteFramebuffers(1, &shadowFbo);
        if (shadowTex) gl->glDeleteTextures(1, &shadowTex);
        shadowFbo = shadowTex = 0;
        shadowSize = 0;
    }

    bool MakeShadow(int size) {
        if (shadowSize == size && shadowFbo) return true;
        FreeShadow();
        gl->glGenTextures(1, &shadowTex);
        gl->glBindTexture(GL_TEXTURE_2D, shadowTex);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size, size, 0, GL_DEPTH_COMPONENT,
                         GL_UNSIGNED_INT, nullptr);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
        gl->glGenFramebuffers(1, &shadowFbo);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, shadowFbo);
        gl->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowTex,
                                   0);
        gl->glDrawBuffers(0, nullptr);
        gl->glReadBuffer(GL_NONE);
        const bool ok = gl->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        shadowSize = size;
        if (!ok) FreeShadow();
        return ok;
    }

    void FreeSceneTarget() {
        if (sceneFbo) gl->glDeleteFramebuffers(1, &sceneFbo);
        if (sceneTex) gl->glDeleteTextures(1, &sceneTex);
        if (sceneColour) gl->glDeleteRenderbuffers(1, &sceneColour);
        if (sceneDepth) gl->glDeleteRenderbuffers(1, &sceneDepth);
        sceneFbo = sceneTex = sceneColour = sceneDepth = 0;
        sceneW = sceneH = sceneSamples = 0;
    }

    // The picture drawn off screen: multisampled renderbuffers resolved by a
    // blit, or a texture for the edge smoothing's pass.
    bool MakeSceneTarget(int w, int h, int samples) {
        if (sceneFbo && sceneW == w && sceneH == h && sceneSamples == samples) return true;
        FreeSceneTarget();
        gl->glGenFramebuffers(1, &sceneFbo);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, sceneFbo);
        gl->glGenRenderbuffers(1, &sceneDepth);
        gl->glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth);
        if (samples > 0) {
            gl->glGenRenderbuffers(1, &sceneColour);
            gl->glBindRenderbuffer(GL_RENDERBUFFER, sceneColour);
            gl->glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, w, h);
            gl->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                          sceneColour);
            gl->glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth);
            gl->glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, w,
                                                 h);
        } else {
            gl->glGenTextures(1, &sceneTex);
            gl->glBindTexture(GL_TEXTURE_2D, sceneTex);
            gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             nullptr);
            gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            gl->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                       sceneTex, 0);
            gl->glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth);
            gl->glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
        }
        gl->glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                      sceneDepth);
        const bool ok = gl->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        sceneW = w;
        sceneH = h;
        sceneSamples = samples;
        if (!ok) FreeSceneTarget();
        return ok;
    }
};

ModernRenderer::ModernRenderer() : d_(std::make_unique<Impl>()) {
    d_->font = QFont(QStringLiteral("DejaVu Sans"));
    d_->font.setPixelSize(14);
    d_->bigFont = d_->font;
    d_->bigFont.setPixelSize(20);
    d_->bigFont.setBold(true);
    d_->bannerFont = d_->bigFont;
    d_->bannerFont.setPixelSize(30);
}

ModernRenderer::~ModernRenderer() = default;

bool ModernRenderer::Ready() const {
    return d_->lit != 0;
}

bool ModernRenderer::InitGL(std::string& error) {
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
    Impl& d = *d_;
    d.gl = ctx->extraFunctions();
    d.cache.Attach(d.gl);
    d.loc.clear();
    d.lit =
        LinkProgram(d.gl, kLitVertex, (std::string(kFragmentShared) + kLitFragment).c_str(), error);
    d.depth = d.lit ? LinkProgram(d.gl, kDepthVertex, kDepthFragment, error) : 0;
    d.decal = d.depth ? LinkProgram(d.gl, kDecalVertex, kDecalFragment, error) : 0;
    d.backdrop = d.decal ? LinkProgram(d.gl, kScreenVertex, kBackdropFragment, error) : 0;
    d.smooth = d.backdrop ? LinkProgram(d.gl, kScreenVertex, kSmoothFragment, error) : 0;
    d.vertexLit =
        d.smooth ? LinkProgram(d.gl, kVertexLitVertex,
                               (std::string(kFragmentShared) + kVertexLitFragment).c_str(), error)
                 : 0;
    if (!d.vertexLit) {
        for (GLuint p : {d.lit, d.depth, d.decal, d.backdrop, d.smooth})
            if (p) d.gl->glDeleteProgram(p);
        d.lit = d.depth = d.decal = d.backdrop = d.smooth = 0;
        return false;
    }
    const QImage& wood = WoodGrain();
    d.gl->glGenTextures(1, &d.wood);
    d.gl->glBindTexture(GL_TEXTURE_2D, d.wood);
    d.gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    d.gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    d.gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, wood.width(), wood.height(), 0, GL_RGBA,
                       GL_UNSIGNED_BYTE, wood.constBits());
    d.gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    d.gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    d.gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    d.gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    d.gl->glGenVertexArrays(1, &d.emptyVao);
    const float quad[] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};
    d.gl->glGenVertexArrays(1, &d.quadVao);
    d.gl->glBindVertexArray(d.quadVao);
    d.gl->glGenBuffers(1, &d.quadVbo);
    d.gl->glBindBuffer(GL_ARRAY_BUFFER, d.quadVbo);
    d.gl->glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    d.gl->glEnableVertexAttribArray(0);
    d.gl->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
    d.gl->glBindVertexArray(0);
    return true;
}

void ModernRenderer::ReleaseGL() {
    Impl& d = *d_;
    if (!d.gl) return;
    d.cache.Clear();
    d.cache.Attach(nullptr);
    d.FreeShadow();
    d.FreeSceneTarget();
    if (d.wood) d.gl->glDeleteTextures(1, &d.wood);
    d.wood = 0;
    for (GLuint* p : {&d.lit, &d.vertexLit, &d.depth, &d.decal, &d.backdrop, &d.smooth}) {
        if (*p) d.gl->glDeleteProgram(*p);
        *p = 0;
    }
    if (d.quadVbo) d.gl->glDeleteBuffers(1, &d.quadVbo);
    for (GLuint* v : {&d.quadVao, &d.emptyVao})
        if (*v) d.gl->glDeleteVertexArrays(1, v);
    d.quadVbo = d.quadVao = d.emptyVao = 0;
    d.loc.clear();
    d.paintDevice.reset();
    d.gl = nullptr;
}

void ModernRenderer::ForgetUnused(const Scene& scene) {
    d_->cache.ForgetUnused(scene);
}

void ModernRenderer::RenderScene(const Scene& scene) {
    Impl& d = *d_;
    if (!d.gl || !Ready()) return;
    QOpenGLExtraFunctions* gl = d.gl;
    const Viewport& vp = scene.viewport;
    GLint target = 0;
    gl->glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    const int samples = quality_.samples;
    // A smaller scene is drawn off screen and stretched onto the picture; a
    // multisampled one must be resolved at its own size.
    const int scale = samples > 0 ? 100 : std::clamp(quality_.scale, 10, 100);
    const int sw = std::max(1, vp.width * scale / 100), sh = std::max(1, vp.height * scale / 100);
    const bool offscreen =
        (samples > 0 || quality_.smoothEdges || scale < 100) && d.MakeSceneTarget(sw, sh, samples);
    const int drawW = offscreen ? sw : vp.width, drawH = offscreen ? sh : vp.height;
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glDisable(GL_STENCIL_TEST);
    gl->glDisable(GL_BLEND);
    gl->glDisable(GL_CULL_FACE);
    gl->glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl->glDepthMask(GL_TRUE);

    Collected c;
    if (scene.camera && scene.root) Collect(*scene.root, Mat3{}, Vec3{}, c);
    std::stable_sort(c.items.begin(), c.items.end(),
                     [](const Item& a, const Item& b) { return a.size < b.size; });
    bool hasRoom = false;
    for (const Item& it : c.items)
        hasRoom = hasRoom || it.mesh->material == Material::Room;

    // The lamp's depth picture: everything but the room and the lamp casts.
    // Wide enough for the desk, its legs and what stands on it; every texel counts.
    const Mat4 lampVp = LampViewProj(c.lampPos, 84, 4, 200);
    const bool shadows = c.lamp && quality_.shadowSize > 0 && d.MakeShadow(quality_.shadowSize);
    if (shadows) {
        gl->glBindFramebuffer(GL_FRAMEBUFFER, d.shadowFbo);
        gl->glViewport(0, 0, d.shadowSize, d.shadowSize);
        gl->glEnable(GL_DEPTH_TEST);
        gl->glDepthFunc(GL_LESS);
        gl->glClearDepthf(1);
        gl->glClear(GL_DEPTH_BUFFER_BIT);
        gl->glEnable(GL_POLYGON_OFFSET_FILL);
        gl->glPolygonOffset(2, 4);
        gl->glUseProgram(d.depth);
        gl->glUniformMatrix4fv(d.U(d.depth, "uLampViewProj"), 1, GL_FALSE, lampVp.data());
        const GLint model = d.U(d.depth, "uModel");
        for (const Item& it : c.items) {
            if (it.mesh->material == Material::Room || it.mesh->material == Material::Lamp)
                continue;
            gl->glUniformMatrix4fv(model, 1, GL_FALSE, it.model.data());
            for (const GpuPart& g : d.cache.Upload(*it.data)) {
                gl->glBindVertexArray(g.vao);
                gl->glDrawElements(GL_TRIANGLES, g.count, GL_UNSIGNED_INT, nullptr);
            }
        }
        gl->glDisable(GL_POLYGON_OFFSET_FILL);
    }

    gl->glBindFramebuffer(GL_FRAMEBUFFER, offscreen ? d.sceneFbo : static_cast<GLuint>(target));
    gl->glViewport(0, 0, drawW, drawH);
    gl->glClearDepthf(1);
    gl->glClear(GL_DEPTH_BUFFER_BIT);
    // Never a black void: a soft dark backdrop where no room stands.
    if (!hasRoom || !scene.camera) {
        gl->glDisable(GL_DEPTH_TEST);
        gl->glDepthMask(GL_FALSE);
        gl->glUseProgram(d.backdrop);
        gl->glBindVertexArray(d.emptyVao);
        gl->glDrawArrays(GL_TRIANGLES, 0, 3);
        gl->glDepthMask(GL_TRUE);
    }
    if (scene.camera && scene.root) {
        gl->glEnable(GL_DEPTH_TEST);
        gl->glDepthFunc(GL_LESS);
        const auto vpm = Projection::ViewProj(*scene.camera, vp);
        const Vec3 eye = scene.camera->WorldPosition();
        const GLuint prog = quality_.perPixel ? d.lit : d.vertexLit;
        gl->glUseProgram(prog);
        gl->glUniformMatrix4fv(d.U(prog, "uViewProj"), 1, GL_FALSE, vpm.data());
        gl->glUniformMatrix4fv(d.U(prog, "uLampViewProj"), 1, GL_FALSE, lampVp.data());
        gl->glUniform3f(d.U(prog, "uEye"), static_cast<float>(eye.x), static_cast<float>(eye.y),
                        static_cast<float>(eye.z));
        // The classic ambient grey becomes a soft fill; the lamp does the lighting.
        const float amb = static_cast<float>(std::min(1.0, c.ambient.x)) * 0.7f + 0.08f;
        gl->glUniform3f(d.U(prog, "uAmbient"), amb, amb, amb);
        gl->glUniform3f(d.U(prog, "uLampPos"), static_cast<float>(c.lampPos.x),
                        static_cast<float>(c.lampPos.y), static_cast<float>(c.lampPos.z));
        const float k = c.lamp ? 2.2f : 0.f;
        gl->glUniform3f(d.U(prog, "uLampColour"), c.lampColour.r * k, c.lampColour.g * k * 0.95f,
                        c.lampColour.b * k * 0.85f);
        gl->glUniform1i(d.U(prog, "uShadowOn"), shadows ? 1 : 0);
        gl->glUniform1f(d.U(prog, "uShadowTexel"), shadows ? 1.f / d.shadowSize : 0.f);
        gl->glUniform1i(d.U(prog, "uTex"), 0);
        gl->glUniform1i(d.U(prog, "uShadowMap"), 1);
        gl->glUniform1i(d.U(prog, "uWood"), 2);
        gl->glActiveTexture(GL_TEXTURE2);
        gl->glBindTexture(GL_TEXTURE_2D, d.wood);
        gl->glActiveTexture(GL_TEXTURE1);
        gl->glBindTexture(GL_TEXTURE_2D, shadows ? d.shadowTex : 0);
        gl->glActiveTexture(GL_TEXTURE0);
        const GLint uModel = d.U(prog, "uModel"), uNormal = d.U(prog, "uNormalMat"),
                    uDiffuse = d.U(prog, "uDiffuse"), uTint = d.U(prog, "uTint"),
                    uMaterial = d.U(prog, "uMaterial"), uUseTex = d.U(prog, "uUseTex");
        for (const Item& it : c.items) {
            const auto& parts = d.cache.Upload(*it.data);
            const Mesh& mesh = *it.mesh;
            gl->glUniformMatrix4fv(uModel, 1, GL_FALSE, it.model.data());
            gl->glUniformMatrix3fv(uNormal, 1, GL_FALSE, it.normal.data());
            gl->glUniform3f(uTint, mesh.tint.r, mesh.tint.g, mesh.tint.b);
            gl->glUniform1i(uMaterial, static_cast<GLint>(mesh.material));
            for (size_t i = 0; i < parts.size() && i < it.data->parts.size(); ++i) {
                const MeshPart& p = it.data->parts[i];
                const GpuPart& g = parts[i];
                // The table's wood is drawn, not the old picture stretched over it.
                const bool tex = p.texture && g.hasUv && mesh.material != Material::TableWood;
                gl->glUniform1i(uUseTex, tex ? 1 : 0);
                if (tex) gl->glBindTexture(GL_TEXTURE_2D, d.cache.TextureId(*p.texture, true));
                gl->glUniform4f(uDiffuse, p.diffuse.r, p.diffuse.g, p.diffuse.b, p.diffuse.a);
                gl->glBindVertexArray(g.vao);
                gl->glDrawElements(GL_TRIANGLES, g.count, GL_UNSIGNED_INT, nullptr);
            }
        }
        if (!scene.decals.empty()) {
            gl->glEnable(GL_BLEND);
            gl->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            gl->glDepthMask(GL_FALSE);
            gl->glEnable(GL_POLYGON_OFFSET_FILL);
            gl->glPolygonOffset(-2, -8);
            gl->glUseProgram(d.decal);
            gl->glUniformMatrix4fv(d.U(d.decal, "uViewProj"), 1, GL_FALSE, vpm.data());
            gl->glBindVertexArray(d.quadVao);
            for (const Decal& dc : scene.decals) {
                gl->glUniform3f(d.U(d.decal, "uCentre"), static_cast<float>(dc.centre.x),
                                static_cast<float>(dc.centre.y), static_cast<float>(dc.centre.z));
                gl->glUniform1f(d.U(d.decal, "uRadius"), static_cast<float>(dc.radius));
                gl->glUniform1i(d.U(d.decal, "uKind"), dc.kind == Decal::Kind::Ring ? 1 : 0);
                gl->glUniform4f(d.U(d.decal, "uColour"), dc.colour.r, dc.colour.g, dc.colour.b,
                                dc.colour.a);
                gl->glDrawArrays(GL_TRIANGLES, 0, 6);
            }
            gl->glDisable(GL_POLYGON_OFFSET_FILL);
            gl->glDepthMask(GL_TRUE);
            gl->glDisable(GL_BLEND);
        }
    }
    if (offscreen && (samples > 0 || !quality_.smoothEdges)) {
        gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, d.sceneFbo);
        gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(target));
        gl->glBlitFramebuffer(0, 0, sw, sh, 0, 0, vp.width, vp.height, GL_COLOR_BUFFER_BIT,
                              samples > 0 ? GL_NEAREST : GL_LINEAR);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(target));
        gl->glViewport(0, 0, vp.width, vp.height);
    } else if (offscreen) {
        gl->glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(target));
        gl->glViewport(0, 0, vp.width, vp.height);
        gl->glDisable(GL_DEPTH_TEST);
        gl->glUseProgram(d.smooth);
        gl->glUniform1i(d.U(d.smooth, "uImage"), 0);
        gl->glUniform2f(d.U(d.smooth, "uTexel"), 1.f / sw, 1.f / sh);
        gl->glActiveTexture(GL_TEXTURE0);
        gl->glBindTexture(GL_TEXTURE_2D, d.sceneTex);
        gl->glBindVertexArray(d.emptyVao);
        gl->glDrawArrays(GL_TRIANGLES, 0, 3);
        // The text painter expects the depth test where the classic path leaves it.
        gl->glEnable(GL_DEPTH_TEST);
    }
    gl->glBindVertexArray(0);
    gl->glUseProgram(0);
    gl->glActiveTexture(GL_TEXTURE2);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    gl->glActiveTexture(GL_TEXTURE1);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
}

void ModernRenderer::RenderText(const std::vector<TextItem>& items, int textColour, int width,
                                int height, const Overlay& overlay) {
    Impl& d = *d_;
    if (!d.gl) return;
    if (items.empty() && !overlay.forceBar && (overlay.banner.empty() || overlay.bannerAlpha <= 0))
        return;
    if (!d.paintDevice) d.paintDevice = std::make_unique<QOpenGLPaintDevice>(width, height);
    d.paintDevice->setSize(QSize(width, height));
    QPainter p(d.paintDevice.get());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The type the match laid its lines out for: it grows with the picture.
    QFont normal = d.font;
    normal.setPixelSize(ModernTextPixels(height, false));
    QFont bigFont = d.bigFont;
    bigFont.setPixelSize(ModernTextPixels(height, true));
    const std::vector<TextLine> lines = LayoutText(items, normal, bigFont, width, height);
    // A panel behind each block of lines (the status at the top, the turn and
    // hints at the bottom, a question), not one over the whole picture; a small
    // backing under each name.
    std::vector<QRect> blocks;
    std::vector<QRect> backings;
    for (const TextLine& t : lines) {
        const QFontMetrics fm(t.big ? bigFont : normal);
        const QRect r(t.x, t.baseline - fm.ascent(), fm.horizontalAdvance(t.text), fm.height());
        if (t.label)
            backings.push_back(r.adjusted(-5, -2, 5, 2));
        else
            blocks.push_back(r);
    }
    std::sort(blocks.begin(), blocks.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    std::vector<QRect> panels;
    for (const QRect& r : blocks)
        if (!panels.empty() && r.top() <= panels.back().bottom() + r.height() / 2)
            panels.back() = panels.back().united(r);
        else
            panels.push_back(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 12, 10, 150));
    for (const QRect& panel : panels)
        p.drawRoundedRect(panel.adjusted(-8, -5, 8, 5), 8, 8);
    p.setBrush(QColor(16, 12, 10, 120));
    for (const QRect& r : backings)
        p.drawRoundedRect(r, 5, 5);
    const QColor ink = PaletteColour(textColour);
    p.setPen(ink);
    bool big = false;
    p.setFont(normal);
    for (const TextLine& t : lines) {
        if (t.big != big) {
            big = t.big;
            p.setFont(big ? bigFont : normal);
        }
        p.drawText(t.x, t.baseline, t.text);
    }
    if (overlay.forceBar) {
        const double h = std::max(60.0, height / 8.0), w = std::max(8.0, h / 8);
        const QRectF frame(overlay.barX + w * 3, overlay.barY - h, w, h);
        p.setPen(QPen(QColor(240, 232, 210, 220), 1.5));
        p.setBrush(QColor(16, 12, 10, 150));
        p.drawRoundedRect(frame, 3, 3);
        const float f = std::clamp(overlay.force, 0.f, 1.f);
        const QRectF fill(frame.left() + 2, frame.bottom() - 2 - (h - 4) * f, w - 4, (h - 4) * f);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsvF(0.33 * (1 - f), 0.85, 0.95));
        p.drawRect(fill);
    }
    if (!overlay.banner.empty() && overlay.bannerAlpha > 0) {
        const float a = std::clamp(overlay.bannerAlpha, 0.f, 1.f);
        QFont bannerFont = d.bannerFont;
        bannerFont.setPixelSize(ModernTextPixels(height, true) * 3 / 2);
        p.setFont(bannerFont);
        const QString text = QString::fromStdString(overlay.banner);
        const QFontMetrics fm(bannerFont);
        const int tw = std::min(width - 20, fm.horizontalAdvance(text));
        const QRect r((width - tw) / 2 - 24, height / 2 - fm.height(), tw + 48, fm.height() * 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(16, 12, 10, static_cast<int>(170 * a)));
        p.drawRoundedRect(r, 12, 12);
        p.setPen(QColor(250, 240, 215, static_cast<int>(255 * a)));
        p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    p.end();
}

} // namespace kv::scene
