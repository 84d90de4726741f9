// The common start of every new match: the quick game screen's StartGame and
// the team screen's start, on the screen models, without any window.
#pragma once

#include "match/ScreenModels.h"
#include "state/Module1.h"
#include "state/Ports.h"

namespace kv {

enum class StartResult { Started, BadTableSize, BadDisplay, NotTwoTeams };

// Fills the match state for a new quick game, a team game (ZI set) or a loaded
// game (LoadedGame set). On a refusal the message has been shown and the
// caller opens the options screen.
StartResult StartGame(Module1& m, QuickGameModel& quick, const OptionsModel& options,
                      DialogPort& dialogs);

// The team screen's start: the two playing teams of the model, its count
// slider and model choice. Saving the teams and settings is the caller's.
StartResult StartTeamGame(Module1& m, TeamScreenModel& teams, QuickGameModel& quick,
                          const OptionsModel& options, DialogPort& dialogs);

// The model of the take-part, name, model and computer controls from plain
// values (used by the headless runner and tests).
void TickRows(QuickGameModel& quick, int players);

} // namespace kv
