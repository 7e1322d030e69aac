#pragma once
// The seam between the radio operations (link/Radio) and one radio family.
//
// A family is one RadioDriver subclass in drivers/<Family>.cpp plus its
// FamilyCaps: plain data that the windows, the engine, Radio Parms and
// Locate Radio read instead of switching on protocol numbers. A family's
// wire protocol, its command codes and its model quirks stay inside its
// driver file; what all families share (busy flag, status texts, read-range
// check, carrier-detect sampling, signal threshold and cap, the trunk
// progress loop) stays in link/Radio.
//
// Every entry point catches its own failures and reports them through the
// message log; nothing throws out of a driver. A refusal, an error or
// silence from the radio is never success: the driver sets
// Link.RadioNotResponding (silence) or reports the refusal, and records
// nothing for a command the radio did not take.
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/Channel.h"
#include "core/Host.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"

namespace rigvane {

// What a driver works on during one operation. Built afresh for every
// operation, so Profile is the profile selected at that time.
struct DriverContext {
    SerialLink& Link;
    RadioState& State;
    RadioProfile& Profile;
    Settings& Config;
    MessageLog& Log;
    Memory& Mem;
    rigvane::Host& Host;
    int OperatingMode = 0; // the main window's operating mode
    bool LightOn = false;  // the main window's light switch
    // True when the user cancelled the running long operation (progress window).
    std::function<bool()> Cancelled;
    // Random source of the LOCAL radio's test values (Radio::Random).
    std::mt19937* Random = nullptr;
};

// Signal detect methods (RadioProfile::Detect).
enum DetectMethod : uint8_t {
    DetectNone = 0,     // no detection: a pacing delay only
    DetectHardware = 1, // the carrier-detect line
    DetectSoftware = 2, // the radio's signal command
    DetectBoth = 3,     // the line first, then the signal command
};

// The radio operations a family may have. A family lists the ones it has in
// FamilyCaps::Ops; the others are empty defaults of RadioDriver.
enum RadioOp : uint32_t {
    OpApply = 1u << 0,           // tune to the wanted state
    OpRead = 1u << 1,            // read the tuning state back
    OpRecall = 1u << 2,          // tune to one of the radio's memory channels
    OpStore = 1u << 3,           // write a channel into the radio's memory
    OpLoad = 1u << 4,            // read a channel out of the radio's memory
    OpSignal = 1u << 5,          // a signal command (software detection)
    OpLoadSearchBank = 1u << 6,  // read a search bank out of the radio
    OpStoreSearchBank = 1u << 7, // write a search bank into the radio
    OpLight = 1u << 8,           // the display light
    OpTrunkIds = 1u << 9,        // move trunk IDs to and from the radio
    OpRadioTest = 1u << 10,      // walk the radio's command words into TSTRADIO.DAT
};

// Serial and range defaults a new profile of the family starts with (Radio
// Parms, on choosing the protocol). List indices as in the settings file.
struct SerialDefaults {
    bool Flow = false;
    uint8_t Detect = DetectNone;
    int16_t MinChan = 0;
    uint8_t Bits = 8;
    uint8_t Stop = 1;
    uint8_t Parity = 0; // index into ParityLetters; KeepParity: leave it as it is
    int16_t Baud = 4;   // index into BaudTexts (4 = 9600)
    const char* MaxMhz = "1999.99900";
    const char* MinMhz = "0000.00010";
    int16_t MaxChan = 999;
    int32_t Timeout = 90; // ms
    int16_t VfoChan = -1; // -1: leave as it is
    int8_t Model = -1;    // the model a new profile starts as; -1: leave as it is
    static constexpr uint8_t KeepParity = 0xFF;
};

// Which aux controls of the VFO window (and the memory editor) a model shows
// and with which captions. Bit n of a mask stands for control n.
struct AuxSpec {
    bool Frame = true;                          // false: the whole aux frame hides (no aux at all)
    uint8_t HiddenChecks = 0;                   // check boxes 0..5 hidden when SHOWAUX is off
    uint8_t HiddenLists = 0;                    // lists 0..6 hidden when SHOWAUX is off
    uint8_t ForcedChecks = 0;                   // check boxes shown whatever SHOWAUX says
    uint8_t ForcedLists = 0;                    // lists shown whatever SHOWAUX says
    std::array<const char*, 6> CheckCaptions{}; // nullptr: the window's own caption
    std::array<const char*, 7> ListCaptions{};  // nullptr: the window's own caption
    std::vector<std::string> Bandwidths;        // items of list 4; empty: the window's own
    std::vector<std::string> Tones;             // items of list 0; empty: the tone table
    // The modulation and the bandwidth list follow each other (FM narrow,
    // FM, FM wide); false where list 4 means something else (an offset).
    bool BandwidthFollowsMode = true;
};

// The settings dialog a model has in the Parms menu.
enum class ModelDialog : uint8_t { None, Aor8000, Thf6a };

// One model of a family. Fields that a model does not set take the
// family's values (SerialDefaults::Baud etc. are per model).
struct ModelCaps {
    const char* Name = ""; // as ModelName(protocol, model)
    SerialDefaults Serial;
    AuxSpec VfoAux;
    bool NoReply = false;   // sends and never waits for an answer (AR3000)
    uint16_t Modes = 0x3FE; // bit n: the model has modulation code n (1..9)
    uint8_t Detects = 0x0F; // bit n: DetectMethod n works with the model
    bool Light = false;     // the light switch works
    bool Ctcss = false;     // the main window's CTCSS control shows
    ModelDialog Dialog = ModelDialog::None;
};

struct FamilyCaps {
    uint8_t Protocol = 0;           // the stored protocol number (settings files keep it)
    const char* Name = "";          // as ProtocolNames
    std::vector<ModelCaps> Models;  // index = RadioProfile::Model; at least one
    uint32_t Ops = 0;               // RadioOp bits the driver implements
    bool UsesPort = true;           // false: no serial port at all (the LOCAL test radio)
    bool BusAddress = false;        // CI-V style bus addresses (ADDR, COMPADDR) apply
    bool RadioMemories = true;      // "Use RADIO'S Memories" is possible
    bool ClearsMemories = true;     // storing an empty channel empties the radio's memory
    bool ExtendedCommands = false;  // the "Exp Cmds" switch means something
    bool VfoChannel = false;        // the profile's VfoChan is used (Bearcat)
    bool SearchBankButtons = false; // Search->Radio / Radio->Search show
    // Locate Radio: step through bus addresses; switch flow control on.
    bool LocateAddresses = false;
    bool LocateFlow = false;
    // The driver opens the radio itself (a library such as Hamlib) and keeps
    // the connection in SerialLink::Session: the link opens no serial port,
    // and every signal detect method goes to the driver.
    bool OwnConnection = false;

    bool Has(RadioOp op) const { return (Ops & op) != 0; }
    // The user picks a model only where the family has more than one.
    bool ModelChoice() const { return Models.size() > 1; }
    // The model row for a stored model number; the first row when out of range.
    const ModelCaps& Model(int model) const {
        return model >= 0 && model < int(Models.size()) ? Models[size_t(model)] : Models.front();
    }
};

// The capabilities of a protocol no driver serves yet: no operations, the
// plain serial defaults, one model, no model choice.
const FamilyCaps& NeutralCaps(int protocol);
// What opening or locating such a protocol says: "KENWOOD protocol not
// supported yet".
std::string NotSupportedText(int protocol);

// One radio family's driver. The operations act on ctx.State (Current,
// LastSent, CurrentChannel, SignalLevel, ...) exactly as link/Radio's
// operations describe; link/Radio calls them with the busy flag set and does
// the shared work around them. A driver keeps no state of its own between
// operations beyond what RadioState and the profile hold (the same driver
// object serves every profile of its family).
class RadioDriver {
  public:
    virtual ~RadioDriver() = default;
    virtual const FamilyCaps& Caps() const = 0;
    // The operations a profile's radio has: the family's, unless the family
    // learns them per model (Hamlib reads them from its model's capabilities).
    virtual uint32_t OpsFor(const RadioProfile&) const { return Caps().Ops; }

    // Initialises the radio after the port opened; sets
    // ctx.Link.RadioNotResponding when it does not answer as it should.
    virtual void Open(DriverContext&) {}
    // Tunes to State.Current, sending what differs from State.LastSent.
    virtual void Apply(DriverContext&) {}
    // Reads the radio's tuning state into State.Current.
    virtual void Read(DriverContext&) {}
    // Memory channel State.CurrentChannel: tune to it / write State.Current
    // into it / read it into State.Current.
    virtual void Recall(DriverContext&) {}
    virtual void Store(DriverContext&) {}
    virtual void Load(DriverContext&) {}
    // Reads the signal into State.SignalLevel for DetectSoftware, or for
    // DetectBoth once the carrier-detect line holds.
    virtual void Signal(DriverContext&, DetectMethod) {}
    // Search bank State.CurrentSearchBank from / to the radio (`bank` is the
    // program's record, already blanked for a load).
    virtual void LoadSearchBank(DriverContext&, Channel& /*bank*/) {}
    virtual void StoreSearchBank(DriverContext&, const Channel& /*bank*/) {}
    virtual void SetLight(DriverContext&) {}
    // Moves one trunk bank (0..9: its system type, enabled ID banks and 100
    // IDs) to or from the radio. Radio runs the progress loop around it:
    // banks 1..9, then 0, until cancelled or the radio falls silent.
    virtual void TrunkIds(DriverContext&, int /*bank*/, bool /*write*/) {}
    virtual void RadioTest(DriverContext&) {}
};

} // namespace rigvane
