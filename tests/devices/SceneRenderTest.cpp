// Frames read back from an offscreen framebuffer and checked against the scene.
// Needs a display with OpenGL 3.3 (xvfb-run gives Mesa's llvmpipe).
#include "SceneTestData.h"

#include <gtest/gtest.h>

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
    // Moved by the physics, a piece is drawn at its new place once the tick has passed.
    GoblaRec& g = r.m.Gobla(1);
    const QPoint before = Projected(*r.scene, g);
    g.Xpos += 80;
    r.scene->PlacePiece(1); // at clock 0
    ASSERT_TRUE(r.scene->RenderFrame(30, {}));
    const QImage moved = gl.Read();
    ExpectColour(moved.pixel(Projected(*r.scene, g)), {1, 0, 0});
    EXPECT_NE(moved.pixel(before), img.pixel(before));
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

} // namespace
} // namespace kv
