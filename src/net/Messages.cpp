#include "net/Messages.h"

#include "net/Wire.h"

#include <cmath>

namespace kv::net {

namespace {

// Type bytes: a player's messages from 0x01, the host's from 0x41.
enum Type : std::uint8_t {
    kHello = 0x01,
    kReady,
    kWishes,
    kSay,
    kStrike,
    kAim,
    kDigest,
    kLeave,
    kPing,
    kWelcome = 0x41,
    kRefuse,
    kTable,
    kChat,
    kStart,
    kStruck,
    kAimShown,
    kCatchUp,
    kRepair,
    kNotice,
    kEnd,
    kBye,
};

constexpr std::uint32_t kBeaconMagic = 0x4B565A42; // "KVZB"
constexpr int kMaxModel = 3;
constexpr int kMaxMass = 1000;
constexpr int kMaxLevel = 15; // strengths are the players' business; any small number travels

void Put(Writer& w, const NetStrike& s) {
    w.U32(s.turn);
    w.I16(s.seat);
    w.Real(s.s.strike.ba);
    w.Real(s.s.strike.pa);
    w.I16(s.s.strike.si);
    w.Bool(s.s.pot);
    w.I16(s.s.potForce);
}

NetStrike GetStrike(Reader& r) {
    NetStrike s;
    s.turn = r.U32Max(kMaxTurns);
    s.seat = r.I16In(1, kMaxSeats);
    s.s.strike.ba = r.Real();
    s.s.strike.pa = r.Real();
    s.s.strike.si = r.I16();
    s.s.pot = r.Bool();
    s.s.potForce = r.I16();
    return s;
}

void Put(Writer& w, const Aim& a) {
    w.U16(a.match);
    w.U32(a.turn);
    w.Real(a.point);
    w.Real(a.direction);
    w.I16(a.force);
}

Aim GetAim(Reader& r) {
    Aim a;
    a.match = r.U16();
    a.turn = r.U32Max(kMaxTurns);
    a.point = r.FiniteReal();
    a.direction = r.FiniteReal();
    a.force = r.I16In(0, 100);
    return a;
}

void Put(Writer& w, const MatchStart& s) {
    w.U16(s.match);
    w.U16(s.matches);
    w.U32(s.maxStrikes);
    w.Text(s.stamp);
    w.LongText(s.snapshot);
    for (i16 l : s.levels)
        w.I16(l);
}

MatchStart GetStart(Reader& r) {
    MatchStart s;
    s.match = r.U16();
    s.matches = r.U16();
    s.maxStrikes = r.U32Max(kMaxTurns);
    s.stamp = r.Text(kMaxStampBytes);
    s.snapshot = r.LongText(kMaxSnapshotBytes);
    for (i16& l : s.levels)
        l = r.I16In(0, kMaxLevel);
    return s;
}

void PutEnding(Writer& w, Reason reason, std::uint16_t protocol, i16 build,
               const std::string& text) {
    w.U8(static_cast<std::uint8_t>(reason));
    w.U16(protocol);
    w.I16(build);
    w.Text(text);
}

template <typename T> T GetEnding(Reader& r) {
    T t;
    const std::uint8_t reason = r.U8();
    if (reason > kLastReason) r.Fail();
    t.reason = static_cast<Reason>(reason);
    t.protocol = r.U16();
    t.build = r.I16();
    t.text = r.Text(kMaxNoticeBytes);
    return t;
}

template <class... F> struct Visit : F... { using F::operator()...; };
template <class... F> Visit(F...) -> Visit<F...>;

} // namespace

std::string Encode(const Message& msg) {
    Writer w;
    std::visit(Visit{
                   [&](const Hello& h) {
                       w.U8(kHello);
                       w.U16(h.protocol);
                       w.I16(h.build);
                       w.U64(h.rules);
                       w.Text(h.name);
                       w.Text(h.password);
                       w.U64(h.token);
                       w.Bool(h.spectator);
                       w.I16(h.model);
                       w.Bool(h.comp);
                       w.I16(h.level);
                   },
                   [&](const Ready& m) {
                       w.U8(kReady);
                       w.Bool(m.ready);
                   },
                   [&](const Wishes& m) {
                       w.U8(kWishes);
                       w.I16(m.model);
                       w.Bool(m.comp);
                       w.I16(m.level);
                   },
                   [&](const Say& m) {
                       w.U8(kSay);
                       w.Text(m.text);
                   },
                   [&](const StrikeOut& m) {
                       w.U8(kStrike);
                       w.U16(m.match);
                       Put(w, m.strike);
                   },
                   [&](const Aim& m) {
                       w.U8(kAim);
                       Put(w, m);
                   },
                   [&](const TurnDigest& m) {
                       w.U8(kDigest);
                       w.U16(m.match);
                       w.U32(m.turn);
                       w.U64(m.digest);
                   },
                   [&](const Leave&) { w.U8(kLeave); },
                   [&](const Ping&) { w.U8(kPing); },
                   [&](const Welcome& m) {
                       w.U8(kWelcome);
                       w.U16(m.protocol);
                       w.I16(m.build);
                       w.U64(m.token);
                       w.I16(m.seat);
                   },
                   [&](const Refuse& m) {
                       w.U8(kRefuse);
                       PutEnding(w, m.reason, m.protocol, m.build, m.text);
                   },
                   [&](const TableView& m) {
                       w.U8(kTable);
                       w.Text(m.host);
                       w.U8(static_cast<std::uint8_t>(m.phase));
                       w.U16(m.match);
                       const TableSettings& s = m.settings;
                       w.Text(s.table);
                       w.I16(s.teams);
                       w.I16(s.tableX);
                       w.I16(s.tableY);
                       w.Real(s.friction);
                       w.U8(s.wall);
                       w.Bool(s.wallMirror);
                       w.U8(s.obstacles);
                       w.Bool(s.obstaclesMirror);
                       w.Real(s.spread);
                       w.U16(s.graceSeconds);
                       w.U16(s.turnLimitSeconds);
                       w.U16(s.matches);
                       w.Bool(s.password);
                       w.U8(static_cast<std::uint8_t>(m.seats.size()));
                       for (const SeatView& v : m.seats) {
                           w.U8(static_cast<std::uint8_t>(v.kind));
                           w.Text(v.name);
                           w.I16(v.model);
                           w.Bool(v.ready);
                           w.Bool(v.comp);
                           w.I16(v.level);
                           w.Bool(v.away);
                           w.I16(v.mass);
                       }
                       w.U8(m.spectators);
                   },
                   [&](const ChatLine& m) {
                       w.U8(kChat);
                       w.Text(m.from);
                       w.Text(m.text);
                   },
                   [&](const MatchStart& m) {
                       w.U8(kStart);
                       Put(w, m);
                   },
                   [&](const Struck& m) {
                       w.U8(kStruck);
                       Put(w, m.strike);
                   },
                   [&](const AimShown& m) {
                       w.U8(kAimShown);
                       w.I16(m.seat);
                       Put(w, m.aim);
                   },
                   [&](const CatchUp& m) {
                       w.U8(kCatchUp);
                       Put(w, m.start);
                       w.U32(static_cast<std::uint32_t>(m.strikes.size()));
                       for (const NetStrike& s : m.strikes)
                           Put(w, s);
                   },
                   [&](const Repair& m) {
                       w.U8(kRepair);
                       w.U32(m.turn);
                       w.U32(m.strikes);
                       w.U64(m.ticks);
                       w.U32(m.badTurn);
                       w.U64(m.hostDigest);
                       w.U64(m.yourDigest);
                       w.LongText(m.snapshot);
                   },
                   [&](const Notice& m) {
                       w.U8(kNotice);
                       w.U8(static_cast<std::uint8_t>(m.kind));
                       w.I16(m.seat);
                       w.U32(m.seconds);
                       w.Text(m.name);
                   },
                   [&](const MatchEnd& m) {
                       w.U8(kEnd);
                       w.U16(m.match);
                       w.U32(m.turns);
                       w.Bool(m.last);
                   },
                   [&](const Bye& m) {
                       w.U8(kBye);
                       PutEnding(w, m.reason, m.protocol, m.build, m.text);
                   },
               },
               msg);
    return w.Take();
}

namespace {

std::optional<Message> FromPlayer(std::uint8_t type, Reader& r) {
    switch (type) {
    case kHello: {
        Hello h;
        h.protocol = r.U16();
        h.build = r.I16();
        // A greeting of another protocol is read only that far: the refusal
        // names both versions.
        if (r.Ok() && h.protocol != kProtocolVersion) return h;
        h.rules = r.U64();
        h.name = r.Text(kMaxNameBytes);
        h.password = r.Text(kMaxPasswordBytes);
        h.token = r.U64();
        h.spectator = r.Bool();
        h.model = r.I16In(-1, kMaxModel);
        h.comp = r.Bool();
        h.level = r.I16In(0, kMaxLevel);
        return h;
    }
    case kReady:
        return Ready{r.Bool()};
    case kWishes: {
        Wishes m;
        m.model = r.I16In(-1, kMaxModel);
        m.comp = r.Bool();
        m.level = r.I16In(0, kMaxLevel);
        return m;
    }
    case kSay:
        return Say{r.Text(kMaxChatBytes)};
    case kStrike: {
        StrikeOut m;
        m.match = r.U16();
        m.strike = GetStrike(r);
        return m;
    }
    case kAim:
        return GetAim(r);
    case kDigest: {
        TurnDigest d;
        d.match = r.U16();
        d.turn = r.U32Max(kMaxTurns);
        d.digest = r.U64();
        return d;
    }
    case kLeave:
        return Leave{};
    case kPing:
        return Ping{};
    default:
        return std::nullopt;
    }
}

std::optional<Message> FromHost(std::uint8_t type, Reader& r) {
    switch (type) {
    case kWelcome: {
        Welcome m;
        m.protocol = r.U16();
        m.build = r.I16();
        m.token = r.U64();
        m.seat = r.I16In(0, kMaxSeats);
        return m;
    }
    case kRefuse:
        return GetEnding<Refuse>(r);
    case kTable: {
        TableView m;
        m.host = r.Text(kMaxNameBytes);
        const std::uint8_t phase = r.U8();
        if (phase > static_cast<std::uint8_t>(TablePhase::Results)) r.Fail();
        m.phase = static_cast<TablePhase>(phase);
        m.match = r.U16();
        TableSettings& s = m.settings;
        s.table = r.Text(kMaxNameBytes);
        s.teams = r.I16In(0, kMaxSeats / 2);
        s.tableX = r.I16In(kMinTableSize, kMaxTableSize);
        s.tableY = r.I16In(kMinTableSize, kMaxTableSize);
        s.friction = r.FiniteReal();
        s.wall = r.U8();
        s.wallMirror = r.Bool();
        s.obstacles = r.U8();
        s.obstaclesMirror = r.Bool();
        s.spread = r.FiniteReal();
        s.graceSeconds = r.U16();
        s.turnLimitSeconds = r.U16();
        s.matches = r.U16();
        s.password = r.Bool();
        if (s.wall > 2 || s.obstacles > 2) r.Fail();
        const std::uint8_t n = r.U8();
        if (n > kMaxSeats) r.Fail();
        for (int i = 0; r.Ok() && i < n; ++i) {
            SeatView v;
            const std::uint8_t kind = r.U8();
            if (kind > static_cast<std::uint8_t>(SeatKind::Player)) r.Fail();
            v.kind = static_cast<SeatKind>(kind);
            v.name = r.Text(kMaxNameBytes);
            v.model = r.I16In(0, kMaxModel);
            v.ready = r.Bool();
            v.comp = r.Bool();
            v.level = r.I16In(0, kMaxLevel);
            v.away = r.Bool();
            v.mass = r.I16In(0, kMaxMass);
            m.seats.push_back(std::move(v));
        }
        m.spectators = r.U8();
        return m;
    }
    case kChat: {
        ChatLine m;
        m.from = r.Text(kMaxNameBytes);
        m.text = r.Text(kMaxChatBytes);
        return m;
    }
    case kStart:
        return GetStart(r);
    case kStruck:
        return Struck{GetStrike(r)};
    case kAimShown: {
        AimShown m;
        m.seat = r.I16In(1, kMaxSeats);
        m.aim = GetAim(r);
        return m;
    }
    case kCatchUp: {
        CatchUp m;
        m.start = GetStart(r);
        const std::uint32_t n = r.U32Max(kMaxTurns);
        for (std::uint32_t i = 0; r.Ok() && i < n; ++i)
            m.strikes.push_back(GetStrike(r));
        return m;
    }
    case kRepair: {
        Repair m;
        m.turn = r.U32Max(kMaxTurns);
        m.strikes = r.U32Max(kMaxTurns);
        m.ticks = r.U64();
        m.badTurn = r.U32Max(kMaxTurns);
        m.hostDigest = r.U64();
        m.yourDigest = r.U64();
        m.snapshot = r.LongText(kMaxSnapshotBytes);
        return m;
    }
    case kNotice: {
        Notice m;
        const std::uint8_t kind = r.U8();
        if (kind > kLastNotice) r.Fail();
        m.kind = static_cast<NoticeKind>(kind);
        m.seat = r.I16In(0, kMaxSeats);
        m.seconds = r.U32Max(100000);
        m.name = r.Text(kMaxNameBytes);
        return m;
    }
    case kEnd: {
        MatchEnd m;
        m.match = r.U16();
        m.turns = r.U32Max(kMaxTurns);
        m.last = r.Bool();
        return m;
    }
    case kBye:
        return GetEnding<Bye>(r);
    case kPing:
        return Ping{};
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<Message> Decode(std::string_view body, From from) {
    Reader r(body);
    const std::uint8_t type = r.U8();
    if (!r.Ok()) return std::nullopt;
    std::optional<Message> m = from == From::Player ? FromPlayer(type, r) : FromHost(type, r);
    if (!m || !r.Ok()) return std::nullopt;
    const auto* hello = std::get_if<Hello>(&*m);
    if (!r.Done() && !(hello && hello->protocol != kProtocolVersion)) return std::nullopt;
    return m;
}

const char* NameOf(const Message& m) {
    static constexpr const char* kNames[] = {
        "Hello",  "Ready",    "Wishes",  "Say",    "Strike", "Aim",      "Digest",
        "Leave",  "Ping",     "Welcome", "Refuse", "Table",  "Chat",     "MatchStart",
        "Struck", "AimShown", "CatchUp", "Repair", "Notice", "MatchEnd", "Bye"};
    static_assert(std::size(kNames) == std::variant_size_v<Message>);
    return kNames[m.index()];
}

bool StrikeInRange(const PlayedStrike& s) {
    // Every angle the game makes lies within two turns either way; the spread
    // adds a little.
    constexpr double kMaxAngle = 8 * 3.14159265358979323846;
    const auto angle = [](double a) { return std::isfinite(a) && std::fabs(a) <= kMaxAngle; };
    if (s.pot) return s.potForce >= 0 && s.potForce <= 100;
    return angle(s.strike.ba) && angle(s.strike.pa) && s.strike.si >= 0 && s.strike.si <= 100 &&
           s.potForce == 0;
}

std::string EncodeBeacon(const Beacon& b) {
    Writer w;
    w.U32(kBeaconMagic);
    w.U16(b.protocol);
    w.I16(b.build);
    w.U16(b.port);
    w.Text(b.table);
    w.Text(b.host);
    w.U8(b.seated);
    w.U8(b.seats);
    w.U8(static_cast<std::uint8_t>(b.phase));
    w.Bool(b.password);
    return w.Take();
}

std::optional<Beacon> DecodeBeacon(std::string_view datagram) {
    if (datagram.size() > kMaxBeaconBytes) return std::nullopt;
    Reader r(datagram);
    if (r.U32() != kBeaconMagic) return std::nullopt;
    Beacon b;
    b.protocol = r.U16();
    b.build = r.I16();
    b.port = r.U16();
    b.table = r.Text(kMaxNameBytes);
    b.host = r.Text(kMaxNameBytes);
    b.seated = r.U8();
    b.seats = r.U8();
    const std::uint8_t phase = r.U8();
    b.password = r.Bool();
    if (phase > static_cast<std::uint8_t>(TablePhase::Results) || b.seats > kMaxSeats ||
        b.seated > b.seats || b.port == 0 || !r.Done())
        return std::nullopt;
    b.phase = static_cast<TablePhase>(phase);
    b.table = CleanText(b.table, kNameChars * 2);
    b.host = CleanName(b.host);
    return b;
}

} // namespace kv::net
