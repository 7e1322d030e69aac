#include "qt/RigctldServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

#include "engine/Engine.h"

namespace rigvane {

RigctldServer::RigctldServer(Engine& engine, QObject* parent)
    : QObject(parent), protocol_(engine), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &RigctldServer::Accept);
    idleTimer_.setInterval(1000);
    connect(&idleTimer_, &QTimer::timeout, this, &RigctldServer::CheckIdle);
}

RigctldServer::~RigctldServer() {
    Close();
}

bool RigctldServer::Listen(const std::string& addressText, std::string* error) {
    Close();
    std::string address;
    int port = 0;
    if (!RigctldProtocol::ParseAddress(addressText, &address, &port)) {
        if (error) *error = "not an address and port: \"" + addressText + "\"";
        return false;
    }
    QHostAddress host;
    if (address == "localhost")
        host = QHostAddress::LocalHost;
    else if (!host.setAddress(QString::fromStdString(address))) {
        if (error) *error = "not an IP address: \"" + address + "\"";
        return false;
    }
    if (!server_->listen(host, quint16(port))) {
        if (error) *error = server_->errorString().toStdString();
        return false;
    }
    idleTimer_.start();
    return true;
}

void RigctldServer::Close() {
    idleTimer_.stop();
    std::vector<QTcpSocket*> sockets;
    for (const auto& [socket, client] : clients_)
        sockets.push_back(socket);
    for (QTcpSocket* socket : sockets)
        Drop(socket);
    if (server_->isListening()) server_->close();
}

bool RigctldServer::Listening() const {
    return server_->isListening();
}

uint16_t RigctldServer::Port() const {
    return server_->serverPort();
}

void RigctldServer::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (int(clients_.size()) >= MaxClients) {
            socket->abort(); // one too many: refused at once
            socket->deleteLater();
            continue;
        }
        RigctldProtocol::Client client;
        clients_[socket] = client;
        protocol_.Feed(clients_[socket], ""); // starts the idle clock
        // Small answers, read by programs that wait for them: no Nagle delay.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Drop(socket); });
    }
}

void RigctldServer::Read(QTcpSocket* socket) {
    auto it = clients_.find(socket);
    if (it == clients_.end()) return;
    const QByteArray bytes = socket->readAll();
    const std::string answer = protocol_.Feed(it->second, bytes.toStdString());
    if (!answer.empty()) socket->write(answer.data(), qint64(answer.size()));
    if (socket->bytesToWrite() > MaxUnread) {
        Drop(socket); // it never reads: it must not hold our memory
        return;
    }
    if (it->second.Close) {
        // Input left unread would make the close a reset that loses the answer.
        socket->readAll();
        clients_.erase(it);
        socket->disconnect(this);
        // The answer goes out first; a peer that does not take it within a
        // few seconds is cut off.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(5000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->flush();
        socket->disconnectFromHost();
    }
}

void RigctldServer::Drop(QTcpSocket* socket) {
    if (clients_.erase(socket) == 0) return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void RigctldServer::CheckIdle() {
    std::vector<QTcpSocket*> idle;
    for (const auto& [socket, client] : clients_)
        if (protocol_.Idle(client)) idle.push_back(socket);
    for (QTcpSocket* socket : idle)
        Drop(socket);
}

} // namespace rigvane
