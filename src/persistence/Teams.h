// The names list gamedata/zvr.nam and the teams file zvr.cmd.
#pragma once

#include "match/ScreenModels.h"
#include "state/Module1.h"
#include "state/Ports.h"
#include "state/Rng.h"

#include <string>
#include <string_view>

namespace kv {

std::string NamesPath(); // DataDir() + "zvr.nam"
std::string TeamsPath(); // StateDir() + "zvr.cmd"

// Counts the names into NameCount and enables or disables the name buttons
// and the quick game screen's take-part boxes.
void LoadNames(Module1& m, QuickGameModel& quick, TeamScreenModel& teams, DialogPort& dialogs,
               const std::string& path = NamesPath());

// Non-blank lines of a names list's bytes.
i16 CountNames(std::string_view bytes);

// Puts a random name (its first 50 characters) into the box; false, with the
// box unchanged, when none could be read (the message has been shown).
bool PickName(const Module1& m, Rng& rng, std::string& box, DialogPort& dialogs,
              const std::string& path = NamesPath());
bool PickNameText(const Module1& m, Rng& rng, std::string& box, std::string_view bytes,
                  DialogPort& dialogs);

// The teams file's bytes for the defined teams.
std::string TeamsText(const Module1& m, const TeamScreenModel& teams);
// Writes the defined teams (1 .. NextTeam - 1); nothing when there are none.
void SaveCom(const Module1& m, TeamScreenModel& teams, const std::string& path,
             DialogPort& dialogs);
// Fills the team table, the team list, the count slider, the model choice and
// the status line.
void LoadCom(Module1& m, TeamScreenModel& teams, const std::string& path, DialogPort& dialogs);
// The same from the file's bytes (path names the file in messages).
void LoadComText(Module1& m, TeamScreenModel& teams, std::string_view bytes,
                 const std::string& path, DialogPort& dialogs);

} // namespace kv
