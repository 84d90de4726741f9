#include "screens/Teams.h"

#include "persistence/Teams.h"
#include "persistence/Text.h"
#include "screens/GameStart.h"
#include "screens/ScreenContext.h"

#include <algorithm>

namespace kv::screens {

namespace {

int Defined(const Module1& m) {
    return std::clamp<int>(m.NextTeam - 1, 0, kMostTeams);
}

std::string& Member(TeamRec& t, int k) {
    return k == 0 ? t.R1 : k == 1 ? t.R2 : k == 2 ? t.R3 : t.R4;
}

} // namespace

void TeamScreen::Relist(const Module1& m) {
    teams.clear();
    for (int t = 1; t <= Defined(m); ++t)
        teams.push_back(m.rc(t).ComName);
    // A playing team that is no more (or no longer so called) leaves the playing list.
    std::erase_if(playing, [&](const std::string& p) {
        return std::find(teams.begin(), teams.end(), p) == teams.end();
    });
    if (selected >= static_cast<int>(teams.size())) selected = -1;
}

void TeamScreen::Open(ScreenContext& g) {
    perTeam = 4;
    model = 0;
    playing.clear();
    selected = -1;
    TeamsFile f;
    LoadCom(g.m, f, g.s.stateDir + "zvr.cmd", g.s.dialogs);
    perTeam = f.perTeam;
    status = f.status;
    model = Defined(g.m) >= 1 ? g.m.rc(1).RType : 0;
    Relist(g.m);
}

Next TeamScreen::Create(ScreenContext& g) {
    if (g.m.NextTeam >= kMostTeams + 1) {
        g.s.dialogs.Message("Больше 7 команд создавать нельзя!", MsgIcon::Information,
                            MsgButtons::Ok);
        return Next::Stay();
    }
    NewTeamScreen& n = newTeam_;
    n.editing = false;
    n.team = g.m.NextTeam;
    n.caption = "Создание новой команды";
    n.confirm = "Создать";
    n.name = "Команда" + std::to_string(n.team);
    for (int k = 0; k < 4; ++k)
        n.members[static_cast<std::size_t>(k)] = "Гобла" + std::to_string(k + 1);
    n.computer = 0;
    n.level = kLevelMaster;
    return Next::To(ScreenId::NewTeam);
}

Next TeamScreen::Change(ScreenContext& g) {
    if (selected < 0 || selected >= static_cast<int>(teams.size())) {
        g.s.dialogs.Message("Сначала выберите команду!", MsgIcon::Information, MsgButtons::Ok);
        return Next::Stay();
    }
    NewTeamScreen& n = newTeam_;
    n.editing = true;
    n.team = 0;
    for (int t = 1; t <= Defined(g.m) && n.team == 0; ++t)
        if (g.m.rc(t).ComName == teams[static_cast<std::size_t>(selected)]) n.team = t;
    if (n.team == 0) return Next::Stay();
    TeamRec& t = g.m.rc(n.team);
    n.caption = "Изменение настроек команды";
    n.confirm = "Готово";
    n.name = t.ComName;
    for (int k = 0; k < 4; ++k)
        n.members[static_cast<std::size_t>(k)] = Member(t, k);
    n.computer = t.CompControl != 0 ? 1 : 0;
    n.level = t.Level;
    return Next::To(ScreenId::NewTeam);
}

void TeamScreen::Delete(ScreenContext& g) {
    if (selected < 0 || selected >= static_cast<int>(teams.size())) {
        g.s.dialogs.Message("Сначала выберите команду!", MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    const std::string name = teams[static_cast<std::size_t>(selected)];
    if (g.s.dialogs.Message("Вы действительно хотите удалить команду" + std::string(NL2) + name +
                                "?",
                            MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    Module1& m = g.m;
    const int gone = selected + 1;
    for (int t = gone; t < Defined(m); ++t)
        m.rc(t) = m.rc(t + 1);
    m.rc(Defined(m)) = TeamRec{};
    m.NextTeam = static_cast<i16>(m.NextTeam - 1);
    selected = -1;
    Relist(m);
}

void TeamScreen::AddPlaying(ScreenContext& g, int index) {
    if (index < 0 || index >= static_cast<int>(teams.size())) return;
    const std::string& name = teams[static_cast<std::size_t>(index)];
    // The same team twice would play against itself.
    if (std::find(playing.begin(), playing.end(), name) != playing.end()) return;
    if (playing.size() >= 2) {
        g.s.dialogs.Message("В списке играющих команд уже находятся 2 команды!",
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    playing.push_back(name);
}

void TeamScreen::RemovePlaying(int index) {
    if (index >= 0 && index < static_cast<int>(playing.size()))
        playing.erase(playing.begin() + index);
}

void TeamScreen::SetModel(ScreenContext& g, int index) {
    if (index < 0 || index > 3) return;
    model = static_cast<i16>(index);
    for (int t = 1; t <= Defined(g.m); ++t)
        g.m.rc(t).RType = model;
}

void TeamScreen::SetPerTeam(int value) {
    perTeam = static_cast<i16>(std::clamp(value, 1, 4));
}

void TeamScreen::HowToPlay(ScreenContext& g) const {
    g.s.dialogs.Message(g.m.HelpText, MsgIcon::Information, MsgButtons::Ok, "Управление игрой");
}

Next TeamScreen::Start(ScreenContext& g) {
    if (playing.size() != 2) {
        g.s.dialogs.Message("Выберите 2 команды для игры!", MsgIcon::Information, MsgButtons::Ok);
        return Next::Stay();
    }
    g.m.ZI = kTrue;
    g.m.LoadedGame = kFalse;
    const std::string saved = SaveCom(g.m, perTeam, model, g.s.stateDir + "zvr.cmd", g.s.dialogs);
    if (!saved.empty()) status = saved;
    g.SaveSettings();
    TeamChoice choice;
    choice.playing = playing;
    choice.perTeam = perTeam;
    choice.model = model;
    if (StartTeamGame(g.m, choice, quick_, options_, g.s.dialogs) != StartResult::Started) {
        g.m.ZI = kFalse;
        return Next::OptionsFrom(ScreenId::Teams);
    }
    return Next::Match(ScreenId::Teams);
}

Next TeamScreen::Back(ScreenContext& g) {
    status = "Сохранение команд...";
    const std::string saved = SaveCom(g.m, perTeam, model, g.s.stateDir + "zvr.cmd", g.s.dialogs);
    if (!saved.empty()) status = saved;
    g.RestoreMasses();
    for (int t = 1; t <= kTeams; ++t)
        g.m.rc(t).Score = 0;
    g.m.ZI = kFalse;
    return Next::To(ScreenId::MainMenu);
}

Next TeamScreen::Options(ScreenContext& g) {
    g.SaveSettings();
    return Next::OptionsFrom(ScreenId::Teams);
}

Next TeamScreen::Exit(ScreenContext& g) {
    SaveCom(g.m, perTeam, model, g.s.stateDir + "zvr.cmd", g.s.dialogs);
    return Next::Quit(); // QuitProgram saves the settings, with the user's own masses
}

void NewTeamScreen::PickName(ScreenContext& g, int member) {
    if (member < 0 || member > 3 || !g.namesAvailable) return;
    std::string n = members[static_cast<std::size_t>(member)];
    if (kv::PickName(g.m, g.s.rng, n, g.s.dialogs, g.s.dataDir + "zvr.nam"))
        members[static_cast<std::size_t>(member)] = n;
}

bool NewTeamScreen::Confirm(ScreenContext& g) {
    Module1& m = g.m;
    DialogPort& d = g.s.dialogs;
    // Trimmed before the checks: a name of blanks would end the teams file early.
    const std::string n = Trim(name, " \t");
    if (n.empty()) {
        d.Message("Надо ввести имя команды!", MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    // Another team's name is refused when renaming too: the lists find teams by name.
    for (int t = 1; t <= Defined(m); ++t) {
        if (editing && t == team) continue;
        if (m.rc(t).ComName == n) {
            d.Message("Команда с указанным именем уже существует. Задайте другое имя.",
                      MsgIcon::Information, MsgButtons::Ok);
            return false;
        }
    }
    std::array<std::string, 4> who;
    for (int k = 0; k < 4; ++k) {
        who[static_cast<std::size_t>(k)] = Trim(members[static_cast<std::size_t>(k)], " \t");
        if (who[static_cast<std::size_t>(k)].empty()) {
            d.Message("Вы не ввели некоторые имена игроков.", MsgIcon::Information, MsgButtons::Ok);
            return false;
        }
    }
    const int number = editing ? team : m.NextTeam;
    if (number < 1 || number > kMostTeams) return false;
    TeamRec& t = m.rc(number);
    const std::string old = t.ComName;
    t.ComName = n;
    for (int k = 0; k < 4; ++k)
        Member(t, k) = who[static_cast<std::size_t>(k)];
    t.CompControl = computer != 0 ? 1 : 0;
    t.Level = IsLevel(level) ? level : kLevelMaster;
    TeamScreen& list = teams_;
    if (!editing) {
        t.RType = list.model;
        m.NextTeam = static_cast<i16>(m.NextTeam + 1);
    } else {
        // A renamed playing team plays on under its new name.
        for (std::string& p : list.playing)
            if (p == old) p = n;
    }
    list.Relist(m);
    return true;
}

} // namespace kv::screens
