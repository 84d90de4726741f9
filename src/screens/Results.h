// The results screen: the winner, the three scoring systems over the series,
// the turn order of the next match, and keeping the latest files under a name.
#pragma once

#include "screens/ScreenContext.h"
#include "state/MatchState.h"

#include <functional>
#include <string>
#include <vector>

namespace kv::screens {

enum class Scoring { Formula1 = 0, Linear = 1, WinnerTakesAll = 2 };

inline constexpr const char* kScoringCaptions[3] = {"Формула-1", "Линейная",
                                                    "Победитель получает все"};
inline constexpr const char* kScoringTexts[3] = {
    "За каждый раунд игроку начисляется столько очков,сколько получил бы гонщик Формулы "
    "1,заняв такое же,как и игрок,место.",
    "За каждую партию игроку начисляется количество очков, равное месту, занятому им в этой "
    "партии",
    "Если в партии имеется победитель, то он получает одно очко, в противном случае очков не "
    "получает никто"};

// Formula-1 points of place p (1-based): 10, 6, 4, 3, 2, 1, then 0.
i16 Formula1Points(int place);
// True when WS(1..MaxGamers) names every player exactly once.
bool FinishingOrderComplete(const Module1& m);
// Scores a match that ended (steps of the results screen's Update that change
// the state): the next turn order, the points of the round and the totals.
void ScoreMatch(Module1& m, bool finished);
// "score\tname" of slots 1..MaxGamers by descending score, by the screen's
// selection (ties to the earlier position, the last entry moved into the gap).
std::vector<std::string> ScoreList(const Module1& m, i16 GoblaRec::*score);

class QuickGameScreen;
class OptionsScreen;
class LoadBrowser;

class ResultsScreen {
public:
    // The next match starts as the quick game starts one; "Загрузить повтор..."
    // opens the load browser.
    ResultsScreen(QuickGameScreen& quick, OptionsScreen& options, LoadBrowser& loader)
        : quick_(quick), options_(options), loader_(loader) {}

    bool Finished = false;
    bool teamGame = false;
    std::string statusCaption; // "Выиграл игрок:" or "Выиграла команда:"
    std::string winner;
    std::string team1, team2, team1Score, team2Score;
    std::vector<std::string> turnOrder;
    bool showTurnOrder = false;
    std::string roundPlayer = "(неопределена)";
    std::string roundKnocked = "0";
    Scoring scoring = Scoring::Formula1;
    std::vector<std::string> totals; // "Очки игроков за матч"
    std::vector<std::string> round;  // "Очки игроков за раунд"
    bool continueEnabled = false;
    bool saveGameShown = false;
    bool saveReplayEnabled = false;
    bool loadReplayEnabled = false;
    // At a network table: the host continues the series through the table,
    // a player waits for the host, and "< Назад" returns to the table.
    bool atTable = false;
    std::function<Next(ScreenContext&)> continueAtTable;

    // Called when the match screen has closed.
    void Update(ScreenContext& g, bool finished, bool replay);
    void Select(const Module1& m, Scoring s);
    const char* ScoringText() const { return kScoringTexts[static_cast<int>(scoring)]; }

    Next Continue(ScreenContext& g);
    Next Back(ScreenContext& g);
    Next Options() const { return Next::OptionsFrom(ScreenId::Results); }
    Next Exit() const { return Next::Quit(); }
    void SaveGameAs(ScreenContext& g);
    void SaveReplayAs(ScreenContext& g);
    Next LoadReplay(ScreenContext& g);

private:
    QuickGameScreen& quick_;
    OptionsScreen& options_;
    LoadBrowser& loader_;
};

// Copies `latest` to a path the user chooses, with the overwrite question and
// the messages of the results screen; true when the copy was made.
bool CopyLatestFile(ScreenContext& g, const std::string& latest, bool replay);

} // namespace kv::screens
