#include "net/NetHost.h"

#include "net/Digest.h"
#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/SaveGame.h"
#include "persistence/Text.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kv::net {

namespace {

std::uint64_t Rules() {
    static const std::uint64_t rules = RulesDigest();
    return rules;
}

bool SameName(const std::string& a, const std::string& b) {
    return UpperCp1251(Utf8ToCp1251(a)) == UpperCp1251(Utf8ToCp1251(b));
}

} // namespace

NetHost::NetHost(Link& link, Clock clock, Rng& tokens)
    : link_(link), clock_(std::move(clock)), tokens_(tokens), seats_(2) {
    link_.SetEvents(this);
}

NetHost::~NetHost() {
    if (open_) Close();
    link_.SetEvents(nullptr);
}

bool NetHost::Open(const std::string& address, std::uint16_t port, std::string* why) {
    if (open_) return true;
    if (!link_.Listen(address, port, why)) return false;
    open_ = true;
    phase_ = TablePhase::Lobby;
    return true;
}

void NetHost::Close(Reason why) {
    if (!open_) return;
    SendAll(Bye{why, kProtocolVersion, kBuild, ReasonText(why)});
    for (auto& [id, p] : peers_)
        link_.Close(id);
    peers_.clear();
    link_.StopListening();
    open_ = false;
    Event(EventKind::Closed, ReasonText(why));
}

// ---------------------------------------------------------------- the lobby

void NetHost::SetHostName(std::string name) {
    hostName_ = CleanName(name);
    if (CharCount(hostName_) > kNameChars) hostName_ = CleanText(hostName_, kNameChars);
    TableChanged();
}

void NetHost::SetSettings(const TableSettings& s) {
    settings_ = s;
    settings_.table = CleanText(s.table, kNameChars * 2);
    // Never a table that the members' decoders refuse.
    settings_.tableX = std::clamp<i16>(s.tableX, kMinTableSize, kMaxTableSize);
    settings_.tableY = std::clamp<i16>(s.tableY, kMinTableSize, kMaxTableSize);
    settings_.graceSeconds =
        static_cast<std::uint16_t>(std::min<int>(s.graceSeconds, kMaxGraceSeconds));
    settings_.turnLimitSeconds =
        static_cast<std::uint16_t>(std::min<int>(s.turnLimitSeconds, kMaxTurnLimitSeconds));
    TableChanged();
}

void NetHost::SetPassword(std::string password) {
    password_ = std::move(password);
    TableChanged();
}

bool NetHost::SetSeatCount(int n) {
    if (n < 2 || n > kMaxSeats || phase_ == TablePhase::Match) return false;
    for (int s = n; s < static_cast<int>(seats_.size()); ++s)
        if (seats_[static_cast<std::size_t>(s)].kind == SeatKind::Player) return false;
    seats_.resize(static_cast<std::size_t>(n));
    TableChanged();
    return true;
}

bool NetHost::SetSeat(int seat, SeatKind kind, const std::string& name, i16 level) {
    if (seat < 1 || seat > static_cast<int>(seats_.size()) || kind == SeatKind::Player)
        return false;
    HostSeat& s = seats_[static_cast<std::size_t>(seat - 1)];
    if (s.kind == SeatKind::Player) return false;
    const i16 model = s.model;
    s = HostSeat{};
    s.kind = kind;
    s.model = model;
    s.name = CleanName(name);
    s.level = level;
    s.comp = kind == SeatKind::HostComputer;
    s.ready = true;
    TableChanged();
    return true;
}

bool NetHost::SetSeatModel(int seat, i16 model) {
    if (seat < 1 || seat > static_cast<int>(seats_.size()) || model < -1 || model > 3) return false;
    HostSeat& s = seats_[static_cast<std::size_t>(seat - 1)];
    if (s.kind == SeatKind::Player) return false;
    s.model = model;
    TableChanged();
    return true;
}

bool NetHost::SetSeatMass(int seat, i16 mass) {
    if (seat < 1 || seat > kMaxSeats || mass < 0 || mass > 1000 || phase_ == TablePhase::Match)
        return false;
    masses_[static_cast<std::size_t>(seat - 1)] = mass;
    TableChanged();
    return true;
}

bool NetHost::Kick(int seat) {
    if (seat < 1 || seat > static_cast<int>(seats_.size())) return false;
    HostSeat& s = seats_[static_cast<std::size_t>(seat - 1)];
    if (s.kind != SeatKind::Player) return false;
    if (Peer* p = PeerOf(s.conn)) {
        Send(*p, Bye{Reason::Kicked, kProtocolVersion, kBuild, ReasonText(Reason::Kicked)});
        link_.Close(p->id);
        peers_.erase(p->id);
    }
    s.token = 0; // no coming back
    Note(NoticeKind::Left, seat, s.name);
    SeatLost(seat, false);
    return true;
}

void NetHost::Say(const std::string& text) {
    const std::string line = CleanText(text, kChatChars);
    if (line.empty()) return;
    SendAll(ChatLine{hostName_, line});
    Event(EventKind::Chat, hostName_ + ": " + line);
    if (match_) match_->AddNote(hostName_ + ": " + line);
}

bool NetHost::CanStart() const {
    if (!open_ || phase_ == TablePhase::Match) return false;
    for (const HostSeat& s : seats_)
        if (s.kind == SeatKind::Player && (!s.ready || s.away)) return false;
    return true;
}

int NetHost::PlayersSeated() const {
    return static_cast<int>(std::count_if(seats_.begin(), seats_.end(), [](const HostSeat& s) {
        return s.kind == SeatKind::Player;
    }));
}

int NetHost::Spectators() const {
    return static_cast<int>(std::count_if(peers_.begin(), peers_.end(), [](const auto& kv) {
        return kv.second.state == Peer::State::Watching;
    }));
}

TableView NetHost::View() const {
    TableView v;
    v.host = hostName_;
    v.phase = phase_;
    v.match = matchNo_;
    v.settings = settings_;
    v.settings.password = !password_.empty();
    for (const HostSeat& s : seats_) {
        SeatView sv;
        sv.kind = s.kind;
        sv.name = s.kind == SeatKind::Open ? std::string() : s.name;
        sv.model = s.model < 0 ? i16{0} : s.model;
        sv.ready = s.kind != SeatKind::Player || s.ready;
        sv.comp = s.comp;
        sv.level = s.level;
        sv.away = s.away;
        sv.mass = masses_[v.seats.size()];
        v.seats.push_back(sv);
    }
    v.spectators = static_cast<std::uint8_t>(Spectators());
    return v;
}

Beacon NetHost::Advert(std::uint16_t port) const {
    Beacon b;
    b.port = port;
    b.table = settings_.table;
    b.host = hostName_;
    b.seats = static_cast<std::uint8_t>(seats_.size());
    b.seated = static_cast<std::uint8_t>(std::count_if(
        seats_.begin(), seats_.end(), [](const HostSeat& s) { return s.kind != SeatKind::Open; }));
    b.phase = phase_;
    b.password = !password_.empty();
    return b;
}

std::vector<NetEvent> NetHost::TakeEvents() {
    return std::exchange(events_, {});
}

void NetHost::Event(EventKind k, std::string text, int seat) {
    events_.push_back(NetEvent{k, std::move(text), seat});
}

void NetHost::TableChanged() {
    if (!open_) return;
    SendAll(View());
    Event(EventKind::Table, {});
}

void NetHost::Note(NoticeKind k, int seat, const std::string& name, std::uint32_t seconds) {
    const Notice n{k, static_cast<i16>(seat), seconds, name};
    SendAll(n);
    Event(EventKind::Notice, NoticeText(n), seat);
    if (match_ && phase_ == TablePhase::Match) match_->AddNote(NoticeText(n));
}

// ---------------------------------------------------------------- matches

HostMatch* NetHost::StartMatch(Module1& m, const MatchPlan& plan, std::string* why) {
    auto fail = [&](const std::string& text) -> HostMatch* {
        if (why) *why = text;
        return nullptr;
    };
    if (!CanStart()) return fail("Не все игроки за столом готовы.");
    if (m.MaxGamers != static_cast<int>(seats_.size()))
        return fail("Число игроков матча не равно числу мест за столом.");
    if (plan.maxStrikes > kMaxTurns)
        return fail("Сетевой матч не длиннее " + std::to_string(kMaxTurns) + " ударов.");
    for (int slot = 1; slot <= m.MaxGamers; ++slot) {
        HostSeat& s = seats_[static_cast<std::size_t>(slot - 1)];
        GoblaRec& g = m.Gobla(slot);
        s.takenOver = false;
        if (const i16 mass = masses_[static_cast<std::size_t>(slot - 1)]; mass > 0) g.M = mass;
        if (s.model >= 0) g.Model = s.model;
        switch (s.kind) {
        case SeatKind::HostPlayer:
            if (!s.name.empty()) g.RName = s.name;
            g.CompControl = 0;
            break;
        case SeatKind::Open:
        case SeatKind::HostComputer:
            g.CompControl = 1;
            m.CompLevel(slot) = s.level;
            break;
        case SeatKind::Player:
            g.RName = s.name;
            g.CompControl = s.comp ? 1 : 0;
            m.CompLevel(slot) = s.level;
            break;
        }
    }
    // The host's pause before computer strikes would hold up every machine.
    m.IsCompHOD = kFalse;
    m.LoadedGame = kFalse;
    MatchStart st;
    st.match = plan.match;
    st.matches = plan.matches;
    st.maxStrikes = plan.maxStrikes;
    st.stamp = DateText() + " " + TimeText();
    st.snapshot = SnapshotText(m);
    if (st.snapshot.size() > kMaxSnapshotBytes) return fail("Состояние стола слишком велико.");
    for (int i = 1; i <= kMaxPlayers; ++i)
        st.levels[static_cast<std::size_t>(i - 1)] = m.CompLevel(i);
    auto match = std::make_unique<HostMatch>(*this, st, clock_);
    // The host plays from the state as every machine reads it.
    std::string err;
    if (!match->LoadStart(m, &err)) return fail("Состояние стола не читается: " + err);
    match_ = std::move(match);
    phase_ = TablePhase::Match;
    matchNo_ = plan.match;
    for (auto& [id, p] : peers_) {
        p.inMatch = false;
        p.pending.clear();
        p.digests.clear();
        p.trustFrom = 0;
        p.repairDue = false;
        if (p.state == Peer::State::Greeting) continue;
        p.inMatch = true;
        Send(p, st);
    }
    TableChanged();
    Event(EventKind::Started, {});
    return match_.get();
}

void NetHost::MatchOver(bool last) {
    if (phase_ != TablePhase::Match || !match_) return;
    phase_ = TablePhase::Results;
    SendAll(MatchEnd{matchNo_, match_->Turn(), last}, true);
    // A player gone for good leaves an open seat for the next match.
    for (int s = 1; s <= static_cast<int>(seats_.size()); ++s) {
        HostSeat& seat = seats_[static_cast<std::size_t>(s - 1)];
        if (seat.kind == SeatKind::Player && seat.conn < 0 && (seat.takenOver || seat.token == 0))
            seat = HostSeat{};
        seat.takenOver = false;
    }
    TableChanged();
    Event(EventKind::Ended, {});
}

void NetHost::SeatLost(int seat, bool keep) {
    HostSeat& s = seats_[static_cast<std::size_t>(seat - 1)];
    s.conn = -1;
    if (keep) {
        s.away = true;
        s.awaySince = clock_();
        Note(NoticeKind::Dropped, seat, s.name, settings_.graceSeconds);
        if (match_ && phase_ == TablePhase::Match && match_->WaitingFor() == seat) {
            match_->SetCountdown(s.name, s.awaySince + settings_.graceSeconds * 1000LL);
            Note(NoticeKind::Waiting, seat, s.name, settings_.graceSeconds);
        }
    } else if (phase_ == TablePhase::Match) {
        s.away = true;
        s.token = 0;
        TakeOver(seat);
    } else {
        s = HostSeat{};
    }
    TableChanged();
}

void NetHost::TakeOver(int seat) {
    HostSeat& s = seats_[static_cast<std::size_t>(seat - 1)];
    if (s.takenOver) return;
    s.takenOver = true;
    Note(NoticeKind::TakenOver, seat, s.name);
    if (match_ && match_->WaitingFor() == seat) {
        match_->ClearCountdown();
        match_->Retake();
    }
}

void NetHost::Poll() {
    const long long now = clock_();
    std::vector<std::pair<ConnId, Reason>> gone;
    for (auto& [id, p] : peers_) {
        if (p.state == Peer::State::Greeting && now - p.openedAt > kHelloWithinMs)
            gone.emplace_back(id, Reason::Silent);
        else if (now - p.heardAt > kSilenceMs)
            gone.emplace_back(id, Reason::Silent);
        else if (now - p.sentAt >= kPingEveryMs && p.state != Peer::State::Greeting)
            Send(p, Ping{});
    }
    for (const auto& [id, why] : doomed_)
        gone.emplace_back(id, why);
    doomed_.clear();
    for (const auto& [id, why] : gone)
        if (Peer* p = PeerOf(id)) Drop(*p, why, {});

    for (int s = 1; s <= static_cast<int>(seats_.size()); ++s) {
        HostSeat& seat = seats_[static_cast<std::size_t>(s - 1)];
        if (!seat.away || seat.takenOver || seat.conn >= 0) continue;
        if (now - seat.awaySince < settings_.graceSeconds * 1000LL) continue;
        if (phase_ == TablePhase::Match) {
            TakeOver(s);
        } else {
            Note(NoticeKind::Left, s, seat.name);
            seat = HostSeat{};
            TableChanged();
        }
    }
    if (match_ && phase_ == TablePhase::Match && settings_.turnLimitSeconds > 0) {
        const i16 slot = match_->WaitingFor();
        const bool human = slot > 0 || match_->HumanAims();
        if (human && now - match_->TurnBeganAt() > settings_.turnLimitSeconds * 1000LL) {
            const int who = slot > 0 ? slot : match_->Slot();
            match_->TimeOut();
            Note(NoticeKind::TimeLimit, who, seats_[static_cast<std::size_t>(who - 1)].name);
            match_->Retake();
        }
    }
}

// ---------------------------------------------------------------- connections

NetHost::Peer* NetHost::PeerOf(ConnId c) {
    const auto it = peers_.find(c);
    return it == peers_.end() ? nullptr : &it->second;
}

void NetHost::Opened(ConnId c) {
    const long long now = clock_();
    if (!open_ || peers_.size() >= static_cast<std::size_t>(kMaxSeats + kMaxSpectators + 8)) {
        link_.Close(c);
        return;
    }
    Peer& p = peers_[c];
    p.id = c;
    p.openedAt = p.heardAt = p.sentAt = p.rateStart = p.chatAt = now;
}

void NetHost::Received(ConnId c, std::string_view bytes) {
    Peer* p = PeerOf(c);
    if (!p) return;
    p->frames.Feed(bytes);
    for (;;) {
        p = PeerOf(c);
        if (!p) return;
        std::optional<std::string> body = p->frames.Next();
        if (p->frames.Broken()) {
            Drop(*p, Reason::TooLarge, {});
            return;
        }
        if (!body) return;
        p->heardAt = clock_();
        if (!FloodCheck(*p)) return;
        const std::optional<Message> msg = Decode(*body, From::Player);
        if (!msg) {
            const bool known = !body->empty() && static_cast<std::uint8_t>((*body)[0]) >= 0x01 &&
                               static_cast<std::uint8_t>((*body)[0]) <= 0x09;
            Drop(*p, known ? Reason::Malformed : Reason::Unknown,
                 "тип " +
                     std::to_string(body->empty() ? -1 : static_cast<std::uint8_t>((*body)[0])) +
                     ", " + std::to_string(body->size()) + " байт");
            return;
        }
        Handle(*p, *msg);
    }
}

void NetHost::Closed(ConnId c, const std::string& why) {
    Peer* p = PeerOf(c);
    if (!p) return;
    const Peer::State state = p->state;
    const int seat = p->seat;
    LogError("Сетевая игра: соединение с " + link_.PeerOf(c) + " (" + p->name +
             ") прервано: " + why);
    peers_.erase(c);
    if (state == Peer::State::Seated) SeatLost(seat, true);
    if (state == Peer::State::Watching) TableChanged();
}

bool NetHost::FloodCheck(Peer& p) {
    const long long now = clock_();
    if (now - p.rateStart >= 1000) {
        p.rateStart = now;
        p.rateCount = 0;
    }
    if (++p.rateCount <= kMaxFramesPerSecond) return true;
    Drop(p, Reason::Flood,
         "больше " + std::to_string(kMaxFramesPerSecond) + " сообщений в секунду");
    return false;
}

void NetHost::Send(Peer& p, const Message& m) {
    link_.Send(p.id, Frame(Encode(m)));
    p.sentAt = clock_();
}

void NetHost::SendAll(const Message& m, bool matchOnly) {
    const std::string frame = Frame(Encode(m));
    const long long now = clock_();
    std::vector<ConnId> to;
    for (auto& [id, p] : peers_) {
        if (p.state == Peer::State::Greeting || (matchOnly && !p.inMatch)) continue;
        p.sentAt = now;
        to.push_back(id);
    }
    for (ConnId id : to)
        link_.Send(id, frame);
}

void NetHost::Refuse(Peer& p, Reason r, const std::string& detail) {
    LogError("Сетевая игра: " + link_.PeerOf(p.id) + " не принят за стол: " + ReasonText(r) +
             (detail.empty() ? "" : " (" + detail + ")"));
    Event(EventKind::Notice, "Не принят за стол: " + ReasonText(r));
    Send(p, net::Refuse{r, kProtocolVersion, kBuild, ReasonText(r)});
    link_.Close(p.id);
    peers_.erase(p.id);
}

void NetHost::Drop(Peer& p, Reason r, const std::string& detail) {
    const ConnId id = p.id;
    const Peer::State state = p.state;
    const int seat = p.seat;
    LogError("Сетевая игра: соединение с " + link_.PeerOf(id) + " (" + p.name +
             ") закрыто: " + ReasonText(r) + (detail.empty() ? "" : " (" + detail + ")"));
    Send(p, Bye{r, kProtocolVersion, kBuild, ReasonText(r)});
    link_.Close(id);
    peers_.erase(id);
    // A player closed for a broken message keeps his seat for the grace time,
    // as one whose line failed: the table goes on for everyone else.
    if (state == Peer::State::Seated) SeatLost(seat, true);
    if (state == Peer::State::Watching) TableChanged();
}

void NetHost::Doom(Peer& p, Reason r) {
    doomed_.emplace_back(p.id, r);
}

void NetHost::Handle(Peer& p, const Message& msg) {
    if (p.state == Peer::State::Greeting) {
        if (const auto* h = std::get_if<Hello>(&msg))
            Greet(p, *h);
        else
            Drop(p, Reason::OutOfTurn, std::string(NameOf(msg)) + " до приветствия");
        return;
    }
    const bool seated = p.state == Peer::State::Seated;
    HostSeat* seat = seated ? &seats_[static_cast<std::size_t>(p.seat - 1)] : nullptr;
    Reason r = Reason::None;
    if (const auto* m = std::get_if<Ready>(&msg)) {
        if (!seat) return Drop(p, Reason::OutOfTurn, "зритель не готовится");
        if (phase_ == TablePhase::Match || seat->ready == m->ready) return;
        seat->ready = m->ready;
        TableChanged();
    } else if (const auto* m = std::get_if<Wishes>(&msg)) {
        if (!seat) return Drop(p, Reason::OutOfTurn, "у зрителя нет места");
        if (phase_ == TablePhase::Match) return;
        seat->model = m->model;
        seat->comp = m->comp;
        seat->level = m->level;
        TableChanged();
    } else if (const auto* m = std::get_if<net::Say>(&msg)) {
        const long long now = clock_();
        p.chatTokens =
            std::min<double>(kChatBurst, p.chatTokens + double(now - p.chatAt) / kChatEveryMs);
        p.chatAt = now;
        if (p.chatTokens < 1) return Drop(p, Reason::Flood, "строки чата");
        p.chatTokens -= 1;
        const std::string line = CleanText(m->text, kChatChars);
        if (line.empty()) return;
        SendAll(ChatLine{p.name, line});
        Event(EventKind::Chat, p.name + ": " + line, p.seat);
        if (match_) match_->AddNote(p.name + ": " + line);
    } else if (const auto* m = std::get_if<StrikeOut>(&msg)) {
        if (!match_ || m->match != match_->Start().match) return; // late, from a match now over
        if (phase_ != TablePhase::Match) return Drop(p, Reason::OutOfTurn, "удар вне матча");
        if (!match_->Offer(p, m->strike, &r)) return Drop(p, r, "удар");
    } else if (const auto* m = std::get_if<Aim>(&msg)) {
        if (phase_ != TablePhase::Match || !match_ || m->match != match_->Start().match) return;
        if (!match_->OfferAim(p, *m, &r)) return Drop(p, r, "прицел");
    } else if (const auto* m = std::get_if<TurnDigest>(&msg)) {
        if (!match_ || !p.inMatch || m->match != match_->Start().match) return;
        if (!match_->OfferDigest(p, *m, &r)) return Drop(p, r, "сводка стола");
    } else if (std::holds_alternative<Leave>(msg)) {
        const ConnId id = p.id;
        const std::string name = p.name;
        const int s = p.seat;
        link_.Close(id);
        peers_.erase(id);
        if (seated) {
            seats_[static_cast<std::size_t>(s - 1)].token = 0;
            Note(NoticeKind::Left, s, name);
            SeatLost(s, false);
        } else {
            TableChanged();
        }
    } else if (std::holds_alternative<Ping>(msg)) {
    } else if (std::holds_alternative<Hello>(msg)) {
        Drop(p, Reason::OutOfTurn, "второе приветствие");
    }
}

void NetHost::Greet(Peer& p, const Hello& h) {
    if (h.protocol != kProtocolVersion) return Refuse(p, Reason::Protocol);
    if (h.build != kBuild) return Refuse(p, Reason::Version);
    if (h.rules != Rules()) return Refuse(p, Reason::Rules);
    if (!password_.empty() && h.password != password_) return Refuse(p, Reason::Password);
    const std::string name = CleanName(h.name);
    if (name.empty() || CharCount(name) > kNameChars)
        return Refuse(p, Reason::BadName, std::to_string(h.name.size()) + " байт");
    p.name = name;

    // Coming back: the same name and the token of the seat.
    if (h.token != 0 && !h.spectator) {
        for (int s = 1; s <= static_cast<int>(seats_.size()); ++s) {
            HostSeat& seat = seats_[static_cast<std::size_t>(s - 1)];
            if (seat.kind != SeatKind::Player || seat.token != h.token ||
                !SameName(seat.name, name))
                continue;
            if (Peer* old = PeerOf(seat.conn); old && old != &p) {
                link_.Close(old->id);
                peers_.erase(old->id);
            }
            seat.conn = p.id;
            seat.away = false;
            seat.takenOver = false;
            p.state = Peer::State::Seated;
            p.seat = s;
            Send(p, Welcome{kProtocolVersion, kBuild, seat.token, static_cast<i16>(s)});
            if (match_ && phase_ == TablePhase::Match) {
                match_->ClearCountdown();
                SendCatchUp(p);
            }
            Note(NoticeKind::Back, s, name);
            TableChanged();
            return;
        }
    }
    if (h.spectator) {
        if (Spectators() >= kMaxSpectators) return Refuse(p, Reason::Full);
        p.state = Peer::State::Watching;
        Send(p, Welcome{kProtocolVersion, kBuild, 0, 0});
        if (match_ && phase_ == TablePhase::Match) SendCatchUp(p);
        Note(NoticeKind::Joined, 0, name);
        TableChanged();
        return;
    }
    if (SameName(name, hostName_)) return Refuse(p, Reason::NameTaken);
    for (const HostSeat& s : seats_)
        if ((s.kind == SeatKind::Player || s.kind == SeatKind::HostPlayer) &&
            SameName(s.name, name))
            return Refuse(p, Reason::NameTaken);
    if (phase_ == TablePhase::Match) return Refuse(p, Reason::MatchRunning);
    const auto open = std::find_if(seats_.begin(), seats_.end(),
                                   [](const HostSeat& s) { return s.kind == SeatKind::Open; });
    if (open == seats_.end()) return Refuse(p, Reason::Full);
    HostSeat& seat = *open;
    const i16 hostsModel = seat.model;
    seat = HostSeat{};
    seat.kind = SeatKind::Player;
    seat.name = name;
    seat.model = h.model >= 0 ? h.model : hostsModel;
    seat.comp = h.comp;
    seat.level = h.level;
    seat.conn = p.id;
    do
        seat.token = tokens_.NextU64();
    while (seat.token == 0);
    p.state = Peer::State::Seated;
    p.seat = static_cast<int>(open - seats_.begin()) + 1;
    Send(p, Welcome{kProtocolVersion, kBuild, seat.token, static_cast<i16>(p.seat)});
    Note(NoticeKind::Joined, p.seat, name);
    TableChanged();
}

void NetHost::SendCatchUp(Peer& p) {
    CatchUp c;
    c.start = match_->Start();
    c.strikes = match_->Strikes();
    p.inMatch = true;
    p.pending.clear();
    p.digests.clear();
    p.trustFrom = 0;
    p.repairDue = false;
    Send(p, c);
}

// ---------------------------------------------------------------- the host's relay

HostMatch::HostMatch(NetHost& host, MatchStart start, Clock clock)
    : NetMatch(std::move(start), std::move(clock)), host_(host) {}

bool HostMatch::HasStrikeFor(std::uint32_t turn) const {
    return !strikes_.empty() && strikes_.back().turn >= turn;
}

TurnOwner HostMatch::TurnBegins(i16 slot) {
    begunAt_ = clock_();
    begun_ = turn_;
    slot_ = slot;
    snapshot_ = SnapshotText(*m_);
    snapTurn_ = turn_;
    snapStrikes_ = static_cast<std::uint32_t>(next_);
    snapTicks_ = static_cast<std::uint64_t>(screen_->PhysicsTicks());
    hasSnap_ = true;
    for (auto& [id, p] : host_.peers_)
        if (p.repairDue && p.inMatch) SendRepair(p);
    if (KnowsStrikeFor(turn_)) return TurnOwner::Elsewhere;
    if (timedOut_ == static_cast<std::int64_t>(turn_)) return TurnOwner::Computer;
    if (slot < 1 || slot > static_cast<int>(host_.seats_.size())) return TurnOwner::Here;
    const HostSeat& seat = host_.seats_[static_cast<std::size_t>(slot - 1)];
    if (seat.kind != SeatKind::Player) return TurnOwner::Here;
    if (seat.takenOver) return TurnOwner::Computer;
    // A strike that came before this turn began is taken now, or refused.
    for (auto& [id, p] : host_.peers_) {
        for (const NetStrike& s : std::exchange(p.pending, {})) {
            if (s.turn != turn_) continue;
            if (p.seat == slot && !p.repairDue)
                Accept(slot, s.s);
            else if (!p.repairDue)
                host_.Doom(p, Reason::OutOfTurn);
        }
    }
    if (KnowsStrikeFor(turn_)) return TurnOwner::Elsewhere;
    if (seat.away) {
        const long long until = seat.awaySince + host_.settings_.graceSeconds * 1000LL;
        SetCountdown(seat.name, until);
        host_.Note(NoticeKind::Waiting, slot, seat.name,
                   static_cast<std::uint32_t>(std::max(0LL, (until - begunAt_ + 999) / 1000)));
    }
    return TurnOwner::Elsewhere;
}

void HostMatch::StrikeMade(const PlayedStrike& s) {
    Accept(slot_, s);
}

void HostMatch::Accept(i16 seat, const PlayedStrike& s) {
    if (HasStrikeFor(turn_)) return;
    const NetStrike ns{turn_, seat, s};
    Add(ns);
    ClearCountdown();
    host_.SendAll(Struck{ns}, true);
}

bool HostMatch::Offer(NetHost::Peer& p, const NetStrike& s, Reason* r) {
    *r = Reason::OutOfTurn;
    if (p.state != NetHost::Peer::State::Seated || s.seat != p.seat) return false;
    if (!StrikeInRange(s.s)) {
        *r = Reason::BadStrike;
        return false;
    }
    // A table being mended, or a strike the computer has already made: late, not hostile.
    if (p.repairDue || s.turn < p.trustFrom || HasStrikeFor(s.turn)) return true;
    if (s.turn > turn_ + 1) return false;
    if (s.turn == turn_ && begun_ == static_cast<std::int64_t>(turn_)) {
        if (!Waiting() || slot_ != s.seat) return false;
        const HostSeat& seat = host_.seats_[static_cast<std::size_t>(s.seat - 1)];
        if (seat.takenOver || timedOut_ == static_cast<std::int64_t>(turn_)) return true;
        Accept(s.seat, s.s);
        return true;
    }
    if (!p.pending.empty()) return false;
    p.pending.push_back(s);
    return true;
}

bool HostMatch::OfferAim(NetHost::Peer& p, const Aim& a, Reason* r) {
    *r = Reason::OutOfTurn;
    if (p.state != NetHost::Peer::State::Seated) return false;
    if (a.turn > turn_ + 1) return false;
    if (a.turn != turn_ || slot_ != p.seat || !Waiting()) return true;
    const long long now = clock_();
    if (now - aimPassedAt_ < kAimEveryMs) return true;
    aimPassedAt_ = now;
    const std::string frame = Frame(Encode(AimShown{static_cast<i16>(p.seat), a}));
    for (auto& [id, q] : host_.peers_)
        if (q.inMatch && id != p.id) host_.link_.Send(id, frame);
    if (screen_) screen_->ShowAim(a.point, a.direction);
    return true;
}

void HostMatch::AimChanged(double pointAngle, double direction, i16 force) {
    const long long now = clock_();
    if (now - aimPassedAt_ < kAimEveryMs) return;
    aimPassedAt_ = now;
    host_.SendAll(AimShown{slot_, Aim{start_.match, turn_, pointAngle, direction, force}}, true);
}

bool HostMatch::OfferDigest(NetHost::Peer& p, const TurnDigest& d, Reason* r) {
    *r = Reason::OutOfTurn;
    if (d.turn > turn_) return false;
    if (d.turn < p.trustFrom || p.repairDue) return true;
    if (d.turn < digests_.size()) {
        Compare(p, d.turn, d.digest);
        return true;
    }
    if (p.digests.size() >= 64) {
        *r = Reason::Flood;
        return false;
    }
    p.digests[d.turn] = d.digest;
    return true;
}

void HostMatch::Digested(std::uint32_t turn, std::uint64_t) {
    for (auto& [id, p] : host_.peers_) {
        const auto it = p.digests.find(turn);
        if (it == p.digests.end()) continue;
        const std::uint64_t theirs = it->second;
        p.digests.erase(it);
        if (!p.repairDue && turn >= p.trustFrom) Compare(p, turn, theirs);
    }
}

std::uint64_t HostMatch::OwnDigest(std::uint32_t turn) const {
    return turn < digests_.size() ? digests_[turn] : 0;
}

void HostMatch::Compare(NetHost::Peer& p, std::uint32_t turn, std::uint64_t theirs) {
    const std::uint64_t mine = digests_[turn];
    if (mine == theirs) return;
    char text[200];
    std::snprintf(text, sizeof text, "у хозяина %016llx, у игрока %016llx",
                  static_cast<unsigned long long>(mine), static_cast<unsigned long long>(theirs));
    LogError("Сетевая игра: после хода " + std::to_string(turn) + " стол игрока " + p.name + " (" +
             host_.link_.PeerOf(p.id) + ") разошёлся со столом хозяина: " + text +
             "; ему отправлено состояние хозяина.");
    p.repairDue = true;
    p.badTurn = turn;
    p.badHost = mine;
    p.badTheirs = theirs;
    p.pending.clear();
    p.digests.clear();
    // The latest state is sent as soon as it is one from after the bad turn.
    if (hasSnap_ && snapTurn_ > turn) SendRepair(p);
}

void HostMatch::SendRepair(NetHost::Peer& p) {
    Repair rep;
    rep.turn = snapTurn_;
    rep.strikes = snapStrikes_;
    rep.ticks = snapTicks_;
    rep.badTurn = p.badTurn;
    rep.hostDigest = p.badHost;
    rep.yourDigest = p.badTheirs;
    rep.snapshot = snapshot_;
    p.repairDue = false;
    p.trustFrom = snapTurn_;
    p.digests.clear();
    host_.Send(p, rep);
    host_.Note(NoticeKind::Repaired, p.seat, p.name);
}

void HostMatch::Retake() {
    if (screen_ && screen_->TakesStrike() && !HasStrikeFor(turn_)) screen_->RetakeTurn();
}

bool HostMatch::HumanAims() const {
    return screen_ && begun_ == static_cast<std::int64_t>(turn_) && !HasStrikeFor(turn_) &&
           screen_->TakesStrike() && screen_->Phase() != TurnPhase::Elsewhere &&
           m_->Gobla(slot_).CompControl == 0;
}

} // namespace kv::net
