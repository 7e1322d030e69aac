#pragma once
// The serial port of the running program, over QSerialPort. Opens real ports
// and pseudo-terminals alike: a pseudo-terminal has no modem lines, so those
// calls fail there with an unsupported-operation error; such lines read as
// low and the port carries on.
#include <QObject>
#include <QSerialPort>
#include <memory>

#include "link/SerialPort.h"

namespace rigvane {

class QtSerialPort : public SerialPort {
  public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    bool Open(const std::string& device, const PortSettings& settings, std::string* error) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const std::string& bytes) override;
    int BytesWaiting() override;
    std::string ReadAll() override;
    bool Cts() override;
    bool Dsr() override;
    bool Cd() override;

    // True once a modem-line call failed as unsupported (a pseudo-terminal).
    bool ModemLinesUnsupported() const { return linesUnsupported_; }

  private:
    bool Line(QSerialPort::PinoutSignal signal);
    // Clears an unsupported-operation error left by a modem-line call.
    void ForgiveUnsupported();
    void OnError(QSerialPort::SerialPortError error);

    std::unique_ptr<QSerialPort> port_;
    QObject context_; // owns deferred error reports; they die with the port
    bool lost_ = false;
    bool linesUnsupported_ = false;
};

} // namespace rigvane
