#pragma once
// The one record type for memory channels, scan banks, search banks and every
// copy of the radio's tuning state, plus trunk IDs, trunk banks and the tables.
#include <array>
#include <cstdint>
#include <string>

namespace rigvane {

// Frequencies and steps are in units of 10 Hz; this value means invalid text or no limit.
constexpr int32_t NoFrequency = 999999999;

// Time stamps are seconds since 1970-01-01 00:00:00 counted on the local clock
// (no time-zone conversion); 0 means "never logged".
using Stamp = int64_t;

struct Channel {
    int32_t Frequency = 0; // 0 = empty channel
    uint8_t Mode = 0;      // modulation code 0..10
    bool Valid = false;    // channel: valid; scan bank: "SCAN"; search bank: "SEARCH"
    bool Delay = false;
    bool Atten = false;
    bool Resume = false;
    int16_t Count = 0;
    int32_t ActiveTime = 0;
    uint8_t Signal = 0;
    Stamp TimeStamp = 0;
    std::string Service;
    bool Notch = false; // "NTCH" or "TONE1"
    bool Preamp = false;
    bool Sync = false;
    bool Trunked = false;
    uint8_t Tone1 = 0;
    uint8_t Tone2 = 0;
    bool Tone2On = false;
    uint8_t Tone3 = 0;
    bool Tone3On = false;
    uint8_t Agc = 0;
    uint8_t Antenna = 0;
    uint8_t NoiseBlank = 0;
    uint8_t Bandwidth = 0;
    int16_t ChannelNo = 0; // tuning-state copies only
    int32_t Step = 0;      // search bank step / tuning step
    int32_t Lower = 0;     // scan bank: first channel; search bank: start frequency
    int32_t Upper = 0;     // scan bank: last channel; search bank: stop frequency

    bool operator==(const Channel& o) const;
    bool operator!=(const Channel& o) const { return !(*this == o); }
};

struct TrunkId {
    std::string Id;
    bool Valid = false;
    bool Delay = false;
    bool Atten = false;
    bool Resume = false;
    int16_t Count = 0;
    int32_t ActiveTime = 0;
    uint8_t Signal = 0;
    Stamp TimeStamp = 0;
    std::string Service;

    bool operator==(const TrunkId& o) const;
    bool operator!=(const TrunkId& o) const { return !(*this == o); }
};

struct TrunkBank {
    uint8_t SystemType = 0; // index into TrunkTypeNames
    bool ScanEnabled = false;
    std::array<bool, 11> IdBankEnabled{}; // 0..9 used

    bool operator==(const TrunkBank& o) const {
        return SystemType == o.SystemType && ScanEnabled == o.ScanEnabled &&
               IdBankEnabled == o.IdBankEnabled;
    }
};

// Blank templates: clearing an entry always means assigning one of these.
Channel MakeBlankChannel(); // Mode 2 ("FMn"), Step 500, everything else empty
TrunkId MakeBlankTrunkId(); // Id "------"
extern const Channel BlankChannel;
extern const TrunkId BlankTrunkId;

constexpr int ChannelCount = 1000; // used indices 0..999
constexpr int BankCount = 100;     // scan and search banks 0..99
constexpr int TrunkIdCount = 1000; // trunk bank x 100 + ID bank x 10 + position
constexpr int TrunkBankCount = 10;

// A channel or bank number brought into the used range.
constexpr int ClampChannel(int channel) {
    return channel < 0 ? 0 : channel > ChannelCount - 1 ? ChannelCount - 1 : channel;
}
constexpr int ClampBank(int bank) {
    return bank < 0 ? 0 : bank > BankCount - 1 ? BankCount - 1 : bank;
}

// The program's own memory. Arrays are one larger than the used range, as the
// callers index up to the allocated bound; the extra entries are never stored.
struct Memory {
    std::array<Channel, ChannelCount + 1> Channels;
    std::array<Channel, BankCount + 2> ScanBanks;
    std::array<Channel, BankCount + 2> SearchBanks;
    std::array<TrunkId, TrunkIdCount + 1> TrunkIds;
    std::array<TrunkBank, TrunkBankCount + 1> TrunkBanks;

    // The data-changed flag: set by the editors when channels or banks change,
    // cleared by a successful save of the frequency file; asked about at exit.
    bool MemoryEdited = false;

    Memory();
    void ClearScanBank(int n);
    void ClearSearchBank(int n);
    // The clear rules of one bank record (the fields a bank uses).
    static void ClearScanBankRecord(Channel& b);
    static void ClearSearchBankRecord(Channel& b);
    // Clears channels, trunk IDs, banks and trunk-bank settings. Resetting the
    // operating mode to 0 is the caller's part (the engine owns the mode).
    void ClearAllMemory();
};

} // namespace rigvane
