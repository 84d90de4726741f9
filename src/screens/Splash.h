// The slide show of the program's first window: the SlideMedia file's reader,
// the skips, and the one hand-over to the main menu. The window shows the
// pictures and drives the slide timer from the fields here.
#pragma once

#include "persistence/KeyFile.h"
#include "screens/ScreenContext.h"

#include <string>

namespace kv::screens {

// What the slide show asks of its window.
class SlideView {
public:
    virtual ~SlideView() = default;
    // Shows the picture; false with the reason in *why when it cannot be loaded.
    virtual bool ShowPicture(const std::string& path, std::string* why) = 0;
    // Lets the window paint and take the user's clicks and keys.
    virtual void ProcessEvents() = 0;
};

inline constexpr const char* kSplashCaption = "Добро пожаловать в игру Kvelmar II !";
inline constexpr const char* kSplashWait = "Подождите...";
inline constexpr const char* kSlideMediaHeader = "[OrvelsoftSlideMedia]";

// A slide's time as the file writes it: a 16-bit count of milliseconds, 0 for
// "until skipped". False with the reason when it is no such number.
bool SlideTime(const std::string& text, int& ms, std::string& why);

class MainMenu;

class SplashScreen {
public:
    // The hand-over runs the main menu's start-up, once in the program.
    explicit SplashScreen(MainMenu& menu) : menu_(menu) {}

    bool running = false; // the show may go on; a skip clears it
    bool playing = false; // the file was recognised: clicks skip
    std::string mediaPath;
    std::string caption;
    std::string picture;     // the slide shown; "" when none
    bool waiting = false;    // the "Подождите..." label over the background
    bool slideTimer = false; // the slide's time runs
    int slideMs = 0;
    bool Finished() const { return started_; }

    // The window's load: the show starts; the main menu when it is already over.
    Next Load(ScreenContext& g, SlideView& view);
    Next TimerTick(ScreenContext& g, SlideView& view);
    // A click on the picture or the label.
    Next Click(ScreenContext& g, SlideView& view);
    Next Key(ScreenContext& g, SlideView& view);
    // The window closed, or a key: the show ends once (the menu follows).
    Next Skip(ScreenContext& g);

private:
    void StartMedia(ScreenContext& g, SlideView& view);
    void ShowSlide(ScreenContext& g, SlideView& view);
    void SlideError(ScreenContext& g, SlideView& view, const std::string& why);
    void Start(ScreenContext& g, SlideView& view);
    Next Handed();

    MainMenu& menu_;
    SlideView* view_ = nullptr; // the window of the show in progress
    TextLines file_;
    std::size_t line_ = 0;
    bool openFailed_ = false;
    bool started_ = false;     // Start has begun in this run
    bool handOver_ = false;    // Start is done: the menu is due
    bool menuStarted_ = false; // the main menu's start-up ran in this program
};

} // namespace kv::screens
