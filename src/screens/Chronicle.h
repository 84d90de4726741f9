// The chronicle: the window of the six periods and the window of one
// period's events, their texts typed as the tour types its own.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/Typing.h"

#include <array>
#include <string>
#include <vector>

namespace kv::screens {

inline constexpr int kPeriods = 6;
inline constexpr int kMaxEvents = 62; // events 0 to 61 of a period

struct ChronicleEvent {
    std::string title; // in the list: a date and a short caption
    std::string description;
};

// The events of xron<p>.dat, in event order, each with its own description;
// an event without a title is not listed. False when the file is missing.
bool ReadChronicleEvents(ScreenContext& g, int period, std::vector<ChronicleEvent>& events);

class ChronicleEventsScreen;

class ChronicleScreen {
public:
    // "Подробнее..." loads the chosen period into the events window.
    explicit ChronicleScreen(ChronicleEventsScreen& events) : events_(events) {}

    std::string caption;
    std::array<std::string, kPeriods> texts; // xronika1.dat .. xronika6.dat
    int selected = 0;                        // 0 to 5
    bool wholeText = false;
    Typewriter box;

    static const char* PeriodName(int p); // the list's text of period 0 to 5

    // The window's load: the texts are read and the first period shown.
    void Load(ScreenContext& g);
    // Shown in the place of `from`: loaded anew, unless back from the events.
    void Shown(ScreenContext& g, ScreenId from);
    void Select(int period);
    void SetWholeText(bool on);
    // "Подробнее...": the period's events; Stay when they cannot be read.
    Next Details(ScreenContext& g);
    void Links(ScreenContext& g);
    void Vocabulary(ScreenContext& g);
    void Help(ScreenContext& g);
    void ClubPage(ScreenContext& g);
    // The three game variants, 0 to 2, each in a message.
    void Variant(ScreenContext& g, int i);
    static const char* VariantCaption(int i);
    Next Back();
    Next Exit();

private:
    ChronicleEventsScreen& events_;
};

class ChronicleEventsScreen {
public:
    std::string caption;
    std::string period; // the period's list text
    std::vector<ChronicleEvent> events;
    int selected = -1;
    bool showingEvent = false; // the text and its arrows instead of the list
    std::string dateLabel;
    bool wholeText = false;
    Typewriter box;

    // Fills the list from xron<p>.dat (p = 1 to 6); false after the warning.
    bool LoadDat(ScreenContext& g, int p);
    // Shown in the place of `from`: a new period's list from the top when it
    // came from the period window; as it was left otherwise.
    static bool NewList(ScreenId from) { return from == ScreenId::Chronicle; }
    void Select(int i);
    void SetWholeText(bool on);
    void NextEvent(ScreenContext& g);
    void PreviousEvent(ScreenContext& g);
    // "К списку": the list again.
    void ToList();
    // The list's tool tip over entry i.
    std::string Tip(int i) const;
    // "< Назад": the period window.
    Next Back();
    // "Выход", after the question.
    Next Exit(ScreenContext& g);
};

} // namespace kv::screens
