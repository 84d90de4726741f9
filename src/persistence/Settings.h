// The settings file zvr2.ini: display, the quick game screen's player rows,
// table, friction, spread, walls, obstacles, sound, the computer pause, the web
// pages and the name at a network table.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"

#include <array>
#include <string>
#include <string_view>

namespace kv {

// One row of the quick game screen as it stands; row r feeds piece slot r + 1.
struct PlayerRow {
    std::string name;         // as typed
    i16 model = 0;            // 0..3
    i16 computer = 0;         // check box: 0, 1 (or 2, grayed)
    i16 take = 0;             // takes part: 0, 1 (or 2, grayed)
    i16 level = kLevelMaster; // the computer's strength
};
using PlayerRows = std::array<PlayerRow, kMaxPlayers>;

// The controls whose state the settings file keeps, as the screens hold them:
// the quick game screen's rows and the options screen's boxes. The rest of the
// file is match state.
struct SettingsRecord {
    PlayerRows rows{};
    std::string sizeX = std::to_string(kDefaultTableX); // the table boxes, as typed
    std::string sizeY = std::to_string(kDefaultTableY);
    i16 maxSize = 0; // the largest-table box
    i16 compPause = 0;
    i16 sound = 1;
    i16 border = 1;
    i16 pipa = 1;
    // The maker's, the updates' and the club's pages: an address of the
    // player's own, or empty for the game's own page under help/.
    std::string makerUrl;
    std::string updatesUrl;
    std::string clubUrl;
    // The name at a network table; empty: the first row's.
    std::string netName;
};

// The masses of pieces 1..8 that the file keeps.
using Masses = std::array<i16, kMaxPlayers>;
Masses PieceMasses(const Module1& m);

// SetDefaultSettings plus the controls' defaults.
void ApplyDefaultSettings(Module1& m, SettingsRecord& s);

// Loads the settings into the match state and the controls. A missing file
// gives the defaults silently; a damaged one shows the error, logs it and gives
// the defaults. True when the values came from the file. In replay playback the
// take-part boxes are left alone.
bool LoadSettings(Module1& m, SettingsRecord& s, const std::string& path, DialogPort& dialogs,
                  bool replayMode = false);
// The same from the file's bytes.
bool LoadSettingsText(Module1& m, SettingsRecord& s, std::string_view bytes, DialogPort& dialogs,
                      bool replayMode = false);

// The file's text without its final line end (WriteTextFile adds it).
std::string SettingsText(const Module1& m, const SettingsRecord& s, const Masses& masses);
bool SaveSettings(const Module1& m, const SettingsRecord& s, const Masses& masses,
                  const std::string& path, DialogPort& dialogs);

// The headless runner's "--settings FILE": like LoadSettings, but a missing
// file is an error (shown) and any fallback to the defaults returns false.
bool LoadSettingsFile(Module1& m, SettingsRecord& s, const std::string& path, DialogPort& dialogs);

} // namespace kv
