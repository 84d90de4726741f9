// The transport of network play on Qt Network: a QTcpServer while a table is
// open, a QTcpSocket per connection. Runs in the thread's event loop.
#pragma once

#include "net/Link.h"

#include <QObject>

#include <map>
#include <set>

class QTcpServer;
class QTcpSocket;

namespace kv {

class QtLink : public QObject, public net::Link {
public:
    QtLink();
    ~QtLink() override;

    // address: an IPv4 or IPv6 address ("127.0.0.1", "::1", "0.0.0.0" for
    // every address of the machine) or "localhost".
    bool Listen(const std::string& address, std::uint16_t port, std::string* why) override;
    void StopListening() override;
    net::ConnId Connect(const std::string& host, std::uint16_t port) override;
    void Send(net::ConnId c, std::string_view bytes) override;
    void Close(net::ConnId c) override;
    std::string PeerOf(net::ConnId c) const override;
    std::size_t Unsent() const override;

private:
    net::ConnId Adopt(QTcpSocket* s);
    void Wire(net::ConnId id, QTcpSocket* s, bool connecting, std::string target);

    QTcpServer* server_ = nullptr;
    std::map<net::ConnId, QTcpSocket*> sockets_;
    std::set<QTcpSocket*> closing_; // closed here, still sending what was left
    net::ConnId next_ = 1;
};

// The Russian words for a socket's failure.
std::string SocketErrorText(int qtSocketError, const std::string& qtText);

} // namespace kv
