#pragma once
// The radio operations: each looks at the selected profile's protocol and
// issues operation codes to that protocol's driver. Drivers live in the layer
// above and are registered here by whoever builds the program
// (RegisterDrivers in drivers/).
#include <array>
#include <cstdint>
#include <functional>
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

// A driver handles one operation code. Drivers that take text codes (Kenwood,
// TH-F6A) format the number as decimal text themselves (50 -> "50").
using Driver = std::function<void(DriverContext&, int& request)>;
// A protocol's own initialisation after the port opened (e.g. the ICOM open
// sequence). When a protocol registers none, OpenRadio sends the protocol's
// fixed initialisation codes (BCD396T: 30, then the driver's reported model
// text in Current.ModelText must be "BCD396T"). For BEARCAT the hook is the
// reset that starts the Bearcat connection sequence, which OpenRadio then
// completes.
using OpenHook = std::function<void(DriverContext&)>;
// Bearcat: move the ten IDs of one ID bank (1..10) of the current trunk bank
// from (write = false) or to (write = true) the radio.
using TrunkIdsHook = std::function<void(DriverContext&, int idBank, bool write)>;

class Radio {
  public:
    Radio(SerialLink& link, RadioState& state, Settings& settings, MessageLog& log, Memory& mem,
          Host& host, Progress* trunkProgress = nullptr);

    void RegisterDriver(int protocol, Driver driver, OpenHook open = {});
    void RegisterTrunkIds(int protocol, TrunkIdsHook hook);
    bool HasDriver(int protocol) const;

    // Closes and reopens the port for the selected profile and initialises the
    // radio. 0 connected (also with nothing to connect), 1 the port failed to
    // open, 2 the radio did not answer.
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

    // Issues one operation code to the selected protocol's driver (nothing
    // when none is registered). Drivers may use it for follow-up codes.
    void Send(int request);

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
    struct Entry {
        Driver Handle;
        OpenHook Open;
        TrunkIdsHook TrunkIds;
    };
    DriverContext MakeContext();
    RadioProfile& Profile() { return settings_.Selected(); }
    int ProtocolNo() { return Profile().Protocol; }
    void InitialiseRadio();
    void BearcatOpen();
    void CheckReadRange();
    void TrunkTransfer(bool write);
    double Uniform();

    SerialLink& link_;
    RadioState& state_;
    Settings& settings_;
    MessageLog& log_;
    Memory& mem_;
    Host& host_;
    std::array<Entry, ProtocolCount> drivers_;
};

} // namespace rigvane
