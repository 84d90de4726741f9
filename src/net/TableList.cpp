#include "net/TableList.h"

#include <algorithm>

namespace kv::net {

bool TableList::Heard(const std::string& address, std::string_view datagram, long long nowMs) {
    const std::optional<Beacon> b = DecodeBeacon(datagram);
    if (!b) return false;
    std::erase_if(tables_, [&](const FoundTable& t) { return nowMs - t.heardAt > kForgetMs; });
    const auto same = std::find_if(tables_.begin(), tables_.end(), [&](const FoundTable& t) {
        return t.address == address && t.beacon.port == b->port;
    });
    if (same != tables_.end()) {
        same->beacon = *b;
        same->heardAt = nowMs;
    } else if (tables_.size() < kMaxTables) {
        tables_.push_back(FoundTable{address, *b, nowMs});
    }
    return true;
}

std::vector<FoundTable> TableList::Current(long long nowMs) const {
    std::vector<FoundTable> out;
    for (const FoundTable& t : tables_)
        if (nowMs - t.heardAt <= kForgetMs) out.push_back(t);
    return out;
}

} // namespace kv::net
