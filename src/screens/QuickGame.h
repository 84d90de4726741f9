// The quick game screen: eight player rows, the names, models and computer
// boxes, the mass editor, and the start of the match.
#pragma once

#include "persistence/Settings.h"
#include "screens/ScreenContext.h"
#include "state/MatchState.h"

#include <array>
#include <string>

namespace kv::screens {

inline constexpr int kRows = kMaxPlayers;

class OptionsScreen;

class QuickGameScreen {
public:
    // The options screen's friction goes into every match it starts.
    QuickGameScreen(SettingsRecord& s, OptionsScreen& options) : rows(s.rows), options_(options) {}

    PlayerRows& rows; // the settings record's
    i16 GamersCount = 2;
    int SelectedRow = 0; // the row whose "Дополнительно..." was pressed

    int TickedRows() const;
    bool GoEnabled() const { return TickedRows() >= 2; }
    std::string PlayersLabel() const;
    // Ticks the first `players` rows, as the runner and tests set up a match.
    void TickFirst(int players);

    // The controls' handlers.
    void SetTake(int row, i16 value);
    void SetComputer(ScreenContext& g, int row, i16 value);
    void SetModel(ScreenContext& g, int row, int index);
    void SetLevel(ScreenContext& g, int row, int level); // 0 "Новичок" .. 3 "Чемпион"
    void PickName(ScreenContext& g, int row);
    void HowToPlay(ScreenContext& g) const;
    void Help(ScreenContext& g) const;
    Next Options(ScreenContext& g);
    Next Back(ScreenContext& g);
    Next Exit(ScreenContext& g);
    // "ГОБЛА!!!": a new series' first match, or the next one.
    Next Go(ScreenContext& g);

private:
    OptionsScreen& options_;
};

// The mass editor of one row.
class MassEditor {
public:
    std::string info; // "Игрок: ... (model)"
    std::string mass; // the box, as typed
    int row = 0;

    void Open(const ScreenContext& g, int row);
    // True when the window may close (the mass was taken).
    bool Done(ScreenContext& g);
};

} // namespace kv::screens
