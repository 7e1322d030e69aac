#pragma once
// A serial port whose far end is a simulated radio in the same process. The
// radio side is the small SimulatedPeer interface, so the link never depends
// on the simulators. Replies arrive through Host::CallLater, so under a
// SimHost they come in virtual time.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Host.h"
#include "link/SerialPort.h"

namespace rigvane {

class SimulatedPeer {
  public:
    virtual ~SimulatedPeer() = default;
    // The bytes the computer sent (possibly one character at a time); returns
    // the bytes the radio sends back ("" for none).
    virtual std::string Receive(const std::string& bytesFromComputer, int64_t nowMs) = 0;
    // State of the carrier-detect line.
    virtual bool CarrierDetect(int64_t /*nowMs*/) { return false; }
    // State of the CTS and DSR lines.
    virtual bool ClearToSend(int64_t /*nowMs*/) { return true; }
    virtual bool DataSetReady(int64_t /*nowMs*/) { return true; }
    // A radio that is switched off cannot be opened.
    virtual bool PoweredOn() const { return true; }
};

class SimulatedPort : public SerialPort {
  public:
    SimulatedPort(Host& host, std::shared_ptr<SimulatedPeer> peer);
    ~SimulatedPort() override;

    bool Open(const std::string& device, const PortSettings& settings, std::string* error) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const std::string& bytes) override;
    int BytesWaiting() override;
    std::string ReadAll() override;
    bool Cts() override;
    bool Dsr() override;
    bool Cd() override;

    // Milliseconds between a write and its reply; 0 = the reply comes at the
    // next yield.
    int LatencyMs = 0;
    // Pace the bytes on the wire at this rate (10 bits per byte); 0 = no pacing.
    int BaudRate = 0;
    // A silent port passes nothing back (the radio went quiet mid-session).
    bool Silent = false;
    // Reports a line error as the port would (tests of the error handling).
    void RaiseLineError(LineError error, const std::string& detail = "");
    // Bytes the radio sends unprompted, arriving now (chatter on the line).
    void Deliver(const std::string& bytes);
    // Makes the device vanish: writes fail and a DeviceLost error is reported.
    void Unplug();

    const PortSettings& Settings() const { return settings_; }
    std::string Device() const { return device_; }
    int64_t BytesWritten() const { return bytesWritten_; }

  private:
    struct Shared {
        bool open = false;
        std::string received; // delivered, not yet read
        int64_t wireFreeAt = 0;
    };
    int PacingMs(size_t bytes) const;

    Host& host_;
    std::shared_ptr<SimulatedPeer> peer_;
    std::shared_ptr<Shared> shared_;
    PortSettings settings_;
    std::string device_;
    bool unplugged_ = false;
    int64_t bytesWritten_ = 0;
};

} // namespace rigvane
