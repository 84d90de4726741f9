// The transport port of network play: connections that carry bytes. The game
// plugs in Qt Network (devices/net), the tests an in-memory one (MemoryLink).
// Events come on the owner's own thread, from its event loop, never from
// inside a call to the link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kv::net {

using ConnId = int;

// Milliseconds of a steady clock; tests pass their own.
using Clock = std::function<long long()>;

class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    // A connection came in (a host), or the one asked for is made (a player).
    virtual void Opened(ConnId c) = 0;
    virtual void Received(ConnId c, std::string_view bytes) = 0;
    // The other end closed it, or it failed (why says how, in Russian).
    // Never reported for a connection this side closed itself.
    virtual void Closed(ConnId c, const std::string& why) = 0;
};

class Link {
public:
    virtual ~Link() = default;
    void SetEvents(LinkEvents* events) { events_ = events; }
    // A host accepts connections on this address and port only; false with
    // the reason in Russian.
    virtual bool Listen(const std::string& address, std::uint16_t port, std::string* why) = 0;
    virtual void StopListening() = 0;
    // A player's connection to a host; Opened or Closed follows.
    virtual ConnId Connect(const std::string& host, std::uint16_t port) = 0;
    virtual void Send(ConnId c, std::string_view bytes) = 0;
    // Closes once what was sent has gone out.
    virtual void Close(ConnId c) = 0;
    // The other end's address, for the log.
    virtual std::string PeerOf(ConnId c) const = 0;
    // Bytes sent and not yet gone out; a program that ends waits for none.
    virtual std::size_t Unsent() const { return 0; }

protected:
    LinkEvents* events_ = nullptr;
};

} // namespace kv::net
