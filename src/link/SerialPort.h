#pragma once
// The serial port as the link needs it. QtSerialPort (ui/) opens real ports
// and pseudo-terminals; SimulatedPort (link/) talks to a simulated radio in
// the same process.
#include <functional>
#include <string>

namespace rigvane {

// Kinds of line errors a port reports.
enum class LineError {
    Framing,
    Overrun,
    Parity,
    Break,
    CtsTimeout,
    DsrTimeout,
    DeviceLost, // the device vanished or stopped working: the port is unusable
    Other,
};

struct PortSettings {
    int Baud = 9600;
    char Parity = 'N'; // N O E M S
    int DataBits = 8;
    int StopBits = 1;
    bool RtsCts = false; // hardware flow control
    bool Dtr = false;
    bool Rts = false;
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Opens `device` (a path such as /dev/ttyS0 or a pseudo-terminal). On
    // failure returns false and fills `error`.
    virtual bool Open(const std::string& device, const PortSettings& settings,
                      std::string* error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Queues bytes for sending; false when the port failed.
    virtual bool Write(const std::string& bytes) = 0;
    // Bytes received and not yet read.
    virtual int BytesWaiting() = 0;
    // Returns and removes everything received so far.
    virtual std::string ReadAll() = 0;
    // Modem lines; a port without them (a pseudo-terminal) reads them as low.
    virtual bool Cts() = 0;
    virtual bool Dsr() = 0;
    virtual bool Cd() = 0;

    // Line errors (framing, overrun, parity, break, a vanished device), with
    // the port's own description.
    std::function<void(LineError, const std::string& detail)> OnLineError;
};

} // namespace rigvane
