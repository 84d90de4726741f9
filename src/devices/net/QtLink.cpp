#include "devices/net/QtLink.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace kv {

namespace {

QHostAddress AddressOf(const std::string& address) {
    if (address == "localhost") return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(QString::fromStdString(address));
}

} // namespace

std::string SocketErrorText(int e, const std::string& qtText) {
    switch (static_cast<QAbstractSocket::SocketError>(e)) {
    case QAbstractSocket::ConnectionRefusedError:
        return "в соединении отказано (стол не открыт?)";
    case QAbstractSocket::RemoteHostClosedError:
        return "другая сторона закрыла соединение";
    case QAbstractSocket::HostNotFoundError:
        return "адрес не найден";
    case QAbstractSocket::SocketTimeoutError:
        return "время ожидания вышло";
    case QAbstractSocket::NetworkError:
        return "сеть недоступна";
    case QAbstractSocket::AddressInUseError:
        return "порт уже занят";
    case QAbstractSocket::SocketAccessError:
        return "нет прав на этот порт";
    case QAbstractSocket::SocketAddressNotAvailableError:
        return "у этой машины нет такого адреса";
    default:
        return "ошибка сети (" + qtText + ")";
    }
}

QtLink::QtLink() = default;

QtLink::~QtLink() {
    events_ = nullptr;
    for (auto& [id, s] : sockets_) {
        s->disconnect(this);
        s->abort();
        delete s;
    }
    for (QTcpSocket* s : closing_) {
        s->disconnect(this);
        s->abort();
        delete s;
    }
}

bool QtLink::Listen(const std::string& address, std::uint16_t port, std::string* why) {
    StopListening();
    const QHostAddress at = AddressOf(address);
    if (at.isNull()) {
        if (why) *why = "неверный адрес " + address;
        return false;
    }
    server_ = new QTcpServer(this);
    if (!server_->listen(at, port)) {
        if (why)
            *why = "порт " + std::to_string(port) + " на адресе " + address + ": " +
                   SocketErrorText(server_->serverError(), server_->errorString().toStdString());
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QTcpServer::newConnection, this, [this] {
        while (server_ && server_->hasPendingConnections()) {
            QTcpSocket* s = server_->nextPendingConnection();
            const net::ConnId id = Adopt(s);
            Wire(id, s, false, {});
            if (events_) events_->Opened(id);
        }
    });
    return true;
}

void QtLink::StopListening() {
    if (!server_) return;
    server_->close();
    delete server_;
    server_ = nullptr;
}

net::ConnId QtLink::Adopt(QTcpSocket* s) {
    s->setParent(this);
    // Strikes are small and wanted at once.
    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    s->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const net::ConnId id = next_++;
    sockets_[id] = s;
    return id;
}

void QtLink::Wire(net::ConnId id, QTcpSocket* s, bool connecting, std::string target) {
    auto lost = [this, id](const std::string& why) {
        const auto it = sockets_.find(id);
        if (it == sockets_.end()) return;
        QTcpSocket* sock = it->second;
        sockets_.erase(it);
        sock->disconnect(this);
        sock->deleteLater();
        // A write that fails reports at once, inside Send: the owner hears of
        // it from the event loop instead, as of everything else.
        QTimer::singleShot(0, this, [this, id, why] {
            if (events_) events_->Closed(id, why);
        });
    };
    connect(s, &QTcpSocket::readyRead, this, [this, id, s] {
        const QByteArray data = s->readAll();
        if (events_ && sockets_.count(id))
            events_->Received(
                id, std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    });
    if (connecting)
        connect(s, &QTcpSocket::connected, this, [this, id, s] {
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            s->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
            if (events_ && sockets_.count(id)) events_->Opened(id);
        });
    connect(s, &QTcpSocket::errorOccurred, this,
            [s, lost, connecting, target](QAbstractSocket::SocketError e) {
                const std::string text = SocketErrorText(e, s->errorString().toStdString());
                const bool before = connecting && s->state() != QAbstractSocket::ConnectedState &&
                                    e != QAbstractSocket::RemoteHostClosedError;
                lost(before ? "не удалось подключиться к " + target + ": " + text : text);
            });
    connect(s, &QTcpSocket::disconnected, this, [lost] { lost("соединение закрыто"); });
}

net::ConnId QtLink::Connect(const std::string& host, std::uint16_t port) {
    auto* s = new QTcpSocket(this);
    const net::ConnId id = next_++;
    sockets_[id] = s;
    Wire(id, s, true, host + ":" + std::to_string(port));
    s->connectToHost(QString::fromStdString(host), port);
    return id;
}

void QtLink::Send(net::ConnId c, std::string_view bytes) {
    const auto it = sockets_.find(c);
    if (it == sockets_.end()) return;
    it->second->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Out now rather than at the next turn of the event loop: a strike waits for nothing.
    it->second->flush();
}

void QtLink::Close(net::ConnId c) {
    const auto it = sockets_.find(c);
    if (it == sockets_.end()) return;
    QTcpSocket* s = it->second;
    sockets_.erase(it);
    s->disconnect(this);
    closing_.insert(s);
    // What was written still goes out; then the socket goes.
    connect(s, &QTcpSocket::disconnected, this, [this, s] {
        closing_.erase(s);
        s->deleteLater();
    });
    connect(s, &QTcpSocket::errorOccurred, this, [this, s] {
        if (closing_.erase(s)) s->deleteLater();
    });
    s->disconnectFromHost();
    if (s->state() == QAbstractSocket::UnconnectedState && closing_.erase(s)) s->deleteLater();
}

std::string QtLink::PeerOf(net::ConnId c) const {
    const auto it = sockets_.find(c);
    if (it == sockets_.end()) return "?";
    return it->second->peerAddress().toString().toStdString() + ":" +
           std::to_string(it->second->peerPort());
}

std::size_t QtLink::Unsent() const {
    std::size_t n = 0;
    for (const auto& [id, s] : sockets_)
        n += static_cast<std::size_t>(s->bytesToWrite());
    for (const QTcpSocket* s : closing_)
        n += static_cast<std::size_t>(s->bytesToWrite()) + 1;
    return n;
}

} // namespace kv
