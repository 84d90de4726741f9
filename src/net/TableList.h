// The tables a player's machine has heard of through their beacons: one entry
// per table address, forgotten once its beacon falls silent.
#pragma once

#include "net/Messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv::net {

struct FoundTable {
    std::string address; // the sender's address: the host to connect to, on beacon.port
    Beacon beacon;
    long long heardAt = 0;
};

class TableList {
public:
    // A datagram from address; false when it is no beacon of ours.
    bool Heard(const std::string& address, std::string_view datagram, long long nowMs);
    // The tables heard in the last few seconds, in the order they were first heard.
    std::vector<FoundTable> Current(long long nowMs) const;

    static constexpr long long kForgetMs = 3500;
    static constexpr std::size_t kMaxTables = 64;

private:
    std::vector<FoundTable> tables_;
};

} // namespace kv::net
