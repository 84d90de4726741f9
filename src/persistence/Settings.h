// The settings file zvr2.ini: display, the quick game screen's player rows,
// table, friction, spread, walls, obstacles, sound and the computer pause.
#pragma once

#include "match/ScreenModels.h"
#include "state/Module1.h"
#include "state/Ports.h"

#include <string>
#include <string_view>

namespace kv {

// The state folder's "zvr2.ini".
std::string SettingsPath();

// SetDefaultSettings plus the defaults of the two screens' controls.
void ApplyDefaultSettings(Module1& m, QuickGameModel& quick, OptionsModel& options);

// Loads the settings into the match state and the screen models. A missing
// file gives the defaults silently; a damaged one shows the error, logs it and
// gives the defaults. True when the values came from the file. In replay
// playback the take-part boxes are left alone.
bool LoadSettings(Module1& m, QuickGameModel& quick, OptionsModel& options, const std::string& path,
                  DialogPort& dialogs, bool replayMode = false);

// The same from the file's bytes.
bool LoadSettingsText(Module1& m, QuickGameModel& quick, OptionsModel& options,
                      std::string_view bytes, DialogPort& dialogs, bool replayMode = false);

// The file's text without its final line end (WriteTextFile adds it).
std::string SettingsText(const Module1& m, const QuickGameModel& quick,
                         const OptionsModel& options);
bool SaveSettings(const Module1& m, const QuickGameModel& quick, const OptionsModel& options,
                  const std::string& path, DialogPort& dialogs);

// The headless runner's "--settings FILE": like LoadSettings, but a missing
// file is an error (shown) and any fallback to the defaults returns false.
bool LoadSettingsFile(Module1& m, QuickGameModel& quick, OptionsModel& options,
                      const std::string& path, DialogPort& dialogs);

} // namespace kv
