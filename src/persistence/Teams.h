// The names list gamedata/zvr.nam and the teams file zvr.cmd.
#pragma once

#include "state/MatchState.h"
#include "state/Ports.h"
#include "state/Rng.h"

#include <string>
#include <string_view>

namespace kv {

std::string NamesPath(); // DataDir() + "zvr.nam"
std::string TeamsPath(); // StateDir() + "zvr.cmd"

// Counts the names into NameCount; false (after the message) when there is no
// names file, which turns the name buttons off.
bool LoadNames(Module1& m, DialogPort& dialogs, const std::string& path = NamesPath());

// Non-blank lines of a names list's bytes.
i16 CountNames(std::string_view bytes);

// Puts a random name (its first 50 characters) into the box; false, with the
// box unchanged, when none could be read (the message has been shown).
bool PickName(const Module1& m, Rng& rng, std::string& box, DialogPort& dialogs,
              const std::string& path = NamesPath());
bool PickNameText(const Module1& m, Rng& rng, std::string& box, std::string_view bytes,
                  DialogPort& dialogs);

// What the teams file keeps beside the team table: the players per team, and
// the status line the team screen shows after a load.
struct TeamsFile {
    i16 perTeam = 4;
    std::string status;
};

// The teams file's bytes for the defined teams (1 .. NextTeam - 1).
std::string TeamsText(const Module1& m, i16 perTeam, i16 model);
// Writes them; returns the status line, empty when there was nothing to write
// or the write failed (the message has been shown).
std::string SaveCom(const Module1& m, i16 perTeam, i16 model, const std::string& path,
                    DialogPort& dialogs);
// Fills the team table and NextTeam.
void LoadCom(Module1& m, TeamsFile& out, const std::string& path, DialogPort& dialogs);
// The same from the file's bytes (path names the file in messages).
void LoadComText(Module1& m, TeamsFile& out, std::string_view bytes, const std::string& path,
                 DialogPort& dialogs);

} // namespace kv
