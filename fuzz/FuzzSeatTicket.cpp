#include "FuzzCommon.h"
#include "net/SeatTicket.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(kv::fuzz::Bytes(data, size));
    std::string why;
    const auto t = kv::net::ReadSeatTicket(bytes, why);
    if (!t) return 0;
    // A seat that was read has a port and a token, and writes and reads back the same.
    if (t->port == 0 || t->token == 0) __builtin_trap();
    const auto back = kv::net::ReadSeatTicket(kv::net::SeatTicketText(*t), why);
    if (!back || back->host != t->host || back->port != t->port || back->name != t->name ||
        back->token != t->token)
        __builtin_trap();
    return 0;
}
