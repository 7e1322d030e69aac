#pragma once
// Radio profiles, global switches and window placements: what the settings
// file stores, with the start-up defaults.
#include <array>
#include <cstdint>
#include <string>

#include "core/Channel.h"

namespace rigvane {

constexpr int ProfileCount = 8; // Radio0..Radio7; entry 8 only exists for the radio list

struct RadioProfile {
    std::string Name = FixedWidth20("(not defined)"); // always 20 characters
    int16_t Baud = 0;                                 // index into BaudTexts
    uint8_t Bits = 8;
    uint8_t Stop = 1;
    uint8_t Port = 0; // 1..4; 0 = no port configured
    bool Flow = false;
    uint8_t Parity = 0; // index into ParityLetters
    uint8_t Detect = 0; // signal detect method 0..3
    uint8_t Protocol = 0;
    uint8_t Addr = 8;
    uint8_t CompAddr = 0;
    int16_t MaxChan = 999;
    int16_t MinChan = 0;
    int16_t VfoChan = 0;
    int32_t MaxFreq = NoFrequency;
    int32_t MinFreq = 10000;
    int32_t Timeout = 60; // ms
    bool Busy = false;    // run time only
    bool ExpCmd = false;
    int16_t DriverState = 0; // run time only
    uint8_t Model = 0;
    bool XtraDly = false;
    bool Memory = false;
    // Device to open instead of the numbered port: a path such as /dev/ttyUSB0
    // or a pseudo-terminal, or "sim:NAME[?activity=PATH]" for a built-in
    // simulated radio. Empty: use Port.
    std::string Device;
    // HAMLIB profiles: the Hamlib model number and its configuration as
    // "key=value,..." (rig_pathname=/dev/ttyUSB0,serial_speed=19200).
    int32_t HamlibModel = 0;
    std::string HamlibConf;

    static std::string FixedWidth20(const std::string& s);
};

// Settings-file switches and values of the GLOBALS section plus the start-up
// values that live beside them.
struct Globals {
    uint8_t UseStd = 0;     // USESTD, kept only
    uint8_t MemSync = 0;    // MEMSYNC
    bool Priority = false;  // PRIORITY
    bool UseBanks = false;  // USEBANKS
    uint8_t SigRsm = 0;     // SIGRSM
    bool Logging = false;   // LOGGING
    bool NoLog = false;     // NOLOG
    int32_t RsmTime = 10;   // RSMTIME, seconds 1..1000
    int32_t DlyTime = 2;    // DLYTIME
    int16_t PriorTime = 10; // PRIORTIME
    int16_t Speed = 0;      // SPEED
    std::string DbFile = "FREQLIST.DBF";
    std::string LogFile = "RIGVANE.LOG";
    int32_t StartFrq = 0;   // STARTFRQ
    int16_t Resolve = 0;    // RESOLVE, 0..12
    bool SaveShort = false; // SAVESHORT
    bool TrnkSMode = false; // TRNKSMODE
    bool CtcsMode = false;  // CTCSMODE
    std::string FreqFont = "Transistor";
    uint8_t FreqSize = 26;
    bool ShowAux = true;   // SHOWAUX
    bool LoadFreq = true;  // LOADFREQ
    bool Reconnect = true; // RECONNECT: reopen a radio that dropped and resume
    // JOURNAL: the hit journal (CSV); a relative name lives beside the log
    // file; "" writes none.
    std::string Journal = "RIGVANE-HITS.csv";
    // RIGCTLD, RIGCTLDADDR: serve Hamlib's network protocol for the radio we
    // drive, on [ADDR:]PORT (127.0.0.1 unless an address is given).
    bool Rigctld = false;
    std::string RigctldAddress = "4532";

    // Not stored in the settings file.
    int16_t PriorityChannel = 0; // set by the frequency file keyword PRIORITY
    int32_t TuneUpper = NoFrequency;
    int32_t TuneLower = 0;
};

// Window table entries 1..10 (0 unused): 1 spectrum, 2 messages, 3 memory
// editor, 4 scan bank editor, 5 search bank editor, 6 trunk editor, 7 main
// window, 8 VFO A, 9 VFO B. Positions are in twips.
enum WindowEntry {
    WinSpectrum = 1,
    WinMessage = 2,
    WinMemoryEditor = 3,
    WinScanBanks = 4,
    WinSearchBanks = 5,
    WinTrunk = 6,
    WinMain = 7,
    WinVfoA = 8,
    WinVfoB = 9,
    WindowEntryCount = 11,
};

struct WindowPlacement {
    float X = 0;
    float Y = 0;
    bool Open = true;
};

struct Settings {
    std::array<RadioProfile, ProfileCount + 1> RadioProfiles;
    uint8_t SelectedRadio = 0; // RADIOSEL
    Globals Global;
    std::array<WindowPlacement, WindowEntryCount> Windows = DefaultWindows();
    std::string IniPath; // full path of the settings file

    RadioProfile& Selected() { return RadioProfiles[SelectedRadio]; }
    const RadioProfile& Selected() const { return RadioProfiles[SelectedRadio]; }
    static std::array<WindowPlacement, WindowEntryCount> DefaultWindows();
};

} // namespace rigvane
