// The team screens: the list of the user's teams, the two that play, the
// players per team and the piece model; and the window that makes or changes
// one team.
#pragma once

#include "screens/Flow.h"
#include "state/Module1.h"

#include <array>
#include <string>
#include <vector>

namespace kv::screens {

inline constexpr int kMostTeams = 7;
inline constexpr const char* kTeamModelNames[4] = {
    "Гобла из ZVR:Krell Torvane", "Стандартная Гобла", "Квадратная Гобла", "Круглая Гобла"};

class GameScreens;

class TeamScreen {
public:
    std::vector<std::string> teams;   // ComName of every defined team, in their order
    std::vector<std::string> playing; // at most two
    int selected = -1;                // in `teams`
    i16 perTeam = 4;                  // the count slider, 1..4
    i16 model = 0;                    // RType of every team
    std::string status;

    std::string CountLabel() const { return "Количество: " + std::to_string(perTeam); }

    // The main menu's opening: the teams file, the slider at its maximum.
    void Open(GameScreens& g);
    Next Create(GameScreens& g);
    Next Change(GameScreens& g);
    void Delete(GameScreens& g);
    // Double clicks on the two lists.
    void AddPlaying(GameScreens& g, int index);
    void RemovePlaying(int index);
    void SetModel(GameScreens& g, int index);
    void SetPerTeam(int value);
    void HowToPlay(GameScreens& g) const;
    // "Гобла!"
    Next Start(GameScreens& g);
    Next Back(GameScreens& g);
    Next Options(GameScreens& g);
    Next Exit(GameScreens& g);

    // The teams list as the team table has it.
    void Relist(const Module1& m);
};

class NewTeamScreen {
public:
    bool editing = false;
    int team = 0; // the number being edited, or the next free one
    std::string caption;
    std::string confirm; // "Создать" or "Готово"
    std::string name;
    std::array<std::string, 4> members;
    i16 computer = 0;
    i16 level = kLevelMaster; // the computer's strength when it plays the team

    void PickName(GameScreens& g, int member);
    // True when the window closes (the team was stored).
    bool Confirm(GameScreens& g);
};

} // namespace kv::screens
