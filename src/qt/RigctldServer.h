#pragma once
// Serves the rigctld protocol (engine/Rigctld) over TCP, so logging and
// digital-mode programs can follow the radio we drive. At most MaxClients at
// once; a client that sends an over-long line, stays quiet past the idle
// time-out or never reads its answers is dropped. Nothing here waits: the
// sockets are served from the event loop between scan steps.
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

#include "engine/Rigctld.h"

class QTcpServer;
class QTcpSocket;

namespace rigvane {

class Engine;

class RigctldServer : public QObject {
    Q_OBJECT
  public:
    static constexpr int MaxClients = 4;
    // Answers a client has not read yet; beyond this it is dropped.
    static constexpr qint64 MaxUnread = 64 * 1024;

    explicit RigctldServer(Engine& engine, QObject* parent = nullptr);
    ~RigctldServer() override;

    // Listens on "[ADDR:]PORT" (127.0.0.1 unless an address is given); false
    // with `error` when the text is bad or the address cannot be bound.
    bool Listen(const std::string& addressText, std::string* error);
    void Close();
    bool Listening() const;
    uint16_t Port() const;

  private:
    void Accept();
    void Read(QTcpSocket* socket);
    void Drop(QTcpSocket* socket);
    void CheckIdle();

    RigctldProtocol protocol_;
    QTcpServer* server_ = nullptr;
    std::map<QTcpSocket*, RigctldProtocol::Client> clients_;
    QTimer idleTimer_;
};

} // namespace rigvane
