// The seat a player holds at a network table, kept in a small file of the
// state folder so that after a dropped line or a restart of the game he can
// sit down again: the table's address, his name and the seat's token.
#pragma once

#include "net/Messages.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kv::net {

struct SeatTicket {
    std::string host; // as joined: a name or an address, an IPv6 one without brackets
    std::uint16_t port = 0;
    std::string name;
    std::uint64_t token = 0;
};

inline constexpr const char* kSeatTicketFile = "netseat.txt";

// The file's text, and the ticket in such a text (none, with why, when damaged).
std::string SeatTicketText(const SeatTicket& t);
std::optional<SeatTicket> ReadSeatTicket(const std::string& bytes, std::string& why);

// Replaces the file whole; false with the reason in *why.
bool SaveSeatTicket(const std::string& path, const SeatTicket& t, std::string* why);
// The ticket the file keeps; none when there is no file, or when it is damaged
// (logged).
std::optional<SeatTicket> LoadSeatTicket(const std::string& path);
void ForgetSeatTicket(const std::string& path);

// A connection that ended this way leaves a seat to come back to: the line
// dropped or went silent. Any word of the host (a refusal, a kick, the table
// closed, the series over) ends the seat.
bool SeatOutlives(Reason r);

} // namespace kv::net
