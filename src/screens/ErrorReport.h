// The error report window: a tester's free-text description of problems,
// kept beside the error log, and the log itself to read.
#pragma once

#include <string>

namespace kv::screens {

class GameScreens;

class ErrorReport {
public:
    std::string title;
    std::string version; // "3.0.1408 (Билд 1408)"
    std::string text;    // lines separated by CR LF
    bool changed = false;
    std::string log; // the error log as it stands, read-only

    std::string Path(const GameScreens& g) const;
    std::string LogPath(const GameScreens& g) const;
    void Open(GameScreens& g);
    void Edit(const std::string& t);
    // "Сохранить и свернуть это окно": true when the window may minimise.
    bool Save(GameScreens& g);
    // True when the window may close (the question is asked while unsaved).
    bool Close(GameScreens& g);
};

} // namespace kv::screens
