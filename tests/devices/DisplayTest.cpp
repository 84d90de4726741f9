// Display settings, the renderer choice and the lists of the options screen.
#include "devices/display/QtDisplay.h"
#include "match/RecordingPorts.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

using namespace kv;

TEST(Display, ZeroSettingsStartAt640x480x8AndOthersAreKept) {
    Module1 m;
    for (auto [w, h, c, ww, wh, wc] :
         {std::array{0, 0, 0, 640, 480, 8}, std::array{1024, 768, 16, 1024, 768, 16}}) {
        m.ScreenW = static_cast<i16>(w), m.ScreenH = static_cast<i16>(h);
        m.Colors = static_cast<i16>(c);
        FixDisplaySettings(m);
        EXPECT_EQ(m.ScreenW, ww);
        EXPECT_EQ(m.ScreenH, wh);
        EXPECT_EQ(m.Colors, wc); // kept: shown, not emulated
    }
}

TEST(Display, SoftwareRasteriserOnlyOnTheFirstAdapter) {
    Module1 m;
    m.DeviceNum = 0, m.RenderNum = 0;
    EXPECT_FALSE(UseSoftwareRenderer(m));
    m.RenderNum = 1;
    EXPECT_TRUE(UseSoftwareRenderer(m));
    // A second adapter runs on the hardware device whatever RenderNum says.
    m.DeviceNum = 1;
    EXPECT_FALSE(UseSoftwareRenderer(m));
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
    ChooseRenderer(m);
    EXPECT_EQ(std::getenv("LIBGL_ALWAYS_SOFTWARE"), nullptr);
    m.DeviceNum = 0;
    ChooseRenderer(m);
    ASSERT_NE(std::getenv("LIBGL_ALWAYS_SOFTWARE"), nullptr);
    EXPECT_STREQ(std::getenv("LIBGL_ALWAYS_SOFTWARE"), "1");
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
}

TEST(Display, VideoListsNameTheScreensAndTheTwoDevices) {
    const char* d = std::getenv("DISPLAY");
    if (d == nullptr || *d == 0) GTEST_SKIP() << "нужен дисплей с OpenGL (xvfb-run)";
    static int argc = 1;
    static char name[] = "kv-display-test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    RecordingDialogs dialogs;
    std::vector<std::string> log;
    auto logError = [&](const std::string& s) { log.push_back(s); };
    VideoLists lists;
    ASSERT_TRUE(FillVideoLists(lists, 0, dialogs, logError));
    ASSERT_EQ(lists.adapters.size(), static_cast<std::size_t>(QGuiApplication::screens().size()));
    EXPECT_NE(lists.adapters[0].find("1280x1024"), std::string::npos) << lists.adapters[0];
    EXPECT_EQ(lists.devices, (std::vector<std::string>{"Аппаратное (OpenGL)",
                                                       "Программное (Software, без ускорения)"}));
    // Another adapter offers only the hardware device.
    ASSERT_TRUE(FillVideoLists(lists, 1, dialogs, logError));
    EXPECT_EQ(lists.devices.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(log.empty());
}

} // namespace
