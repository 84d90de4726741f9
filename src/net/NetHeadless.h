// Drives one machine's network match in virtual time, as RunHeadless drives a
// local one: timers fire while the screen has something to do, and nothing
// fires while it waits for a strike from elsewhere, so that every machine
// executes each strike at the same virtual time. One step at a time, so that
// a runner can wait on the network between steps and a test can step several
// machines in turn.
#pragma once

#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "net/NetMatch.h"

namespace kv::net {

class NetHeadless {
public:
    NetHeadless(MatchScreen& screen, VirtualScheduler& clock, Module1& m, NetMatch& net,
                long maxStrikes);
    enum class Step { Ticked, Waiting, Done };
    // The first call starts the screen (Init).
    Step Next();
    // The table is gone and nothing it sent is left to play: the match stops
    // as it stands.
    bool Stranded() const { return stranded_; }
    // Closes the screen (Unload) and says how the match went.
    HeadlessResult Finish();

private:
    MatchScreen& screen_;
    VirtualScheduler& clock_;
    Module1& m_;
    NetMatch& net_;
    long maxStrikes_;
    bool started_ = false;
    bool done_ = false;
    bool stranded_ = false;
    bool strikeLimit_ = false;
};

} // namespace kv::net
