// The display of a match over Qt and OpenGL: the picture (the chosen mode, or
// in the modern look the screen's or the window's own size) is drawn into a
// framebuffer and shown scaled, with its proportions, full screen or in a
// window on the desktop. Qt cannot change the monitor's mode, so the colour
// depth is only kept in the settings and shown.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"

#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QOpenGLFramebufferObject;
class QOpenGLWidget;
class QScreen;

namespace kv {

inline constexpr const char* kHardwareDevice = "Аппаратное (OpenGL)";
inline constexpr const char* kSoftwareDevice = "Программное (Software, без ускорения)";

// The advice shown when the display cannot be set up.
std::string DisplayErrorMessage(const std::string& number, const std::string& description,
                                const std::string& source);

// The software rasteriser is used on the first adapter when the second device
// is chosen; another adapter always gets the hardware device.
bool UseSoftwareRenderer(const Module1& m);
// The screen of an adapter of the options' list (one per screen); the primary
// screen for one that is not there.
QScreen* AdapterScreen(int deviceNum);
// Must run before the first OpenGL context exists (at program start, after the
// settings): Mesa reads the choice once, when it loads its driver for the
// display connection, so a choice made later waits for the next start.
void ChooseRenderer(const Module1& m);

struct VideoLists {
    std::vector<std::string> adapters; // one per screen, with the OpenGL renderer's name
    std::vector<std::string> devices;  // rendering devices of the selected adapter
};
// The adapter and device lists of the options screen. False with the message
// already logged and shown; the caller then calls QuitProgram.
bool FillVideoLists(VideoLists& out, int selectedAdapter, DialogPort& dialogs,
                    const std::function<void(const std::string&)>& logError);

// Saves the settings and ends the program at once: no further screen code runs.
[[noreturn]] void QuitProgram(const std::function<void()>& saveSettings, int code = 0);

class QtDisplay : public DisplayPort {
public:
    QtDisplay(Module1& m, QOpenGLWidget& window, DialogPort& dialogs,
              std::function<void(const std::string&)> logError);
    ~QtDisplay() override;

    bool InitDisplay() override;
    void ShutdownDisplay() override;
    void SetCaption(const std::string& caption) override;

    // Called from ShutdownDisplay with the context current, before the
    // framebuffer goes: the scene frees its GL objects, the keyboard lets go.
    void OnShutdown(std::function<void()> f) { onShutdown_ = std::move(f); }

    bool Ready() const { return fbo_ != nullptr; }
    // Full screen or a desktop window, as Module1::Windowed says (Alt+Enter),
    // on the screen of the chosen adapter.
    void ApplyWindowMode();
    void ToggleWindowed();

    // The picture of the mode: bind it, draw, then Present into the window's own
    // framebuffer (bound by the caller) with the black bars around it.
    bool BindTarget();
    void Present(unsigned windowFramebuffer);
    // Where the mode's picture lies in the window, in device pixels.
    QRect ViewRect() const;
    QOpenGLFramebufferObject* Target() const { return fbo_.get(); }
    std::string Renderer() const { return renderer_; }

private:
    bool Fail(const std::string& number, const std::string& description, const std::string& source);
    // The picture's size now, from the mode, the screen and the window.
    QSize PictureSize() const;
    // A framebuffer of the picture's size; false when it cannot be made.
    bool FitTarget(unsigned* glError);

    Module1& m_;
    QOpenGLWidget& window_;
    DialogPort& dialogs_;
    std::function<void(const std::string&)> logError_;
    std::function<void()> onShutdown_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    std::string renderer_;
    int maxSize_ = 0; // the largest framebuffer side the driver allows
};

} // namespace kv
