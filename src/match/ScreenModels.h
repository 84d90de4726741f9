// Plain models of the set-up screens' controls. The settings and teams files
// exchange values with these; the Qt screens bind to them; the headless runner
// fills them from its options.
#pragma once

#include "state/Module1.h"

#include <array>
#include <string>
#include <vector>

namespace kv {

// One player row of the quick game screen (row r feeds piece slot r + 1).
struct PlayerRow {
    i16 chk = 0;      // takes part: 0 clear, 1 checked, 2 grayed
    std::string txtG; // name box, as typed
    i16 cmb = 0;      // model list index 0..3
    i16 chkComp = 0;  // computer box 0/1
};

inline constexpr int kRows = 8;

struct QuickGameModel {
    std::array<PlayerRow, kRows> rows{};
    i16 GamersCount = 2;
    bool enabled = true; // the take-part boxes follow the names file's presence

    int TickedRows() const {
        int n = 0;
        for (const PlayerRow& r : rows)
            if (r.chk == 1) ++n;
        return n;
    }
};

struct OptionsModel {
    std::string txtSizeG = "600"; // length box, as typed
    std::string txtSizeV = "400"; // width box, as typed
    i16 chkMaxSize = 0;
    int opTr = 1; // friction button: 0.01, 0.02, 0.03
    i16 chkBorder = 1;
    i16 chkSimm = 1;
    i16 chkPipa = 1;
    i16 chkPipaSimm = 0;
    i16 chkCompHOD = 0;
    i16 chkSound = 1;
    i16 chkTex = 0;
    i16 chkUseRoom = 0;
    int OtklScroll = 0; // spread = value / 50
    std::string cmbGList = "640x480x8";
    int cmbVideo = 0;
    int lstDevice = 0;
};

struct TeamScreenModel {
    std::vector<std::string> teamList;    // ComName of every defined team
    std::vector<std::string> playingList; // at most two names
    i16 countSlider = 4;                  // players per team, 1..4
    i16 modelChoice = 0;                  // RType of every team
    std::string status;
    bool nameButtons = true; // the new-team screen's name buttons: names file present
};

inline double FrictionOfButton(int op) {
    return op == 0 ? 0.01 : op == 2 ? 0.03 : 0.02;
}

} // namespace kv
