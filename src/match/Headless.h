// Drives a match screen in virtual time, without window or devices: the
// headless runner and the tests play whole matches with it.
#pragma once

#include "match/MatchScreen.h"
#include "match/VirtualClock.h"
#include "state/NullPorts.h"

#include <functional>

namespace kv {

// A match's devices where nobody sees, hears or types, on a virtual clock.
struct HeadlessDevices {
    VirtualScheduler clock;
    NullKeyboard keyboard;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullSaveGame saves;
    NullScreens noScreens;
    NullDialogs dialogs;
    // after: the screens the match hands over to at its end; none: nowhere.
    MatchPorts Ports(ReplayPort& replay, ScreensPort* after = nullptr) {
        return {clock,  keyboard, display, scene,
                sound,  replay,   saves,   after != nullptr ? *after : noScreens,
                dialogs};
    }
};

// Result of a match run in virtual time.
struct HeadlessResult {
    bool finished = false;   // the match ended by its own rules (GameOver)
    bool initFailed = false; // devices or scene could not be set up
    bool strikeLimit = false;
    bool idleLimit = false; // nobody struck for maxIdleMs (a human seat without a keyboard)
    long strikes = 0;
    long physicsTicks = 0;
    long guardHits = 0;
    StepLoad busiest; // the most work one physics step took
    long long virtualMs = 0;
};

// Init, then timers in virtual time until the screen closes, maxStrikes strikes have
// been played out (0: no limit) or nobody strikes for maxIdleMs; then Unload.
// afterTick, when given, runs after every timer tick (pacing, tracing).
HeadlessResult RunHeadless(MatchScreen& screen, VirtualScheduler& clock, Module1& m,
                           long maxStrikes, long long maxIdleMs = 600000,
                           const std::function<void()>& afterTick = {});

} // namespace kv
