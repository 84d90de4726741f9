// Which window follows which. The screen models say what a command asks for
// (a Next); the flow carries it out through the view the front end gives it,
// remembers who opened the options screen, and takes the match's hand-over.
#pragma once

#include "state/MatchState.h"
#include "state/Picture.h"
#include "state/Ports.h"

#include <string>
#include <vector>

namespace kv::screens {

enum class ScreenId {
    None,
    MainMenu,
    QuickGame,
    Options,
    Results,
    Match,
    Teams,
    NewTeam,
    LoadBrowser,
    Chronicle,
    ChronicleEvents,
    Splash,
    ErrorReport,
    Preview,
    About,
    Emblem,
    Net,      // the network screen: the tables heard, and the ways to one
    NetLobby, // a network table before, between and after its matches
};

// What a command of a screen asks for.
struct Next {
    enum class Kind { Stay, Show, Beside, Hide, Options, Match, Replay, Quit };
    Kind kind = Kind::Stay;
    ScreenId screen = ScreenId::None; // Show: the screen; the others: the caller

    static Next Stay() { return {}; }
    static Next To(ScreenId s) { return {Kind::Show, s}; }
    // A window of its own beside the current screen, and its closing.
    static Next Beside(ScreenId s) { return {Kind::Beside, s}; }
    static Next Hide(ScreenId s) { return {Kind::Hide, s}; }
    static Next OptionsFrom(ScreenId opener) { return {Kind::Options, opener}; }
    static Next Match(ScreenId caller) { return {Kind::Match, caller}; }
    // The playback of the replay that the state and the replay port hold.
    static Next Replay(ScreenId caller) { return {Kind::Replay, caller}; }
    static Next Quit() { return {Kind::Quit, ScreenId::None}; }
    bool operator==(const Next&) const = default;
};

// Opening help pages and web addresses in the system's browser.
class WebPort {
public:
    virtual ~WebPort() = default;
    // False with the reason in *why.
    virtual bool OpenFile(const std::string& path, std::string* why) = 0;
    virtual bool OpenUrl(const std::string& url, std::string* why) = 0;
};

// The save-file prompt of the results screen.
struct SavePrompt {
    std::string title;
    std::string filter;      // "Сохраненные игры (*.zvr)"
    std::string extension;   // ".zvr"
    std::string defaultPath; // the folder and the proposed name
};
class PromptPort {
public:
    virtual ~PromptPort() = default;
    // The chosen path, or "" when the user cancelled.
    virtual std::string AskSavePath(const SavePrompt& p) = 0;
};

// The screens and OpenGL renderers the options screen offers.
class VideoPort {
public:
    virtual ~VideoPort() = default;
    // False (after the message) when no OpenGL can be had at all: the game ends.
    virtual bool FillVideoLists(const Module1& m, std::vector<std::string>& adapters,
                                std::vector<std::string>& renderers) = 0;
    // The size in pixels of an adapter's screen; 0 x 0 when not known.
    virtual PixelSize ScreenSize(int /*adapter*/) { return {}; }
};

// What the front end does on the flow's orders.
class ViewPort {
public:
    virtual ~ViewPort() = default;
    // Shows the screen in the place of the one it replaces (None at the start).
    virtual void Show(ScreenId screen, ScreenId replaces) = 0;
    // A window beside the current screen (which stays), and its hiding.
    virtual void ShowBeside(ScreenId screen) = 0;
    virtual void HideBeside(ScreenId screen) = 0;
    // Shows the match screen for the match set up in the state and starts it.
    virtual void StartMatch(bool replay) = 0;
    // Ends the program: every window closed, every file flushed.
    virtual void Quit() = 0;
    // Shows what the models say now, in the middle of a long step.
    virtual void Update() {}
};

class GameScreens;

class ScreenFlow : public ScreensPort {
public:
    ScreenFlow(GameScreens& g, ViewPort& view) : g_(g), view_(view) {}

    // Carries out what a command of screen `from` asked for.
    void Apply(const Next& n, ScreenId from);
    void Show(ScreenId s);
    void Update() { view_.Update(); }
    ScreenId Current() const { return current_; }
    ScreenId OptionsOpener() const { return optionsOpener_; }
    bool MatchReplay() const { return matchReplay_; }

    // The match screen's hand-over when it closes.
    void ShowResults(bool gameOver) override;
    void ShowLoadBrowser() override;

private:
    GameScreens& g_;
    ViewPort& view_;
    ScreenId current_ = ScreenId::None;
    ScreenId optionsOpener_ = ScreenId::MainMenu;
    bool matchReplay_ = false;
};

} // namespace kv::screens
