// The screens around the match, headless: every window's model, the flow
// between them, and what they share (ScreenContext). The Qt windows bind to it;
// the headless runner and the tests drive it alone.
#pragma once

#include "screens/AboutEmblem.h"
#include "screens/Chronicle.h"
#include "screens/ErrorReport.h"
#include "screens/Flow.h"
#include "screens/LoadBrowser.h"
#include "screens/Lobby.h"
#include "screens/MainMenu.h"
#include "screens/NetTables.h"
#include "screens/Options.h"
#include "screens/Preview.h"
#include "screens/QuickGame.h"
#include "screens/Results.h"
#include "screens/ScreenContext.h"
#include "screens/Splash.h"
#include "screens/Teams.h"

namespace kv::screens {

class GameScreens : public ScreenContext {
public:
    GameScreens(Module1& m, const Services& s, ViewPort& view);

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
    ChronicleEventsScreen events;
    ChronicleScreen chronicle;
    AboutScreen about;
    EmblemScreen emblem;
    SplashScreen splash;
    LobbyScreen lobby;
    NetScreen net;

    void LoadSettings() override;
    bool LoadSettingsFrom(const std::string& path, bool mustExist) override;

    // What closing a screen's window through the window manager means: what
    // that screen's own way out does.
    Next Closing(ScreenId id);

private:
    void ShowLoadedSettings();

    ScreenFlow flow_;
};

} // namespace kv::screens
