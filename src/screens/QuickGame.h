// The quick game screen: eight player rows, the names, models and computer
// boxes, the mass editor, and the start of the match.
#pragma once

#include "persistence/Settings.h"
#include "screens/Flow.h"
#include "state/Module1.h"

#include <array>
#include <string>

namespace kv::screens {

inline constexpr int kRows = kMaxPlayers;

// The piece models of the quick game screen's lists (the index is the Model).
inline constexpr const char* kModelNames[4] = {"Гобла из ZVR:KT", "Стандартная Гобла",
                                               "Квадратная Гобла", "Круглая Гобла"};

class GameScreens;

class QuickGameScreen {
public:
    explicit QuickGameScreen(SettingsRecord& s) : rows(s.rows) {}

    PlayerRows& rows; // the settings record's
    i16 GamersCount = 2;
    bool namesAvailable = true; // the names file is there: the name buttons work
    int SelectedRow = 0;        // the row whose "Дополнительно..." was pressed

    int TickedRows() const;
    bool GoEnabled() const { return TickedRows() >= 2; }
    std::string PlayersLabel() const;
    // Ticks the first `players` rows, as the runner and tests set up a match.
    void TickFirst(int players);

    // The controls' handlers.
    void SetTake(int row, i16 value);
    void SetComputer(GameScreens& g, int row, i16 value);
    void SetModel(GameScreens& g, int row, int index);
    void SetLevel(GameScreens& g, int row, int level); // 0 "Новичок" .. 3 "Чемпион"
    void PickName(GameScreens& g, int row);
    void HowToPlay(GameScreens& g) const;
    void Help(GameScreens& g) const;
    Next Options(GameScreens& g);
    Next Back(GameScreens& g);
    Next Exit(GameScreens& g);
    // "ГОБЛА!!!": a new series' first match, or the next one.
    Next Go(GameScreens& g);
};

// The mass editor of one row.
class MassEditor {
public:
    std::string info; // "Игрок: ... (model)"
    std::string mass; // the box, as typed
    int row = 0;

    void Open(const GameScreens& g, int row);
    // True when the window may close (the mass was taken).
    bool Done(GameScreens& g);
};

} // namespace kv::screens
