// The renderer choice of the display settings, and the screen the match is shown on.
#include "devices/display/QtDisplay.h"
#include "state/NullPorts.h"

#include <QApplication>
#include <QOpenGLWidget>
#include <QScreen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

TEST(Display, TheMatchGoesToTheScreenOfTheChosenAdapter) {
    // Two screens side by side, from Qt's offscreen platform.
    const auto config = std::filesystem::temp_directory_path() / "kv-two-screens.json";
    std::ofstream(config) << R"({"screens": [
        {"name": "A", "x": 0, "y": 0, "width": 800, "height": 600},
        {"name": "B", "x": 800, "y": 0, "width": 1024, "height": 768}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
    static int argc = 1;
    static char name[] = "kv-display-test";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    Module1 m;
    m.ScreenW = 640;
    m.ScreenH = 480;
    NullDialogs dialogs;
    QOpenGLWidget window;
    QtDisplay display(m, window, dialogs, {});
    // A screen that is gone falls back to the first.
    for (const auto& [device, shown] : {std::pair{1, 1}, {0, 0}, {1, 1}, {7, 0}}) {
        for (bool windowed : {true, false}) {
            m.DeviceNum = static_cast<i16>(device);
            m.Windowed = Flag(windowed);
            display.ApplyWindowMode();
            const QScreen* want = screens[shown];
            EXPECT_EQ(window.screen(), want) << device << windowed;
            EXPECT_TRUE(want->geometry().contains(window.geometry())) << device << windowed;
        }
    }
    std::filesystem::remove(config);
}

} // namespace
