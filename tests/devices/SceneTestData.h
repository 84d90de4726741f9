// A tiny gamedata folder of box meshes in plain colours, a match scene over it
// with recording stand-ins, and an OpenGL context with an offscreen framebuffer
// for reading frames back.
#pragma once

#include "devices/scene/GameScene.h"
#include "support/RecordingPorts.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace kv::testing {

struct Rgb {
    float r, g, b;
};

// Colours of the tiny pieces by model: red, green, blue, yellow; gray for "_gray".
Rgb PieceColour(int model, bool gray);

// A complete tiny gamedata folder in a fresh temporary folder, removed with the object.
class TinyGameData {
public:
    TinyGameData();
    ~TinyGameData();
    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }

private:
    std::string root_, dir_;
};

// The game's own data folder in the source tree.
std::string RealGameData();

// `players` pieces (models 0..3, gray from the fifth), two obstacles, walls,
// room and textures, at the given screen size.
void SetupOpeningMatch(Module1& m, int players, int width, int height);

// Records the sounds loaded, failing the one whose name contains failName.
class LoadLog : public SoundBank {
public:
    bool LoadSound(const std::string& path, int slot, std::string& error) override;
    void PlaySound(int, i32) override {}
    void StopSound(int, bool) override {}
    std::vector<std::pair<std::string, int>> loads;
    std::string failName;
};

// A match of `players` pieces, two obstacles, walls, room and textures, and its
// scene over the data folder `dir`; the scene's clock reads `now`.
struct SceneRig {
    explicit SceneRig(const std::string& dir, int players = 4, int width = 640, int height = 480);
    ~SceneRig() { scene->ReleaseGL(); }
    Module1 m;
    NullDisplay display;
    RecordingDialogs dialogs;
    LoadLog bank;
    std::vector<std::string> log;
    double now = 0;
    std::unique_ptr<GameScene> scene;
};

// An OpenGL 3.3 context on an offscreen surface with a framebuffer object of
// the given size. Available() is false (with the reason) without a display.
class GlTarget {
public:
    GlTarget(int width, int height);
    ~GlTarget();
    bool Available() const { return ok_; }
    const std::string& Why() const { return why_; }
    void Bind(); // makes the context current with the framebuffer bound
    QImage Read();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    bool ok_ = false;
    std::string why_;
};

} // namespace kv::testing
