// The renderer choice of the display settings.
#include "devices/display/QtDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace kv;

TEST(Display, SoftwareRasteriserOnlyOnTheFirstAdapter) {
    Module1 m;
    m.DeviceNum = 0, m.RenderNum = 0;
    EXPECT_FALSE(UseSoftwareRenderer(m));
    m.RenderNum = 1;
    EXPECT_TRUE(UseSoftwareRenderer(m));
    // A second adapter runs on the hardware device whatever RenderNum says.
    m.DeviceNum = 1;
    EXPECT_FALSE(UseSoftwareRenderer(m));
    m.DeviceNum = 0;
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
    ChooseRenderer(m);
    ASSERT_NE(std::getenv("LIBGL_ALWAYS_SOFTWARE"), nullptr);
    EXPECT_STREQ(std::getenv("LIBGL_ALWAYS_SOFTWARE"), "1");
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
}

} // namespace
