// Frames read back from an offscreen framebuffer and checked against the scene.
// Needs a display with OpenGL 3.3 (xvfb-run gives Mesa's llvmpipe).
#include "SceneTestData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <tuple>

namespace kv {
namespace {

using testing::GlTarget;
using testing::SceneRig;

bool IsBackground(QRgb c) {
    return qRed(c) < 8 && qGreen(c) < 8 && qBlue(c) < 8;
}

QPoint Projected(const GameScene& s, const GoblaRec& g) {
    double x = 0, y = 0;
    EXPECT_TRUE(s.ProjectToScreen({g.Xpos / 10, 0, -g.Ypos / 10}, x, y));
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

// Bright where the colour has the channel, dark where it has not.
void ExpectColour(QRgb c, testing::Rgb want) {
    auto lit = [](int channel, float wanted) {
        return wanted > 0.5f ? channel > 60 : channel < 20;
    };
    EXPECT_TRUE(lit(qRed(c), want.r) && lit(qGreen(c), want.g) && lit(qBlue(c), want.b))
        << qRed(c) << "," << qGreen(c) << "," << qBlue(c);
}

#define NEED_GL(target)                                                                            \
    if (!(target).Available()) GTEST_SKIP() << (target).Why()
#define NEED_DATA(dir)                                                                             \
    if (!std::filesystem::exists(dir + "/mesh/goblatable.x")) GTEST_SKIP() << "нет gamedata"

TEST(SceneRender, DeskAndPiecesWhereTheCameraSeesThem) {
    GlTarget gl(640, 480);
    NEED_GL(gl);
    testing::TinyGameData data;
    SceneRig r(data.Dir());
    r.m.UseRoom = kFalse;
    ASSERT_TRUE(r.scene->BuildScene());
    std::string err;
    ASSERT_TRUE(r.scene->RenderFrame(100, {}, &err)) << err;
    const QImage img = gl.Read();
    ASSERT_EQ(img.size(), QSize(640, 480));
    // A corner of the desk, away from the pieces, is drawn in the desk's colour;
    // above the room-less desk there is only the black background.
    double x = 0, y = 0;
    ASSERT_TRUE(r.scene->ProjectToScreen({45, 0, -12}, x, y));
    const QRgb d = img.pixel(QPoint(std::lround(x), std::lround(y)));
    EXPECT_FALSE(IsBackground(d));
    EXPECT_GT(qRed(d), qBlue(d));
    EXPECT_TRUE(IsBackground(img.pixel(320, 5)));
    // Each piece's centre shows its model's colour (red, green, blue, yellow).
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const GoblaRec& g = r.m.Gobla(n);
        ExpectColour(img.pixel(Projected(*r.scene, g)), testing::PieceColour(g.Model, g.Gray));
    }
}

TEST(SceneRender, TextDrawnAtItsPositionsInThePaletteColour) {
    GlTarget gl(640, 480);
    NEED_GL(gl);
    testing::TinyGameData data;
    SceneRig r(data.Dir(), 2);
    r.m.UseRoom = kFalse;
    ASSERT_TRUE(r.scene->BuildScene());
    r.m.TextColour = 10; // bright green
    ASSERT_TRUE(r.scene->RenderFrame(0, {}));
    const QImage plain = gl.Read();
    ASSERT_TRUE(r.scene->RenderFrame(0, {{10, 10, "[F1:Помощь]  Ходит игрок", false},
                                         {300, 200, "Выйти из игры? (Y/N)", true}}));
    const QImage text = gl.Read();
    QRect changed;
    int green = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const QRgb a = plain.pixel(x, y), b = text.pixel(x, y);
            if (a == b) continue;
            changed |= QRect(x, y, 1, 1);
            green += qGreen(b) > 200 && qRed(b) < 80 && qBlue(b) < 80;
            // Top-left placement: nothing above or left of an item.
            const bool inFirst = x >= 10 && y >= 10 && x < 300 && y < 30;
            const bool inSecond = x >= 300 && y >= 200 && y < 230;
            EXPECT_TRUE(inFirst || inSecond) << x << "," << y;
        }
    EXPECT_GT(green, 50);
    EXPECT_LT(changed.top(), 16);
    EXPECT_GT(changed.bottom(), 210);
}

// The classic look never changes unnoticed: its opening view against the
// picture it drew when it was made (KV_WRITE_REFERENCE=1 writes it anew).
TEST(SceneRender, ClassicOpeningViewMatchesItsReference) {
    const std::string dir = testing::RealGameData();
    NEED_DATA(dir);
    GlTarget gl(640, 480);
    NEED_GL(gl);
    SceneRig r(dir, 8, 640, 480);
    ASSERT_TRUE(r.scene->BuildScene());
    ASSERT_TRUE(r.scene->RenderFrame(0, {}));
    const QImage img = gl.Read().convertToFormat(QImage::Format_RGB32);
    const QString path = KV_SOURCE_DIR "/tests/devices/data/classic-opening.png";
    if (std::getenv("KV_WRITE_REFERENCE")) {
        ASSERT_TRUE(img.save(path));
    }
    const QImage ref = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(ref.size(), img.size());
    long off = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb a = img.pixel(x, y), b = ref.pixel(x, y);
            off += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                       std::abs(qBlue(a) - qBlue(b)) >
                   48;
        }
    // A rasteriser's rounding may move an edge; a changed scene moves much more.
    EXPECT_LT(off, img.width() * img.height() / 200);
}

// The modern look: the same scene, drawn lit and shadowed, never over a void.

void Positions(const scene::Frame& f,
               std::vector<std::tuple<double, double, double, size_t>>& out) {
    const scene::Vec3 p = f.WorldPosition();
    out.emplace_back(p.x, p.y, p.z, f.Visuals().size());
    for (const auto& c : f.Children())
        Positions(*c, out);
}

int BlackPercent(const QImage& img) {
    int black = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            black += IsBackground(img.pixel(x, y));
    return black * 400 / (img.width() * img.height());
}

TEST(SceneRenderModern, SameObjectsInTheSamePlacesAsTheClassicLook) {
    GlTarget gl(640, 480);
    NEED_GL(gl);
    testing::TinyGameData data;
    SceneRig classic(data.Dir()), modern(data.Dir());
    modern.m.Graphics = kGraphicsModern;
    ASSERT_TRUE(classic.scene->BuildScene());
    ASSERT_TRUE(modern.scene->BuildScene());
    ASSERT_TRUE(classic.scene->RenderFrame(0, {}));
    ASSERT_TRUE(modern.scene->RenderFrame(0, {}));
    std::vector<std::tuple<double, double, double, size_t>> a, b;
    Positions(*classic.scene->Graph().root, a);
    Positions(*modern.scene->Graph().root, b);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(classic.scene->Graph().decals.empty());
    EXPECT_FALSE(modern.scene->Graph().decals.empty()); // contact shadows

    // A piece shown going over the edge moves in the picture only.
    const GoblaRec before = modern.m.Gobla(1);
    MatchLook look;
    look.pieces[1].fall = 0.5f;
    look.pieces[1].fallX = 0;
    look.pieces[1].fallDirX = -1;
    modern.scene->ShowLook(look);
    ASSERT_TRUE(modern.scene->RenderFrame(0, {}));
    EXPECT_LT(modern.scene->PieceFrame(1)->Position().y, -5);
    const GoblaRec& after = modern.m.Gobla(1);
    EXPECT_EQ(std::tuple(after.Xpos, after.Ypos, after.Life),
              std::tuple(before.Xpos, before.Ypos, before.Life));
}

TEST(SceneRenderModern, APiecesShadowFallsOnTheTableAwayFromTheLamp) {
    const std::string dir = testing::RealGameData();
    NEED_DATA(dir);
    GlTarget gl(1024, 768);
    NEED_GL(gl);
    SceneRig r(dir, 2, 1024, 768);
    r.m.Graphics = kGraphicsModern;
    r.m.PipaOn = r.m.Border = kFalse;
    ASSERT_TRUE(r.scene->BuildScene());
    ASSERT_TRUE(r.scene->RenderFrame(0, {}));
    const QImage img = gl.Read();
    // The lamp: the one point light of the scene.
    scene::Vec3 lamp;
    std::function<void(const scene::Frame&)> find = [&](const scene::Frame& f) {
        for (const auto& l : f.Lights())
            if (l->type == scene::Light::Type::Point) lamp = f.WorldPosition();
        for (const auto& c : f.Children())
            find(*c);
    };
    find(*r.scene->Graph().root);
    const scene::Vec3 piece = r.scene->PieceFrame(1)->WorldPosition();
    const scene::Vec3 away = scene::Normalized({piece.x - lamp.x, 0, piece.z - lamp.z});
    // A small patch: the grain of the wood is no shadow.
    auto at = [&](double d) {
        double x = 0, y = 0;
        EXPECT_TRUE(r.scene->ProjectToScreen(piece + d * away, x, y));
        double sum = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                sum += qGray(img.pixel(static_cast<int>(x) + dx, static_cast<int>(y) + dy));
        return sum / 25;
    };
    const auto& mesh = *r.scene->PieceFrame(1)->Visuals().front();
    const double radius = (mesh.Bounds().max.x - mesh.Bounds().min.x) * mesh.Scale().x / 2;
    // The piece stands near the desk's corner: the lit desk lies towards the lamp.
    const double shade = at(radius * 1.1), lit = at(-radius * 3);
    EXPECT_LT(shade, lit * 0.8) << shade << " " << lit;
}

TEST(SceneRenderModern, NoBlackVoidWithOrWithoutTheRoom) {
    const std::string dir = testing::RealGameData();
    NEED_DATA(dir);
    GlTarget gl(1024, 768);
    NEED_GL(gl);
    for (const i16 room : {kTrue, kFalse}) {
        SceneRig r(dir, 8, 1024, 768);
        r.m.Graphics = kGraphicsModern;
        r.m.UseRoom = room;
        ASSERT_TRUE(r.scene->BuildScene());
        ASSERT_TRUE(r.scene->RenderFrame(0, {{20, 700, "Игра началась"}}));
        const QImage img = gl.Read();
        EXPECT_LE(BlackPercent(img), 3) << "room " << room;
    }
}

} // namespace
} // namespace kv
