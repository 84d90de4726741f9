// The common start of every new match: the quick game screen's StartGame, used
// by the team screen and the load browser too.
#pragma once

#include "screens/Options.h"
#include "screens/QuickGame.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <string>
#include <vector>

namespace kv::screens {

enum class StartResult { Started, BadTableSize, BadDisplay, NotTwoTeams };

// Fills the match state for a new quick game, a team game (ZI set) or a loaded
// game (LoadedGame set). On a refusal the message has been shown; the caller
// then opens the options screen.
StartResult StartGame(Module1& m, QuickGameScreen& quick, const OptionsScreen& options,
                      DialogPort& dialogs);

// The team screen's choice for its start.
struct TeamChoice {
    std::vector<std::string> playing; // the two playing teams' names
    i16 perTeam = 4;                  // players per team, 1..4
    i16 model = 0;                    // the RType of every team
};

// The team screen's start, its steps 1 and 3 to 7: the teams' pieces, then
// StartGame. Saving the teams and settings is the caller's.
StartResult StartTeamGame(Module1& m, const TeamChoice& teams, QuickGameScreen& quick,
                          const OptionsScreen& options, DialogPort& dialogs);

} // namespace kv::screens
