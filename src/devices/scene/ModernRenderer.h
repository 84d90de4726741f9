// The modern look of a Scene: per-pixel lighting in linear space with a filmic
// tone curve, the lamp as the key light with a soft shadow map, contact
// shadows and rings on the table, procedural wood, metal and paper, a dark
// backdrop instead of a void, and the text on translucent panels.
#pragma once

#include "devices/scene/QualityGovernor.h"
#include "devices/scene/SceneGraph.h"
#include "state/Ports.h"

#include <memory>
#include <string>
#include <vector>

namespace kv::scene {

// What the modern look draws over the picture besides the text.
struct Overlay {
    bool forceBar = false;
    double barX = 0, barY = 0; // the piece on the screen, pixels
    float force = 0;           // 0..1
    std::string banner;
    float bannerAlpha = 0;
};

class ModernRenderer {
public:
    ModernRenderer();
    ~ModernRenderer(); // call ReleaseGL first while the context is current
    ModernRenderer(const ModernRenderer&) = delete;
    ModernRenderer& operator=(const ModernRenderer&) = delete;

    bool InitGL(std::string& error);
    bool Ready() const;
    void ReleaseGL();
    void ForgetUnused(const Scene& scene);
    void SetQuality(const Quality& q) { quality_ = q; }
    const Quality& GetQuality() const { return quality_; }

    // Draws the scene into the currently bound framebuffer over the viewport.
    void RenderScene(const Scene& scene);
    // The text with its panels, the force bar and the banner.
    void RenderText(const std::vector<TextItem>& items, int textColour, int width, int height,
                    const Overlay& overlay);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    Quality quality_;
};

} // namespace kv::scene
