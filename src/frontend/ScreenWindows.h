// The windows around the match, one file each.
#pragma once

#include "frontend/ScreenWindow.h"

#include <memory>

class QPrinter;

namespace kv {

std::unique_ptr<ScreenWindow> MakeMainMenuWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeQuickGameWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeOptionsWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeResultsWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeTeamsWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeNewTeamWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeLoadBrowserWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeErrorReportWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakePreviewWindow(GameApp& app);
// The slide show, the chronicle, the about box and the emblem window.
std::unique_ptr<ScreenWindow> MakeSplashWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeChronicleWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeChronicleEventsWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeAboutWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeEmblemWindow(GameApp& app);
// The network screen and a network table's lobby.
std::unique_ptr<ScreenWindow> MakeNetWindow(GameApp& app);
std::unique_ptr<ScreenWindow> MakeLobbyWindow(GameApp& app);
// Prints the emblem window's picture on a printer already set up, without the
// dialog; false (after the message) when it cannot.
bool PrintEmblem(QWidget* emblemWindow, QPrinter& printer);
// The mass editor of the quick game screen's row, shown modally.
void RunMassEditor(GameApp& app, QWidget* parent, int row);

} // namespace kv
