#include "storage/SettingsFile.h"

#include "core/CodeTables.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Text.h"
#include "storage/AtomicFile.h"

namespace rigvane {

namespace {

const char* const DefaultWindOpen = "1111100010";
// Far beyond any settings file; a bigger file is refused rather than read
// into memory.
constexpr off_t MaxIniSize = off_t(16) * 1024 * 1024;

std::string RadioSection(int n) {
    return "Radio" + std::to_string(n);
}
std::string WindowSection(int n) {
    return "Window" + std::to_string(n);
}

// A value as text. A NUL byte ends it, as it ends the text of the platform's
// profile read.
std::string ReadText(const ProfileFile& doc, const std::string& section, const std::string& key,
                     bool* found = nullptr) {
    std::string v = doc.Get(section, key, found);
    const size_t nul = v.find('\0');
    if (nul != std::string::npos) v = TrimBlanks(v.substr(0, nul));
    return v;
}

template <typename T> T Saturate(int64_t n) {
    if (n < static_cast<int64_t>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (n > static_cast<int64_t>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(n);
}

// Integer keys read like the platform's integer profile read: a missing or
// empty value gives the missing value, any other value its leading number
// ("12abc" 12, "abc" 0). Where that number does not fit the field it is
// saturated to the field's range (ValInt itself saturates huge digit
// strings), never wrapped and never a reason to stop reading the file, so
// the checks treat it like any other out-of-range value: BITS=300 reads as
// 255 and the check makes it 8, and no wrap-around can turn a bad value into
// a plausible one (PORT=257 does not become 1 by wrapping, it becomes 1 by
// the check).
template <typename T>
T ReadInt(const ProfileFile& doc, const std::string& section, const std::string& key,
          int64_t missing) {
    bool found = false;
    const std::string v = ReadText(doc, section, key, &found);
    return Saturate<T>(found && !v.empty() ? ValInt(v) : missing);
}

bool ReadFlag(const ProfileFile& doc, const std::string& section, const std::string& key,
              int64_t missing) {
    return ReadInt<int64_t>(doc, section, key, missing) != 0;
}

// Keys stored as number text (frequencies): missing or non-numeric reads as
// 0; fractions round to the nearest integer, half to even; out-of-range
// values saturate to the 32-bit range before the checks.
int32_t ReadNumberText(const ProfileFile& doc, const std::string& section, const std::string& key) {
    const double d = ValDouble(ReadText(doc, section, key));
    if (d >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (d <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::nearbyint(d));
}

float ReadSingle(const ProfileFile& doc, const std::string& section, const std::string& key) {
    const double d = ValDouble(ReadText(doc, section, key));
    if (d > FLT_MAX) return FLT_MAX; // a float cannot hold it: converting would be undefined
    if (d < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(d);
}

void ReadProfile(RadioProfile& r, const ProfileFile& doc, int n) {
    const std::string sec = RadioSection(n);
    bool found = false;
    const std::string name = ReadText(doc, sec, "NAME", &found);
    r.Name = FixedWidth(found ? name : "No Name", 20);
    r.Baud = ReadInt<int16_t>(doc, sec, "BAUD", 0);
    r.Bits = ReadInt<uint8_t>(doc, sec, "BITS", 0);
    r.Parity = ReadInt<uint8_t>(doc, sec, "PARITY", 0);
    r.Stop = ReadInt<uint8_t>(doc, sec, "STOP", 1);
    r.Port = ReadInt<uint8_t>(doc, sec, "PORT", 1);
    r.Flow = ReadFlag(doc, sec, "FLOW", 0);
    r.Detect = ReadInt<uint8_t>(doc, sec, "DETECT", 0);
    r.Protocol = ReadInt<uint8_t>(doc, sec, "PROTOCOL", 0);
    r.Addr = ReadInt<uint8_t>(doc, sec, "ADDR", 8);
    r.CompAddr = ReadInt<uint8_t>(doc, sec, "COMPADDR", 0);
    r.MaxChan = ReadInt<int16_t>(doc, sec, "MAXCHAN", 99);
    r.MinChan = ReadInt<int16_t>(doc, sec, "MINCHAN", 0);
    r.Timeout = ReadInt<int32_t>(doc, sec, "TIMEOUT", 0);
    r.ExpCmd = ReadFlag(doc, sec, "EXPCMD", 0);
    r.XtraDly = ReadFlag(doc, sec, "XTRADLY", 0);
    r.VfoChan = ReadInt<int16_t>(doc, sec, "VFOCHAN", 0);
    r.Model = ReadInt<uint8_t>(doc, sec, "MODEL", 0);
    r.Memory = ReadFlag(doc, sec, "MEMORY", 0);
    r.Device = ReadText(doc, sec, "DEVICE");
    r.HamlibModel = ReadInt<int32_t>(doc, sec, "HAMLIBMODEL", 0);
    r.HamlibConf = ReadText(doc, sec, "HAMLIBCONF");
    r.MaxFreq = ReadNumberText(doc, sec, "MAXFREQ");
    r.MinFreq = ReadNumberText(doc, sec, "MINFREQ");

    if (r.Baud < 0 || r.Baud > 6) r.Baud = 0;
    if (r.Bits < 7 || r.Bits > 8) r.Bits = 8;
    if (r.Parity > 4) r.Parity = 0;
    if (r.Stop == 0 || r.Stop > 2) r.Stop = 1;
    if (r.Port == 0 || r.Port > 4) r.Port = 1;
    if (r.MinChan < 0 || r.MinChan > 1) r.MinChan = 0;
    if (r.Protocol >= ProtocolCount) r.Protocol = 0;
    if (r.HamlibModel < 0) r.HamlibModel = 0;
    if (r.Model > 7) r.Model = 0;
    if (r.MinFreq < 10 || r.MinFreq > 999999999) r.MinFreq = 10;
    if (r.MaxFreq < 10) r.MaxFreq = 99999900;
    if (r.MaxFreq > 999999999) r.MaxFreq = 999999999;
    if (r.VfoChan < r.MinChan) r.VfoChan = r.MinChan;
}

void WriteInt(ProfileFile& doc, const std::string& section, const char* key, int64_t value) {
    WriteIniValue(doc, section, key, std::to_string(value));
}

void WriteFlag(ProfileFile& doc, const std::string& section, const char* key, bool value) {
    WriteIniValue(doc, section, key, value ? "True" : "False");
}

void WriteProfile(const RadioProfile& r, ProfileFile& doc, int n) {
    const std::string sec = RadioSection(n);
    WriteIniValue(doc, sec, "NAME", FixedWidth(r.Name, 20));
    WriteInt(doc, sec, "BAUD", r.Baud);
    WriteInt(doc, sec, "BITS", r.Bits);
    WriteInt(doc, sec, "PARITY", r.Parity);
    WriteInt(doc, sec, "STOP", r.Stop);
    WriteInt(doc, sec, "PORT", r.Port);
    WriteFlag(doc, sec, "FLOW", r.Flow);
    WriteInt(doc, sec, "DETECT", r.Detect);
    WriteInt(doc, sec, "PROTOCOL", r.Protocol);
    WriteInt(doc, sec, "ADDR", r.Addr);
    WriteInt(doc, sec, "COMPADDR", r.CompAddr);
    WriteInt(doc, sec, "MAXCHAN", r.MaxChan);
    WriteInt(doc, sec, "MINCHAN", r.MinChan);
    WriteInt(doc, sec, "MAXFREQ", r.MaxFreq);
    WriteInt(doc, sec, "MINFREQ", r.MinFreq);
    WriteInt(doc, sec, "TIMEOUT", r.Timeout);
    WriteFlag(doc, sec, "EXPCMD", r.ExpCmd);
    WriteFlag(doc, sec, "XTRADLY", r.XtraDly);
    WriteInt(doc, sec, "VFOCHAN", r.VfoChan);
    WriteInt(doc, sec, "MODEL", r.Model);
    WriteFlag(doc, sec, "MEMORY", r.Memory);
    WriteIniValue(doc, sec, "DEVICE", r.Device);
    WriteInt(doc, sec, "HAMLIBMODEL", r.HamlibModel);
    WriteIniValue(doc, sec, "HAMLIBCONF", r.HamlibConf);
}

// Creates the missing folders above `path` (the last component is the file).
void CreateParentFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0777); // failures show when the file is written
    }
}

// Reads the settings file; false with *err (an errno value) when it exists but
// cannot be read, false with *missing when there is none.
bool ReadIniText(const std::string& path, std::string* text, bool* missing, int* err) {
    *missing = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > MaxIniSize) {
        *err = EFBIG;
        return false;
    }
    std::string error;
    if (ReadWholeFile(path, text, &error, missing)) return true;
    *err = errno;
    return false;
}

} // namespace

std::string DefaultIniPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') { // relative values are to be ignored
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string dir = home && *home ? home : "";
        if (dir.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid())) dir = pw->pw_dir ? pw->pw_dir : "";
        }
        base = (dir.empty() ? std::string(".") : dir) + "/.config";
    }
    return base + "/rigvane/RIGVANE.INI";
}

void WriteIniValue(ProfileFile& doc, const std::string& section, const std::string& key,
                   const std::string& value) {
    doc.Set(section, key, value == "True" ? "1" : value == "False" ? "0" : value);
}

std::string SingleToText(float value) {
    if (!std::isfinite(value)) return "0";
    char buf[64];
    for (int digits = 0; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*f", digits, static_cast<double>(value));
        if (std::strtof(buf, nullptr) == value) break;
    }
    return buf;
}

void ReadSettings(Settings& s, const ProfileFile& doc) {
    for (int n = 0; n < ProfileCount; ++n)
        ReadProfile(s.RadioProfiles[n], doc, n);

    Globals& g = s.Global;
    const std::string sec = "GLOBALS";
    g.UseStd = ReadInt<uint8_t>(doc, sec, "USESTD", 0);
    g.MemSync = ReadInt<uint8_t>(doc, sec, "MEMSYNC", 0);
    g.Priority = ReadFlag(doc, sec, "PRIORITY", 0);
    g.UseBanks = ReadFlag(doc, sec, "USEBANKS", 0);
    g.SigRsm = ReadInt<uint8_t>(doc, sec, "SIGRSM", 0);
    g.Logging = ReadFlag(doc, sec, "LOGGING", 0);
    g.NoLog = ReadFlag(doc, sec, "NOLOG", 0);
    g.RsmTime = ReadInt<int32_t>(doc, sec, "RSMTIME", 0);
    g.Speed = ReadInt<int16_t>(doc, sec, "SPEED", 0);
    s.SelectedRadio = ReadInt<uint8_t>(doc, sec, "RADIOSEL", 0);
    g.DlyTime = ReadInt<int32_t>(doc, sec, "DLYTIME", 0);
    g.PriorTime = ReadInt<int16_t>(doc, sec, "PRIORTIME", 0);
    g.SaveShort = ReadFlag(doc, sec, "SAVESHORT", 0);
    g.TrnkSMode = ReadFlag(doc, sec, "TRNKSMODE", 0);
    g.CtcsMode = ReadFlag(doc, sec, "CTCSMODE", 0);
    g.ShowAux = ReadFlag(doc, sec, "SHOWAUX", 1);
    g.LoadFreq = ReadFlag(doc, sec, "LOADFREQ", 1);
    g.Reconnect = ReadFlag(doc, sec, "RECONNECT", 1);
    g.Journal = ReadText(doc, sec, "JOURNAL");
    if (g.Journal.empty()) g.Journal = Globals().Journal;
    g.Rigctld = ReadFlag(doc, sec, "RIGCTLD", 0);
    g.RigctldAddress = ReadText(doc, sec, "RIGCTLDADDR");
    if (g.RigctldAddress.empty()) g.RigctldAddress = "4532";
    g.StartFrq = ReadNumberText(doc, sec, "STARTFRQ");
    g.Resolve = ReadInt<int16_t>(doc, sec, "RESOLVE", 0);
    // File names are kept whole: a path cut to a fixed length would name
    // another file.
    g.DbFile = ReadText(doc, sec, "DBFILE");
    if (g.DbFile.empty()) g.DbFile = "FREQLIST.DBF";
    g.LogFile = ReadText(doc, sec, "LOGFILE");
    if (g.LogFile.empty()) g.LogFile = "RIGVANE.LOG";
    bool found = false;
    const std::string font = ReadText(doc, sec, "FREQFONT", &found);
    g.FreqFont = found ? font : "Transistor";
    g.FreqSize = ReadInt<uint8_t>(doc, sec, "FREQSIZE", 26);
    std::string windOpen = ReadText(doc, sec, "WINDOPEN");
    if (windOpen.empty()) windOpen = DefaultWindOpen;

    for (int n = 1; n <= 10; ++n) {
        WindowPlacement& w = s.Windows[n];
        w.Open = static_cast<size_t>(n) > windOpen.size() || windOpen[n - 1] != '0';
        w.X = ReadSingle(doc, WindowSection(n), "X");
        w.Y = ReadSingle(doc, WindowSection(n), "Y");
    }

    if (g.RsmTime < 1 || g.RsmTime > 1000) g.RsmTime = 10;
    if (s.SelectedRadio > 7) s.SelectedRadio = 0;
    if (g.Resolve < 0 || g.Resolve > 12) g.Resolve = 0;
}

void WriteSettings(const Settings& s, ProfileFile& doc) {
    for (int n = 0; n < ProfileCount; ++n)
        WriteProfile(s.RadioProfiles[n], doc, n);

    const Globals& g = s.Global;
    const std::string sec = "GLOBALS";
    WriteInt(doc, sec, "USESTD", g.UseStd);
    WriteInt(doc, sec, "MEMSYNC", g.MemSync);
    WriteFlag(doc, sec, "PRIORITY", g.Priority);
    WriteFlag(doc, sec, "USEBANKS", g.UseBanks);
    WriteInt(doc, sec, "SIGRSM", g.SigRsm);
    WriteFlag(doc, sec, "LOGGING", g.Logging);
    WriteFlag(doc, sec, "NOLOG", g.NoLog);
    WriteInt(doc, sec, "RSMTIME", g.RsmTime);
    WriteInt(doc, sec, "DLYTIME", g.DlyTime);
    WriteInt(doc, sec, "PRIORTIME", g.PriorTime);
    WriteInt(doc, sec, "SPEED", g.Speed);
    WriteInt(doc, sec, "RADIOSEL", s.SelectedRadio);
    WriteIniValue(doc, sec, "DBFILE", g.DbFile);
    WriteIniValue(doc, sec, "LOGFILE", g.LogFile);
    WriteInt(doc, sec, "STARTFRQ", g.StartFrq);
    WriteInt(doc, sec, "RESOLVE", g.Resolve);
    WriteFlag(doc, sec, "SAVESHORT", g.SaveShort);
    WriteFlag(doc, sec, "TRNKSMODE", g.TrnkSMode);
    WriteFlag(doc, sec, "CTCSMODE", g.CtcsMode);
    WriteIniValue(doc, sec, "FREQFONT", g.FreqFont);
    WriteInt(doc, sec, "FREQSIZE", g.FreqSize);
    WriteFlag(doc, sec, "SHOWAUX", g.ShowAux);
    WriteFlag(doc, sec, "LOADFREQ", g.LoadFreq);
    WriteFlag(doc, sec, "RECONNECT", g.Reconnect);
    WriteIniValue(doc, sec, "JOURNAL", g.Journal);
    WriteFlag(doc, sec, "RIGCTLD", g.Rigctld);
    WriteIniValue(doc, sec, "RIGCTLDADDR", g.RigctldAddress);

    std::string windOpen;
    for (int n = 1; n <= 10; ++n) {
        const WindowPlacement& w = s.Windows[n];
        WriteIniValue(doc, WindowSection(n), "X", SingleToText(w.X));
        WriteIniValue(doc, WindowSection(n), "Y", SingleToText(w.Y));
        windOpen += w.Open ? "1" : "0";
    }
    WriteIniValue(doc, sec, "WINDOPEN", windOpen);
}

bool LoadSettings(Settings& s, Host& host) {
    std::string text;
    bool missing = false;
    int err = 0;
    if (!ReadIniText(s.IniPath, &text, &missing, &err) && !missing) {
        // The file is read in one piece before any value is taken, so a
        // failure always happens at the first step and every value keeps its
        // start-up default.
        host.MessageBox("INI Read Error",
                        "Error " + std::to_string(err) + " in IniRead " + "\n" +
                            "Radio 0 Recalling!" + "\n" + "RIGVANE.INI may be corrupted",
                        MsgIcon::Critical);
        return false;
    }
    ProfileFile doc;
    doc.Load(text);
    ReadSettings(s, doc);
    return true;
}

bool SaveSettings(Settings& s, Host& host) {
    // The existing file is read first so that its comments and unknown
    // sections and keys survive, then the whole new text replaces it in one
    // atomic rename: a failure leaves the old file exactly as it was (nothing
    // is half-written), so the step reported is the first one,
    // "Radio 0 saving!", as nothing at all was saved.
    std::string text;
    bool missing = false;
    int err = 0;
    bool saved = false;
    if (ReadIniText(s.IniPath, &text, &missing, &err) || missing) {
        ProfileFile doc;
        doc.Load(text);
        WriteSettings(s, doc);
        CreateParentFolders(s.IniPath);
        std::string error;
        saved = WriteFileAtomically(s.IniPath, doc.Serialize(), &error);
        if (!saved) err = errno;
    }
    if (saved) return true;
    host.MessageBox("INI Write Error",
                    "Error " + std::to_string(err) + " in IniWrite  " + "\n" + "Radio 0 saving!" +
                        "\n" + "Report this info to author",
                    MsgIcon::None);
    return false;
}

} // namespace rigvane
