#include "screens/QuickGame.h"

#include "persistence/Numbers.h"
#include "persistence/Teams.h"
#include "screens/GameStart.h"
#include "screens/ScreenContext.h"

#include <optional>

namespace kv::screens {

int QuickGameScreen::TickedRows() const {
    int n = 0;
    for (const PlayerRow& r : rows)
        if (r.take == 1) ++n;
    return n;
}

std::string QuickGameScreen::PlayersLabel() const {
    return "Играет игроков: " + std::to_string(TickedRows());
}

void QuickGameScreen::TickFirst(int players) {
    for (int r = 0; r < kRows; ++r)
        rows[static_cast<std::size_t>(r)].take = r < players ? 1 : 0;
    SetTake(0, rows[0].take);
}

void QuickGameScreen::SetTake(int row, i16 value) {
    if (row < 0 || row >= kRows) return;
    rows[static_cast<std::size_t>(row)].take = value;
    // Fewer than two keep the last count: "ГОБЛА!!!" is off until there are two again.
    const int n = TickedRows();
    if (n >= 2) GamersCount = static_cast<i16>(n);
}

void QuickGameScreen::SetComputer(ScreenContext& g, int row, i16 value) {
    if (row < 0 || row >= kRows) return;
    rows[static_cast<std::size_t>(row)].computer = value != 0 ? 1 : 0;
    g.m.Gobla(row + 1).CompControl = rows[static_cast<std::size_t>(row)].computer;
}

void QuickGameScreen::SetLevel(ScreenContext& g, int row, int level) {
    if (row < 0 || row >= kRows || !IsLevel(level)) return;
    rows[static_cast<std::size_t>(row)].level = static_cast<i16>(level);
    g.m.CompLevel(row + 1) = static_cast<i16>(level);
}

void QuickGameScreen::SetModel(ScreenContext& g, int row, int index) {
    if (row < 0 || row >= kRows || index < 0 || index > 3) return;
    rows[static_cast<std::size_t>(row)].model = static_cast<i16>(index);
    g.m.Gobla(row + 1).Model = static_cast<i16>(index);
}

void QuickGameScreen::PickName(ScreenContext& g, int row) {
    if (row < 0 || row >= kRows || !g.namesAvailable) return;
    std::string name = rows[static_cast<std::size_t>(row)].name;
    if (kv::PickName(g.m, g.s.rng, name, g.s.dialogs, g.s.dataDir + "zvr.nam"))
        rows[static_cast<std::size_t>(row)].name = name;
}

void QuickGameScreen::HowToPlay(ScreenContext& g) const {
    g.s.dialogs.Message(g.m.HelpText, MsgIcon::Information, MsgButtons::Ok, "Управление игрой");
}

void QuickGameScreen::Help(ScreenContext& g) const {
    g.OpenHelpPage(
        "index.html",
        "Ошибка при запуске справочной системы. Не найден главный html-файл: index.html");
}

Next QuickGameScreen::Options(ScreenContext& g) {
    g.SaveSettings();
    return Next::OptionsFrom(ScreenId::QuickGame);
}

Next QuickGameScreen::Back(ScreenContext& g) {
    g.SaveSettings();
    return Next::To(ScreenId::MainMenu);
}

Next QuickGameScreen::Exit(ScreenContext&) {
    return Next::Quit(); // QuitProgram saves the settings
}

Next QuickGameScreen::Go(ScreenContext& g) {
    if (!GoEnabled()) return Next::Stay();
    g.SaveSettings();
    for (int p = 1; p <= kMaxPlayers; ++p)
        g.m.KH(p) = static_cast<i16>(p);
    g.m.ZI = kFalse;
    g.m.LoadedGame = kFalse;
    // A new quick game clears the winner-takes-all points of the players' slots.
    for (int i = 1; i <= kMaxPlayers; ++i)
        g.m.Gobla(i).ScoreA = 0;
    if (StartGame(g.m, *this, options_, g.s.dialogs) != StartResult::Started)
        return Next::OptionsFrom(ScreenId::QuickGame);
    return Next::Match(ScreenId::QuickGame);
}

void MassEditor::Open(const ScreenContext& g, int r) {
    row = r < 0 || r >= kRows ? 0 : r;
    const PlayerRow& p = g.settings.rows[static_cast<std::size_t>(row)];
    info =
        "Игрок: " + p.name + " (" + kModelNames[p.model >= 0 && p.model <= 3 ? p.model : 0] + ")";
    mass = std::to_string(g.m.Gobla(row + 1).M);
}

bool MassEditor::Done(ScreenContext& g) {
    // A number is taken as the rules convert it: to the nearest 16-bit integer,
    // halves to the even one ("2.5" is 2), then checked against the range.
    std::optional<int> v;
    try {
        v = ToI16(RegionalNumber(mass));
    } catch (const LoadFailure& f) {
        // Too large for 16 bits is a number all the same: simply out of range.
        if (f.description != kOverflowText) {
            g.s.dialogs.Message("Нужно ввести целое число от 1 до 1000.", MsgIcon::Exclamation,
                                MsgButtons::Ok);
            return false;
        }
    }
    if (!v || *v < 1 || *v > 1000) {
        g.s.dialogs.Message("Вы ввели некорректное значение массы. Измените значение параметра и "
                            "повторите попытку.",
                            MsgIcon::Information, MsgButtons::Ok);
        return false;
    }
    g.m.Gobla(row + 1).M = static_cast<i16>(*v);
    return true;
}

} // namespace kv::screens
