#include "core/CodeTables.h"

namespace rigvane {

const std::array<const char*, 11> ModeNames = {"n/a", "FM ", "FMn", "FMw", "AM ", "LSB",
                                               "USB", "SSB", "CW ", "FSK", ""};

const std::array<const char*, ToneCount> ToneNames = {
    "Off",   "67.0",  "69.3",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",
    "88.5",  "91.5",  "94.8",  "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8",
    "118.8", "123.0", "127.3", "131.8", "136.5", "141.3", "146.2", "151.4", "156.7",
    "162.2", "167.9", "173.8", "179.9", "186.2", "192.8", "203.5", "206.5", "210.7",
    "218.1", "225.7", "229.1", "233.6", "241.8", "250.3", "254.1"};

namespace {
struct BearcatTones {
    std::array<uint8_t, ToneCount> map{};
    std::array<uint8_t, ToneCount> reverse{};
    BearcatTones() {
        // Codes 1 and 2 share number 1; from code 3 a counter starts at 2, and
        // codes 34, 38 and 42 repeat the previous number.
        map[0] = 0;
        map[1] = 1;
        map[2] = 1;
        uint8_t counter = 2;
        for (int code = 3; code < ToneCount; ++code) {
            if (code == 34 || code == 38 || code == 42) {
                map[code] = map[code - 1];
            } else {
                map[code] = counter++;
            }
        }
        for (int code = 0; code < ToneCount; ++code) {
            if (code == 2 || code == 34 || code == 38 || code == 42) continue;
            reverse[map[code]] = static_cast<uint8_t>(code);
        }
    }
};
const BearcatTones& Tones() {
    static const BearcatTones t;
    return t;
}
} // namespace

const std::array<uint8_t, ToneCount>& BearcatToneMap() {
    return Tones().map;
}
const std::array<uint8_t, ToneCount>& BearcatToneReverse() {
    return Tones().reverse;
}

const std::array<const char*, 7> BaudTexts = {" 300",  " 1200", " 2400", " 4800",
                                              " 9600", "19200", "115200"};
const std::array<const char*, 5> ParityLetters = {"N", "O", "E", "M", "S"};

const std::array<const char*, ProtocolCount> ProtocolNames = {
    "LOCAL", "ICOM",    "KENWOOD", "AOR3000A", "AOR8000", "OPTO",
    "DRAKE", "BEARCAT", "AOR5000", "TH-F6A",   "BCD396T", "HAMLIB"};

const char* ModelName(int protocol, int model) {
    static const char* const table[ProtocolCount][5] = {
        {"LOCAL", "n/a", "n/a", "n/a", "n/a"},
        {"ICOM R7000", "ICOM generic", "ICOM R8500", "ICOM R9000", "ICOM R746"},
        {"KENWOOD", "n/a", "n/a", "n/a", "n/a"},
        {"AOR3000a", "AOR3000", "n/a", "n/a", "n/a"},
        {"AOR8000", "n/a", "n/a", "n/a", "n/a"},
        {"OPTO", "n/a", "n/a", "n/a", "n/a"},
        {"R8A", "R8", "n/a", "n/a", "n/a"},
        {"BC245XLT", "BC780XLT", "BC895XLT", "n/a", "n/a"},
        {"AOR5000", "n/a", "n/a", "n/a", "n/a"},
        {"TH-F6A", "TH-G71", "n/a", "n/a", "n/a"},
        {"BCD396T", "n/a", "n/a", "n/a", "n/a"},
        {"HAMLIB", "n/a", "n/a", "n/a", "n/a"},
    };
    if (protocol < 0 || protocol >= ProtocolCount || model < 0 || model > 4) return "";
    return table[protocol][model];
}

const std::array<const char*, 8> TrunkTypeNames = {"Not Set", "TYPE1",  "E2-800", "E2-900",
                                                   "E2-UHF",  "E2-VHI", "EDACS",  "Not Set"};

const std::array<int32_t, 13> SpectrumWidths = {1000000000, 100000000, 50000000, 20000000, 10000000,
                                                5000000,    2000000,   1000000,  500000,   200000,
                                                100000,     10000,     5000};

} // namespace rigvane
