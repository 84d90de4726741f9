// The messages of network play and their encoding. A message is its type byte
// and its fields; the decoder checks every field against its bounds and wants
// every byte used, so that nothing malformed gets further than here.
#pragma once

#include "match/TurnRelay.h"
#include "net/NetProtocol.h"
#include "state/MatchState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kv::net {

// Why a connection is refused or closed (a byte on the wire).
enum class Reason : std::uint8_t {
    None = 0,
    Protocol,     // protocol versions differ
    Version,      // game versions differ
    Rules,        // the rules data (piece shapes, physics) differ
    Password,     // wrong password
    Full,         // no open seat, or no room for a spectator
    NameTaken,    // the name is already at the table
    BadName,      // empty or too long a name
    MatchRunning, // a new player during a match (a spectator may come in)
    Kicked,       // the host removed the player
    Closed,       // the host closed the table
    Malformed,    // a message that could not be read
    Flood,        // too many messages or chat lines
    OutOfTurn,    // a strike or message that the table's state does not allow
    BadStrike,    // a strike with values out of range
    TooLarge,     // a frame over the limit
    Unknown,      // a message of no known type
    Silent,       // nothing heard for too long
    SeriesOver,   // the table's last match is over: a normal end
    Left,         // the player left
};
inline constexpr std::uint8_t kLastReason = static_cast<std::uint8_t>(Reason::Left);

enum class SeatKind : std::uint8_t { Open = 0, HostPlayer, HostComputer, Player };
enum class TablePhase : std::uint8_t { Lobby = 0, Match, Results };
enum class NoticeKind : std::uint8_t {
    Joined = 0, // name took seat (0: a spectator came)
    Left,       // name left the table
    Dropped,    // seat's connection dropped; seconds of grace
    Back,       // seat's player came back
    TakenOver,  // seat is played by the host's computer from now on
    Waiting,    // the match waits for seat's player: seconds left
    TimeLimit,  // seat's time ran out: the computer plays this turn
    Repaired,   // seat's table was brought back to the host's
};
inline constexpr std::uint8_t kLastNotice = static_cast<std::uint8_t>(NoticeKind::Repaired);

// A strike of the table: its turn, its seat and the strike as executed.
struct NetStrike {
    std::uint32_t turn = 0;
    i16 seat = 0;
    PlayedStrike s;
};

// What a seat shows in the lobby.
struct SeatView {
    SeatKind kind = SeatKind::Open;
    std::string name;
    i16 model = 0;
    bool ready = false;
    bool comp = false; // "Комп": the player's own computer plays the seat
    i16 level = kLevelMaster;
    bool away = false; // the connection dropped; the seat is kept
    i16 mass = 0;      // the piece's mass the host chose; 0: the match's
};

// The table as the lobby shows it to the players (the match itself comes
// with MatchStart).
struct TableSettings {
    std::string table;
    i16 teams = 0; // 0: a quick game; n: two teams of n
    i16 tableX = 600, tableY = 400;
    double friction = 0.02;
    std::uint8_t wall = 2; // 0 off, 1 first position, 2 second
    bool wallMirror = true;
    std::uint8_t obstacles = 1; // 0 off, 1 first part, 2 second
    bool obstaclesMirror = false;
    double spread = 0;
    std::uint16_t graceSeconds = kDefaultGraceSeconds;
    std::uint16_t turnLimitSeconds = 0; // 0: no limit
    std::uint16_t matches = 0;          // a series of this many; 0: open-ended
    bool password = false;
};

// ---- a player to the host
struct Hello {
    std::uint16_t protocol = kProtocolVersion;
    i16 build = kBuild;
    std::uint64_t rules = 0;
    std::string name;
    std::string password;
    std::uint64_t token = 0; // a seat's token when coming back, else 0
    bool spectator = false;
    i16 model = -1; // the piece model wanted, -1: the table's
    bool comp = false;
    i16 level = kLevelMaster;
};
struct Ready {
    bool ready = false;
};
struct Wishes {
    i16 model = -1;
    bool comp = false;
    i16 level = kLevelMaster;
};
struct Say {
    std::string text;
};
// A player's messages of a match name it: one that comes late, from a match
// the host has already ended, is not taken for the next.
struct StrikeOut {
    std::uint16_t match = 0;
    NetStrike strike;
};
struct Aim {
    std::uint16_t match = 0;
    std::uint32_t turn = 0;
    double point = 0, direction = 0;
    i16 force = 0;
};
struct TurnDigest {
    std::uint16_t match = 0;
    std::uint32_t turn = 0;
    std::uint64_t digest = 0;
};
struct Leave {};
struct Ping {};

// ---- the host to a player
struct Welcome {
    std::uint16_t protocol = kProtocolVersion;
    i16 build = kBuild;
    std::uint64_t token = 0;
    i16 seat = 0; // 0: a spectator
};
// Refuse and Bye begin alike in every protocol version, so that a player of
// another version still reads why.
struct Refuse {
    Reason reason = Reason::None;
    std::uint16_t protocol = kProtocolVersion;
    i16 build = kBuild;
    std::string text;
};
struct TableView {
    std::string host;
    TablePhase phase = TablePhase::Lobby;
    std::uint16_t match = 0; // matches begun so far
    TableSettings settings;
    std::vector<SeatView> seats;
    std::uint8_t spectators = 0;
};
struct ChatLine {
    std::string from; // empty: the table itself speaks
    std::string text;
};
struct MatchStart {
    std::uint16_t match = 1;      // 1-based
    std::uint16_t matches = 0;    // series length, 0: a single match (the runner's play)
    std::uint32_t maxStrikes = 0; // 0: no limit
    std::string stamp;            // the host's date and time, for the recordings
    std::string snapshot;         // SnapshotText of the start
    std::array<i16, kMaxPlayers> levels{};
};
struct Struck {
    NetStrike strike;
};
struct AimShown {
    i16 seat = 0;
    Aim aim;
};
// A player who comes back mid-match, or a spectator who comes in: the start
// and every strike so far.
struct CatchUp {
    MatchStart start;
    std::vector<NetStrike> strikes;
};
// The host's state as a turn began, for a machine whose table differs.
struct Repair {
    std::uint32_t turn = 0;
    std::uint32_t strikes = 0; // strikes executed before it
    std::uint64_t ticks = 0;   // motion ticks before it
    std::uint32_t badTurn = 0; // the turn whose digests differed
    std::uint64_t hostDigest = 0, yourDigest = 0;
    std::string snapshot;
};
struct Notice {
    NoticeKind kind = NoticeKind::Joined;
    i16 seat = 0;
    std::uint32_t seconds = 0;
    std::string name;
};
struct MatchEnd {
    std::uint16_t match = 0;
    std::uint32_t turns = 0;
    bool last = false;
};
struct Bye {
    Reason reason = Reason::None;
    std::uint16_t protocol = kProtocolVersion;
    i16 build = kBuild;
    std::string text;
};

using Message = std::variant<Hello, Ready, Wishes, Say, StrikeOut, Aim, TurnDigest, Leave, Ping,
                             Welcome, Refuse, TableView, ChatLine, MatchStart, Struck, AimShown,
                             CatchUp, Repair, Notice, MatchEnd, Bye>;

// Which side a message comes from: each reads only the other's messages.
enum class From { Player, Host };

std::string Encode(const Message& m);
// Nothing when the body is no message the sender may send, or malformed.
std::optional<Message> Decode(std::string_view body, From from);
// The message's name for the log.
const char* NameOf(const Message& m);

// A strike the rules can execute: angles finite and within four turns, force
// 0..100, a pot force 0..100.
bool StrikeInRange(const PlayedStrike& s);

// The beacon of an open table (UDP, once a second).
struct Beacon {
    std::uint16_t protocol = kProtocolVersion;
    i16 build = kBuild;
    std::uint16_t port = kDefaultPort;
    std::string table;
    std::string host;
    std::uint8_t seated = 0, seats = 0;
    TablePhase phase = TablePhase::Lobby;
    bool password = false;
};
std::string EncodeBeacon(const Beacon& b);
std::optional<Beacon> DecodeBeacon(std::string_view datagram);

} // namespace kv::net
