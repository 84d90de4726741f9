// Where the game's files live: the player's state folder and the data folder.
#pragma once

#include <string>

namespace kv {

// The game's own folder (settings, saves, replays, log), ending in '/', created
// when missing: $KVELMAR2_HOME, else $XDG_DATA_HOME/kvelmar2, else
// ~/.local/share/kvelmar2.
std::string StateDir();
// Whether dir exists or can be made, and takes a new file.
bool StateDirWritable(const std::string& dir);
// The warning given once when the state folder cannot be used.
std::string StateDirUnusableText(const std::string& dir);

// A file that only a build tree has beside its programs: it names the source
// tree's gamedata/, which an installed program never reads.
inline constexpr const char* kSourceDataMarker = "kvelmar2-source-data";
// The data folder of a program in exeDir, ending in '/': the override when it
// is given, else ../share/kvelmar2 beside the program, else the folder the
// build tree's marker names; when none is there, ../share/kvelmar2 all the
// same, for the message to name it.
std::string FindDataDir(const std::string& exeDir, const char* override);
// FindDataDir for this program and $KVELMAR2_DATA.
std::string DataDir();
// Whether dir holds the game's data (its meshes and names list).
bool HasGameData(const std::string& dir);
// The message of a missing data folder.
std::string MissingDataText(const std::string& dir);

} // namespace kv
