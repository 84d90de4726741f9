#include "screens/Chronicle.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "screens/ContentTexts.h"
#include "screens/ScreenContext.h"

namespace kv::screens {

namespace {

const char* const kVariants[3] = {kChronicleVariant1, kChronicleVariant2, kChronicleVariant3};
const char* const kVariantCaptions[3] = {kChronicleVariant1Caption, kChronicleVariant2Caption,
                                         kChronicleVariant3Caption};

} // namespace

bool ReadChronicleEvents(ScreenContext& g, int period, std::vector<ChronicleEvent>& events) {
    const std::string name = "xron" + std::to_string(period) + ".dat";
    const std::string path = g.s.dataDir + "xron/" + name;
    events.clear();
    if (!FileExists(path)) {
        LogError("Хроника: не найден файл " + path);
        g.s.dialogs.Message("Не найден файл " + name + ". Переустановите Kvelmar.",
                            MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    OpenServiceFile(path, g.s.dialogs);
    const TextLines& file = ServiceFile();
    if (file.Empty()) LogError("Хроника: файл " + path + " пуст или не читается");
    for (int k = 0; k < kMaxEvents; ++k) {
        const std::string n = std::to_string(k);
        std::string title = GetKey("general", n + "EvTitle", file);
        // A description goes with its own title; one without a title is not shown.
        if (title.empty()) continue;
        events.push_back({std::move(title), ReadSection(file, n + "EvDescr")});
    }
    CloseServiceFile();
    return true;
}

const char* ChronicleScreen::PeriodName(int p) {
    return kChroniclePeriods[p];
}

const char* ChronicleScreen::VariantCaption(int i) {
    return kVariantCaptions[i];
}

void ChronicleScreen::Load(ScreenContext& g) {
    caption = g.s.appTitle + ": Хроника Гоблы";
    for (int p = 0; p < kPeriods; ++p)
        texts[static_cast<std::size_t>(p)] = ReadTextFile(
            g.s.dataDir + "xron/xronika" + std::to_string(p + 1) + ".dat", g.s.dialogs);
    Select(0);
}

void ChronicleScreen::Select(int period) {
    if (period < 0 || period >= kPeriods) return;
    selected = period;
    const std::string& text = texts[static_cast<std::size_t>(period)];
    if (wholeText)
        box.Whole(text);
    else
        box.Type(text);
}

void ChronicleScreen::SetWholeText(bool on) {
    wholeText = on;
    if (on) box.Whole(texts[static_cast<std::size_t>(selected)]);
}

Next ChronicleScreen::Details(ScreenContext& g) {
    box.Whole(texts[static_cast<std::size_t>(selected)]);
    g.s.dialogs.SetBusy(true);
    const bool ok = events_.LoadDat(g, selected + 1);
    g.s.dialogs.SetBusy(false);
    return ok ? Next::To(ScreenId::ChronicleEvents) : Next::Stay();
}

void ChronicleScreen::Links(ScreenContext& g) {
    g.OpenHelpPage("links.htm", "Не найден файл links.htm. Открытие страницы ссылок невозможно.");
}

void ChronicleScreen::Vocabulary(ScreenContext& g) {
    g.OpenHelpPage("voc.htm", "Не найден файл voc.htm. Открытие словаря невозможно.");
}

void ChronicleScreen::Help(ScreenContext& g) {
    g.OpenHelpPage(
        "index.html",
        "Ошибка при запуске справочной системы. Не найден главный html-файл: index.html");
}

void ChronicleScreen::ClubPage(ScreenContext& g) {
    g.OpenWebPage(ScreenContext::Page::Club);
}

void ChronicleScreen::Variant(ScreenContext& g, int i) {
    if (i < 0 || i > 2) return;
    g.s.dialogs.Message(kVariants[i], MsgIcon::Information, MsgButtons::Ok, kVariantCaptions[i]);
}

void ChronicleScreen::Shown(ScreenContext& g, ScreenId from) {
    if (from != ScreenId::ChronicleEvents) Load(g);
}

Next ChronicleScreen::Back() {
    box.Stop();
    return Next::To(ScreenId::MainMenu);
}

Next ChronicleScreen::Exit() {
    return Next::Quit();
}

bool ChronicleEventsScreen::LoadDat(ScreenContext& g, int p) {
    std::vector<ChronicleEvent> read;
    if (!ReadChronicleEvents(g, p, read)) return false;
    events = std::move(read);
    period = ChronicleScreen::PeriodName(p - 1);
    caption = "Хроника Гоблы: " + period;
    dateLabel = period;
    selected = -1;
    showingEvent = false;
    box.Clear();
    return true;
}

void ChronicleEventsScreen::Select(int i) {
    if (i < 0 || i >= static_cast<int>(events.size())) return;
    selected = i;
    showingEvent = true;
    const ChronicleEvent& e = events[static_cast<std::size_t>(i)];
    dateLabel = e.title;
    if (wholeText)
        box.Whole(e.description);
    else
        box.Type(e.description);
}

void ChronicleEventsScreen::SetWholeText(bool on) {
    wholeText = on;
    if (on && selected >= 0) box.Whole(events[static_cast<std::size_t>(selected)].description);
}

void ChronicleEventsScreen::NextEvent(ScreenContext& g) {
    if (selected + 1 >= static_cast<int>(events.size())) {
        g.s.dialogs.Message("Это последнее событие в списке!", MsgIcon::Information,
                            MsgButtons::Ok);
        return;
    }
    Select(selected + 1);
}

void ChronicleEventsScreen::PreviousEvent(ScreenContext& g) {
    if (selected <= 0) {
        g.s.dialogs.Message("Это первое событие в списке!", MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    Select(selected - 1);
}

void ChronicleEventsScreen::ToList() {
    box.Stop();
    showingEvent = false;
}

std::string ChronicleEventsScreen::Tip(int i) const {
    if (i < 0 || i >= static_cast<int>(events.size())) return {};
    return events[static_cast<std::size_t>(i)].title + ": ";
}

Next ChronicleEventsScreen::Back() {
    box.Stop();
    showingEvent = false;
    return Next::To(ScreenId::Chronicle);
}

Next ChronicleEventsScreen::Exit(ScreenContext& g) {
    if (g.s.dialogs.Message("Вы уверены, что хотите выйти из игры?", MsgIcon::Question,
                            MsgButtons::YesNo) != MsgAnswer::Yes)
        return Next::Stay();
    return Next::Quit();
}

} // namespace kv::screens
