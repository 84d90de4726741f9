#include "devices/net/QtBeacon.h"

#include "devices/net/QtLink.h"
#include "net/NetProtocol.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

namespace kv {

namespace {

long long NowMs() {
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t.elapsed();
}

} // namespace

QtBeacon::QtBeacon(std::function<net::Beacon()> what) : what_(std::move(what)) {}

QtBeacon::~QtBeacon() {
    Stop();
}

bool QtBeacon::Start(const std::string& target, std::uint16_t port, std::string* why) {
    Stop();
    if (QHostAddress(QString::fromStdString(target)).isNull()) {
        if (why) *why = "неверный адрес " + target;
        return false;
    }
    target_ = target;
    port_ = port;
    socket_ = new QUdpSocket(this);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { SendNow(); });
    timer_->start(net::kBeaconEveryMs);
    SendNow();
    return true;
}

void QtBeacon::Stop() {
    delete timer_;
    timer_ = nullptr;
    delete socket_;
    socket_ = nullptr;
}

void QtBeacon::SendNow() {
    if (!socket_) return;
    const std::string d = net::EncodeBeacon(what_());
    socket_->writeDatagram(d.data(), static_cast<qint64>(d.size()),
                           QHostAddress(QString::fromStdString(target_)), port_);
}

QtTableFinder::QtTableFinder() = default;

QtTableFinder::~QtTableFinder() {
    Stop();
}

bool QtTableFinder::Start(const std::string& address, std::uint16_t port, std::string* why) {
    Stop();
    const QHostAddress at(QString::fromStdString(address));
    if (at.isNull()) {
        if (why) *why = "неверный адрес " + address;
        return false;
    }
    socket_ = new QUdpSocket(this);
    if (!socket_->bind(at, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        if (why)
            *why = "порт " + std::to_string(port) + ": " +
                   SocketErrorText(socket_->error(), socket_->errorString().toStdString());
        Stop();
        return false;
    }
    connect(socket_, &QUdpSocket::readyRead, this, [this] {
        while (socket_ && socket_->hasPendingDatagrams()) {
            const QNetworkDatagram d = socket_->receiveDatagram(net::kMaxBeaconBytes + 1);
            const QByteArray bytes = d.data();
            list_.Heard(d.senderAddress().toString().toStdString(),
                        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                        NowMs());
        }
    });
    return true;
}

void QtTableFinder::Stop() {
    delete socket_;
    socket_ = nullptr;
}

std::vector<net::FoundTable> QtTableFinder::Tables() const {
    return list_.Current(NowMs());
}

} // namespace kv
