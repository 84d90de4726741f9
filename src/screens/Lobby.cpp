#include "screens/Lobby.h"

#include "net/NetEvent.h"
#include "net/SeatTicket.h"
#include "net/Wire.h"
#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/SaveGame.h"
#include "screens/GameStart.h"
#include "screens/Options.h"
#include "screens/QuickGame.h"
#include "screens/Results.h"

#include <algorithm>
#include <random>

namespace kv::screens {

namespace {

constexpr std::size_t kChatLines = 50;

std::uint64_t FreshSeed() {
    // Seat tokens need only be hard to guess; no match draws from them.
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

const char* LevelName(i16 level) {
    return IsLevel(level) ? kLevelNames[level] : kLevelNames[kLevelMaster];
}

const char* ModelName(i16 model) {
    return kModelNames[model >= 0 && model <= 3 ? model : 0];
}

} // namespace

LobbyScreen::LobbyScreen(QuickGameScreen& quick, OptionsScreen& options, ResultsScreen& results)
    : quick_(quick), options_(options), results_(results), tokens_(FreshSeed()) {}

LobbyScreen::~LobbyScreen() {
    Leave();
}

// ---------------------------------------------------------------- the ways in

bool LobbyScreen::OpenTable(ScreenContext& g, const std::string& name, std::uint16_t port) {
    Leave();
    port_ = g.s.net;
    if (!port_) {
        g.s.dialogs.Message("Сетевая игра на этой машине недоступна.", MsgIcon::Exclamation,
                            MsgButtons::Ok);
        return false;
    }
    NetPort* np = port_;
    host_ = std::make_unique<net::NetHost>(
        np->TableLink(), [np] { return np->NowMs(); }, tokens_);
    hostName_ = name;
    host_->SetHostName(name);
    const Module1& m = g.m;
    settings = net::TableSettings{};
    settings.table = "Стол " + name;
    settings.tableX = m.MaxX;
    settings.tableY = m.MaxY;
    settings.friction = m.Ftr;
    settings.wall = static_cast<std::uint8_t>(m.Border == 0 ? 0 : m.BordMode == 0 ? 1 : 2);
    settings.wallMirror = m.BordSimm != 0;
    settings.obstacles = static_cast<std::uint8_t>(m.PipaOn == 0 ? 0 : m.PipaMode == 1 ? 2 : 1);
    settings.obstaclesMirror = m.PipaSimm != 0;
    settings.spread = m.VarK;
    password.clear();
    host_->SetSettings(settings);
    for (int s = 1; s <= kMaxPlayers; ++s)
        host_->SetSeatMass(s, m.Gobla(s).M);
    host_->SetSeatCount(2);
    host_->SetSeat(1, net::SeatKind::HostPlayer, name);
    std::string why;
    if (!host_->Open(port_->ListenAddress(), port, &why)) {
        host_.reset();
        LogError("Стол не открыт на порту " + std::to_string(port) + ": " + why);
        g.s.dialogs.Message("Стол не открыт: " + why, MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    if (!port_->Advertise([this, port] { return host_->Advert(port); }, &why))
        LogError("Стол не виден в списках столов: " + why);
    chat.clear();
    Chat("Стол открыт на порту " + std::to_string(port) + ". Ждём игроков.");
    return true;
}

void LobbyScreen::JoinTable(ScreenContext& g, const std::string& host, std::uint16_t port,
                            const std::string& name, const std::string& pass, bool spectator,
                            std::uint64_t token) {
    Leave();
    port_ = g.s.net;
    chat.clear();
    if (!port_) {
        Chat("Сетевая игра на этой машине недоступна.");
        return;
    }
    NetPort* np = port_;
    member_ = std::make_unique<net::NetMember>(np->TableLink(), [np] { return np->NowMs(); });
    joinOpts_ = net::JoinOptions{};
    joinOpts_.name = name;
    joinOpts_.password = pass;
    joinOpts_.spectator = spectator;
    joinOpts_.comp = ownComp;
    joinOpts_.level = ownLevel;
    joinOpts_.token = spectator ? 0 : token;
    ready = false;
    played_ = 0;
    joinHost_ = host;
    joinPort_ = port;
    ticketPath_ = g.s.stateDir.empty() ? std::string() : g.s.stateDir + net::kSeatTicketFile;
    table_ = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
             std::to_string(port);
    member_->Join(host, port, joinOpts_);
    Chat("Подключение к столу " + table_ + "...");
}

void LobbyScreen::GiveUpSeat() {
    if (member_ && member_->GetState() != net::NetMember::State::Closed && joinOpts_.token != 0 &&
        !ticketPath_.empty())
        net::ForgetSeatTicket(ticketPath_);
}

void LobbyScreen::Leave() {
    if (host_) {
        host_->Close();
        host_.reset();
        if (port_) port_->StopAdvertising();
    }
    if (member_) {
        member_->Leave();
        member_.reset();
    }
    relay_ = nullptr;
    inMatch_ = false;
    orphanDue_ = false;
    results_.atTable = false;
    results_.continueAtTable = nullptr;
}

// ---------------------------------------------------------------- what is shown

std::string LobbyScreen::Title() const {
    if (host_) return host_->Settings().table + " — хозяин " + hostName_;
    if (member_) {
        const net::TableView& t = member_->Table();
        if (!t.host.empty()) return t.settings.table + " — хозяин " + t.host;
    }
    return "Стол " + table_;
}

std::string LobbyScreen::Status() const {
    if (host_) {
        return "Стол открыт. Игроков за столом: " + std::to_string(host_->PlayersSeated()) +
               ", зрителей: " + std::to_string(host_->Spectators()) + "." +
               (host_->CanStart() ? "" : " Ждём, пока все будут готовы.");
    }
    if (!member_) return "Вы не за столом.";
    switch (member_->GetState()) {
    case net::NetMember::State::Idle:
    case net::NetMember::State::Connecting:
        return "Подключение к столу " + table_ + "...";
    case net::NetMember::State::Greeting:
        return "Знакомство со столом...";
    case net::NetMember::State::AtTable:
        if (member_->Spectator()) return "Вы зритель: смотрите матчи и пишете в чат.";
        return "Ваше место: " + std::to_string(member_->Seat()) +
               (ready ? ". Вы готовы, ждём хозяина стола."
                      : ". Отметьте «Готов», когда будете готовы.");
    case net::NetMember::State::Closed:
        return member_->CloseText();
    }
    return {};
}

int LobbyScreen::SeatCount() const {
    if (host_) return static_cast<int>(host_->Seats().size());
    if (member_) return static_cast<int>(member_->Table().seats.size());
    return 0;
}

std::vector<std::string> LobbyScreen::SeatLines() const {
    net::TableView v;
    int own = 0;
    if (host_) {
        v = host_->View();
        own = 1;
    } else if (member_) {
        v = member_->Table();
        own = member_->Seat();
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i < v.seats.size(); ++i) {
        const net::SeatView& s = v.seats[i];
        std::string line = std::to_string(i + 1) + ". ";
        switch (s.kind) {
        case net::SeatKind::Open:
            line += "открыто (играет комп хозяина)";
            break;
        case net::SeatKind::HostPlayer:
            line += s.name + " (хозяин стола), " + ModelName(s.model);
            break;
        case net::SeatKind::HostComputer:
            line += (s.name.empty() ? std::string("Комп хозяина") : s.name + ", комп") + ": " +
                    LevelName(s.level) + ", " + ModelName(s.model);
            break;
        case net::SeatKind::Player:
            line += s.name + ", " + ModelName(s.model) +
                    (s.comp ? std::string(", комп: ") + LevelName(s.level) : std::string()) +
                    (s.ready ? ", готов" : ", не готов") + (s.away ? ", связь потеряна" : "");
            break;
        }
        if (v.settings.teams > 0) line += i % 2 == 0 ? ", команда 1" : ", команда 2";
        if (s.mass > 0) line += ", масса " + std::to_string(s.mass);
        if (static_cast<int>(i) + 1 == own) line += "  ← вы";
        out.push_back(line);
    }
    return out;
}

void LobbyScreen::Chat(const std::string& text) {
    ++chatSaid;
    chat.push_back(text);
    if (chat.size() > kChatLines) chat.erase(chat.begin());
}

// ---------------------------------------------------------------- the host's commands

void LobbyScreen::SetSettings(ScreenContext& g) {
    if (!host_) return;
    settings.spread = std::clamp(settings.spread, 0.0, 1.0);
    if (std::find(std::begin(kFrictions), std::end(kFrictions), settings.friction) ==
        std::end(kFrictions))
        settings.friction = kDefaultFriction;
    host_->SetSettings(settings);
    settings = host_->Settings(); // as the host keeps them: sizes and times within bounds
    host_->SetPassword(password);
    (void)g;
}

void LobbyScreen::SetSeatCount(ScreenContext& g, int n) {
    if (!host_) return;
    if (settings.teams > 0) {
        if (n != 2 * settings.teams)
            g.s.dialogs.Message("В командной игре мест столько, сколько игроков в обеих командах.",
                                MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    if (!host_->SetSeatCount(n))
        g.s.dialogs.Message("За местами, которые вы убираете, сидят игроки.", MsgIcon::Information,
                            MsgButtons::Ok);
}

void LobbyScreen::SetTeams(ScreenContext& g, int perTeam) {
    if (!host_) return;
    perTeam = std::clamp(perTeam, 0, kMaxPlayers / 2);
    if (perTeam > 0 && !host_->SetSeatCount(2 * perTeam)) {
        g.s.dialogs.Message("За местами, которые вы убираете, сидят игроки.", MsgIcon::Information,
                            MsgButtons::Ok);
        return;
    }
    settings.teams = static_cast<i16>(perTeam);
    SetSettings(g);
}

void LobbyScreen::SetSeat(ScreenContext& g, int seat, SeatChoice c, i16 level) {
    if (!host_) return;
    if (seat == 1) {
        SetOwnComp(g, c == SeatChoice::Computer, level);
        return;
    }
    const net::SeatKind kind =
        c == SeatChoice::Computer ? net::SeatKind::HostComputer : net::SeatKind::Open;
    if (!host_->SetSeat(seat, kind, {}, level))
        g.s.dialogs.Message("На этом месте сидит игрок: его можно только убрать.",
                            MsgIcon::Information, MsgButtons::Ok);
}

void LobbyScreen::SetSeatModel(ScreenContext& g, int seat, i16 model) {
    if (!host_) return;
    if (!host_->SetSeatModel(seat, std::clamp<i16>(model, 0, 3)))
        g.s.dialogs.Message("Модель фишки выбирает игрок, который сидит на этом месте.",
                            MsgIcon::Information, MsgButtons::Ok);
}

void LobbyScreen::SetSeatMass(ScreenContext& g, int seat, i16 mass) {
    if (!host_) return;
    host_->SetSeatMass(seat, std::clamp<i16>(mass, 1, 1000));
    (void)g;
}

i16 LobbyScreen::SeatModel(int seat) const {
    const net::TableView v = host_ ? host_->View() : member_ ? member_->Table() : net::TableView{};
    return seat >= 1 && seat <= static_cast<int>(v.seats.size())
               ? v.seats[static_cast<std::size_t>(seat - 1)].model
               : i16{0};
}

i16 LobbyScreen::SeatMass(int seat) const {
    const net::TableView v = host_ ? host_->View() : member_ ? member_->Table() : net::TableView{};
    return seat >= 1 && seat <= static_cast<int>(v.seats.size())
               ? v.seats[static_cast<std::size_t>(seat - 1)].mass
               : i16{0};
}

bool LobbyScreen::SeatModelEditable(int seat) const {
    return host_ && seat >= 1 && seat <= static_cast<int>(host_->Seats().size()) &&
           host_->Seats()[static_cast<std::size_t>(seat - 1)].kind != net::SeatKind::Player;
}

int LobbyScreen::FrictionLevel() const {
    for (int i = 0; i < 3; ++i)
        if (settings.friction == kFrictions[i]) return i;
    return kStandardFriction;
}

void LobbyScreen::SetFrictionLevel(ScreenContext& g, int level) {
    settings.friction = kFrictions[level >= 0 && level <= 2 ? level : kStandardFriction];
    SetSettings(g);
}

void LobbyScreen::Kick(ScreenContext& g) {
    if (!host_) return;
    const int seat = selectedSeat + 1;
    const auto& seats = host_->Seats();
    if (seat < 1 || seat > static_cast<int>(seats.size()) ||
        seats[static_cast<std::size_t>(seat - 1)].kind != net::SeatKind::Player) {
        g.s.dialogs.Message("Выберите в списке место игрока, которого нужно убрать.",
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    if (g.s.dialogs.Message("Убрать игрока " + seats[static_cast<std::size_t>(seat - 1)].name +
                                " из-за стола?",
                            MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    host_->Kick(seat);
}

bool LobbyScreen::StartEnabled() const {
    return host_ && !inMatch_ && host_->CanStart();
}

bool LobbyScreen::SetUpHostMatch(ScreenContext& g, bool fresh) {
    Module1& m = g.m;
    const auto& seats = host_->Seats();
    const bool teams = settings.teams > 0;
    // A table that changed between team and single play starts anew.
    fresh = fresh || teams != (m.ZI != 0);
    // The table's seats go through the quick game's start; the player's own
    // rows are his again afterwards.
    const PlayerRows keep = quick_.rows;
    for (int r = 0; r < kRows; ++r) {
        PlayerRow& row = quick_.rows[static_cast<std::size_t>(r)];
        row = PlayerRow{};
        if (r >= static_cast<int>(seats.size())) continue;
        const net::HostSeat& s = seats[static_cast<std::size_t>(r)];
        row.take = 1;
        row.computer = 1;
        row.level = s.level;
        row.model = static_cast<i16>(s.model >= 0 && s.model <= 3 ? s.model : 0);
        row.name = !s.name.empty() ? s.name : "Комп" + std::to_string(r + 1);
    }
    m.MaxX = settings.tableX;
    m.MaxY = settings.tableY;
    m.Border = Flag(settings.wall != 0);
    m.BordMode = static_cast<i16>(settings.wall == 1 ? 0 : 1);
    m.BordSimm = Flag(settings.wallMirror);
    m.PipaOn = Flag(settings.obstacles != 0);
    m.PipaMode = static_cast<i16>(settings.obstacles == 2 ? 1 : 0);
    m.PipaSimm = Flag(settings.obstaclesMirror);
    m.VarK = static_cast<float>(settings.spread);
    StartResult r;
    if (teams && fresh) {
        // The table's two teams, in the first two team records as a saved
        // team game keeps them; the team screen reads its own from its file.
        for (int t = 1; t <= 2; ++t) {
            TeamRec& rec = m.rc(t);
            rec = TeamRec{};
            rec.ComName = "Команда " + std::to_string(t);
            rec.CompControl = 1;
            std::string* names[] = {&rec.R1, &rec.R2, &rec.R3, &rec.R4};
            for (int k = 0; k < settings.teams; ++k)
                *names[k] = quick_.rows[static_cast<std::size_t>(2 * k + t - 1)].name;
        }
        if (m.NextTeam < 3) m.NextTeam = 3;
        TeamChoice choice;
        choice.playing = {m.rc(1).ComName, m.rc(2).ComName};
        choice.perTeam = settings.teams;
        choice.model = quick_.rows[0].model;
        r = StartTeamGame(m, choice, quick_, options_, g.s.dialogs);
    } else {
        if (!teams) m.ZI = kFalse;
        r = StartGame(m, quick_, options_, g.s.dialogs);
    }
    quick_.rows = keep;
    if (r != StartResult::Started) return false;
    m.Ftr = settings.friction;
    return true;
}

Next LobbyScreen::Start(ScreenContext& g) {
    if (!StartEnabled()) return Next::Stay();
    Module1& m = g.m;
    // A new series at the table.
    for (int p = 1; p <= kMaxPlayers; ++p) {
        GoblaRec& s = m.Gobla(p);
        s.ScoreL = s.ScoreF = s.ScoreA = s.ScoreLTotal = s.ScoreFTotal = s.ScoreATotal = 0;
        m.KH(p) = static_cast<i16>(p);
    }
    m.ZI = kFalse;
    m.LoadedGame = kFalse;
    if (!SetUpHostMatch(g, true)) return Next::Stay();
    return Next::Match(ScreenId::NetLobby);
}

// ---------------------------------------------------------------- everyone's

void LobbyScreen::SetOwnComp(ScreenContext& g, bool on, i16 level) {
    ownComp = on;
    ownLevel = IsLevel(level) ? level : kLevelMaster;
    if (host_) {
        host_->SetSeat(1, on ? net::SeatKind::HostComputer : net::SeatKind::HostPlayer, hostName_,
                       ownLevel);
    } else if (member_) {
        member_->SetWishes(-1, on, ownLevel);
    }
    (void)g;
}

void LobbyScreen::SetReady(bool on) {
    ready = on;
    if (member_) member_->SetReady(on);
}

void LobbyScreen::Say() {
    const std::string text = net::CleanText(line, net::kChatChars);
    line.clear();
    if (text.empty()) return;
    if (host_)
        host_->Say(text);
    else if (member_)
        member_->Say(text);
}

Next LobbyScreen::Back(ScreenContext& g) {
    if (host_ && host_->PlayersSeated() > 0 &&
        g.s.dialogs.Message("Закрыть стол? Все игроки покинут его.", MsgIcon::Question,
                            MsgButtons::YesNo) != MsgAnswer::Yes)
        return Next::Stay();
    GiveUpSeat();
    Leave();
    return Next::To(ScreenId::Net);
}

Next LobbyScreen::Exit(ScreenContext&) {
    GiveUpSeat();
    Leave();
    return Next::Quit();
}

// ---------------------------------------------------------------- the table's events

Next LobbyScreen::Tick(ScreenContext& g, ScreenId current) {
    std::vector<net::NetEvent> events;
    if (host_) {
        host_->Poll();
        events = host_->TakeEvents();
    } else if (member_) {
        member_->Poll();
        events = member_->TakeEvents();
        if (member_->GetState() == net::NetMember::State::AtTable && !joinOpts_.spectator &&
            member_->Token() != 0 && member_->Token() != joinOpts_.token) {
            // To come back after a dropped line, or after a restart.
            joinOpts_.token = member_->Token();
            std::string why;
            if (!ticketPath_.empty() &&
                !net::SaveSeatTicket(ticketPath_,
                                     {joinHost_, joinPort_, joinOpts_.name, joinOpts_.token}, &why))
                LogError("Место за сетевым столом не сохранено: " + why);
        }
    } else {
        return Next::Stay();
    }
    if (relay_) relay_->Pump();
    if (orphanDue_ && inMatch_ && relay_ && relay_->Waiting()) {
        orphanDue_ = false;
        Orphaned(g);
    }
    if (inMatch_ && member_ && relay_ && relay_->EndKnown() && relay_->Waiting() &&
        !relay_->Orphaned())
        g.m.RenderOn = kFalse; // the host ended the match early: so does this machine
    Next next = Next::Stay();
    for (const net::NetEvent& e : events) {
        switch (e.kind) {
        case net::EventKind::Chat:
        case net::EventKind::Notice:
            if (!e.text.empty()) Chat(e.text);
            break;
        case net::EventKind::Started:
            if (member_ && member_->MatchCount() > played_) {
                // A machine that lags behind starts with the latest match.
                played_ = member_->MatchCount();
                net::PlayerMatch* pm = member_->Match();
                std::string why;
                if (!pm->LoadStart(g.m, &why)) {
                    LogError("Начало матча от хозяина стола не прочитано: " + why);
                    Chat("Начало матча от хозяина стола не прочитано: " + why);
                    break;
                }
                pm->SetInstantCatchUp(true);
                relay_ = pm;
                inMatch_ = true;
                if (current != ScreenId::Match) next = Next::Match(current);
            }
            break;
        case net::EventKind::Closed:
            if (!member_) break;
            LogError("Сетевой стол " + table_ + ": " + e.text);
            Chat(e.text);
            if (joinOpts_.token != 0 && !ticketPath_.empty()) {
                if (!net::SeatOutlives(member_->CloseReason()))
                    net::ForgetSeatTicket(ticketPath_);
                else
                    Chat("Ваше место за столом ждёт вас: «Вернуться за стол» на экране сетевой "
                         "игры.");
            }
            if (inMatch_) {
                // What the host sent is played out first; the save waits for rest.
                if (relay_) relay_->Orphan();
                orphanDue_ = true;
            } else if (current == ScreenId::NetLobby || current == ScreenId::Results) {
                g.s.dialogs.Message(e.text, MsgIcon::Exclamation, MsgButtons::Ok);
                const std::string said = e.text;
                Leave();
                chat.push_back(said);
                next = Next::To(ScreenId::Net);
            }
            break;
        case net::EventKind::Table:
        case net::EventKind::Ended:
            break;
        }
    }
    return next;
}

net::NetMatch* LobbyScreen::Relay() {
    return inMatch_ ? relay_ : nullptr;
}

bool LobbyScreen::MatchStarting(ScreenContext& g) {
    if (!host_) return !member_ || inMatch_;
    const net::MatchPlan plan{static_cast<std::uint16_t>(host_->View().match + 1), settings.matches,
                              0};
    std::string why;
    net::HostMatch* hm = host_->StartMatch(g.m, plan, &why);
    if (!hm) {
        LogError("Сетевой матч не начат: " + why);
        g.s.dialogs.Message("Матч не начат: " + why, MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    relay_ = hm;
    inMatch_ = true;
    return true;
}

void LobbyScreen::MatchClosed(ScreenContext& g, ResultsScreen& results) {
    if (!inMatch_) return;
    inMatch_ = false;
    orphanDue_ = false;
    results.atTable = true;
    if (host_) {
        host_->MatchOver(false);
        results.continueEnabled = results.continueEnabled && host_->CanStart();
        results.continueAtTable = [this](ScreenContext& ctx) -> Next {
            if (!host_ || !host_->CanStart()) return Next::Stay();
            if (!SetUpHostMatch(ctx, false)) return Next::OptionsFrom(ScreenId::Results);
            return Next::Match(ScreenId::Results);
        };
    } else {
        // The host continues the series for everyone.
        results.continueEnabled = false;
        results.continueAtTable = nullptr;
    }
    (void)g;
}

void LobbyScreen::Orphaned(ScreenContext& g) {
    std::string path;
    for (int k = 1; k <= 100 && path.empty(); ++k) {
        const std::string p = g.s.stateDir + "game" + std::to_string(k) + ".zvr";
        if (!FileExists(p) || k == 100) path = p;
    }
    std::string err;
    std::string said = "Матч прерван. Запись матча сохраняется как обычный повтор";
    if (WriteSaveGame(g.m, path, &err))
        said += "; матч, как он стоял, сохранён в " + path + ".";
    else
        said += "; матч не сохранён: " + err;
    LogError(said);
    Chat(said);
    g.m.StatusText = said;
    g.m.HintText = "Нажмите ESC, чтобы выйти из матча.";
}

} // namespace kv::screens
