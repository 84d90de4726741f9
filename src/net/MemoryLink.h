// Connections in memory: several machines of one test, each with a link of
// its own, on one MemoryNet that carries their bytes when told to.
#pragma once

#include "net/Link.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace kv::net {

class MemoryLink;

class MemoryNet {
public:
    // Carries everything in flight, what it sets off included, in order;
    // returns how many deliveries were made.
    int Deliver(int limit = 1000000);
    // Bytes arrive in pieces of this size (1: byte by byte), as a stream may.
    void SetChunk(std::size_t bytes) { chunk_ = bytes; }
    std::size_t Chunk() const { return chunk_; }
    std::size_t BytesCarried() const { return carried_; }

private:
    friend class MemoryLink;
    int Join(MemoryLink* l);
    void Leave(int id);
    void Post(int link, std::function<void(MemoryLink&)> f);

    std::map<int, MemoryLink*> links_;
    std::map<std::uint16_t, int> listening_; // port -> link
    std::deque<std::pair<int, std::function<void(MemoryLink&)>>> queue_;
    int nextId_ = 1;
    std::size_t chunk_ = 0;
    std::size_t carried_ = 0;
};

class MemoryLink : public Link {
public:
    explicit MemoryLink(MemoryNet& net);
    ~MemoryLink() override;
    MemoryLink(const MemoryLink&) = delete;
    MemoryLink& operator=(const MemoryLink&) = delete;

    bool Listen(const std::string& address, std::uint16_t port, std::string* why) override;
    void StopListening() override;
    ConnId Connect(const std::string& host, std::uint16_t port) override;
    void Send(ConnId c, std::string_view bytes) override;
    void Close(ConnId c) override;
    std::string PeerOf(ConnId c) const override;

    // The connection breaks as a failed machine's would: the other end sees
    // it closed, this end hears no more of it.
    void Drop(ConnId c);
    // The machine fails: every connection breaks.
    void DropAll();
    bool IsOpen(ConnId c) const { return ends_.count(c) != 0; }

private:
    friend class MemoryNet;
    struct End {
        int link;
        ConnId conn;
    };
    MemoryNet& net_;
    int id_;
    std::uint16_t port_ = 0;
    ConnId next_ = 1;
    std::map<ConnId, End> ends_;
};

} // namespace kv::net
