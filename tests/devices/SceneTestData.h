// A tiny gamedata folder of box meshes in plain colours, and an OpenGL
// context with an offscreen framebuffer for reading frames back.
#pragma once

#include "match/Module1.h"
#include "match/Ports.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace kv::testing {

struct Rgb {
    float r, g, b;
};

// Writes a box (imported coordinates min..max) with one material as a text .x file.
void WriteBoxX(const std::string& path, float x0, float y0, float z0, float x1, float y1, float z1,
               Rgb colour);

// Colours of the tiny pieces by model: red, green, blue, yellow; gray for "_gray".
Rgb PieceColour(int model, bool gray);

// A complete tiny gamedata folder (meshes, textures, dummy sounds) in a fresh
// temporary folder, removed with the object.
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

// Eight players, walls, two obstacles, room and textures.
void SetupOpeningMatch(Module1& m, int players, int width, int height);

// Display and dialog stand-ins for scene tests.
class CaptionLog : public DisplayPort {
public:
    bool InitDisplay() override { return true; }
    void ShutdownDisplay() override {}
    void SetCaption(const std::string& c) override { captions.push_back(c); }
    std::vector<std::string> captions;
};

// An OpenGL 3.3 context on an offscreen surface with a framebuffer object of
// the given size. Available() is false (with the reason) without a display.
class GlTarget {
public:
    GlTarget(int width, int height);
    ~GlTarget();
    bool Available() const { return ok_; }
    const std::string& Why() const { return why_; }
    void Bind();
    QImage Read();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    bool ok_ = false;
    std::string why_;
};

} // namespace kv::testing
