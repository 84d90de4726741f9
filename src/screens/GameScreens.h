// The screens around the match, headless: every window's model, the flow
// between them, and what they share (the match state, the dialogs, the
// browser, the save prompt, the settings file). The Qt windows bind to it; the
// headless runner and the tests drive it alone.
#pragma once

#include "screens/ErrorReport.h"
#include "screens/Flow.h"
#include "screens/LoadBrowser.h"
#include "screens/MainMenu.h"
#include "screens/Options.h"
#include "screens/Preview.h"
#include "screens/QuickGame.h"
#include "screens/Results.h"
#include "screens/Teams.h"
// The slide show, the chronicle, the about box and the emblem window.
#include "screens/AboutEmblem.h"
#include "screens/Chronicle.h"
#include "screens/Splash.h"
#include "state/Module1.h"
#include "state/Ports.h"
#include "state/Rng.h"

namespace kv {
class FileReplay;
}

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kv::screens {

struct Services {
    DialogPort& dialogs;
    WebPort& web;
    PromptPort& prompt;
    Rng& rng;
    std::string stateDir; // the user's files, ending in '/'; empty: nothing is kept
    std::string dataDir;  // the game's data, ending in '/'
    std::string appTitle;
    std::string makerUrl;
    std::string updatesUrl;
    std::string clubUrl;
    VideoPort* video = nullptr;   // none: one screen, both renderers
    FileReplay* replay = nullptr; // what the load browser plays back
    // The mounted volumes the load browser offers beside the state and home folders.
    std::function<std::vector<std::string>()> volumes;
};

// A web page of the maker or the club that could not be opened.
std::string BrowserFailure(const std::string& why);

class GameScreens {
public:
    GameScreens(Module1& m, const Services& s, ViewPort& view);

    Module1& m;
    Services s;
    // What the settings file keeps of the controls; the quick game and options
    // screens work on it directly.
    SettingsRecord settings;
    QuickGameScreen quick;
    MassEditor mass;
    OptionsScreen options;
    ResultsScreen results;
    MainMenu menu;
    TeamScreen teams;
    NewTeamScreen newTeam;
    LoadBrowser loader;
    ErrorReport report;
    PiecePreview preview;
    ScreenFlow flow;
    // The slide show, the chronicle, the about box and the emblem window.
    SplashScreen splash;
    ChronicleScreen chronicle;
    ChronicleEventsScreen events;
    AboutScreen about;
    EmblemScreen emblem;

    // The screens the front end has; a menu entry for another one is disabled.
    std::set<ScreenId> available;
    bool Available(ScreenId s) const { return available.count(s) != 0; }

    // The settings file, exchanged with the screens' controls.
    void LoadSettings();
    // From another file; with mustExist a missing file is an error (shown) and
    // any fallback to the defaults gives false.
    bool LoadSettingsFrom(const std::string& path, bool mustExist);
    void SaveSettings();
    // The team game and the load browser put other masses into the pieces for
    // a while: the user's own are kept aside once, put back on leaving, and
    // are what the settings file gets in between.
    void LendMasses();
    void RestoreMasses();
    bool MassesLent() const { return massesLent_; }
    // The program's one way out: the settings are saved, the view ends.
    void QuitProgram();
    // Opens a page under the data folder's help/, with the message of `missing`.
    void OpenHelpPage(const std::string& file, const std::string& missing);
    void OpenWebPage(const std::string& url);

private:
    std::string SettingsPath() const;

    Masses userMasses_{};
    bool massesLent_ = false;
};

} // namespace kv::screens
