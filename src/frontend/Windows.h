// The windows around the match, one file each.
#pragma once

#include "frontend/ScreenWindow.h"

#include <memory>

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
// The mass editor of the quick game screen's row, shown modally.
void RunMassEditor(GameApp& app, QWidget* parent, int row);

} // namespace kv
