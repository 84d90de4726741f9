// The renderer choice of the display settings.
#include "devices/display/QtDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace kv;

TEST(Display, SoftwareRasteriserOnlyOnTheFirstAdapter) {
    // A second adapter runs on the hardware device whatever RenderNum says.
    const std::tuple<i16, i16, bool> cases[] = {{0, 0, false}, {0, 1, true}, {1, 1, false}};
    for (const auto& [device, render, software] : cases) {
        Module1 m;
        m.DeviceNum = device, m.RenderNum = render;
        unsetenv("LIBGL_ALWAYS_SOFTWARE");
        ChooseRenderer(m);
        const char* env = std::getenv("LIBGL_ALWAYS_SOFTWARE");
        EXPECT_EQ(env != nullptr && std::string(env) == "1", software) << device << render;
    }
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
}

} // namespace
