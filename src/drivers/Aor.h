#pragma once
// The AOR token drivers: the AR8000 handheld (protocol 4) and the AR5000
// receiver (protocol 8). Both speak the same language of two-letter tokens
// ("VA0145000000 ST005000 AU0 MD1 AT0"): one command line out, blank-separated
// tokens back, each token matched by its first two letters. One core serves
// both; what differs between the two sets (channel and bank notation, mode
// tables, which tuning fields they carry, where replies are parsed into) is
// data in AorModel.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/RadioDriver.h"

namespace rigvane {

// The AR8000's settings block, edited by the "AOR8000 Options" dialog.
struct Aor8000Settings {
    std::array<uint8_t, 20> ScanLinks{};   // BM: scan banks linked (0/1)
    std::array<uint8_t, 20> SearchLinks{}; // BS: search banks linked (0/1)
    bool Ml = false;                       // scan bank link on
    bool Bq = false;                       // search bank link on (read only)
    int16_t Pa = 0;                        // power delay 0..99
    int16_t Pi = 2;                        // power cycle 2..9 s
    bool Sa = false;                       // audio scan
    int16_t Sb = 0;                        // level scan 0..7
    double Sd = 0;                         // scan delay 0..9.9 s
    int16_t Sp = 0;                        // free scan 0..99
    int16_t Ti = 0;                        // 0..19
    bool Xa = false;                       // audio search
    int16_t Xb = 0;                        // level search 0..7
    double Xd = 0;                         // search delay 0..9.9 s
    int16_t Xm = 0;                        // mode scan 0..5, 6 = off ("XMF")
    int16_t Xp = 0;                        // free search 0..99
};

// The operation codes of the AOR drivers. The settings codes (10..26 write,
// 53..69 read) carry one value of the settings block each.
enum AorCode : int {
    AorApply = 0,
    AorStore = 2,
    AorRecall = 3,
    AorClear = 5,
    AorTone = 9,
    AorWriteScanLinks = 10,
    AorWriteSearchLinks = 11,
    AorWriteMl = 12,
    AorWritePa = 14,
    AorWritePi = 15,
    AorWriteSa = 16,
    AorWriteSb = 17,
    AorWriteSd = 18,
    AorWriteSp = 19,
    AorWriteSearchBank = 20,
    AorWriteTi = 21,
    AorWriteXa = 22,
    AorWriteXb = 23,
    AorWriteXd = 24,
    AorWriteXm = 25,
    AorWriteXp = 26,
    AorConnect = 27,
    AorReadVfo = 50,
    AorLoad = 51,
    AorSignal = 52,
    AorReadScanLinks = 53,
    AorReadSearchLinks = 54,
    AorReadSearchBank = 63,
    AorLastCode = 69,
};

// What tells one AOR model from the other.
struct AorModel {
    const char* Name;                     // in messages: "AOR8000"
    bool BankLetterChannels;              // channels as A00..j49 (else 000..999)
    bool LetterSearchBanks;               // search banks as A..J, a..j (else 00..99)
    bool ParseIntoLastSent;               // replies go into LastSent, copied to Current when done
    bool TuningExtras;                    // AT/AC/AN/BW on tuning, sent only when they change
    bool HasPowerSettings;                // PA, PI, XA, XB exist
    bool ToneCommand;                     // code 9 (SC/SI) is sent on tuning with Exp Cmds
    bool TenthsDelays;                    // SD/XD written "2.5" (else whole seconds "03")
    std::array<uint8_t, 11> ModeDigits;   // Mode 0..10 -> MD digit
    std::array<uint8_t, 11> ReverseModes; // MD digit 0..10 -> Mode
    const char* FailureText;              // first line of a failure inside the driver
};

class AorDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override { return caps_; }
    const AorModel& Model() const { return model_; }

    void Open(DriverContext& ctx) override;
    void Apply(DriverContext& ctx) override;
    void Read(DriverContext& ctx) override;
    void Recall(DriverContext& ctx) override;
    void Store(DriverContext& ctx) override;
    void Load(DriverContext& ctx) override;
    void Signal(DriverContext& ctx, DetectMethod method) override;
    void LoadSearchBank(DriverContext& ctx, Channel& bank) override;
    void StoreSearchBank(DriverContext& ctx, const Channel& bank) override;

    // Runs one operation code. Settings tokens of the reply go into
    // `settings` (none: they are read and dropped); search-bank tokens into
    // `bank` (none: the program's search bank State.CurrentSearchBank). Does
    // nothing when the port is closed; never throws. True when the radio
    // took the command (a write) or answered it (a read), or when the code
    // sends nothing.
    bool Perform(DriverContext& ctx, int code, Aor8000Settings* settings = nullptr,
                 Channel* bank = nullptr) const;

    // The command line of a code without the common ending (" " CR LF);
    // "" for a code that sends nothing. `valid` is false when the code cannot
    // be sent (a channel or bank outside the radio's range).
    std::string Command(const RadioState& state, const Channel& bank,
                        const Aor8000Settings& settings, int code, bool* valid = nullptr) const;

    // Memory channel n in the radio's notation ("A05", "a25" / "005");
    // "" outside 0..999.
    std::string ChannelText(int channel) const;
    // Search bank b in the radio's notation; -1 from SearchBankFrom for
    // anything that is not a bank.
    std::string SearchBankText(int bank) const;
    int SearchBankFrom(const std::string& text) const;

  protected:
    AorDriver(const AorModel& model, FamilyCaps caps);

  private:
    AorModel model_;
    FamilyCaps caps_;
};

class Aor8000Driver final : public AorDriver {
  public:
    Aor8000Driver();
    // Reads the settings block from the radio (links, then every value);
    // `out` is reset first, so what the radio does not answer stays 0 (PI 2).
    void ReadSettings(DriverContext& ctx, Aor8000Settings& out) const;
    // Writes the whole settings block. `progress(percent)` follows each
    // group; ctx.Cancelled() stops the write between commands. False when
    // cancelled or when the radio did not take a command.
    bool WriteSettings(DriverContext& ctx, const Aor8000Settings& settings,
                       const std::function<void(int percent)>& progress = {}) const;
};

class Aor5000Driver final : public AorDriver {
  public:
    Aor5000Driver();
};

// The one driver object of each family.
Aor8000Driver& Aor8000();
Aor5000Driver& Aor5000();

// Signal level of an LM value (two hexadecimal digits): bit 7 set means the
// squelch is closed (0), else level = value / 3 + 1, at most 13. -1 when the
// text is not two hexadecimal digits.
int AorSignalLevel(const std::string& hex);

// The settings block as a text file (".prm"): one KEY=VALUE line per setting,
// BM/BS as the letters of the linked banks. Reading takes every line or none:
// false with `error` ("line N: ...") for an unknown key or a bad value.
std::string Aor8000SettingsText(const Aor8000Settings& settings);
bool Aor8000SettingsFromText(const std::string& text, Aor8000Settings& out, std::string* error);

// The settings block's value rules: what a reply's value becomes.
int16_t AorClampSetting(int64_t value, int low, int high, int fallback);
double AorClampDelay(double seconds);

} // namespace rigvane
