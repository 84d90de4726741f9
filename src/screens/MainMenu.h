// The main menu: the program's start-up, the way to every screen, the web
// pages, the exit question and the guided tour.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/Typing.h"

#include <optional>
#include <string>

namespace kv::screens {

enum class MenuButton {
    QuickGame,
    TeamGame,
    Load,
    Options,
    Chronicle,
    Splash,
    Help,
    Support,
    NetGame,
    Exit,
    Tour,
};

inline constexpr const char* kMenuCaptions[] = {
    "Быстрая игра", "Командная игра", "Загрузить",    "Параметры", "Хроника",           "Заставка",
    "Справка",      "Поддержка",      "Сетевая игра", "Выход",     "Знакомство с игрой"};
inline const char* Caption(MenuButton b) {
    return kMenuCaptions[static_cast<int>(b)];
}

class OptionsScreen;
class TeamScreen;
class LoadBrowser;
class ErrorReport;

class MainMenu {
public:
    // The start-up fills the options' lists; the menu opens the team screen,
    // the load browser and the error report.
    MainMenu(OptionsScreen& options, TeamScreen& teams, LoadBrowser& loader, ErrorReport& report)
        : options_(options), teams_(teams), loader_(loader), report_(report) {}

    static constexpr int kTypingMs = Typewriter::kTypingMs; // one character of the tour's text

    // The tour: its box, the button it points at, the text typed so far.
    bool tourShown = false;
    int tourStep = 0;
    Typewriter typing; // its timer: the next character is due
    std::optional<MenuButton> highlight;
    bool stepTimer = false; // the step's length runs
    // While the teams load: the window's caption, and the menu disabled.
    std::string caption; // empty: the application title
    bool loading = false;
    int StepMs() const;

    // The program's start-up, in its order; the tour starts on a first run.
    void StartUp(ScreenContext& g);

    void StartTour();
    void CloseTour();
    // The step has run its length: the next one, round and round.
    void StepTick();
    // Types one more character.
    void TypeTick();

    bool Enabled(const ScreenContext& g, MenuButton b) const;

    Next QuickGame(ScreenContext& g);
    Next TeamGame(ScreenContext& g);
    void LoadMenu(ScreenContext& g); // the pop-up of "Загрузить"
    Next LoadGame(ScreenContext& g);
    Next LoadReplay(ScreenContext& g);
    Next Options(ScreenContext& g);
    Next Chronicle(ScreenContext& g);
    Next Splash(ScreenContext& g);
    void HelpPages(ScreenContext& g);
    Next Report(ScreenContext& g);
    Next About(ScreenContext& g);
    Next Emblem(ScreenContext& g);
    void MakerPage(ScreenContext& g);
    void ClubPage(ScreenContext& g);
    void Updates(ScreenContext& g);
    Next NetGame(ScreenContext& g);
    // The settings are saved, then the question: Quit, or Stay on Cancel.
    Next Exit(ScreenContext& g);

private:
    void ShowStep();

    OptionsScreen& options_;
    TeamScreen& teams_;
    LoadBrowser& loader_;
    ErrorReport& report_;
};

} // namespace kv::screens
