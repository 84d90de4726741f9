// Plays matches and replays headless, in virtual time.
#pragma once

#include "sim/SimOptions.h"
#include "sim/SimReport.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <iosfwd>

namespace kv::sim {

// Fills the screen models and the match state the way the quick game and team
// screens do, every player computer-controlled. False when the start was refused.
bool SetupPlay(Module1& m, const PlayOptions& p, DialogPort& dialogs);

// Runs the match set up in m (or the replay loaded into it) to its end or to
// maxStrikes executed strikes.
struct RunPace {
    bool realtime = false;         // sleep so that virtual time keeps step with the clock
    std::ostream* trace = nullptr; // a flushed line per executed strike
};
// `after`, when given, takes the match screen's hand-over (the results screen).
RunResult RunMatch(Module1& m, ReplayPort& replay, bool replayMode, std::uint64_t seed,
                   long maxStrikes, const RunPace& pace = {}, ScreensPort* after = nullptr);

// Exit codes: 0 done, 1 a file could not be read or the match could not be
// set up, 2 bad options, 3 a file could not be written whole, 4 network play
// failed (no connection, refused, versions differ, the host went away).
inline constexpr int kExitWriteFailed = 3;
inline constexpr int kExitNetwork = 4;

// The two commands; the return value is the exit code.
int PlayCommand(const PlayOptions& p, std::ostream& out, std::ostream& err);
int ReplayCommand(const ReplayOptions& r, std::ostream& out, std::ostream& err);
// A series of computer matches scored as the results screen scores it.
int SeriesCommand(const PlayOptions& p, int matches, std::ostream& out, std::ostream& err);
// The load browser's description of a saved game or replay (".sav": a replay).
int InfoCommand(const std::string& file, std::ostream& out, std::ostream& err);

} // namespace kv::sim
