// The modern look's costly effects, and the watch over the first seconds of a
// match that lowers them one step at a time on a renderer too slow for them,
// before the frame rate falls below what the game needs.
#pragma once

#include <functional>
#include <string>

namespace kv::scene {

struct Quality {
    int samples = 4;         // multisampling, on a hardware renderer; 0 off
    int shadowSize = 2048;   // the lamp's shadow map, texels a side; 0 off
    bool smoothEdges = true; // the post-process edge smoothing where there is no multisampling
    bool perPixel = true;    // the light per pixel; off: per vertex
    int scale = 100;         // the scene's share of the picture's pixels a side, in per cent
};

// What the options screen shows: "тени 2048, сглаживание ..." in words.
std::string DescribeQuality(const Quality& q);

class QualityGovernor {
public:
    // Frames slower than this (milliseconds) cost a step: 45 a second leaves
    // room above the 30 the game must keep, and a settled picture keeps 40.
    static constexpr double kSlowFrameMs = 22;
    static constexpr double kWatchMs = 6000; // how long the match is watched
    static constexpr int kWindow = 12;       // frames measured before each verdict,
    static constexpr double kWindowMs = 400; // or this long, on a very slow renderer
    static constexpr int kSmallestShadow = 512;

    // clockMs: a steady clock in milliseconds.
    QualityGovernor(std::function<double()> clockMs, Quality start);

    // Called as each frame begins; true when the quality has just been lowered.
    bool FrameStarted();
    const Quality& Current() const { return q_; }
    bool Settled() const { return settled_; }

private:
    bool StepDown();

    std::function<double()> clock_;
    Quality q_;
    bool started_ = false, settled_ = false;
    double first_ = 0, last_ = 0, windowStart_ = 0;
    int measured_ = 0;
    double slowest_[kWindow] = {};
};

} // namespace kv::scene
