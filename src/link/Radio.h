#pragma once
// The radio operations. Each one does the work every family shares (the busy
// flag, the status texts, the read-range check, carrier-detect sampling, the
// signal threshold and cap, the trunk progress loop) and calls the selected
// profile's family driver for the rest. Drivers live in the layer above;
// the link's DriverLookup (SerialLink::Drivers) says which serves a protocol.
#include <cstdint>
#include <random>
#include <string>

#include "core/Channel.h"
#include "core/CodeTables.h"
#include "core/Host.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "link/RadioDriver.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"

namespace rigvane {

// What OpenRadio found.
enum OpenResult : uint8_t {
    OpenConnected = 0,  // connected (also with nothing to connect)
    OpenPortFailed = 1, // the port failed to open
    OpenNoAnswer = 2,   // the radio did not answer
    OpenNoDriver = 3,   // no driver serves the profile's protocol yet
};

class Radio {
  public:
    Radio(SerialLink& link, RadioState& state, Settings& settings, MessageLog& log, Memory& mem,
          Host& host, Progress* trunkProgress = nullptr);

    // The selected profile's family driver; nullptr when none serves it.
    RadioDriver* Driver() const { return link_.Driver(); }
    // Whether the selected profile's driver has an operation.
    bool Has(RadioOp op) const;

    // Closes and reopens the port for the selected profile and initialises
    // the radio (an OpenResult).
    uint8_t OpenRadio();

    void ApplyRadioState();
    void ReadRadioState();
    void RecallChannel();
    void StoreChannel();
    void LoadChannel();
    void ReadSignal();
    void LoadSearchBank();
    void StoreSearchBank();
    void SetLight();
    void LoadTrunkBank();
    void SetTrunkBank();
    void RadioTest();

    // The context a driver works in for one operation (tests use it to reach
    // a driver's own requests).
    DriverContext Context();

    // Set by the engine and the main window; copied into every DriverContext.
    int OperatingMode = 0;
    // The progress window of the trunk transfers and its shared cancel flag
    // (none: the transfers run without a window and cannot be cancelled).
    Progress* TrunkProgress = nullptr;

    // Random source of the LOCAL radio's test values; seed it for repeatable runs.
    std::mt19937 Random{std::random_device{}()};

    SerialLink& Link() { return link_; }
    RadioState& State() { return state_; }

  private:
    RadioProfile& Profile() { return settings_.Selected(); }
    // Runs one driver entry point when the driver has `op`; a failure that
    // escapes the driver is reported and ends the operation. False when the
    // driver lacks the operation (or there is no driver).
    template <class Call> bool Run(RadioOp op, Call&& call);
    void InitialiseRadio(RadioDriver& driver);
    void CheckReadRange();
    void KeepWhatWasSent(bool refused);
    void TrunkTransfer(bool write);

    SerialLink& link_;
    RadioState& state_;
    Settings& settings_;
    MessageLog& log_;
    Memory& mem_;
    Host& host_;
};

} // namespace rigvane
