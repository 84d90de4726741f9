// The error report window: a tester's free-text description of problems,
// kept beside the error log, and the log itself to read.
#pragma once

#include "screens/ScreenContext.h"

#include <string>

namespace kv::screens {

class ErrorReport {
public:
    std::string title;
    std::string version; // "3.0.1408 (Билд 1408)"
    std::string text;    // lines separated by CR LF
    bool changed = false;
    std::string log;    // the error log as it stands, read-only
    bool shown = false; // the window is up (perhaps behind others or minimised)

    std::string Path(const ScreenContext& g) const;
    std::string LogPath(const ScreenContext& g) const;
    // Loads the report and the log into a window that is not up yet; a window
    // already up keeps what is typed in it.
    void Open(ScreenContext& g);
    void Edit(const std::string& t);
    // "Сохранить и свернуть это окно": true when the window may minimise.
    bool Save(ScreenContext& g);
    // True when the window may close (the question is asked while unsaved).
    bool Close(ScreenContext& g);
    // What closing the window means: it goes when the question allows.
    Next Closing(ScreenContext& g);
};

} // namespace kv::screens
