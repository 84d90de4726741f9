#include "net/MemoryLink.h"

namespace kv::net {

int MemoryNet::Join(MemoryLink* l) {
    links_[nextId_] = l;
    return nextId_++;
}

void MemoryNet::Leave(int id) {
    links_.erase(id);
    for (auto it = listening_.begin(); it != listening_.end();)
        it = it->second == id ? listening_.erase(it) : std::next(it);
}

void MemoryNet::Post(int link, std::function<void(MemoryLink&)> f) {
    queue_.emplace_back(link, std::move(f));
}

int MemoryNet::Deliver(int limit) {
    int n = 0;
    while (!queue_.empty() && n < limit) {
        auto [link, f] = std::move(queue_.front());
        queue_.pop_front();
        const auto it = links_.find(link);
        if (it == links_.end()) continue; // that machine is gone
        f(*it->second);
        ++n;
    }
    return n;
}

MemoryLink::MemoryLink(MemoryNet& net) : net_(net), id_(net.Join(this)) {}

MemoryLink::~MemoryLink() {
    for (auto& [c, e] : ends_) {
        const End peer = e;
        net_.Post(peer.link, [peer](MemoryLink& l) {
            if (l.ends_.erase(peer.conn) && l.events_)
                l.events_->Closed(peer.conn, "Соединение разорвано.");
        });
    }
    net_.Leave(id_);
}

bool MemoryLink::Listen(const std::string&, std::uint16_t port, std::string* why) {
    if (net_.listening_.count(port)) {
        if (why) *why = "Порт " + std::to_string(port) + " уже занят.";
        return false;
    }
    net_.listening_[port] = id_;
    port_ = port;
    return true;
}

void MemoryLink::StopListening() {
    if (port_ != 0 && net_.listening_.count(port_) && net_.listening_[port_] == id_)
        net_.listening_.erase(port_);
    port_ = 0;
}

ConnId MemoryLink::Connect(const std::string&, std::uint16_t port) {
    const ConnId mine = next_++;
    const int me = id_;
    net_.Post(me, [port, mine, me](MemoryLink& self) {
        const auto host = self.net_.listening_.find(port);
        if (host == self.net_.listening_.end()) {
            if (self.events_) self.events_->Closed(mine, "Не удалось подключиться: отказано.");
            return;
        }
        MemoryLink& h = *self.net_.links_.at(host->second);
        const ConnId theirs = h.next_++;
        h.ends_[theirs] = End{me, mine};
        self.ends_[mine] = End{h.id_, theirs};
        if (h.events_) h.events_->Opened(theirs);
        if (self.events_) self.events_->Opened(mine);
    });
    return mine;
}

void MemoryLink::Send(ConnId c, std::string_view bytes) {
    const auto it = ends_.find(c);
    if (it == ends_.end()) return;
    const End peer = it->second;
    const std::size_t step = net_.chunk_ == 0 ? bytes.size() : net_.chunk_;
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        std::string piece(bytes.substr(at, step));
        net_.carried_ += piece.size();
        net_.Post(peer.link, [peer, piece = std::move(piece)](MemoryLink& l) {
            if (l.ends_.count(peer.conn) && l.events_) l.events_->Received(peer.conn, piece);
        });
    }
}

void MemoryLink::Close(ConnId c) {
    Drop(c);
}

void MemoryLink::Drop(ConnId c) {
    const auto it = ends_.find(c);
    if (it == ends_.end()) return;
    const End peer = it->second;
    ends_.erase(it);
    net_.Post(peer.link, [peer](MemoryLink& l) {
        if (l.ends_.erase(peer.conn) && l.events_)
            l.events_->Closed(peer.conn, "Соединение закрыто другой стороной.");
    });
}

void MemoryLink::DropAll() {
    while (!ends_.empty())
        Drop(ends_.begin()->first);
    StopListening();
}

std::string MemoryLink::PeerOf(ConnId c) const {
    const auto it = ends_.find(c);
    return it == ends_.end() ? std::string("?")
                             : "память:" + std::to_string(it->second.link) + "/" +
                                   std::to_string(it->second.conn);
}

} // namespace kv::net
