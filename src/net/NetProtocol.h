// The numbers of network play: the port, the protocol version and every limit
// that a message from the network is held to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv::net {

// The game's own port, TCP for the tables and UDP for their beacon. Chosen
// off every well-known and registered use that a school's network might have.
inline constexpr std::uint16_t kDefaultPort = 27415;

// Raised whenever a message changes its fields; a table and a player with
// different protocols never get past the greeting.
inline constexpr std::uint16_t kProtocolVersion = 2;

// Frames: a 4-byte big-endian length, then the message. A host reads nothing
// longer than a player's longest message; a player takes the host's catch-up.
inline constexpr std::size_t kMaxFromPlayer = 4 * 1024;
inline constexpr std::size_t kMaxFromHost = 1024 * 1024;

// Texts: bytes on the wire, then characters after cleaning.
inline constexpr std::size_t kMaxNameBytes = 96;
inline constexpr std::size_t kNameChars = 20;
inline constexpr std::size_t kMaxPasswordBytes = 64;
inline constexpr std::size_t kMaxChatBytes = 800;
inline constexpr std::size_t kChatChars = 200;
inline constexpr std::size_t kMaxNoticeBytes = 400;
inline constexpr std::size_t kMaxSnapshotBytes = 256 * 1024;
inline constexpr std::size_t kMaxStampBytes = 40;

// Seats, spectators, turns.
inline constexpr int kMaxSeats = 8;
inline constexpr int kMaxSpectators = 16;
// A network match ends unfinished after this many turns: a catch-up of every
// strike still fits in one frame.
inline constexpr std::uint32_t kMaxTurns = 20000;

// Flood limits of one connection: chat lines (a burst, then one every two
// seconds) and frames of any kind per second.
inline constexpr int kChatBurst = 5;
inline constexpr int kChatEveryMs = 2000;
inline constexpr int kMaxFramesPerSecond = 200;
// A player's aim goes out at most this often; the host passes it on no faster.
inline constexpr int kAimEveryMs = 50;
// A greeting must come this soon after connecting; a connection silent this
// long is closed; each side says something at least this often.
inline constexpr int kHelloWithinMs = 10000;
inline constexpr int kSilenceMs = 30000;
inline constexpr int kPingEveryMs = 5000;

// Table defaults.
inline constexpr int kDefaultGraceSeconds = 60;
inline constexpr int kMaxGraceSeconds = 3600;
inline constexpr int kMaxTurnLimitSeconds = 3600;

// The beacon: one datagram a second, at most this long.
inline constexpr int kBeaconEveryMs = 1000;
inline constexpr std::size_t kMaxBeaconBytes = 512;

} // namespace kv::net
