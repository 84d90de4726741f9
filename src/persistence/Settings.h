// The settings file zvr2.ini: display, the quick game screen's player rows,
// table, friction, spread, walls, obstacles, sound and the computer pause.
#pragma once

#include "state/Module1.h"
#include "state/Ports.h"

#include <array>
#include <string>
#include <string_view>

namespace kv {

// The screen controls the settings file keeps, as plain values: the quick game
// screen's player rows and the options screen's boxes as they stand. The rest
// of the file is match state.
struct SettingsRow {
    std::string name;         // as typed
    i16 model = 0;            // 0..3
    i16 computer = 0;         // check box: 0, 1 (or 2, grayed)
    i16 take = 0;             // takes part: 0, 1 (or 2, grayed)
    i16 level = kLevelMaster; // the computer's strength, 0..2
};

struct SettingsControls {
    std::array<SettingsRow, kMaxPlayers> rows{};
    std::string sizeX = "600"; // the table length box, as typed
    std::string sizeY = "400";
    i16 maxSize = 0;   // the largest-table box
    i16 compPause = 0; // the pause before computer strikes
    i16 sound = 1;
    i16 border = 1;
    i16 pipa = 1;
};

// The state folder's "zvr2.ini".
std::string SettingsPath();

// SetDefaultSettings plus the controls' defaults.
void ApplyDefaultSettings(Module1& m, SettingsControls& c);

// Loads the settings into the match state and the controls. A missing file
// gives the defaults silently; a damaged one shows the error, logs it and gives
// the defaults. True when the values came from the file. In replay playback the
// take-part boxes are left alone.
bool LoadSettings(Module1& m, SettingsControls& c, const std::string& path, DialogPort& dialogs,
                  bool replayMode = false);
// The same from the file's bytes.
bool LoadSettingsText(Module1& m, SettingsControls& c, std::string_view bytes, DialogPort& dialogs,
                      bool replayMode = false);

// The file's text without its final line end (WriteTextFile adds it).
std::string SettingsText(const Module1& m, const SettingsControls& c);
bool SaveSettings(const Module1& m, const SettingsControls& c, const std::string& path,
                  DialogPort& dialogs);

// The headless runner's "--settings FILE": like LoadSettings, but a missing
// file is an error (shown) and any fallback to the defaults returns false.
bool LoadSettingsFile(Module1& m, SettingsControls& c, const std::string& path,
                      DialogPort& dialogs);

} // namespace kv
