// The match's 3D scene on the shared match state: builds the desk, room,
// pieces, walls, obstacles, markers and lights, loads the sounds, moves the
// pieces for display and draws frames.
#pragma once

#include "devices/SoundBank.h"
#include "devices/scene/MeshLoader.h"
#include "devices/scene/ModernRenderer.h"
#include "devices/scene/SceneGraph.h"
#include "devices/scene/SceneRenderer.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

struct GameSceneOptions {
    std::string dataDir;  // the gamedata folder
    std::string appTitle; // the window title after the build
    // Appends one message to the error log.
    std::function<void(const std::string&)> logError;
    // Milliseconds of a steady clock; used to smooth the motion ticks.
    std::function<double()> clockMs;
    // Real milliseconds for the modern look's quality watch; empty: a steady clock.
    std::function<double()> frameClockMs;
};

// What the options screen says of the modern look: the renderer the last match
// drew with and the effects its quality watch kept.
std::string ModernLookReport();

class GameScene : public ScenePort {
public:
    // sounds may be null (no sound device): then no sounds are loaded.
    GameScene(Module1& m, DisplayPort& display, DialogPort& dialogs, SoundBank* sounds,
              GameSceneOptions options);
    ~GameScene() override;

    // ScenePort
    bool BuildScene() override;
    void PlacePiece(int n) override;
    void LiftPiece(int n, double h) override;
    void ShowPot(i16 x, i16 z) override;
    void MovePot(i16 x, i16 z, double t, i16 v) override;
    void HidePot() override;
    void ShowBall(bool shown) override;
    void ShowArrow(bool shown) override;
    void PlaceBall(double x, double y, double z) override;
    void PlaceArrow(double x, double y, double z) override;
    void TurnArrow(double angle) override;
    void PlaceCenter(double x, double y, double z) override;
    void PlaceCamera(double x, double y, double z) override;
    void LookAt(int frame) override;
    void ShowAmbientLight(bool shown) override;
    void ShowLook(const MatchLook& look) override;

    // Draws one frame into the currently bound framebuffer at the picture's size:
    // clear, scene (pieces smoothed for time nowMs), then the text items in
    // palette colour TextColour. Needs a current OpenGL 3.3 context; the GL
    // objects are made on the first call. False when the shaders failed (error set).
    bool RenderFrame(double nowMs, const std::vector<TextItem>& text, std::string* error = nullptr);
    // Frees the GL objects; call with the same context current before it goes.
    void ReleaseGL();
    bool Modern() const { return m_.Graphics == kGraphicsModern; }
    // The modern look's effects as the quality watch has left them; the
    // renderer's name from the context (empty before the first frame).
    scene::Quality CurrentQuality() const;
    bool QualitySettled() const { return governor_ && governor_->Settled(); }
    const std::string& RendererName() const { return rendererName_; }

    // Where piece n is shown at time nowMs: between the last two placements,
    // one motion tick behind, so that 30 ms steps look continuous.
    struct Pose {
        scene::Vec3 position;
        double heading = 0;
    };
    Pose DisplayPose(int n, double nowMs) const;
    // Moves the piece frames to their display poses; a camera last turned to a
    // piece (or to the centre frame standing on one) looks at it as shown.
    void UpdateDisplay(double nowMs);

    const scene::Scene& Graph() const { return scene_; }
    scene::Frame* PieceFrame(int n) const;
    scene::Frame* CenterFrame() const { return center_.get(); }
    // Screen pixel of a world point through the current camera.
    bool ProjectToScreen(scene::Vec3 world, double& sx, double& sy) const;

    static constexpr double kTickMs = 30; // the motion tick
    // The clock the placements are stamped with; pass it to RenderFrame.
    double NowMs() const;

private:
    // The picture's size and projection, as the display has them now.
    void FitViewport();
    struct Sample {
        double t = 0;
        scene::Vec3 pos;
        double phi = 0;
    };
    struct Motion {
        Sample prev, last;
        bool valid = false;
    };

    struct Step;
    // The build's steps after the frames, in order; each false when the user
    // chose to stop after a failure.
    void MakeFrames();
    std::vector<Step> Steps();
    bool LoadStep(const Step& s);
    bool BuildRoom();
    bool TextureTable();
    bool LoadSounds();
    // Reports a failed step; false when the user chose to stop.
    bool Fail(const scene::LoadError& err);
    std::shared_ptr<scene::Mesh> LoadMesh(const std::string& relative, bool& stop,
                                          bool withTextures);
    // The modern look's own mesh for a classic "mesh\\<name>"; null (logged,
    // never asked) when there is none, and the classic file serves.
    std::shared_ptr<scene::Mesh> LoadModernMesh(const std::string& classic, bool withTextures);
    void Caption(const std::string& text);
    scene::Vec3 ParkedPosition() const;
    scene::Vec3 PieceWorld(int n) const;
    void Reset();
    // The modern look's extras for this frame: tints, the falling piece,
    // contact shadows and the turn ring; the overlay over the picture.
    void ApplyLook(double nowMs, scene::Overlay& overlay);
    double PieceRadius(const scene::Frame& f) const;
    bool RenderModern(double nowMs, const std::vector<TextItem>& text, std::string* error);

    Module1& m_;
    DisplayPort& display_;
    DialogPort& dialogs_;
    SoundBank* sounds_;
    GameSceneOptions opt_;
    std::unique_ptr<scene::AssetLoader> loader_;
    std::unique_ptr<scene::SceneRenderer> renderer_;
    std::unique_ptr<scene::ModernRenderer> modern_;
    std::unique_ptr<scene::QualityGovernor> governor_;
    std::string rendererName_;
    MatchLook look_;
    bool lookShown_ = false;

    scene::Scene scene_;
    std::shared_ptr<scene::Frame> light_, table_, room_, center_, ball_, point_, swin_, pot_, lamp_;
    std::array<std::shared_ptr<scene::Frame>, kMaxPlayers + 1> pieces_{};
    std::array<std::shared_ptr<scene::Frame>, 5> legs_{};
    std::array<std::shared_ptr<scene::Frame>, 3> borders_{};
    std::array<std::shared_ptr<scene::Frame>, kObstacles + 1> pipas_{};
    std::shared_ptr<scene::Mesh> potMesh_, ballMesh_, pointMesh_, tableMesh_, roomMesh_;
    std::shared_ptr<scene::Light> ambient_, tableLight_;
    std::array<Motion, kMaxPlayers + 1> motion_{};
    std::array<double, kMaxPlayers + 1> lift_{};
    bool potShown_ = false, ballShown_ = false, arrowShown_ = false;
    bool built_ = false;
    static constexpr int kTrackCenter = -1;
    int camTrack_ = 0; // what the camera was last turned to: a piece, the centre, 0 for none
    double camTrackY_ = 0;
    bool rebuilt_ = false; // the renderer still holds the previous scene's GPU copies
};

} // namespace kv
