// The quality watch of the modern look, on a clock the test moves: slow frames
// cost the effects in their order, fast ones keep them, the watch ends.
#include "devices/scene/QualityGovernor.h"

#include <gtest/gtest.h>

namespace kv::scene {
namespace {

struct Rig {
    explicit Rig(Quality start) : governor([this] { return now; }, start) {}
    // Frames of the given length; true if any lowered the quality.
    bool Frames(int count, double ms) {
        bool lowered = false;
        for (int i = 0; i < count; ++i) {
            now += ms;
            lowered = governor.FrameStarted() || lowered;
        }
        return lowered;
    }
    double now = 0;
    QualityGovernor governor;
};

TEST(QualityGovernor, FastFramesKeepEveryEffectAndTheWatchEnds) {
    Rig r(Quality{4, 2048, false, true});
    EXPECT_FALSE(r.Frames(200, 1000.0 / 60)); // a stall now and then is no verdict
    EXPECT_FALSE(r.Frames(1, 400));
    EXPECT_FALSE(r.Frames(400, 1000.0 / 60));
    EXPECT_TRUE(r.governor.Settled());
    EXPECT_FALSE(r.Frames(100, 100)); // settled: slow frames later change nothing
    EXPECT_EQ(DescribeQuality(r.governor.Current()), "сглаживание ×4, тени 2048");
}

TEST(QualityGovernor, SlowFramesDropMultisamplingFirstThenTheShadowMapsSizeThenPixels) {
    Rig r(Quality{4, 2048, false, true});
    std::vector<std::string> steps;
    for (int i = 0; i < 100 && !r.governor.Settled(); ++i)
        if (r.Frames(1, QualityGovernor::kSlowFrameMs + 5))
            steps.push_back(DescribeQuality(r.governor.Current()));
    const std::string scene75 = ", сцена в 75% разрешения";
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "без сглаживания, тени 2048", "без сглаживания, тени 1024",
                         "без сглаживания, тени 512", "без сглаживания, тени 512" + scene75,
                         "без сглаживания, без теней" + scene75,
                         "без сглаживания, без теней, свет по вершинам" + scene75,
                         "без сглаживания, без теней, свет по вершинам, сцена в 50% разрешения"}));
}

TEST(QualityGovernor, OnASoftwareRendererTheEdgeSmoothingGoesFirst) {
    Rig r(Quality{0, 2048, true, true});
    EXPECT_TRUE(r.Frames(QualityGovernor::kWindow + 1, 40));
    EXPECT_FALSE(r.Frames(400, 20)); // fast enough now: the rest stays
    EXPECT_EQ(DescribeQuality(r.governor.Current()), "без сглаживания, тени 2048");

    // Three frames a second: the watch still reaches its last step in time.
    Rig crawl(Quality{0, 2048, true, true});
    crawl.Frames(20, 300);
    EXPECT_FALSE(crawl.governor.Current().perPixel);
}

} // namespace
} // namespace kv::scene
