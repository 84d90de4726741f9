#include "devices/scene/QualityGovernor.h"

#include <algorithm>

namespace kv::scene {

std::string DescribeQuality(const Quality& q) {
    std::string s;
    if (q.samples > 0)
        s += "сглаживание ×" + std::to_string(q.samples);
    else if (q.smoothEdges)
        s += "сглаживание краёв";
    else
        s += "без сглаживания";
    s += q.shadowSize > 0 ? ", тени " + std::to_string(q.shadowSize) : ", без теней";
    if (!q.perPixel) s += ", свет по вершинам";
    if (q.scale < 100) s += ", сцена в " + std::to_string(q.scale) + "% разрешения";
    return s;
}

QualityGovernor::QualityGovernor(std::function<double()> clockMs, Quality start)
    : clock_(std::move(clockMs)), q_(start) {}

bool QualityGovernor::FrameStarted() {
    if (settled_) return false;
    const double now = clock_();
    if (!started_) {
        started_ = true;
        first_ = last_ = windowStart_ = now;
        return false;
    }
    const double frame = now - last_;
    last_ = now;
    if (now - first_ > kWatchMs) {
        settled_ = true;
        return false;
    }
    slowest_[measured_++] = frame;
    if (measured_ < kWindow && (measured_ < 2 || now - windowStart_ < kWindowMs)) return false;
    const int n = measured_;
    measured_ = 0;
    windowStart_ = now;
    // The median: a single stall (a dragged window, a loaded file) is no verdict.
    std::nth_element(slowest_, slowest_ + n / 2, slowest_ + n);
    if (slowest_[n / 2] <= kSlowFrameMs) return false;
    if (!StepDown()) {
        settled_ = true;
        return false;
    }
    return true;
}

// Multisampling goes first, then the edge smoothing, then the shadow map halves
// down to its smallest size; then the scene is drawn at three quarters of the
// picture's size (a large picture on a software renderer keeps its shadows so),
// then the shadows go, then the light per pixel, and last the scene is drawn at
// half the size.
bool QualityGovernor::StepDown() {
    if (q_.samples > 0) {
        q_.samples = 0;
        q_.smoothEdges = false;
    } else if (q_.smoothEdges) {
        q_.smoothEdges = false;
    } else if (q_.shadowSize > kSmallestShadow) {
        q_.shadowSize /= 2;
    } else if (q_.scale > 75) {
        q_.scale = 75;
    } else if (q_.shadowSize > 0) {
        q_.shadowSize = 0;
    } else if (q_.perPixel) {
        q_.perPixel = false;
    } else if (q_.scale > 50) {
        q_.scale = 50;
    } else {
        return false;
    }
    return true;
}

} // namespace kv::scene
