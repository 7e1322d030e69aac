#pragma once
// The one serial link to the selected radio: opening the port, the command
// transaction every driver uses, the pacing delay, stale-input discarding,
// CTS waiting, line-error reporting and the two trace files.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "core/FileSlots.h"
#include "core/Host.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "link/RadioSession.h"
#include "link/RadioState.h"
#include "link/SerialPort.h"

namespace rigvane {

class RadioDriver;
struct FamilyCaps;
struct ModelCaps;
// Which driver serves a protocol number; nullptr: none yet. The program
// installs drivers/Registry's DriverFor; tests may install their own.
using DriverLookup = std::function<RadioDriver*(int protocol)>;

// Makes a port object for a device name (a path, or "sim:NAME[?activity=PATH]").
// May return nullptr when it knows no such device; opening then fails.
using PortFactory = std::function<std::unique_ptr<SerialPort>(const std::string& device)>;

// The device a profile opens: Device when set, else Port 1..4 as /dev/ttyS0..3;
// "" when neither names a port.
std::string PortDeviceName(const RadioProfile& profile);
// The port settings text: baud text & "," & parity letter & "," & Bits & "," & Stop,
// e.g. " 9600,N,8,1".
std::string PortSettingsText(const RadioProfile& profile);
// The same settings as numbers for SerialPort::Open.
PortSettings MakePortSettings(const RadioProfile& profile);
// Text colours of the status caption.
constexpr uint32_t Rgb(int r, int g, int b) {
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Counters of the link since the program started (or since Reset).
struct LinkStats {
    int64_t Exchanges = 0; // transactions that sent a command
    int64_t BytesSent = 0;
    int64_t BytesReceived = 0;
    int64_t Retries = 0;        // tries after the first
    int64_t Timeouts = 0;       // exchanges that ended without an answer
    int64_t LastLatencyMs = -1; // command to answer of the last answered exchange
    int64_t LatencySumMs = 0;   // over the answered exchanges
    int64_t Answered = 0;
    int64_t MeanLatencyMs() const { return Answered > 0 ? LatencySumMs / Answered : -1; }
};

// Finds a USB serial adapter again after it was unplugged and came back,
// possibly under another /dev/ttyUSBn name. The window or headless layer
// fills it in (it knows the system's port list); unset: the device is only
// ever opened by its name.
struct DeviceFinder {
    // A lasting identity (the adapter's serial number) of the device at
    // `path`; "" when it has none.
    std::function<std::string(const std::string& path)> Identify;
    // Where the device with this identity is now; "" when it is absent.
    std::function<std::string(const std::string& identity)> Locate;
};

class SerialLink {
  public:
    // A try ends after this many quiet periods in a row without a new byte.
    // A quiet period is the profile's Timeout; at Timeout 0 ("as fast as the
    // radio answers") it is ZeroTimeoutPollMs, so a silent radio still costs
    // a bounded wait and never a spinning core.
    static constexpr int MaxQuietPolls = 10;
    static constexpr int ZeroTimeoutPollMs = 10;
    static constexpr int DelayYieldBound = 50000;
    // A babbling radio cannot hold a transaction forever: one try reads at most
    // this many bytes and makes at most this many polls.
    static constexpr size_t MaxReplyBytes = 65536;
    static constexpr int MaxPollsPerTry = 1000;

    SerialLink(Host& host, Settings& settings, MessageLog& log, FileSlots& slots, RadioState& state,
               PortFactory factory);
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Where ports come from; the running program sets it once at start-up.
    void SetPortFactory(PortFactory factory) { factory_ = std::move(factory); }

    // The selected profile (Settings::SelectedRadio picks it).
    RadioProfile& Profile() { return settings_.Selected(); }

    // The family drivers. The radio operations dispatch through them and the
    // transaction asks them which models never answer.
    DriverLookup Drivers;
    RadioDriver* Driver() const { return DriverOf(settings_.Selected().Protocol); }
    RadioDriver* DriverOf(int protocol) const { return Drivers ? Drivers(protocol) : nullptr; }
    // What the windows, the engine and the dialogs read about a protocol:
    // its driver's capabilities, or neutral ones when it has no driver.
    const FamilyCaps& CapsFor(int protocol) const;
    const ModelCaps& ModelCapsFor(const RadioProfile& profile) const;

    // Link-wide state.
    int RetryCount = 3;
    bool RadioNotResponding = false;
    bool LocatingRadio = false;
    int DebugFile = 0;    // file slot of the open DEBUG.DAT, 0 when off
    int DebugKeyFile = 0; // file slot of the open DEBUGKEY.DAT, 0 when off
    int32_t DelayTicks = 0;
    int16_t PollCount = 0;
    // The program is ending: every transaction and every wait ends at once
    // and nothing more is sent. Set by the engine's shutdown; a cancelled
    // shutdown clears it.
    bool Stopping = false;

    // Closes any open port, then opens the selected profile's device. On
    // failure the port stays closed and `error` tells why. A device that is
    // gone but was seen before under an identity (Finder) is looked for
    // under its new name.
    bool OpenPort(std::string* error = nullptr);
    DeviceFinder Finder;
    // The device the port was last opened on ("" before the first open).
    const std::string& OpenedDevice() const { return openedDevice_; }

    // The device vanished (a failed read or write) since the port was opened.
    bool DeviceLost() const { return portBroken_; }
    LinkStats Stats;
    void ClosePort(); // also lets the radio session go
    bool PortOpen() const;
    // The serial port is open, or the family's own session to the radio is.
    bool Connected() const { return PortOpen() || (Session && Session->IsOpen()); }
    // The family's own connection, for families that open the radio themselves.
    std::shared_ptr<RadioSession> Session;

    // The transaction: sends `command` (may be empty: only collect), collects
    // the reply until `eom` or `altEom` appears. Returns the last try's bytes,
    // "" on failure. The wait wakes on arriving bytes, so a complete answer
    // ends the exchange at once; Timeout only bounds the wait for bytes that
    // do not come. An empty command waits at most one quiet period for the
    // marker and never fails.
    std::string SendAndReceive(const std::string& command, const std::string& eom,
                               const std::string& altEom);
    // One pacing delay of the profile's Timeout: for drivers whose radio needs
    // time between commands, never part of waiting for an answer.
    void RadioDelay();
    void DiscardInput();
    void WaitCts();
    // Modem lines of the open port; false when no port is open.
    bool CdHolding();
    bool CtsHolding();
    // The pacing timer's tick: DelayTicks += 1.
    void RadioTimerTick() { ++DelayTicks; }
    // A line error of the port, reported as a message.
    void CommEvent(LineError error);

    // Trace files.
    void DebugLog(const std::string& label, const std::string& data);
    static std::string HexDump(const std::string& data);
    // A command with bytes below 20 or above 127 written as {FEx}.
    static std::string PrintableCommand(const std::string& command);
    void KeyLog(const std::string& caption, const std::string& data);
    // Open in append mode (names "DEBUG.DAT" / "DEBUGKEY.DAT" in TraceDir);
    // false when the file or a file slot is not available.
    bool OpenDebugFile();
    void CloseDebugFile();
    bool OpenDebugKeyFile();
    void CloseDebugKeyFile();
    std::string TraceDir; // folder of the trace files; "" = working folder
    // "TSTRADIO.DAT" while the radio test runs (the mode engine opens it in
    // TraceDir), else null: the test appends each command and its answer.
    std::FILE* RadioTestFile = nullptr;

    // Status of the connection for the RadStatus label, and the busy cursor.
    // The cursor hook tells a state, not a nesting: "not busy" may come twice.
    void SetStatus(const std::string& caption, uint32_t rgb);
    void SetBusyCursor(bool busy);
    std::function<void(const std::string& caption, uint32_t rgb)> OnStatus;
    std::function<void(bool busy)> OnBusyCursor;
    const std::string& StatusCaption() const { return statusCaption_; }
    uint32_t StatusColour() const { return statusColour_; }

    MessageLog& Log() { return log_; }
    RadioState& State() { return state_; }

  private:
    std::string SendAndReceiveUnguarded(const std::string& command, const std::string& eom,
                                        const std::string& altEom);
    void Fail(const std::string& failureText);
    void CommunicationFailure();
    bool NoReplyRadio();
    // Whether `reply` to `command` holds its marker; `quiet`: a quiet period
    // has passed since the last byte.
    static bool AnswerComplete(const std::string& command, const std::string& reply,
                               const std::string& eom, const std::string& altEom, bool quiet);
    // The open port of transaction `generation`; throws when it was closed or
    // replaced meanwhile.
    SerialPort& LivePort(uint64_t generation);
    // One quiet period of the transaction, in ms.
    int QuietPollMs();
    // How long `bytes` take on the wire at the profile's rate.
    int WireMs(size_t bytes);
    // Waits up to `ms` for bytes to arrive, waking as soon as they do; true
    // when bytes are waiting.
    bool WaitForBytes(uint64_t generation, int ms);
    // One pacing delay of `timeout` ms (the radio timer's tick ends it).
    void Pause(int32_t timeout);
    void WriteTrace(std::FILE* file, const std::string& text);

    Host& host_;
    Settings& settings_;
    MessageLog& log_;
    FileSlots& slots_;
    RadioState& state_;
    PortFactory factory_;
    std::unique_ptr<SerialPort> port_;
    uint64_t portGeneration_ = 0; // changes whenever the port is replaced or closed
    bool portBroken_ = false;     // the device vanished or a write failed
    std::string openedDevice_;
    std::string identityDevice_; // the profile device the identity belongs to
    std::string identity_;       // its serial number, "" when unknown
    Host::TimerId radioTimer_ = 0;
    std::FILE* debug_ = nullptr;
    std::FILE* debugKey_ = nullptr;
    std::string statusCaption_;
    uint32_t statusColour_ = 0;
};

} // namespace rigvane
