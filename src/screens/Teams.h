// The team screens: the list of the user's teams, the two that play, the
// players per team and the piece model; and the window that makes or changes
// one team.
#pragma once

#include "screens/ScreenContext.h"
#include "state/MatchState.h"

#include <array>
#include <string>
#include <vector>

namespace kv::screens {

inline constexpr int kMostTeams = 7;

class QuickGameScreen;
class OptionsScreen;
class NewTeamScreen;

class TeamScreen {
public:
    // A team game starts through the quick game's start; "Создать" and
    // "Изменить" fill the new-team window.
    TeamScreen(QuickGameScreen& quick, OptionsScreen& options, NewTeamScreen& newTeam)
        : quick_(quick), options_(options), newTeam_(newTeam) {}

    std::vector<std::string> teams;   // ComName of every defined team, in their order
    std::vector<std::string> playing; // at most two
    int selected = -1;                // in `teams`
    i16 perTeam = 4;                  // the count slider, 1..4
    i16 model = 0;                    // RType of every team
    std::string status;

    std::string CountLabel() const { return "Количество: " + std::to_string(perTeam); }

    // The main menu's opening: the teams file, the slider at its maximum.
    void Open(ScreenContext& g);
    Next Create(ScreenContext& g);
    Next Change(ScreenContext& g);
    void Delete(ScreenContext& g);
    // Double clicks on the two lists.
    void AddPlaying(ScreenContext& g, int index);
    void RemovePlaying(int index);
    void SetModel(ScreenContext& g, int index);
    void SetPerTeam(int value);
    void HowToPlay(ScreenContext& g) const;
    // "Гобла!"
    Next Start(ScreenContext& g);
    Next Back(ScreenContext& g);
    Next Options(ScreenContext& g);
    Next Exit(ScreenContext& g);

    // The teams list as the team table has it.
    void Relist(const Module1& m);

private:
    QuickGameScreen& quick_;
    OptionsScreen& options_;
    NewTeamScreen& newTeam_;
};

class NewTeamScreen {
public:
    // A confirmed team goes into the team screen's lists.
    explicit NewTeamScreen(TeamScreen& teams) : teams_(teams) {}

    bool editing = false;
    int team = 0; // the number being edited, or the next free one
    std::string caption;
    std::string confirm; // "Создать" or "Готово"
    std::string name;
    std::array<std::string, 4> members;
    i16 computer = 0;
    i16 level = kLevelMaster; // the computer's strength when it plays the team

    void PickName(ScreenContext& g, int member);
    // True when the window closes (the team was stored).
    bool Confirm(ScreenContext& g);

private:
    TeamScreen& teams_;
};

} // namespace kv::screens
