#include "core/Channel.h"

namespace rigvane {

bool Channel::operator==(const Channel& o) const {
    return Frequency == o.Frequency && Mode == o.Mode && Valid == o.Valid && Delay == o.Delay &&
           Atten == o.Atten && Resume == o.Resume && Count == o.Count &&
           ActiveTime == o.ActiveTime && Signal == o.Signal && TimeStamp == o.TimeStamp &&
           Service == o.Service && Notch == o.Notch && Preamp == o.Preamp && Sync == o.Sync &&
           Trunked == o.Trunked && Tone1 == o.Tone1 && Tone2 == o.Tone2 && Tone2On == o.Tone2On &&
           Tone3 == o.Tone3 && Tone3On == o.Tone3On && Agc == o.Agc && Antenna == o.Antenna &&
           NoiseBlank == o.NoiseBlank && Bandwidth == o.Bandwidth && ChannelNo == o.ChannelNo &&
           Step == o.Step && Lower == o.Lower && Upper == o.Upper;
}

bool TrunkId::operator==(const TrunkId& o) const {
    return Id == o.Id && Valid == o.Valid && Delay == o.Delay && Atten == o.Atten &&
           Resume == o.Resume && Count == o.Count && ActiveTime == o.ActiveTime &&
           Signal == o.Signal && TimeStamp == o.TimeStamp && Service == o.Service;
}

Channel MakeBlankChannel() {
    Channel c;
    c.Mode = 2;
    c.Step = 500;
    return c;
}

TrunkId MakeBlankTrunkId() {
    TrunkId t;
    t.Id = "------";
    return t;
}

const Channel BlankChannel = MakeBlankChannel();
const TrunkId BlankTrunkId = MakeBlankTrunkId();

Memory::Memory() {
    Channels.fill(BlankChannel);
    ScanBanks.fill(BlankChannel);
    SearchBanks.fill(BlankChannel);
    TrunkIds.fill(BlankTrunkId);
    ClearAllMemory();
}

void Memory::ClearScanBank(int n) {
    if (n < 0 || n >= static_cast<int>(ScanBanks.size())) return;
    ClearScanBankRecord(ScanBanks[n]);
}

void Memory::ClearScanBankRecord(Channel& b) {
    b.Valid = false;
    b.Lower = 0;
    b.Upper = 0;
    b.Service.clear();
}

void Memory::ClearSearchBank(int n) {
    if (n < 0 || n >= static_cast<int>(SearchBanks.size())) return;
    ClearSearchBankRecord(SearchBanks[n]);
}

void Memory::ClearSearchBankRecord(Channel& b) {
    b.Valid = false;
    b.Lower = 0;
    b.Upper = 0;
    b.Step = 500;
    b.Mode = 2;
    b.Service.clear();
}

void Memory::ClearAllMemory() {
    for (int i = 0; i < ChannelCount; ++i) {
        Channels[i] = BlankChannel;
        TrunkIds[i] = BlankTrunkId;
    }
    for (int i = 0; i < BankCount; ++i) {
        ClearScanBank(i);
        ClearSearchBank(i);
    }
    for (int i = 0; i < TrunkBankCount; ++i) {
        TrunkBanks[i].SystemType = 0;
        for (int j = 0; j < TrunkBankCount; ++j)
            TrunkBanks[i].IdBankEnabled[j] = false;
    }
}

} // namespace rigvane
