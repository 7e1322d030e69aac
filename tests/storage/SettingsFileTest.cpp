#include "storage/SettingsFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <type_traits>

#include "core/SimHost.h"
#include "storage/AtomicFile.h"
#include "storage/TempDir.h"

namespace rigvane {
namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, &text, nullptr);
    return text;
}

int EntryCount(const std::string& dir) {
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

// Every field of the settings as "name=value" lines, so that a mismatch
// shows which field differs.
template <typename T> auto Show(const T& v) {
    if constexpr (std::is_arithmetic_v<T>) {
        return +v; // numbers, not characters, for uint8_t
    } else {
        return v;
    }
}

std::string Canon(const Settings& s) {
    std::ostringstream o;
    o.precision(9);
    const auto put = [&o](const char* name, const auto& v) { o << name << '=' << Show(v) << '\n'; };
    for (size_t i = 0; i < s.RadioProfiles.size(); ++i) {
        const RadioProfile& p = s.RadioProfiles[i];
        o << "[profile " << i << "]\n";
        put("Name", p.Name);
        put("Baud", p.Baud);
        put("Bits", p.Bits);
        put("Stop", p.Stop);
        put("Port", p.Port);
        put("Flow", p.Flow);
        put("Parity", p.Parity);
        put("Detect", p.Detect);
        put("Protocol", p.Protocol);
        put("Addr", p.Addr);
        put("CompAddr", p.CompAddr);
        put("MaxChan", p.MaxChan);
        put("MinChan", p.MinChan);
        put("VfoChan", p.VfoChan);
        put("MaxFreq", p.MaxFreq);
        put("MinFreq", p.MinFreq);
        put("Timeout", p.Timeout);
        put("Busy", p.Busy);
        put("ExpCmd", p.ExpCmd);
        put("DriverState", p.DriverState);
        put("Model", p.Model);
        put("XtraDly", p.XtraDly);
        put("Memory", p.Memory);
        put("Device", p.Device);
    }
    put("SelectedRadio", s.SelectedRadio);
    const Globals& g = s.Global;
    put("UseStd", g.UseStd);
    put("MemSync", g.MemSync);
    put("Priority", g.Priority);
    put("UseBanks", g.UseBanks);
    put("SigRsm", g.SigRsm);
    put("Logging", g.Logging);
    put("NoLog", g.NoLog);
    put("RsmTime", g.RsmTime);
    put("DlyTime", g.DlyTime);
    put("PriorTime", g.PriorTime);
    put("Speed", g.Speed);
    put("DbFile", g.DbFile);
    put("LogFile", g.LogFile);
    put("StartFrq", g.StartFrq);
    put("Resolve", g.Resolve);
    put("SaveShort", g.SaveShort);
    put("TrnkSMode", g.TrnkSMode);
    put("CtcsMode", g.CtcsMode);
    put("FreqFont", g.FreqFont);
    put("FreqSize", g.FreqSize);
    put("ShowAux", g.ShowAux);
    put("LoadFreq", g.LoadFreq);
    put("PriorityChannel", g.PriorityChannel);
    put("TuneUpper", g.TuneUpper);
    put("TuneLower", g.TuneLower);
    for (int n = 0; n < WindowEntryCount; ++n) {
        const WindowPlacement& w = s.Windows[n];
        o << "Window" << n << '=' << w.X << ' ' << w.Y << ' ' << w.Open << '\n';
    }
    put("IniPath", s.IniPath);
    return o.str();
}

void ExpectSame(const Settings& a, const Settings& b) {
    EXPECT_EQ(Canon(a), Canon(b));
}

// The load checks hold whatever the file said.
void ExpectChecksHold(const Settings& s) {
    for (int n = 0; n < ProfileCount; ++n) {
        const RadioProfile& r = s.RadioProfiles[n];
        EXPECT_TRUE(r.Baud >= 0 && r.Baud <= 6);
        EXPECT_TRUE(r.Bits == 7 || r.Bits == 8);
        EXPECT_LE(r.Parity, 4);
        EXPECT_TRUE(r.Stop == 1 || r.Stop == 2);
        EXPECT_TRUE(r.Port >= 1 && r.Port <= 4);
        EXPECT_TRUE(r.MinChan == 0 || r.MinChan == 1);
        EXPECT_LE(r.Protocol, 10);
        EXPECT_LE(r.Model, 7);
        EXPECT_TRUE(r.MinFreq >= 10 && r.MinFreq <= 999999999);
        EXPECT_TRUE(r.MaxFreq >= 10 && r.MaxFreq <= 999999999);
        EXPECT_GE(r.VfoChan, r.MinChan);
        EXPECT_EQ(r.Name.size(), 20u);
    }
    EXPECT_TRUE(s.Global.RsmTime >= 1 && s.Global.RsmTime <= 1000);
    EXPECT_LE(s.SelectedRadio, 7);
    EXPECT_TRUE(s.Global.Resolve >= 0 && s.Global.Resolve <= 12);
    EXPECT_FALSE(s.Global.DbFile.empty());
    EXPECT_FALSE(s.Global.LogFile.empty());
}

Settings FromText(const std::string& text) {
    ProfileFile doc;
    doc.Load(text);
    Settings s;
    ReadSettings(s, doc);
    return s;
}

TEST(SettingsFile, MissingFileGivesTheMissingValues) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/RIGVANE.INI";
    s.RadioProfiles[8].Name = "kept";
    ASSERT_TRUE(LoadSettings(s, host));
    EXPECT_TRUE(host.Boxes.empty());
    const RadioProfile& r = s.RadioProfiles[7];
    EXPECT_EQ(r.Name, "No Name             ");
    EXPECT_EQ(r.MaxChan, 99);
    EXPECT_EQ(r.MaxFreq, 99999900);
    EXPECT_EQ(r.MinFreq, 10);
    EXPECT_EQ(r.Bits, 8);
    EXPECT_EQ(r.Stop, 1);
    EXPECT_EQ(r.Port, 1);
    EXPECT_EQ(r.Addr, 8);
    EXPECT_EQ(r.Timeout, 0);
    EXPECT_EQ(r.Device, "");
    EXPECT_EQ(s.RadioProfiles[8].Name, "kept"); // the list-only entry is never read
    EXPECT_EQ(s.Global.RsmTime, 10);
    EXPECT_EQ(s.Global.DlyTime, 0);
    EXPECT_EQ(s.Global.DbFile, "FREQLIST.DBF");
    EXPECT_EQ(s.Global.LogFile, "RIGVANE.LOG");
    EXPECT_EQ(s.Global.FreqFont, "Transistor");
    EXPECT_EQ(s.Global.FreqSize, 26);
    EXPECT_TRUE(s.Global.ShowAux && s.Global.LoadFreq);
    std::string open;
    for (int n = 1; n <= 10; ++n) {
        open += s.Windows[n].Open ? '1' : '0';
        EXPECT_EQ(s.Windows[n].X, 0);
    }
    EXPECT_EQ(open, "1111100010");
    EXPECT_EQ(EntryCount(dir.Path()), 0); // loading creates nothing
}

TEST(SettingsFile, ProfileAndGlobalChecks) {
    const Settings s = FromText(
        "[Radio0]\nMINFREQ=5\nMAXFREQ=0\nBITS=9\nSTOP=0\nPORT=7\nBAUD=7\nPARITY=5\nMINCHAN=2\n"
        "PROTOCOL=11\nMODEL=8\nVFOCHAN=-3\n"
        "[Radio1]\nMINFREQ=1000000\nMAXFREQ=2000000000\nBITS=7\nSTOP=2\nPORT=4\nBAUD=6\n"
        "PARITY=4\nMINCHAN=1\nVFOCHAN=0\nPROTOCOL=10\nMODEL=7\n"
        "[Radio2]\nMINFREQ=1000000000\nMAXFREQ=9\nBAUD=-1\nSTOP=3\nBITS=6\nPORT=0\nMINCHAN=-1\n"
        // Too big for the field: saturated, then checked; wrapping would give
        // PORT 2 and MODEL 7, both plausible.
        "[Radio3]\nBAUD=99999999999999999999999\nPORT=258\nMODEL=263\nSTOP=-1\nADDR=300\n"
        "MAXFREQ=99999999999999999999999999\nMINFREQ=-99999999999999999\nMAXCHAN=40000\n"
        "TIMEOUT=99999999999\n"
        "[Radio4]\nBAUD=abc\nMAXCHAN=12abc\nFLOW=-1\nEXPCMD=2\nMINFREQ=12.5\nMAXFREQ=  150000000 \n"
        "NAME=A radio name longer than twenty\n"
        "[Radio5]\nMAXCHAN=\nADDR=\nDEVICE= sim:ICOM?activity=/tmp/a b \n"
        "[GLOBALS]\nRSMTIME=0\nRADIOSEL=8\nRESOLVE=13\nDBFILE=\nLOGFILE=\nFREQFONT=\n");
    const RadioProfile& r0 = s.RadioProfiles[0];
    EXPECT_EQ(r0.MinFreq, 10);
    EXPECT_EQ(r0.MaxFreq, 99999900);
    EXPECT_EQ(r0.Bits, 8);
    EXPECT_EQ(r0.Stop, 1);
    EXPECT_EQ(r0.Port, 1);
    EXPECT_EQ(r0.Baud, 0);
    EXPECT_EQ(r0.Parity, 0);
    EXPECT_EQ(r0.MinChan, 0);
    EXPECT_EQ(r0.Protocol, 0);
    EXPECT_EQ(r0.Model, 0);
    EXPECT_EQ(r0.VfoChan, 0);
    const RadioProfile& r1 = s.RadioProfiles[1];
    EXPECT_EQ(r1.MinFreq, 1000000);
    EXPECT_EQ(r1.MaxFreq, 999999999);
    EXPECT_EQ(r1.Bits, 7);
    EXPECT_EQ(r1.Stop, 2);
    EXPECT_EQ(r1.Port, 4);
    EXPECT_EQ(r1.Baud, 6);
    EXPECT_EQ(r1.Parity, 4);
    EXPECT_EQ(r1.MinChan, 1);
    EXPECT_EQ(r1.VfoChan, 1); // below MINCHAN
    EXPECT_EQ(r1.Protocol, 10);
    EXPECT_EQ(r1.Model, 7);
    const RadioProfile& r2 = s.RadioProfiles[2];
    EXPECT_EQ(r2.MinFreq, 10);
    EXPECT_EQ(r2.MaxFreq, 99999900);
    EXPECT_EQ(r2.Baud, 0);
    EXPECT_EQ(r2.Stop, 1);
    EXPECT_EQ(r2.Bits, 8);
    EXPECT_EQ(r2.Port, 1);
    EXPECT_EQ(r2.MinChan, 0);
    const RadioProfile& r3 = s.RadioProfiles[3];
    EXPECT_EQ(r3.Baud, 0);
    EXPECT_EQ(r3.Port, 1);
    EXPECT_EQ(r3.Model, 0);
    EXPECT_EQ(r3.Stop, 1);
    EXPECT_EQ(r3.Addr, 255);
    EXPECT_EQ(r3.MaxFreq, 999999999);
    EXPECT_EQ(r3.MinFreq, 10);
    EXPECT_EQ(r3.MaxChan, 32767);
    EXPECT_EQ(r3.Timeout, 2147483647);
    const RadioProfile& r4 = s.RadioProfiles[4];
    EXPECT_EQ(r4.Baud, 0);
    EXPECT_EQ(r4.MaxChan, 12);
    EXPECT_TRUE(r4.Flow);
    EXPECT_TRUE(r4.ExpCmd);
    EXPECT_EQ(r4.MinFreq, 12); // half to even
    EXPECT_EQ(r4.MaxFreq, 150000000);
    EXPECT_EQ(r4.Name, "A radio name longer ");
    const RadioProfile& r5 = s.RadioProfiles[5];
    EXPECT_EQ(r5.MaxChan, 99); // an empty number reads as missing
    EXPECT_EQ(r5.Addr, 8);
    EXPECT_EQ(r5.Device, "sim:ICOM?activity=/tmp/a b");
    EXPECT_EQ(s.Global.RsmTime, 10);
    EXPECT_EQ(s.SelectedRadio, 0);
    EXPECT_EQ(s.Global.Resolve, 0);
    EXPECT_EQ(s.Global.DbFile, "FREQLIST.DBF");
    EXPECT_EQ(s.Global.LogFile, "RIGVANE.LOG");
    EXPECT_EQ(s.Global.FreqFont, ""); // only the file names fall back when empty
    ExpectChecksHold(s);

    const Settings t = FromText("[GLOBALS]\nRSMTIME=1001\nRADIOSEL=7\nRESOLVE=-1\n");
    EXPECT_EQ(t.Global.RsmTime, 10);
    EXPECT_EQ(t.SelectedRadio, 7);
    EXPECT_EQ(t.Global.Resolve, 0);
    const Settings u = FromText("[GLOBALS]\nRSMTIME=1000\nRESOLVE=12\n");
    EXPECT_EQ(u.Global.RsmTime, 1000);
    EXPECT_EQ(u.Global.Resolve, 12);
}

TEST(SettingsFile, WindowOpenFlagsAndPositions) {
    Settings s = FromText("[GLOBALS]\nWINDOPEN=0000000000\n");
    for (int n = 1; n <= 10; ++n)
        EXPECT_FALSE(s.Windows[n].Open) << n;
    s = FromText("[GLOBALS]\nWINDOPEN=x0\n[Window3]\nX=1035.5\nY=-120\n[Window4]\nX=" +
                 std::string(300, '9') + "\nY=junk\n");
    EXPECT_TRUE(s.Windows[1].Open);
    EXPECT_FALSE(s.Windows[2].Open);
    for (int n = 3; n <= 10; ++n)
        EXPECT_TRUE(s.Windows[n].Open) << n; // past the text: open
    EXPECT_EQ(s.Windows[3].X, 1035.5f);
    EXPECT_EQ(s.Windows[3].Y, -120.0f);
    EXPECT_EQ(s.Windows[4].X, FLT_MAX);
    EXPECT_EQ(s.Windows[4].Y, 0.0f);
    s = FromText("[GLOBALS]\nWINDOPEN=\n");
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(s.Windows[n].Open, n <= 5 || n == 9) << n;

    EXPECT_EQ(SingleToText(135), "135");
    EXPECT_EQ(SingleToText(1035.5f), "1035.5");
    EXPECT_EQ(SingleToText(-0.1f), "-0.1");
    EXPECT_EQ(SingleToText(3e9f), "3000000000");
}

TEST(SettingsFile, SaveWritesEverySectionAndKeyInOrder) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/new/folder/RIGVANE.INI"; // folders are created
    s.RadioProfiles[2].Flow = true;
    s.RadioProfiles[2].Device = "/dev/ttyUSB0";
    s.Windows[3].X = 1035.5f;
    s.Windows[2].Open = false;
    s.Windows[10].Open = false;
    ASSERT_TRUE(SaveSettings(s, host));
    EXPECT_TRUE(host.Boxes.empty());
    const std::string text = ReadText(s.IniPath);
    EXPECT_EQ(text.find("True"), std::string::npos);
    EXPECT_EQ(text.find("False"), std::string::npos);

    // The file as a list of "[section]" and key names, one line each, CR LF.
    std::istringstream in(text);
    std::string line, order;
    std::vector<std::string> lines;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        lines.push_back(line);
        order += (line[0] == '[' ? line : line.substr(0, line.find('='))) + " ";
    }
    const std::string radioKeys = "NAME BAUD BITS PARITY STOP PORT FLOW DETECT PROTOCOL ADDR "
                                  "COMPADDR MAXCHAN MINCHAN MAXFREQ MINFREQ TIMEOUT EXPCMD "
                                  "XTRADLY VFOCHAN MODEL MEMORY DEVICE ";
    std::string expected;
    for (int n = 0; n < 8; ++n)
        expected += "[Radio" + std::to_string(n) + "] " + radioKeys;
    expected += "[GLOBALS] USESTD MEMSYNC PRIORITY USEBANKS SIGRSM LOGGING NOLOG RSMTIME "
                "DLYTIME PRIORTIME SPEED RADIOSEL DBFILE LOGFILE STARTFRQ RESOLVE SAVESHORT "
                "TRNKSMODE CTCSMODE FREQFONT FREQSIZE SHOWAUX LOADFREQ WINDOPEN ";
    for (int n = 1; n <= 10; ++n)
        expected += "[Window" + std::to_string(n) + "] X Y ";
    EXPECT_EQ(order, expected);

    const auto has = [&](const std::string& l) {
        return std::find(lines.begin(), lines.end(), l) != lines.end();
    };
    EXPECT_TRUE(has("NAME=(not defined)       "));
    EXPECT_TRUE(has("FLOW=1"));
    EXPECT_TRUE(has("FLOW=0"));
    EXPECT_TRUE(has("DEVICE=/dev/ttyUSB0"));
    EXPECT_TRUE(has("MAXFREQ=999999999"));
    EXPECT_TRUE(has("X=1035.5"));
    EXPECT_TRUE(has("Y=3855"));
    EXPECT_TRUE(has("WINDOPEN=1011111110"));
    EXPECT_EQ(EntryCount(dir.Path() + "/new/folder"), 1); // no temporary file left
}

Settings Changed() {
    Settings s;
    for (int n = 0; n < ProfileCount; ++n) {
        RadioProfile& r = s.RadioProfiles[n];
        r.Name = RadioProfile::FixedWidth20("Radio " + std::to_string(n));
        r.Baud = 4;
        r.Bits = 7;
        r.Stop = 2;
        r.Port = static_cast<uint8_t>(n % 4 + 1);
        r.Flow = true;
        r.Parity = 2;
        r.Detect = 3;
        r.Protocol = static_cast<uint8_t>(n + 1);
        r.Addr = 0x54;
        r.CompAddr = 0xE0;
        r.MaxChan = 399;
        r.MinChan = 1;
        r.VfoChan = 12;
        r.MaxFreq = 130000000;
        r.MinFreq = 50000;
        r.Timeout = 250;
        r.ExpCmd = r.XtraDly = r.Memory = true;
        r.Model = 2;
        r.Device = "sim:ICOM?activity=/tmp/act.txt";
    }
    s.SelectedRadio = 5;
    Globals& g = s.Global;
    g.UseStd = g.MemSync = g.SigRsm = 1;
    g.Priority = g.UseBanks = g.Logging = g.NoLog = true;
    g.RsmTime = 30;
    g.DlyTime = 7;
    g.PriorTime = 3;
    g.Speed = 4;
    g.DbFile = "/data/freq list.dbf";
    g.LogFile = "/data/hits.log";
    g.StartFrq = 14400000;
    g.Resolve = 9;
    g.SaveShort = g.TrnkSMode = g.CtcsMode = true;
    g.FreqFont = "DSEG7 Classic";
    g.FreqSize = 30;
    g.ShowAux = g.LoadFreq = false;
    for (int n = 1; n <= 10; ++n) {
        s.Windows[n] = {n * 100.5f, -n * 7.25f, n % 3 != 0};
    }
    return s;
}

TEST(SettingsFile, SavedSettingsLoadBackUnchanged) {
    TempDir dir;
    SimHost host;
    Settings defaults;
    defaults.IniPath = dir.Path() + "/RIGVANE.INI";
    ASSERT_TRUE(SaveSettings(defaults, host));
    Settings loaded = Changed();
    loaded.IniPath = defaults.IniPath;
    ASSERT_TRUE(LoadSettings(loaded, host));
    // The start-up default PORT 0 ("none") is saved as 0 and the load check
    // makes it 1; everything else comes back as it was.
    for (int n = 0; n < ProfileCount; ++n) {
        EXPECT_EQ(loaded.RadioProfiles[n].Port, 1);
        loaded.RadioProfiles[n].Port = 0;
    }
    ExpectSame(defaults, loaded);

    Settings changed = Changed();
    changed.IniPath = defaults.IniPath;
    ASSERT_TRUE(SaveSettings(changed, host));
    Settings again;
    again.IniPath = defaults.IniPath;
    ASSERT_TRUE(LoadSettings(again, host));
    ExpectSame(changed, again);
    EXPECT_TRUE(host.Boxes.empty());
}

TEST(SettingsFile, HandWrittenWindowsFileLoadsAndKeepsItsExtras) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/RIGVANE.INI";
    WriteText(s.IniPath, "; settings by hand\r\n"
                         "[radio0]\r\n"
                         "Name = My R7000\r\n"
                         "# second comment\r\n"
                         "Protocol=1\r\n"
                         "MaxFreq = 180000000\r\n"
                         "Custom=keep me\r\n"
                         "\r\n"
                         "[Notes]\r\n"
                         "Owner=someone\r\n"
                         "[RADIO0]\r\n"
                         "PROTOCOL=3\r\n"
                         "[globals]\r\n"
                         "RadioSel=0\r\n"
                         "windopen=1111111111\r\n");
    ASSERT_TRUE(LoadSettings(s, host));
    EXPECT_EQ(s.RadioProfiles[0].Name, "My R7000            ");
    EXPECT_EQ(s.RadioProfiles[0].Protocol, 1); // the first of two sections wins
    EXPECT_EQ(s.RadioProfiles[0].MaxFreq, 180000000);
    EXPECT_TRUE(s.Windows[10].Open);

    s.RadioProfiles[0].Protocol = 4;
    ASSERT_TRUE(SaveSettings(s, host));
    const std::string text = ReadText(s.IniPath);
    EXPECT_EQ(text.rfind("; settings by hand\r\n[radio0]\r\nName=My R7000            \r\n"
                         "# second comment\r\nProtocol=4\r\n",
                         0),
              0u);
    for (const char* kept :
         {"Custom=keep me\r\n", "[Notes]\r\nOwner=someone\r\n", "[RADIO0]\r\nPROTOCOL=3\r\n"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(text.find("\n\n"), std::string::npos); // no bare LF slipped in
    Settings again;
    again.IniPath = s.IniPath;
    ASSERT_TRUE(LoadSettings(again, host));
    ExpectSame(s, again);
}

TEST(SettingsFile, JunkNeverCrashesAndTheChecksHold) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/RIGVANE.INI";
    WriteText(s.IniPath, std::string("\0\xff\xfe[Radio0]\0BITS=\x80\n\n\r[GLOBALS\nRSMTIME=-", 40) +
                             std::string(100000, '9') + "\n");
    ASSERT_TRUE(LoadSettings(s, host));
    ExpectChecksHold(s);

    // Random text built from the pieces of a settings file and random bytes:
    // the checks hold, the document survives a rewrite, and settings written
    // into it read back as written.
    const std::vector<std::string> pieces = {
        "[Radio0]", "[radio3]", "[GLOBALS]", "[Window2]", "[",           "]",
        "=",        "\r\n",     "\n",        "\r",        ";",           "#",
        " ",        "BITS",     "PORT",      "MAXFREQ",   "MINCHAN",     "VFOCHAN",
        "RSMTIME",  "RESOLVE",  "RADIOSEL",  "WINDOPEN",  "NAME",        "X",
        "-",        "0",        "7",         "9",         "99999999999", "1.5"};
    std::mt19937 rng(12345);
    Settings valid = Changed();
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        const int parts = static_cast<int>(rng() % 60);
        for (int p = 0; p < parts; ++p) {
            if (rng() % 4 == 0) {
                text += static_cast<char>(rng() % 256);
            } else {
                text += pieces[rng() % pieces.size()];
            }
        }
        SCOPED_TRACE(::testing::PrintToString(text));
        ProfileFile doc;
        doc.Load(text);
        Settings a;
        ReadSettings(a, doc);
        ExpectChecksHold(a);
        ProfileFile copy;
        copy.Load(doc.Serialize());
        Settings b;
        ReadSettings(b, copy);
        ExpectSame(a, b);
        WriteSettings(valid, doc);
        Settings c;
        ReadSettings(c, doc);
        ExpectSame(valid, c);
        if (HasFailure()) break;
    }
}

TEST(SettingsFile, ReadAndWriteFailuresAreReportedAndLoseNothing) {
    TempDir dir;
    SimHost host;
    Settings s = Changed();
    s.IniPath = dir.Path(); // a folder cannot be read as the settings file
    const Settings before = s;
    EXPECT_FALSE(LoadSettings(s, host));
    ExpectSame(before, s);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "INI Read Error");
    EXPECT_EQ(host.Boxes[0].Text,
              "Error 21 in IniRead \nRadio 0 Recalling!\nRIGVANE.INI may be corrupted");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Critical);

    const std::string plain = dir.Path() + "/plain";
    WriteText(plain, "old");
    s.IniPath = plain + "/RIGVANE.INI"; // the parent is a file
    EXPECT_FALSE(SaveSettings(s, host));
    ASSERT_EQ(host.Boxes.size(), 2u);
    EXPECT_EQ(host.Boxes[1].Title, "INI Write Error");
    EXPECT_EQ(host.Boxes[1].Text,
              "Error 20 in IniWrite  \nRadio 0 saving!\nReport this info to author");
    EXPECT_EQ(ReadText(plain), "old");

    // A file far too big for a settings file is refused, not read into
    // memory, and a save leaves it alone.
    const std::string big = dir.Path() + "/big.ini";
    WriteText(big, "[Radio0]\nNAME=old\n");
    ASSERT_EQ(::truncate(big.c_str(), 64 << 20), 0);
    s.IniPath = big;
    EXPECT_FALSE(LoadSettings(s, host));
    EXPECT_FALSE(SaveSettings(s, host));
    ASSERT_EQ(host.Boxes.size(), 4u);
    EXPECT_EQ(host.Boxes[2].Title, "INI Read Error");
    EXPECT_EQ(host.Boxes[3].Title, "INI Write Error");
    struct stat st {};
    ASSERT_EQ(::stat(big.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 64 << 20);
    EXPECT_EQ(EntryCount(dir.Path()), 2); // "plain" and "big.ini": no temporary files
}

TEST(SettingsFile, DefaultPathFollowsTheConfigurationFolder) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string xdg = oldXdg ? oldXdg : "", home = oldHome ? oldHome : "";
    ::setenv("HOME", "/home/op", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(DefaultIniPath(), "/cfg/rigvane/RIGVANE.INI");
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // ignored, as relative values must be
    EXPECT_EQ(DefaultIniPath(), "/home/op/.config/rigvane/RIGVANE.INI");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultIniPath(), "/home/op/.config/rigvane/RIGVANE.INI");
    oldXdg ? ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    oldHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

} // namespace
} // namespace rigvane
