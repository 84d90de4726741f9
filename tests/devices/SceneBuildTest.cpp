// Building the match scene from data files: order, placement, failures, and the
// smoothing of the motion ticks. No OpenGL needed.
#include "SceneTestData.h"

#include "devices/scene/GameScene.h"
#include "match/RecordingPorts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace kv {
namespace {

using scene::Vec3;
using testing::CaptionLog;
using testing::TinyGameData;

class FakeBank : public SoundBank {
public:
    bool LoadSound(const std::string& path, int slot, std::string& error) override {
        loads.push_back({std::filesystem::path(path).filename().string(), slot});
        if (path.find(failName) != std::string::npos && !failName.empty()) {
            error = "повреждён звук";
            return false;
        }
        return true;
    }
    void PlaySound(int, i32) override {}
    void StopSound(int, bool) override {}
    std::vector<std::pair<std::string, int>> loads;
    std::string failName;
};

struct Rig {
    explicit Rig(const std::string& dir, bool withSound = true) {
        testing::SetupOpeningMatch(m, 4, 640, 480);
        GameSceneOptions o;
        o.dataDir = dir;
        o.appTitle = "Kvelmar II: Zantor Билд1408";
        o.logError = [this](const std::string& s) { log.push_back(s); };
        o.clockMs = [this] { return now; };
        scene = std::make_unique<GameScene>(m, display, dialogs, withSound ? &bank : nullptr, o);
    }
    Module1 m;
    CaptionLog display;
    RecordingDialogs dialogs;
    FakeBank bank;
    std::vector<std::string> log;
    double now = 0;
    std::unique_ptr<GameScene> scene;
};

void ExpectNear(Vec3 a, Vec3 b, double eps = 1e-9) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

// Children of the root in creation order.
scene::Frame& Child(const GameScene& s, int i) {
    return *s.Graph().root->Children().at(static_cast<size_t>(i));
}

TEST(SceneBuild, CaptionsCameraSoundsInOrder) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    EXPECT_TRUE(r.dialogs.messages.empty());
    const std::vector<std::string> captions = {
        "Загрузка сцены...",  "Загрузка комнаты...",
        "Загрузка стола...",  "Загрузка текстуры стола...",
        "Загрузка гобл...",   "Загрузка стенок...",
        "Загрузка пип...",    "Установка источников света...",
        "Загрузка звуков...", "Kvelmar II: Zantor Билд1408"};
    EXPECT_EQ(r.display.captions, captions);
    EXPECT_EQ(r.m.CamX, -50);
    EXPECT_EQ(r.m.CamY, 40);
    EXPECT_EQ(r.m.CamZ, -20);
    EXPECT_EQ(r.m.TargetX, 30);
    EXPECT_EQ(r.m.TargetY, -2);
    EXPECT_EQ(r.m.TargetZ, -20);
    const std::vector<std::pair<std::string, int>> sounds = {
        {"gobla0.wav", 0},   {"poswinu0.wav", 3}, {"pot0.wav", 10},    {"gobla1.wav", 1},
        {"poswinu1.wav", 4}, {"pot1.wav", 11},    {"gobla2.wav", 2},   {"poswinu2.wav", 5},
        {"pot2.wav", 12},    {"gobla3.wav", 3},   {"poswinu3.wav", 6}, {"pot3.wav", 13},
        {"xruk.wav", 7},     {"2gobly.wav", 8},   {"stenka.wav", 9},   {"win.wav", 14}};
    EXPECT_EQ(r.bank.loads, sounds);
}

TEST(SceneBuild, PlacesDeskLegsLightWallsAndPieces) {
    TinyGameData data;
    Rig r(data.Dir());
    r.m.Gobla(3).Model = 2;
    r.m.Gobla(3).Gray = kTrue;
    ASSERT_TRUE(r.scene->BuildScene());
    const GameScene& s = *r.scene;
    // light, table, room, centre, ball, point, swin, pot, pieces, legs, borders, camera
    ExpectNear(Child(s, 0).Position(), {30, 80, -20});
    ASSERT_EQ(Child(s, 1).Visuals().size(), 1u);
    ExpectNear(Child(s, 1).Visuals()[0]->Scale(), {0.6, 0.5, 0.8});
    ExpectNear(Child(s, 3).Position(), {30, -2, -20});
    ExpectNear(Child(s, 6).Position(), {60, 40, 150});
    const Vec3 legs[4] = {{5, -3, -5}, {54, -3, -5}, {5, -3, -34}, {54, -3, -34}};
    for (int k = 0; k < 4; ++k)
        ExpectNear(Child(s, 12 + k).Position(), legs[k]);
    EXPECT_EQ(&Child(s, 18), s.Graph().camera.get());

    // Walls: both pseudo-pieces after the players and obstacles, frames turned half round.
    const int first = r.m.MaxGamers + r.m.MaxPip + 1;
    EXPECT_EQ(r.m.Gobla(first).RName, "Stenka1");
    EXPECT_EQ(r.m.Gobla(first).Model, kModelWall);
    EXPECT_EQ(r.m.Gobla(first + 1).RName, "Stenka2");
    EXPECT_EQ(r.m.Gobla(first + 1).Ypos, r.m.MaxY + 1000000);
    ExpectNear(Child(s, 16).Position(), {0, -5, 0});
    ExpectNear(Child(s, 17).Position(), {0, -5, -0.8 * 50 - 2.5});
    ExpectNear(Child(s, 17).Visuals().at(0)->Scale(), {0.6, 0.3, 0.5});
    EXPECT_NEAR(Child(s, 17).Rotation().m[0][0], std::cos(3.14159), 1e-12);

    // Pieces: table point (x, y) at (x/10, 0, -y/10), turned by Phi; gray model 2.
    for (int n = 1; n <= 4; ++n) {
        const GoblaRec& g = r.m.Gobla(n);
        scene::Frame* f = s.PieceFrame(n);
        ASSERT_NE(f, nullptr);
        ExpectNear(f->Position(), {g.Xpos / 10, 0, -g.Ypos / 10});
        ExpectNear(f->Rotation() * Vec3{0, 0, 1}, {std::sin(g.Phi), 0, std::cos(g.Phi)});
        ASSERT_EQ(f->Visuals().size(), 1u);
        ExpectNear(f->Visuals()[0]->Scale(), {0.1, 0.1, 0.1});
    }
    const auto& grayPart = s.PieceFrame(3)->Visuals()[0]->Data()->parts.at(0);
    EXPECT_FLOAT_EQ(grayPart.diffuse.r, 0.5f);
    const auto& redPart = s.PieceFrame(1)->Visuals()[0]->Data()->parts.at(0);
    EXPECT_FLOAT_EQ(redPart.diffuse.g, 0.f);
}

TEST(SceneBuild, WallsAcrossTheTableAndASingleWall) {
    TinyGameData data;
    Rig r(data.Dir());
    r.m.BordMode = 2;
    ASSERT_TRUE(r.scene->BuildScene());
    const GameScene& s = *r.scene;
    ExpectNear(Child(s, 16).Position(), {-2.5, -5, 0});
    ExpectNear(Child(s, 16).Visuals().at(0)->Scale(), {0.4, 0.3, 0.5});
    ExpectNear(Child(s, 16).Rotation() * Vec3{1, 0, 0}, {0, 0, 1}, 1e-12); // -pi/2
    ExpectNear(Child(s, 17).Position(), {60, -5, 0});
    EXPECT_NEAR(Child(s, 17).Rotation().m[0][2], std::sin(-3.14159 / 2), 1e-12);
    const int first = r.m.MaxGamers + r.m.MaxPip + 1;
    EXPECT_EQ(r.m.Gobla(first).Xpos, -1000000);
    EXPECT_EQ(r.m.Gobla(first + 1).Xpos, r.m.MaxX + 1000000);

    Rig one(data.Dir());
    one.m.BordSimm = kFalse;
    ASSERT_TRUE(one.scene->BuildScene());
    EXPECT_EQ(Child(*one.scene, 16).Visuals().size(), 1u);
    EXPECT_TRUE(Child(*one.scene, 17).Visuals().empty());
}

TEST(SceneBuild, PerishedPieceParksUnderTableOrInSwin) {
    TinyGameData data;
    for (bool room : {false, true}) {
        Rig r(data.Dir());
        r.m.UseRoom = Flag(room);
        ASSERT_TRUE(r.scene->BuildScene());
        r.m.Gobla(2).Life = kFalse;
        r.scene->PlacePiece(2);
        ExpectNear(r.scene->PieceFrame(2)->Position(),
                   room ? Vec3{60, 40, 150} : Vec3{30, -2.5, -20});
        ExpectNear(r.scene->DisplayPose(2, r.now + 1).position,
                   room ? Vec3{60, 40, 150} : Vec3{30, -2.5, -20});
    }
}

TEST(SceneBuild, PotFallsFromTwentyAndIsShownOnlyInFlight) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    scene::Frame& pot = Child(*r.scene, 7);
    EXPECT_TRUE(pot.Visuals().empty());
    r.scene->ShowPot(10, -15);
    EXPECT_EQ(pot.Visuals().size(), 1u);
    ExpectNear(pot.Position(), {10, 20, -15});
    r.scene->MovePot(10, -15, 1.0, 0);
    EXPECT_NEAR(pot.Position().y, 15.095, 1e-12);
    r.scene->MovePot(10, -15, 0.5, 4);
    EXPECT_NEAR(pot.Position().y, 20 - 2 - 9.81 * 0.25 / 2, 1e-12);
    r.scene->HidePot();
    EXPECT_TRUE(pot.Visuals().empty());
}

TEST(SceneBuild, MarkersAndCamera) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    scene::Frame& ball = Child(*r.scene, 4);
    scene::Frame& point = Child(*r.scene, 5);
    EXPECT_TRUE(ball.Visuals().empty());
    r.scene->ShowBall(true);
    r.scene->ShowArrow(true);
    r.scene->PlaceArrow(3, 1, -4);
    r.scene->TurnArrow(r.m.Pi / 2);
    EXPECT_EQ(ball.Visuals().size(), 1u);
    ExpectNear(point.Visuals()[0]->Scale(), {0.1, 0.05, 0.1});
    ExpectNear(point.Position(), {3, 1, -4});
    // Turned by a quarter, the arrow's local +z points along table +x.
    ExpectNear(point.Rotation() * Vec3{0, 0, 1}, {1, 0, 0}, 1e-12);
    r.scene->ShowBall(false);
    EXPECT_TRUE(ball.Visuals().empty());

    // The camera turned to piece 1 sees it in the middle of the screen.
    r.scene->LookAt(1);
    double sx = 0, sy = 0;
    const GoblaRec& g = r.m.Gobla(1);
    ASSERT_TRUE(r.scene->ProjectToScreen({g.Xpos / 10, 0, -g.Ypos / 10}, sx, sy));
    EXPECT_NEAR(sx, 320, 1e-6);
    EXPECT_NEAR(sy, 240, 1e-6);
}

TEST(SceneBuild, RoomWallpaperReadsLeftToRightOnEveryWall) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    const scene::MeshPart& walls = Child(*r.scene, 2).Visuals().at(0)->Data()->parts.at(0);
    ASSERT_NE(walls.texture, nullptr);
    ASSERT_EQ(walls.indices.size(), 24u);
    // Face each wall from the middle of the room: larger u lies further right.
    scene::Frame camera, target;
    camera.SetPosition({25, 30, -25});
    scene::Viewport vp;
    for (size_t f = 0; f < walls.indices.size(); f += 3) {
        auto at = [&](size_t k) {
            const std::uint32_t i = walls.indices[f + k];
            return std::pair<Vec3, float>{
                {walls.positions[3 * i], walls.positions[3 * i + 1], walls.positions[3 * i + 2]},
                walls.uvs[2 * i]};
        };
        const Vec3 n{walls.normals[3 * walls.indices[f]], 0,
                     walls.normals[3 * walls.indices[f] + 2]};
        target.SetPosition(camera.Position() - 10.0 * n);
        camera.LookAt(target);
        for (size_t a = 0; a < 3; ++a)
            for (size_t b = 0; b < 3; ++b) {
                const auto [pa, ua] = at(a);
                const auto [pb, ub] = at(b);
                double xa = 0, xb = 0, y = 0;
                ASSERT_TRUE(scene::Projection::Project(camera, vp, pa, xa, y));
                ASSERT_TRUE(scene::Projection::Project(camera, vp, pb, xb, y));
                if (ub > ua + 0.01f) {
                    EXPECT_GT(xb, xa) << "face " << f / 3;
                }
            }
    }
}

TEST(SceneBuild, TextureFilteringFollowsTheDevice) {
    TinyGameData data;
    for (int device : {0, 1}) {
        Rig r(data.Dir());
        r.m.RenderNum = static_cast<i16>(device);
        ASSERT_TRUE(r.scene->BuildScene());
        const auto& table = Child(*r.scene, 1).Visuals().at(0)->Data()->parts.at(0);
        const auto& room = Child(*r.scene, 2).Visuals().at(0)->Data()->parts.at(0);
        ASSERT_NE(table.texture, nullptr);
        EXPECT_FALSE(table.uvs.empty());
        EXPECT_EQ(table.texture->linear, device == 0);
        EXPECT_EQ(room.texture->linear, device == 0);
    }
}

TEST(SceneFailures, MissingFileAskedOnceAndYesBuildsTheRest) {
    TinyGameData data;
    std::filesystem::remove(data.Path("mesh/gobla0.x"));
    std::filesystem::remove(data.Path("mesh/lamp.x"));
    Rig r(data.Dir());
    for (int n = 1; n <= 4; ++n)
        r.m.Gobla(n).Model = 0, r.m.Gobla(n).Gray = kFalse;
    r.m.Gobla(4).Model = 1;
    ASSERT_TRUE(r.scene->BuildScene());
    ASSERT_EQ(r.dialogs.messages.size(), 2u); // lamp once, gobla0 once for three pieces
    const std::string& msg = r.dialogs.messages[1];
    EXPECT_EQ(msg.rfind("Ошибка при создании сцены: 53 ", 0), 0u);
    EXPECT_NE(msg.find("gobla0.x"), std::string::npos);
    EXPECT_NE(msg.find(". Возможно отсутствуют или повреждены некоторые файлы .х или .wav. Если "
                       "это сообщение будет повторяться постоянно, переустановите ZVR.\r\n"
                       "Продолжить выполнение программы (возможно с ошибками)?"),
              std::string::npos);
    EXPECT_EQ(r.log, r.dialogs.messages);
    // Everything else is there: the other model, the walls, the swin figure, the sounds.
    EXPECT_TRUE(r.scene->PieceFrame(1)->Visuals().empty());
    EXPECT_EQ(r.scene->PieceFrame(4)->Visuals().size(), 1u);
    EXPECT_EQ(Child(*r.scene, 6).Visuals().size(), 1u);
    EXPECT_EQ(r.bank.loads.size(), 16u);
    EXPECT_EQ(r.display.captions.back(), "Kvelmar II: Zantor Билд1408");
}

TEST(SceneFailures, NoStopsTheBuild) {
    TinyGameData data;
    std::filesystem::remove(data.Path("mesh/goblatable.x"));
    Rig r(data.Dir());
    r.dialogs.answers.push_back(MsgAnswer::No);
    EXPECT_FALSE(r.scene->BuildScene());
    EXPECT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_EQ(r.display.captions.back(), "Загрузка стола...");
    EXPECT_TRUE(r.bank.loads.empty());
}

TEST(SceneFailures, DamagedMeshTextureAndSound) {
    TinyGameData data;
    std::ofstream(data.Path("mesh/swin.x")) << "xof 0303txt 0032\nMesh { 3; broken";
    std::ofstream(data.Path("pic/mingerb.bmp")) << "BM not a picture";
    std::filesystem::remove(data.Path("sound/poswinu0.wav"));
    Rig r(data.Dir());
    r.bank.failName = "win.wav";
    ASSERT_TRUE(r.scene->BuildScene());
    ASSERT_EQ(r.dialogs.messages.size(), 4u);
    EXPECT_NE(r.dialogs.messages[0].find(": 321 "), std::string::npos); // wall texture
    EXPECT_NE(r.dialogs.messages[0].find("mingerb.bmp"), std::string::npos);
    EXPECT_NE(r.dialogs.messages[1].find(": 321 "), std::string::npos); // swin figure
    EXPECT_NE(r.dialogs.messages[1].find("swin.x"), std::string::npos);
    EXPECT_NE(r.dialogs.messages[2].find(": 53 "), std::string::npos); // never played, still asked
    EXPECT_NE(r.dialogs.messages[2].find("oswinu0.wav"), std::string::npos);
    EXPECT_NE(r.dialogs.messages[3].find("повреждён звук"), std::string::npos);
    // The room stands without its texture.
    EXPECT_EQ(Child(*r.scene, 2).Visuals().size(), 1u);
}

TEST(SceneFiles, LookedUpWithoutRegardToCase) {
    TinyGameData data;
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "MESH\\GoblaTable.X"),
              data.Path("mesh/goblatable.x"));
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "sound/Gobla0.wav"), data.Path("sound/gobla0.wav"));
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "mesh\\none.x"), "");
    EXPECT_EQ(scene::FindFileNoCase(data.Dir(), "mesh"), ""); // a folder is not a file
}

TEST(SceneMotion, ShownHalfwayBetweenTwoTicks) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    GoblaRec& g = r.m.Gobla(1);
    const Vec3 a{g.Xpos / 10, 0, -g.Ypos / 10};
    r.now = 1000;
    g.Xpos += 20;
    g.Ypos -= 10;
    const double phi0 = g.Phi;
    g.Phi += 0.4;
    r.scene->PlacePiece(1);
    const Vec3 b{g.Xpos / 10, 0, -g.Ypos / 10};
    // The frame holds the physics position; the display follows one tick behind.
    ExpectNear(r.scene->PieceFrame(1)->Position(), b);
    ExpectNear(r.scene->DisplayPose(1, 1000).position, a);
    ExpectNear(r.scene->DisplayPose(1, 1015).position, {(a.x + b.x) / 2, 0, (a.z + b.z) / 2});
    EXPECT_NEAR(r.scene->DisplayPose(1, 1015).heading, phi0 + 0.2, 1e-12);
    ExpectNear(r.scene->DisplayPose(1, 1030).position, b);
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
    const double mid = r.scene->DisplayPose(1, 2045).heading;
    EXPECT_NEAR(std::remainder(mid - r.m.Pi, 2 * r.m.Pi), 0, 0.01);
}

TEST(SceneMotion, FollowingCameraKeepsTheShownPieceInTheMiddle) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    GoblaRec& g = r.m.Gobla(2);
    double sx = 0, sy = 0;
    for (int tick = 1; tick <= 3; ++tick) {
        // The motion tick as the match runs it: physics, centre on the piece, placement.
        r.now = 1000 + 30 * tick;
        g.Xpos -= 15;
        g.Ypos -= 5;
        r.scene->PlaceCenter(g.Xpos / 10, -2, -g.Ypos / 10);
        r.scene->LookAt(kLookAtCenter);
        r.scene->PlacePiece(2);
        for (double t : {r.now, r.now + 10, r.now + 20}) {
            r.scene->UpdateDisplay(t);
            const GameScene::Pose shown = r.scene->DisplayPose(2, t);
            ASSERT_TRUE(r.scene->ProjectToScreen({shown.position.x, -2, shown.position.z}, sx, sy));
            EXPECT_NEAR(sx, 320, 1e-6);
            EXPECT_NEAR(sy, 240, 1e-6);
        }
    }
    // Turned to the table centre, the camera stays there whatever the pieces do.
    r.scene->PlaceCenter(30, -2, -20);
    r.scene->LookAt(kLookAtCenter);
    g.Xpos -= 15;
    r.scene->PlacePiece(2);
    r.scene->UpdateDisplay(r.now + 15);
    ASSERT_TRUE(r.scene->ProjectToScreen({30, -2, -20}, sx, sy));
    EXPECT_NEAR(sx, 320, 1e-6);
    EXPECT_NEAR(sy, 240, 1e-6);
}

TEST(SceneProjection, MatchesTheNameLabels) {
    TinyGameData data;
    Rig r(data.Dir());
    ASSERT_TRUE(r.scene->BuildScene());
    // Camera straight above the look-at point: a piece there is labelled near (305, 200).
    r.scene->PlaceCamera(30, 50, -20);
    r.scene->PlaceCenter(30, 0, -20.0001);
    r.scene->LookAt(kLookAtCenter);
    double sx = 0, sy = 0;
    ASSERT_TRUE(r.scene->ProjectToScreen({30, 0, -20}, sx, sy));
    EXPECT_EQ(RoundI32(sx - 15), 305);
    EXPECT_EQ(RoundI32(sy - 40), 200);

    // From the opening camera, the worked-through label formula.
    r.scene->PlaceCamera(-50, 40, -20);
    r.scene->PlaceCenter(30, -2, -20);
    r.scene->LookAt(kLookAtCenter);
    const Vec3 cam{-50, 40, -20}, d = scene::Normalized({80, -42, 0});
    const Vec3 u = scene::Normalized({d.z, 0, -d.x});
    const Vec3 s = scene::Normalized(scene::Cross(d, u));
    for (Vec3 p : {Vec3{10, 0, -5}, Vec3{55, 0, -38}, Vec3{30, 3, -20}}) {
        const Vec3 v = p - cam;
        ASSERT_TRUE(r.scene->ProjectToScreen(p, sx, sy));
        EXPECT_NEAR(sx, 320 + 640 * scene::Dot(u, v) / scene::Dot(d, v), 1e-9);
        EXPECT_NEAR(sy, 240 - (3.0 * 640 * 640 / (4 * 480)) * scene::Dot(s, v) / scene::Dot(d, v),
                    1e-9);
    }
    // Behind the camera nothing is projected.
    EXPECT_FALSE(r.scene->ProjectToScreen({-60, 40, -20}, sx, sy));
}

TEST(SceneData, GameMeshesAllLoad) {
    const std::string dir = testing::RealGameData();
    if (!std::filesystem::exists(dir + "/mesh/goblatable.x")) GTEST_SKIP() << "нет gamedata";
    Rig r(dir, false);
    testing::SetupOpeningMatch(r.m, 8, 1024, 768);
    ASSERT_TRUE(r.scene->BuildScene());
    EXPECT_TRUE(r.dialogs.messages.empty()) << r.dialogs.messages.front();
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(r.scene->PieceFrame(n)->Visuals().size(), 1u);
}

} // namespace
} // namespace kv
