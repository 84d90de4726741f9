// The beacon of an open table and the list of tables heard, over UDP. The
// address a beacon goes to is the caller's: the local network's broadcast for
// the game, the loopback address in every test.
#pragma once

#include "net/Messages.h"
#include "net/TableList.h"

#include <QObject>

#include <functional>
#include <string>

class QTimer;
class QUdpSocket;

namespace kv {

class QtBeacon : public QObject {
public:
    // what: the beacon as it stands at each send.
    explicit QtBeacon(std::function<net::Beacon()> what);
    ~QtBeacon() override;
    // Sends to target:port once a second until Stop; false with the reason.
    bool Start(const std::string& target, std::uint16_t port, std::string* why);
    void Stop();
    void SendNow();

private:
    std::function<net::Beacon()> what_;
    QUdpSocket* socket_ = nullptr;
    QTimer* timer_ = nullptr;
    std::string target_;
    std::uint16_t port_ = 0;
};

class QtTableFinder : public QObject {
public:
    QtTableFinder();
    ~QtTableFinder() override;
    // Listens for beacons on address:port; false with the reason.
    bool Start(const std::string& address, std::uint16_t port, std::string* why);
    void Stop();
    std::vector<net::FoundTable> Tables() const;

private:
    QUdpSocket* socket_ = nullptr;
    net::TableList list_;
};

} // namespace kv
