#include "qt/QtSerialPort.h"

#include <QTimer>
#include <algorithm>

namespace rigvane {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, &context_,
                     [this](QSerialPort::SerialPortError e) { OnError(e); });
}

QtSerialPort::~QtSerialPort() {
    OnLineError = nullptr;
    if (port_->isOpen()) port_->close();
}

bool QtSerialPort::Open(const std::string& device, const PortSettings& settings,
                        std::string* error) {
    if (port_->isOpen()) port_->close();
    lost_ = false;
    linesUnsupported_ = false;
    port_->setPortName(QString::fromStdString(device));
    port_->setBaudRate(settings.Baud);
    switch (settings.Parity) {
    case 'O':
        port_->setParity(QSerialPort::OddParity);
        break;
    case 'E':
        port_->setParity(QSerialPort::EvenParity);
        break;
    case 'M':
        port_->setParity(QSerialPort::MarkParity);
        break;
    case 'S':
        port_->setParity(QSerialPort::SpaceParity);
        break;
    default:
        port_->setParity(QSerialPort::NoParity);
        break;
    }
    switch (settings.DataBits) {
    case 5:
        port_->setDataBits(QSerialPort::Data5);
        break;
    case 6:
        port_->setDataBits(QSerialPort::Data6);
        break;
    case 7:
        port_->setDataBits(QSerialPort::Data7);
        break;
    default:
        port_->setDataBits(QSerialPort::Data8);
        break;
    }
    port_->setStopBits(settings.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setFlowControl(settings.RtsCts ? QSerialPort::HardwareControl
                                          : QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        if (error) *error = port_->errorString().toStdString();
        port_->clearError();
        return false;
    }
    // Modem lines: a pseudo-terminal has none; that is no reason to fail.
    port_->setDataTerminalReady(settings.Dtr);
    ForgiveUnsupported();
    if (!settings.RtsCts) { // with the handshake the driver owns RTS
        port_->setRequestToSend(settings.Rts);
        ForgiveUnsupported();
    }
    port_->clear();
    ForgiveUnsupported();
    return true;
}

void QtSerialPort::Close() {
    if (port_->isOpen()) port_->close();
    port_->clearError();
}

bool QtSerialPort::IsOpen() const {
    return port_->isOpen() && !lost_;
}

bool QtSerialPort::Write(const std::string& bytes) {
    if (!IsOpen()) return false;
    const qint64 n = port_->write(bytes.data(), qint64(bytes.size()));
    if (n != qint64(bytes.size())) return false;
    port_->flush(); // on its way now, not at the next event
    return IsOpen();
}

int QtSerialPort::BytesWaiting() {
    if (!IsOpen()) return 0;
    return int(std::min<qint64>(port_->bytesAvailable(), 1 << 30));
}

std::string QtSerialPort::ReadAll() {
    if (!port_->isOpen()) return "";
    const QByteArray data = port_->readAll();
    return std::string(data.constData(), size_t(data.size()));
}

bool QtSerialPort::Line(QSerialPort::PinoutSignal signal) {
    if (!IsOpen()) return false;
    const QSerialPort::PinoutSignals lines = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        ForgiveUnsupported();
        return false;
    }
    return (lines & signal) != 0;
}

bool QtSerialPort::Cts() {
    return Line(QSerialPort::ClearToSendSignal);
}
bool QtSerialPort::Dsr() {
    return Line(QSerialPort::DataSetReadySignal);
}
bool QtSerialPort::Cd() {
    return Line(QSerialPort::DataCarrierDetectSignal);
}

void QtSerialPort::ForgiveUnsupported() {
    if (port_->error() == QSerialPort::UnsupportedOperationError) {
        linesUnsupported_ = true;
        port_->clearError();
    }
}

void QtSerialPort::OnError(QSerialPort::SerialPortError e) {
    LineError kind;
    switch (e) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError: // modem lines of a pseudo-terminal
    case QSerialPort::TimeoutError:
    case QSerialPort::DeviceNotFoundError: // reported by Open
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::NotOpenError:
        return;
    case QSerialPort::ResourceError: // the device vanished
    case QSerialPort::ReadError:     // a read failing (EIO: the far end is gone)
    case QSerialPort::WriteError:
        kind = LineError::DeviceLost;
        break;
    case QSerialPort::UnknownError:
    default:
        kind = LineError::Other;
        break;
    }
    if (lost_) return; // reported once; the port stays dead
    const std::string detail = port_->errorString().toStdString();
    if (kind == LineError::DeviceLost) {
        // Closing stops the read notifier, which would otherwise report the
        // same failure on every pass of the event loop.
        lost_ = true;
        port_->close();
    } else if (port_->isOpen()) {
        port_->clearError();
    }
    // Reported from the event loop, never from inside a port call.
    QTimer::singleShot(0, &context_, [this, kind, detail] {
        if (OnLineError) OnLineError(kind, detail);
    });
}

} // namespace rigvane
