// The main menu: the program's start-up, the way to every screen, the web
// pages, the exit question and the guided tour.
#pragma once

#include "screens/Flow.h"
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

class GameScreens;

class MainMenu {
public:
    static constexpr int kTypingMs = Typewriter::kTypingMs; // one character of the tour's text

    // The tour: its box, the button it points at, the text typed so far.
    bool tourShown = false;
    int tourStep = 0;
    Typewriter typing; // its timer: the next character is due
    std::optional<MenuButton> highlight;
    bool stepTimer = false; // the step's length runs
    int StepMs() const;

    // The program's start-up, in its order; the tour starts on a first run.
    void StartUp(GameScreens& g);

    void StartTour();
    void CloseTour();
    // The step has run its length: the next one, round and round.
    void StepTick();
    // Types one more character.
    void TypeTick();

    bool Enabled(const GameScreens& g, MenuButton b) const;

    Next QuickGame(GameScreens& g);
    Next TeamGame(GameScreens& g);
    void LoadMenu(GameScreens& g); // the pop-up of "Загрузить"
    Next LoadGame(GameScreens& g);
    Next LoadReplay(GameScreens& g);
    Next Options(GameScreens& g);
    Next Chronicle(GameScreens& g);
    Next Splash(GameScreens& g);
    void HelpPages(GameScreens& g);
    Next Report(GameScreens& g);
    Next About(GameScreens& g);
    Next Emblem(GameScreens& g);
    void MakerPage(GameScreens& g);
    void ClubPage(GameScreens& g);
    void Updates(GameScreens& g);
    void NetGame();
    // The settings are saved, then the question: Quit, or Stay on Cancel.
    Next Exit(GameScreens& g);

private:
    void ShowStep();
};

} // namespace kv::screens
