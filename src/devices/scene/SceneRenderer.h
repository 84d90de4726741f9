// Draws a Scene with OpenGL 3.3 core (Gouraud lighting: ambient plus point
// lights, evaluated per vertex) and the text over it with QPainter.
#pragma once

#include "devices/scene/SceneGraph.h"
#include "state/Ports.h"

#include <QColor>

#include <memory>
#include <string>
#include <vector>

namespace kv::scene {

// Classic 16-colour palette, 0 black ... 15 bright white.
QColor PaletteColour(int index);

class SceneRenderer {
public:
    SceneRenderer();
    ~SceneRenderer(); // call ReleaseGL first while the context is current
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Compiles the shaders in the current context. False with the reason.
    bool InitGL(std::string& error);
    bool Ready() const;
    // Frees GPU objects; needs the same context current.
    void ReleaseGL();
    // Frees the GPU copies of meshes and textures the scene no longer uses
    // (after a new scene was built for the next match).
    void ForgetUnused(const Scene& scene);

    // Clears (colour and depth) and draws the scene into the currently bound
    // framebuffer over the scene's viewport.
    void RenderScene(const Scene& scene);
    // Text over the picture: (x, y) is the top left of each item; palette
    // colour textColour; 10 points (8 below 800 pixels wide), big items 14-point bold.
    void RenderText(const std::vector<TextItem>& items, int textColour, int width, int height);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace kv::scene
