// The piece preview's own small scene: one piece at the origin, turning under
// a lamp, seen from a fixed camera, drawn at 640 by 480.
#pragma once

#include "devices/scene/MeshLoader.h"
#include "devices/scene/ModernRenderer.h"
#include "devices/scene/SceneGraph.h"
#include "devices/scene/SceneRenderer.h"
#include "state/Ports.h"

#include <memory>
#include <string>
#include <vector>

namespace kv::scene {

class PreviewScene {
public:
    static constexpr int kWidth = 640, kHeight = 480;

    // Builds the scene around the piece's mesh file (a path under the data
    // folder); false with err set when the mesh cannot be loaded. The modern
    // look shows the piece's own mesh from mesh/modern where there is one.
    bool Build(const std::string& dataDir, const std::string& meshPath, LoadError& err,
               bool modern = false);
    // Turns the piece to angle (radians about the vertical) and draws the
    // scene and the texts into the bound framebuffer.
    void Render(SceneRenderer& renderer, double angle, const std::vector<TextItem>& texts,
                int textColour);
    // The same in the modern look, the piece standing in its soft shadow.
    void Render(ModernRenderer& renderer, double angle, const std::vector<TextItem>& texts,
                int textColour);

    // The turning piece; null before a build.
    const Frame* Piece() const { return piece_.get(); }

private:
    Scene scene_;
    std::shared_ptr<Frame> piece_;
};

} // namespace kv::scene
