// Building the match scene from data files: order, placement, failures, and the
// smoothing of the motion ticks. No OpenGL needed.
#include "SceneTestData.h"

#include "devices/scene/PreviewScene.h"
#include "match/MouseAim.h"
#include "state/SceneUnits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace kv {
namespace {

using scene::Vec3;
using testing::SceneRig;
using testing::TinyGameData;

void ExpectNear(Vec3 a, Vec3 b, double eps = 1e-9) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

// Children of the root in creation order: light, table, room, centre, ball,
// point, swin, pot, pieces, legs, borders, camera.
scene::Frame& Child(const GameScene& s, int i) {
    return *s.Graph().root->Children().at(static_cast<size_t>(i));
}

Vec3 OnTable(const GoblaRec& g) {
    return {g.Xpos / 10, 0, -g.Ypos / 10};
}

void ExpectCentred(const GameScene& s, Vec3 p) {
    double sx = 0, sy = 0;
    ASSERT_TRUE(s.ProjectToScreen(p, sx, sy));
    EXPECT_NEAR(sx, 320, 1e-6);
    EXPECT_NEAR(sy, 240, 1e-6);
}

// Each sound goes to the slot the match plays it from.
TEST(SceneBuild, SoundsGoToTheirSlots) {
    TinyGameData data;
    SceneRig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    EXPECT_TRUE(r.dialogs.messages.empty());
    std::vector<std::pair<std::string, int>> sounds;
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i) + ".wav";
        sounds.insert(sounds.end(),
                      {{"gobla" + n, i}, {"poswinu" + n, 3 + i}, {"pot" + n, 10 + i}});
    }
    sounds.insert(sounds.end(),
                  {{"xruk.wav", 7}, {"2gobly.wav", 8}, {"stenka.wav", 9}, {"win.wav", 14}});
    EXPECT_EQ(r.bank.loads, sounds);
}

TEST(SceneBuild, PiecesStandWhereThePhysicsPutsThem) {
    TinyGameData data;
    SceneRig r(data.Dir());
    r.m.Gobla(3).Model = 2;
    r.m.Gobla(3).Gray = kTrue;
    ASSERT_TRUE(r.scene->BuildScene());
    // Table point (x, y) at (x/10, 0, -y/10), turned by Phi; gray model 2.
    for (int n = 1; n <= 4; ++n) {
        const GoblaRec& g = r.m.Gobla(n);
        scene::Frame* f = r.scene->PieceFrame(n);
        ASSERT_NE(f, nullptr);
        ExpectNear(f->Position(), OnTable(g));
        ExpectNear(f->Rotation() * Vec3{0, 0, 1}, {std::sin(g.Phi), 0, std::cos(g.Phi)});
        ASSERT_EQ(f->Visuals().size(), 1u);
        ExpectNear(f->Visuals()[0]->Scale(), {0.1, 0.1, 0.1});
    }
    EXPECT_FLOAT_EQ(r.scene->PieceFrame(3)->Visuals()[0]->Data()->parts.at(0).diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(r.scene->PieceFrame(1)->Visuals()[0]->Data()->parts.at(0).diffuse.g, 0.f);
}

TEST(SceneBuild, PotFallsWhileShownAndTheArrowPointsAlongItsAngle) {
    TinyGameData data;
    SceneRig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    scene::Frame &point = Child(*r.scene, 5), &pot = Child(*r.scene, 7);
    EXPECT_TRUE(pot.Visuals().empty());
    r.scene->ShowPot(10, -15);
    ExpectNear(pot.Position(), {10, 20, -15});
    r.scene->MovePot(10, -15, 1.0, 0);
    EXPECT_NEAR(pot.Position().y, 15.095, 1e-12);
    r.scene->MovePot(10, -15, 0.5, 4);
    EXPECT_NEAR(pot.Position().y, 16.77375, 1e-12);
    r.scene->HidePot();
    EXPECT_TRUE(pot.Visuals().empty());
    // Turned by a quarter, the arrow's local +z points along table +x.
    r.scene->ShowArrow(true);
    r.scene->TurnArrow(r.m.Pi / 2);
    ExpectNear(point.Rotation() * Vec3{0, 0, 1}, {1, 0, 0}, 1e-12);
}

// The table's own material names its texture; the table is textured exactly
// when the option says so, and without it a missing texture is no error.
TEST(SceneBuild, TheTableIsTexturedOnlyWithTheOption) {
    TinyGameData data;
    for (bool file : {true, false}) {
        if (!file) std::filesystem::remove(data.Path("mesh/goblatable.bmp"));
        for (bool option : {false, true}) {
            SceneRig r(data.Dir());
            r.m.UseTex = Flag(option);
            ASSERT_TRUE(r.scene->BuildScene());
            EXPECT_EQ(r.dialogs.messages.size(), option && !file ? 1u : 0u) << file << option;
            const auto& table = Child(*r.scene, 1).Visuals();
            ASSERT_EQ(table.size(), 1u) << file << option;
            EXPECT_EQ(table[0]->Data()->parts.at(0).texture != nullptr, option && file);
        }
    }
}

TEST(SceneFailures, MissingFileAskedOnceAndYesBuildsTheRest) {
    TinyGameData data;
    std::filesystem::remove(data.Path("mesh/gobla0.x"));
    std::filesystem::remove(data.Path("mesh/lamp.x"));
    SceneRig r(data.Dir());
    for (int n = 1; n <= 4; ++n)
        r.m.Gobla(n).Model = n == 4 ? 1 : 0, r.m.Gobla(n).Gray = kFalse;
    ASSERT_TRUE(r.scene->BuildScene());
    ASSERT_EQ(r.dialogs.messages.size(), 2u); // lamp once, gobla0 once for three pieces
    EXPECT_NE(r.dialogs.messages[1].find("gobla0.x"), std::string::npos);
    EXPECT_EQ(r.log, r.dialogs.messages);
    // Everything else is there: the other model, the walls, the swin figure, the sounds.
    EXPECT_TRUE(r.scene->PieceFrame(1)->Visuals().empty());
    EXPECT_EQ(r.scene->PieceFrame(4)->Visuals().size(), 1u);
    EXPECT_EQ(Child(*r.scene, 6).Visuals().size(), 1u);
    EXPECT_EQ(r.bank.loads.size(), 16u);
}

TEST(SceneFailures, DamagedMeshTextureAndSound) {
    TinyGameData data;
    std::ofstream(data.Path("mesh/swin.x")) << "xof 0303txt 0032\nMesh { 3; broken";
    std::ofstream(data.Path("pic/mingerb.bmp")) << "BM not a picture";
    std::filesystem::remove(data.Path("sound/poswinu0.wav"));
    SceneRig r(data.Dir());
    r.bank.failName = "win.wav";
    ASSERT_TRUE(r.scene->BuildScene());
    // Wall texture, swin figure, a sound never played (still asked), a damaged sound.
    const std::vector<std::pair<std::string, std::string>> asked = {{": 321 ", "mingerb.bmp"},
                                                                    {": 321 ", "swin.x"},
                                                                    {": 53 ", "oswinu0.wav"},
                                                                    {"", "повреждён звук"}};
    ASSERT_EQ(r.dialogs.messages.size(), asked.size());
    for (size_t i = 0; i < asked.size(); ++i) {
        EXPECT_NE(r.dialogs.messages[i].find(asked[i].first), std::string::npos) << i;
        EXPECT_NE(r.dialogs.messages[i].find(asked[i].second), std::string::npos) << i;
    }
    // The room stands without its texture.
    EXPECT_EQ(Child(*r.scene, 2).Visuals().size(), 1u);
}

// The modern look takes its own meshes from mesh/modern; where one is missing
// the classic file stands in and the log says so once, nobody is asked.
TEST(SceneFailures, TheModernLookFallsBackToTheClassicMeshes) {
    TinyGameData data;
    std::filesystem::create_directories(data.Path("mesh/modern"));
    std::filesystem::copy_file(data.Path("mesh/ball.x"), data.Path("mesh/modern/gobla0.x"));
    for (const bool modern : {false, true}) {
        SceneRig r(data.Dir());
        r.m.Graphics = modern ? kGraphicsModern : kGraphicsClassic;
        for (int n = 1; n <= 4; ++n)
            r.m.Gobla(n).Model = n == 1 ? 0 : 1, r.m.Gobla(n).Gray = kFalse;
        ASSERT_TRUE(r.scene->BuildScene());
        EXPECT_TRUE(r.dialogs.messages.empty());
        for (int n = 1; n <= 4; ++n) {
            const auto& shown = r.scene->PieceFrame(n)->Visuals();
            ASSERT_EQ(shown.size(), 1u) << n;
            const bool own = modern && n == 1;
            EXPECT_EQ(shown[0]->Bounds().max.x, own ? 5 : 20) << modern << n;
        }
        size_t gobla1 = 0;
        for (const std::string& line : r.log)
            gobla1 += line.find("mesh/modern/gobla1.x") != std::string::npos;
        EXPECT_EQ(gobla1, modern ? 1u : 0u);
        EXPECT_EQ(r.log.empty(), !modern);
        // The piece preview shows what the match shows.
        for (const int model : {0, 1}) {
            scene::PreviewScene preview;
            scene::LoadError err;
            const std::string file = data.Path("mesh/gobla" + std::to_string(model) + ".x");
            ASSERT_TRUE(preview.Build(data.Dir() + "/", file, err, modern)) << err.description;
            const auto& shown = preview.Piece()->Visuals();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0]->Bounds().max.x, modern && model == 0 ? 5 : 20) << modern << model;
        }
    }
}

TEST(SceneFiles, LookedUpWithoutRegardToCase) {
    TinyGameData data;
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "MESH\\GoblaTable.X"),
              data.Path("mesh/goblatable.x"));
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "mesh"), ""); // a folder is not a file
}

TEST(SceneMotion, ShownHalfwayBetweenTwoTicks) {
    TinyGameData data;
    SceneRig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    GoblaRec& g = r.m.Gobla(1);
    const Vec3 a = OnTable(g);
    const double phi0 = g.Phi;
    r.now = 1000;
    g.Xpos += 20;
    g.Ypos -= 10;
    g.Phi += 0.4;
    r.scene->PlacePiece(1);
    const Vec3 b = OnTable(g);
    // The frame holds the physics position; the display follows one tick behind.
    ExpectNear(r.scene->PieceFrame(1)->Position(), b);
    ExpectNear(r.scene->DisplayPose(1, 1000).position, a);
    ExpectNear(r.scene->DisplayPose(1, 1015).position, {(a.x + b.x) / 2, 0, (a.z + b.z) / 2});
    EXPECT_NEAR(r.scene->DisplayPose(1, 1015).heading, phi0 + 0.2, 1e-12);
    ExpectNear(r.scene->DisplayPose(1, 5000).position, b);

    // The next tick starts from what is on the screen, so nothing jumps.
    r.now = 1020;
    const Vec3 shown = r.scene->DisplayPose(1, 1020).position;
    g.Xpos += 20;
    r.scene->PlacePiece(1);
    ExpectNear(r.scene->DisplayPose(1, 1020).position, shown);

    // A heading across the half turn takes the short way round.
    r.now = 2000;
    g.Phi = 3.1;
    r.scene->PlacePiece(1);
    r.now = 2030;
    g.Phi = -3.1;
    r.scene->PlacePiece(1);
    EXPECT_NEAR(std::remainder(r.scene->DisplayPose(1, 2045).heading - r.m.Pi, 2 * r.m.Pi), 0,
                0.01);
}

TEST(SceneMotion, CameraKeepsTheShownPieceOrTheCentreInTheMiddle) {
    TinyGameData data;
    SceneRig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    r.scene->LookAt(1);
    ExpectCentred(*r.scene, OnTable(r.m.Gobla(1)));
    // The motion tick as the match runs it: physics, centre on the piece, placement.
    GoblaRec& g = r.m.Gobla(2);
    r.now = 1030;
    g.Xpos -= 15;
    g.Ypos -= 5;
    r.scene->PlaceCenter(g.Xpos / 10, -2, -g.Ypos / 10);
    r.scene->LookAt(kLookAtCenter);
    r.scene->PlacePiece(2);
    for (double t : {r.now, r.now + 10, r.now + 20}) {
        r.scene->UpdateDisplay(t);
        const Vec3 shown = r.scene->DisplayPose(2, t).position;
        ExpectCentred(*r.scene, {shown.x, -2, shown.z});
    }
}

TEST(SceneProjection, MatchesTheNameLabels) {
    TinyGameData data;
    SceneRig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    // Camera straight above the look-at point: a piece there is labelled near (305, 200).
    r.scene->PlaceCamera(30, 50, -20);
    r.scene->PlaceCenter(30, 0, -20.0001);
    r.scene->LookAt(kLookAtCenter);
    double sx = 0, sy = 0;
    ASSERT_TRUE(r.scene->ProjectToScreen({30, 0, -20}, sx, sy));
    EXPECT_EQ(RoundI32(sx - 15), 305);
    EXPECT_EQ(RoundI32(sy - 40), 200);
}

// The mouse's ray undoes the scene's own projection.
TEST(SceneProjection, TheMouseRayFindsTheTablePointAgain) {
    TinyGameData data;
    // Each look, in its own mode and in a wide picture filling a screen.
    for (auto [look, w, h] : {std::tuple{kGraphicsClassic, 0, 0},
                              {kGraphicsModern, 0, 0},
                              {kGraphicsModern, 1920, 1080},
                              {kGraphicsClassic, 1920, 1080}}) {
        SceneRig r(data.Dir());
        r.m.Graphics = look;
        r.m.PictureW = static_cast<i16>(w);
        r.m.PictureH = static_cast<i16>(h);
        ASSERT_TRUE(r.scene->BuildScene());
        const CameraView views[] = {{-50, 40, -20, 30, -2, -20}, {70, 12, 15, 20, 0, -25}};
        for (const CameraView& v : views) {
            r.scene->PlaceCamera(v.eyeX, v.eyeY, v.eyeZ);
            r.scene->PlaceCenter(v.lookX, v.lookY, v.lookZ);
            r.scene->LookAt(kLookAtCenter);
            for (auto [tx, ty] : {std::pair{100.0, 50.0}, {450.0, 320.0}, {300.0, 200.0}}) {
                double sx = 0, sy = 0, x = 0, y = 0;
                ASSERT_TRUE(r.scene->ProjectToScreen({SceneX(tx), 0, SceneZ(ty)}, sx, sy));
                ASSERT_TRUE(TablePointAt(v, PictureWidth(r.m), PictureHeight(r.m),
                                         PictureFocal(r.m), sx, sy, x, y));
                EXPECT_NEAR(x, tx, 1e-6) << look << " " << w;
                EXPECT_NEAR(y, ty, 1e-6) << look << " " << w;
            }
        }
    }
}

} // namespace
} // namespace kv
