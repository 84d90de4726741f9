#include "SceneTestData.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace kv::testing {

namespace {

// A box (imported coordinates lo..hi) with one material, which may name a
// texture, as a text .x file.
void WriteBoxX(const std::string& path, std::array<float, 3> lo, std::array<float, 3> hi, Rgb c,
               const char* texture = nullptr) {
    // The .x file is left-handed: the importer negates z.
    std::ostringstream s;
    s << "xof 0303txt 0032\n\nMesh Box {\n 8;\n";
    for (int i = 0; i < 8; ++i) // corner i: bit 0 picks x, bit 1 y, bit 2 z
        s << " " << ((i & 1) ? hi[0] : lo[0]) << ";" << ((i & 2) ? hi[1] : lo[1]) << ";"
          << -((i & 4) ? lo[2] : hi[2]) << ";" << (i < 7 ? "," : ";") << "\n";
    const int f[12][3] = {{0, 3, 1}, {0, 2, 3}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                          {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    s << " 12;\n";
    for (int i = 0; i < 12; ++i)
        s << " 3;" << f[i][0] << "," << f[i][1] << "," << f[i][2] << (i < 11 ? ";,\n" : ";;\n");
    s << " MeshMaterialList {\n  1;\n  12;\n";
    for (int i = 0; i < 12; ++i)
        s << "  0" << (i < 11 ? ",\n" : ";\n");
    s << "  Material Colour {\n   " << c.r << ";" << c.g << ";" << c.b
      << ";1.0;;\n   0.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n";
    if (texture) s << "   TextureFilename {\n    \"" << texture << "\";\n   }\n";
    s << "  }\n }\n}\n";
    std::ofstream(path, std::ios::binary) << s.str();
}

} // namespace

Rgb PieceColour(int model, bool gray) {
    if (gray) return {0.5f, 0.5f, 0.5f};
    static const Rgb c[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
    return c[model & 3];
}

TinyGameData::TinyGameData() {
    std::string tmpl = (fs::temp_directory_path() / "kv-scene-XXXXXX").string();
    root_ = mkdtemp(tmpl.data());
    dir_ = root_ + "/gamedata";
    for (const char* sub : {"/mesh", "/pic", "/sound"})
        fs::create_directories(dir_ + sub);
    const std::string m = dir_ + "/mesh/";
    const Rgb grey{0.6f, 0.6f, 0.6f}, white{1, 1, 1};
    // The table names its texture in its material, as the game's own does.
    WriteBoxX(m + "goblatable.x", {0, -4, -50}, {100, 0, 0}, {0.7f, 0.5f, 0.3f}, "goblatable.bmp");
    WriteBoxX(m + "nozhka.x", {-3, -70, -3}, {3, 0, 3}, grey);
    WriteBoxX(m + "lamp.x", {-5, -5, -5}, {5, 5, 5}, grey);
    WriteBoxX(m + "swin.x", {-10, 0, -10}, {10, 20, 10}, {1, 0.6f, 0.7f});
    WriteBoxX(m + "pot.x", {-10, 0, -10}, {10, 20, 10}, grey);
    WriteBoxX(m + "ball.x", {-5, -5, -5}, {5, 5, 5}, white);
    WriteBoxX(m + "point.x", {-2, 0, 0}, {2, 2, 30}, white);
    WriteBoxX(m + "centerpoint.x", {-0.3f, -0.3f, -0.3f}, {0.3f, 0.3f, 0.3f}, white);
    WriteBoxX(m + "border1.x", {0, 0, -5}, {100, 20, 5}, {0.4f, 0.3f, 0.2f});
    WriteBoxX(m + "pipa.x", {-10, 0, -10}, {10, 15, 10}, {0.3f, 0.3f, 0.3f});
    for (int model = 0; model < 4; ++model)
        for (bool gray : {false, true})
            WriteBoxX(m + "gobla" + std::to_string(model) + (gray ? "_gray.x" : ".x"),
                      {-20, 0, -20}, {20, 6, 20}, PieceColour(model, gray));
    QImage tex(8, 8, QImage::Format_RGB32);
    tex.fill(QColor(230, 230, 230));
    tex.save(QString::fromStdString(m + "goblatable.bmp"), "BMP");
    tex.save(QString::fromStdString(dir_ + "/pic/mingerb.bmp"), "BMP");
    for (const char* name : {"xruk", "2gobly", "stenka", "win"})
        std::ofstream(dir_ + "/sound/" + name + ".wav") << "RIFF";
    for (int i = 0; i < 4; ++i)
        for (const char* name : {"gobla", "poswinu", "pot"})
            std::ofstream(dir_ + "/sound/" + name + std::to_string(i) + ".wav") << "RIFF";
}

TinyGameData::~TinyGameData() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string RealGameData() {
    return KV_SOURCE_DIR "/gamedata";
}

bool LoadLog::LoadSound(const std::string& path, int slot, std::string& error) {
    loads.push_back({fs::path(path).filename().string(), slot});
    if (failName.empty() || path.find(failName) == std::string::npos) return true;
    error = "повреждён звук";
    return false;
}

void SetupOpeningMatch(Module1& m, int players, int width, int height) {
    SetDefaultSettings(m);
    SetMatchDefaults(m);
    m.MaxGamers = static_cast<i16>(players);
    for (int n = 1; n <= players; ++n) {
        m.Gobla(n).Model = static_cast<i16>((n - 1) % 4);
        m.Gobla(n).Gray = Flag(n > 4);
        m.Gobla(n).RName = "Игрок " + std::to_string(n);
    }
    PlacePieces(m);
    m.MaxPip = 2;
    m.pipa(1) = {200, 200};
    m.pipa(2) = {400, 200};
    m.UseRoom = kTrue;
    m.UseTex = kTrue;
    m.ScreenW = static_cast<i16>(width);
    m.ScreenH = static_cast<i16>(height);
}

SceneRig::SceneRig(const std::string& dir, int players, int width, int height) {
    SetupOpeningMatch(m, players, width, height);
    GameSceneOptions o;
    o.dataDir = dir;
    o.appTitle = "Kvelmar II: Zantor Билд1408";
    o.logError = [this](const std::string& s) { log.push_back(s); };
    o.clockMs = [this] { return now; };
    scene = std::make_unique<GameScene>(m, display, dialogs, &bank, o);
}

struct GlTarget::Impl {
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> ctx;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
};

GlTarget::GlTarget(int width, int height) : d_(std::make_unique<Impl>()) {
    if (!QGuiApplication::instance()) {
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        const char* display = std::getenv("DISPLAY");
        if ((!platform || !*platform) && (!display || !*display) &&
            !std::getenv("WAYLAND_DISPLAY")) {
            why_ = "нет дисплея (DISPLAY не задан): запустите под xvfb-run";
            return;
        }
        static int argc = 1;
        static char name[] = "kv-scene-test";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
    QSurfaceFormat fmt;
    fmt.setVersion(3, 3);
    fmt.setProfile(QSurfaceFormat::CoreProfile);
    fmt.setDepthBufferSize(24);
    d_->ctx = std::make_unique<QOpenGLContext>();
    d_->ctx->setFormat(fmt);
    bool current = d_->ctx->create();
    if (current) {
        d_->surface = std::make_unique<QOffscreenSurface>();
        d_->surface->setFormat(d_->ctx->format());
        d_->surface->create();
        current = d_->ctx->makeCurrent(d_->surface.get());
    }
    if (!current) {
        why_ = "OpenGL 3.3 недоступен на этой платформе";
        return;
    }
    d_->fbo = std::make_unique<QOpenGLFramebufferObject>(
        QSize(width, height), QOpenGLFramebufferObject::CombinedDepthStencil);
    ok_ = d_->fbo->isValid() && d_->fbo->bind();
    if (!ok_) why_ = "не удалось создать кадровый буфер";
}

GlTarget::~GlTarget() {
    if (d_->ctx && d_->surface) d_->ctx->makeCurrent(d_->surface.get());
    d_->fbo.reset();
    if (d_->ctx) d_->ctx->doneCurrent();
}

void GlTarget::Bind() {
    d_->ctx->makeCurrent(d_->surface.get());
    d_->fbo->bind();
}

QImage GlTarget::Read() {
    return d_->fbo->toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace kv::testing
