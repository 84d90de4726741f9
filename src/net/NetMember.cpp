#include "net/NetMember.h"

#include "net/Digest.h"
#include "persistence/ErrorLog.h"

#include <cstdio>
#include <utility>

namespace kv::net {

namespace {

std::string Hex(std::uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

} // namespace

// ---------------------------------------------------------------- the player's relay

PlayerMatch::PlayerMatch(NetMember& member, MatchStart start, std::vector<NetStrike> known,
                         Clock clock)
    : NetMatch(std::move(start), std::move(clock)), member_(member) {
    strikes_ = std::move(known);
    catchUpUntil_ = strikes_.size();
}

TurnOwner PlayerMatch::TurnBegins(i16 slot) {
    slot_ = slot;
    if (KnowsStrikeFor(turn_)) return TurnOwner::Elsewhere;
    if (member_.seat_ > 0 && slot == member_.seat_ && sent_ != static_cast<std::int64_t>(turn_) &&
        !Orphaned())
        return TurnOwner::Here;
    return TurnOwner::Elsewhere;
}

void PlayerMatch::StrikeMade(const PlayedStrike& s) {
    sent_ = turn_;
    aimDue_ = false;
    member_.Send(StrikeOut{start_.match, NetStrike{turn_, slot_, s}});
}

void PlayerMatch::AimChanged(double pointAngle, double direction, i16 force) {
    aim_ = Aim{start_.match, turn_, pointAngle, direction, force};
    aimDue_ = true;
    FlushAim();
}

void PlayerMatch::FlushAim() {
    const long long now = clock_();
    if (!aimDue_ || now - aimSentAt_ < kAimEveryMs) return;
    aimDue_ = false;
    aimSentAt_ = now;
    member_.Send(aim_);
}

void PlayerMatch::Digested(std::uint32_t turn, std::uint64_t digest) {
    member_.Send(TurnDigest{start_.match, turn, digest});
}

bool PlayerMatch::Take(const NetStrike& s) {
    if (!StrikeInRange(s.s)) return false;
    if (!strikes_.empty() && s.turn <= strikes_.back().turn) return false;
    Add(s);
    return true;
}

void PlayerMatch::ShowAim(const AimShown& a) {
    if (screen_ && a.aim.turn == turn_ && a.seat == slot_)
        screen_->ShowAim(a.aim.point, a.aim.direction);
}

bool PlayerMatch::ApplyRepair(const Repair& r, std::string* why) {
    LogError("Сетевая игра: после хода " + std::to_string(r.badTurn) +
             " стол разошёлся со столом хозяина (у хозяина " + Hex(r.hostDigest) + ", здесь " +
             Hex(r.yourDigest) + "); загружено состояние хозяина на ходу " +
             std::to_string(r.turn) + ".");
    // A strike sent from the damaged table may have been let go: this
    // machine strikes again if its turn comes, and a late echo wins.
    sent_ = -1;
    return Replace(r.snapshot, r.turn, r.strikes, r.ticks, why);
}

// ---------------------------------------------------------------- the player

NetMember::NetMember(Link& link, Clock clock) : link_(link), clock_(std::move(clock)) {
    link_.SetEvents(this);
}

NetMember::~NetMember() {
    if (conn_ >= 0) link_.Close(conn_);
    link_.SetEvents(nullptr);
}

void NetMember::Join(const std::string& host, std::uint16_t port, const JoinOptions& o) {
    opts_ = o;
    state_ = State::Connecting;
    closeReason_ = Reason::None;
    closeText_.clear();
    heardAt_ = sentAt_ = clock_();
    conn_ = link_.Connect(host, port);
}

void NetMember::Opened(ConnId c) {
    if (c != conn_) return;
    state_ = State::Greeting;
    heardAt_ = clock_();
    Hello h;
    h.rules = RulesDigest();
    h.name = opts_.name;
    h.password = opts_.password;
    h.token = opts_.token;
    h.spectator = opts_.spectator;
    h.model = opts_.model;
    h.comp = opts_.comp;
    h.level = opts_.level;
    Send(h);
}

void NetMember::Send(const Message& m) {
    if (conn_ < 0) return;
    link_.Send(conn_, Frame(Encode(m)));
    sentAt_ = clock_();
}

void NetMember::SetReady(bool ready) {
    if (state_ == State::AtTable) Send(Ready{ready});
}

void NetMember::SetWishes(i16 model, bool comp, i16 level) {
    opts_.model = model;
    opts_.comp = comp;
    opts_.level = level;
    if (state_ == State::AtTable) Send(Wishes{model, comp, level});
}

void NetMember::Say(const std::string& text) {
    const std::string line = CleanText(text, kChatChars);
    if (state_ == State::AtTable && !line.empty()) Send(net::Say{line});
}

void NetMember::Leave() {
    if (conn_ < 0) return;
    Send(net::Leave{});
    link_.Close(conn_);
    conn_ = -1;
    state_ = State::Closed;
    closeReason_ = Reason::Left;
    closeText_ = "Вы ушли из-за стола.";
    for (auto& m : matches_)
        m->Orphan();
}

void NetMember::Poll() {
    if (state_ == State::Closed || state_ == State::Idle) return;
    const long long now = clock_();
    if (now - heardAt_ > kSilenceMs) {
        Fail(Reason::Silent, "Хозяин стола не отвечает: связь потеряна.", "хозяин молчит");
        return;
    }
    if (state_ == State::AtTable && now - sentAt_ >= kPingEveryMs) Send(Ping{});
    if (PlayerMatch* m = Match()) m->FlushAim();
}

std::vector<NetEvent> NetMember::TakeEvents() {
    return std::exchange(events_, {});
}

void NetMember::Event(EventKind k, std::string text) {
    events_.push_back(NetEvent{k, std::move(text), 0});
}

void NetMember::Fail(Reason r, const std::string& text, const std::string& log) {
    if (r != Reason::SeriesOver)
        LogError("Сетевая игра: связь со столом закрыта: " + text +
                 (log.empty() ? "" : " (" + log + ")"));
    if (conn_ >= 0) link_.Close(conn_);
    conn_ = -1;
    state_ = State::Closed;
    closeReason_ = r;
    closeText_ = text;
    for (auto& m : matches_)
        m->Orphan();
    Event(EventKind::Closed, text);
}

void NetMember::Closed(ConnId c, const std::string& why) {
    if (c != conn_) return;
    conn_ = -1;
    const bool greeting = state_ == State::Connecting || state_ == State::Greeting;
    Fail(Reason::None,
         greeting ? "Не удалось подключиться к столу: " + why
                  : "Связь с хозяином стола прервалась (" + why + ").",
         {});
}

void NetMember::Received(ConnId c, std::string_view bytes) {
    if (c != conn_) return;
    heardAt_ = clock_();
    frames_.Feed(bytes);
    while (conn_ >= 0) {
        std::optional<std::string> body = frames_.Next();
        if (frames_.Broken())
            return Fail(Reason::TooLarge, "Хозяин стола прислал слишком длинное сообщение.", {});
        if (!body) return;
        std::optional<Message> m = Decode(*body, From::Host);
        if (!m)
            return Fail(Reason::Malformed, "Хозяин стола прислал повреждённое сообщение.",
                        std::to_string(body->size()) + " байт");
        Handle(*m);
    }
}

void NetMember::Handle(const Message& msg) {
    auto wrong = [&] {
        Fail(Reason::OutOfTurn, "Хозяин стола прислал сообщение не в свой черёд.", NameOf(msg));
    };
    if (const auto* m = std::get_if<Refuse>(&msg)) {
        const std::string text = "Стол отказал: " + ReasonText(m->reason, m->protocol, m->build);
        Fail(m->reason, text, {});
        return;
    }
    if (const auto* m = std::get_if<Bye>(&msg)) {
        std::string text = ReasonText(m->reason, m->protocol, m->build);
        if (m->reason != Reason::SeriesOver) text = "Стол закрыт: " + text;
        Fail(m->reason, text, {});
        return;
    }
    if (state_ == State::Greeting) {
        const auto* w = std::get_if<Welcome>(&msg);
        if (!w) return wrong();
        if (w->build != kBuild || w->protocol != kProtocolVersion)
            return Fail(Reason::Version, ReasonText(Reason::Version, w->protocol, w->build), {});
        state_ = State::AtTable;
        seat_ = opts_.spectator ? 0 : w->seat;
        token_ = w->token;
        Event(EventKind::Table, {});
        return;
    }
    if (const auto* m = std::get_if<TableView>(&msg)) {
        table_ = *m;
        table_.host = CleanName(table_.host);
        table_.settings.table = CleanText(table_.settings.table, kNameChars * 2);
        for (SeatView& s : table_.seats)
            s.name = CleanName(s.name);
        Event(EventKind::Table, {});
    } else if (const auto* m = std::get_if<ChatLine>(&msg)) {
        const std::string line =
            (m->from.empty() ? "" : CleanName(m->from) + ": ") + CleanText(m->text, kChatChars);
        Event(EventKind::Chat, line);
        if (PlayerMatch* pm = Match()) pm->AddNote(line);
    } else if (const auto* m = std::get_if<MatchStart>(&msg)) {
        matches_.push_back(
            std::make_unique<PlayerMatch>(*this, *m, std::vector<NetStrike>{}, clock_));
        last_ = false;
        Event(EventKind::Started, {});
    } else if (const auto* m = std::get_if<CatchUp>(&msg)) {
        for (std::size_t i = 1; i < m->strikes.size(); ++i)
            if (m->strikes[i].turn <= m->strikes[i - 1].turn) return wrong();
        for (const NetStrike& s : m->strikes)
            if (!StrikeInRange(s.s)) return wrong();
        matches_.push_back(std::make_unique<PlayerMatch>(*this, m->start, m->strikes, clock_));
        last_ = false;
        Event(EventKind::Started, {});
    } else if (const auto* m = std::get_if<Struck>(&msg)) {
        if (!Match() || !Match()->Take(m->strike)) return wrong();
    } else if (const auto* m = std::get_if<AimShown>(&msg)) {
        if (Match()) Match()->ShowAim(*m);
    } else if (const auto* m = std::get_if<Repair>(&msg)) {
        std::string why;
        if (!Match() || !Match()->ApplyRepair(*m, &why))
            return Fail(Reason::Malformed, "Состояние стола от хозяина не загружено: " + why, {});
        Event(EventKind::Notice, "Стол восстановлен по столу хозяина.");
    } else if (const auto* m = std::get_if<Notice>(&msg)) {
        Notice n = *m;
        n.name = CleanName(n.name);
        Event(EventKind::Notice, NoticeText(n));
        if (PlayerMatch* pm = Match()) {
            pm->AddNote(NoticeText(n));
            if (n.kind == NoticeKind::Waiting)
                pm->SetCountdown(n.name, clock_() + n.seconds * 1000LL);
            else if (n.kind == NoticeKind::Back || n.kind == NoticeKind::TakenOver)
                pm->ClearCountdown();
        }
    } else if (const auto* m = std::get_if<MatchEnd>(&msg)) {
        if (!Match()) return wrong();
        Match()->End(m->turns);
        last_ = m->last;
        Event(EventKind::Ended, {});
    } else if (std::holds_alternative<Welcome>(msg)) {
        wrong();
    }
}

void PlayerMatch::Say(const std::string& line) {
    member_.Say(line);
}

} // namespace kv::net
