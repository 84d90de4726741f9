// Display settings, the renderer choice, the failure advice and the lists of
// the options screen.
#include "devices/display/QtDisplay.h"
#include "match/RecordingPorts.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace kv;

TEST(Display, ZeroSettingsStartAt640x480x8) {
    Module1 m;
    m.ScreenW = 0;
    m.ScreenH = 0;
    m.Colors = 0;
    FixDisplaySettings(m);
    EXPECT_EQ(m.ScreenW, 640);
    EXPECT_EQ(m.ScreenH, 480);
    EXPECT_EQ(m.Colors, 8);
    // Other values are kept, the colour depth too: it is shown, not emulated.
    m.ScreenW = 1024;
    m.ScreenH = 768;
    m.Colors = 16;
    FixDisplaySettings(m);
    EXPECT_EQ(m.ScreenW, 1024);
    EXPECT_EQ(m.ScreenH, 768);
    EXPECT_EQ(m.Colors, 16);
}

TEST(Display, SoftwareRasteriserOnlyOnTheFirstAdapter) {
    Module1 m;
    m.DeviceNum = 0;
    m.RenderNum = 0;
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

TEST(Display, FailureAdvice) {
    EXPECT_EQ(DisplayErrorMessage("0x0505", "GL_OUT_OF_MEMORY", "CreateFramebuffer"),
              "OpenGL вернул ошибку: 0x0505 GL_OUT_OF_MEMORY; CreateFramebuffer. Для устранения "
              "неполадки попробуйте следующее:\r\n\r\n1. Изменить параметры графики\r\n2. "
              "Перезапустить игру\r\n3. Перезагрузить Windows.\r\n\r\nПри повторении этой ошибки "
              "обратитесь в службу поддержки Orvelsoft.");
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
    ASSERT_EQ(lists.devices.size(), 2u);
    EXPECT_EQ(lists.devices[0], "Аппаратное (OpenGL)");
    EXPECT_EQ(lists.devices[1], "Программное (Software, без ускорения)");
    // Another adapter offers only the hardware device.
    ASSERT_TRUE(FillVideoLists(lists, 1, dialogs, logError));
    EXPECT_EQ(lists.devices.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(log.empty());
}

} // namespace
