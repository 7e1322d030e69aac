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

#include "common/TempDir.h"
#include "core/SimHost.h"
#include "storage/AtomicFile.h"

namespace rigvane {
namespace {

using test::TempDir;

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

// Every field of the settings, stored or not, as text: comparing two of these
// compares the whole structs and a mismatch shows where.
std::string Canon(const Settings& s) {
    std::ostringstream o;
    o.precision(9);
    for (const RadioProfile& p : s.RadioProfiles) {
        o << '[' << p.Name << "] " << p.Baud << ' ' << +p.Bits << ' ' << +p.Stop << ' ' << +p.Port
          << ' ' << p.Flow << ' ' << +p.Parity << ' ' << +p.Detect << ' ' << +p.Protocol << ' '
          << +p.Addr << ' ' << +p.CompAddr << ' ' << p.MaxChan << ' ' << p.MinChan << ' '
          << p.VfoChan << ' ' << p.MaxFreq << ' ' << p.MinFreq << ' ' << p.Timeout << ' ' << p.Busy
          << ' ' << p.ExpCmd << ' ' << p.DriverState << ' ' << +p.Model << ' ' << p.XtraDly << ' '
          << p.Memory << " <" << p.Device << "> " << p.HamlibModel << " <" << p.HamlibConf << ">\n";
    }
    const Globals& g = s.Global;
    o << +s.SelectedRadio << ' ' << +g.UseStd << ' ' << +g.MemSync << ' ' << g.Priority << ' '
      << g.UseBanks << ' ' << +g.SigRsm << ' ' << g.Logging << ' ' << g.NoLog << ' ' << g.RsmTime
      << ' ' << g.DlyTime << ' ' << g.PriorTime << ' ' << g.Speed << " <" << g.DbFile << "> <"
      << g.LogFile << "> " << g.StartFrq << ' ' << g.Resolve << ' ' << g.SaveShort << ' '
      << g.TrnkSMode << ' ' << g.CtcsMode << " <" << g.FreqFont << "> " << +g.FreqSize << ' '
      << g.ShowAux << ' ' << g.LoadFreq << ' ' << g.Rigctld << " <" << g.RigctldAddress << "> "
      << g.PriorityChannel << ' ' << g.TuneUpper << ' ' << g.TuneLower << '\n';
    for (const WindowPlacement& w : s.Windows)
        o << w.X << ',' << w.Y << ',' << w.Open << ' ';
    return o.str() + "\n" + s.IniPath;
}

// The load checks hold whatever the file said.
void ExpectChecksHold(const Settings& s) {
    for (int n = 0; n < ProfileCount; ++n) {
        const RadioProfile& r = s.RadioProfiles[n];
        EXPECT_TRUE(r.Baud >= 0 && r.Baud <= 6 && (r.Bits == 7 || r.Bits == 8) && r.Parity <= 4 &&
                    (r.Stop == 1 || r.Stop == 2) && r.Port >= 1 && r.Port <= 4 &&
                    (r.MinChan == 0 || r.MinChan == 1) && r.Protocol <= 11 && r.Model <= 7 &&
                    r.MinFreq >= 10 && r.MinFreq <= 999999999 && r.MaxFreq >= 10 &&
                    r.MaxFreq <= 999999999 && r.VfoChan >= r.MinChan && r.Name.size() == 20)
            << Canon(s);
    }
    EXPECT_TRUE(s.Global.RsmTime >= 1 && s.Global.RsmTime <= 1000 && s.SelectedRadio <= 7 &&
                s.Global.Resolve >= 0 && s.Global.Resolve <= 12 && !s.Global.DbFile.empty() &&
                !s.Global.LogFile.empty())
        << Canon(s);
}

Settings FromText(const std::string& text) {
    ProfileFile doc;
    doc.Load(text);
    Settings s;
    ReadSettings(s, doc);
    return s;
}

// Valid settings with every stored value away from its default.
Settings Changed() {
    std::string text;
    for (int n = 0; n < ProfileCount; ++n) {
        text += "[Radio" + std::to_string(n) + "]\nNAME=Radio " + std::to_string(n) +
                "\nPORT=" + std::to_string(n % 4 + 1) + "\nPROTOCOL=" + std::to_string(n + 1) +
                "\nBAUD=4\nBITS=7\nPARITY=2\nSTOP=2\nFLOW=1\nDETECT=3\nADDR=84\nCOMPADDR=224\n"
                "MAXCHAN=399\nMINCHAN=1\nMAXFREQ=130000000\nMINFREQ=50000\nTIMEOUT=250\nEXPCMD=1\n"
                "XTRADLY=1\nVFOCHAN=12\nMODEL=2\nMEMORY=1\nDEVICE=sim:ICOM?activity=/tmp/a.txt\n"
                "HAMLIBMODEL=3042\nHAMLIBCONF=rig_pathname=/dev/ttyUSB0,serial_speed=19200\n";
    }
    text += "[GLOBALS]\nUSESTD=1\nMEMSYNC=1\nPRIORITY=1\nUSEBANKS=1\nSIGRSM=1\nLOGGING=1\nNOLOG=1\n"
            "RSMTIME=30\nDLYTIME=7\nPRIORTIME=3\nSPEED=4\nRADIOSEL=5\nDBFILE=/data/freq list.dbf\n"
            "LOGFILE=/data/hits.log\nSTARTFRQ=14400000\nRESOLVE=9\nSAVESHORT=1\nTRNKSMODE=1\n"
            "CTCSMODE=1\nFREQFONT=DSEG7 Classic\nFREQSIZE=30\nSHOWAUX=0\nLOADFREQ=0\n"
            "RIGCTLD=1\nRIGCTLDADDR=0.0.0.0:4533\n"
            "WINDOPEN=1101101101\n";
    for (int n = 1; n <= 10; ++n) {
        text += "[Window" + std::to_string(n) + "]\nX=" + std::to_string(n * 100) + ".5\nY=-" +
                std::to_string(n * 7) + ".25\n";
    }
    return FromText(text);
}

TEST(SettingsFile, MissingFileGivesTheMissingValues) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/RIGVANE.INI";
    s.RadioProfiles[8].Name = "kept"; // the list-only entry is never read
    ASSERT_TRUE(LoadSettings(s, host));
    EXPECT_TRUE(host.Boxes.empty());
    Settings want;
    want.IniPath = s.IniPath;
    want.RadioProfiles[8].Name = "kept";
    for (int n = 0; n < ProfileCount; ++n) {
        RadioProfile& r = want.RadioProfiles[n];
        r.Name = "No Name             ";
        r.MaxChan = 99;
        r.MaxFreq = 99999900;
        r.MinFreq = 10;
        r.Port = 1;
        r.Timeout = 0;
    }
    want.Global.DlyTime = 0;
    want.Global.PriorTime = 0;
    for (int n = 1; n <= 10; ++n)
        want.Windows[n] = {0, 0, n <= 5 || n == 9};
    EXPECT_EQ(Canon(s), Canon(want));
    EXPECT_EQ(EntryCount(dir.Path()), 0); // loading creates nothing
}

TEST(SettingsFile, ProfileAndGlobalChecks) {
    // MINFREQ rounds half to even; too-big numbers saturate (PORT=258 and
    // MODEL=263 do not wrap to the plausible 2 and 7); an empty number reads
    // as missing.
    const struct {
        const char* text;
        int64_t want;
        int64_t (*get)(const Settings&, int);
    } cases[] = {
#define F(f) [](const Settings& s, int n) -> int64_t { return s.RadioProfiles[n].f; }
        // clang-format off
        {"MINFREQ=5", 10, F(MinFreq)}, {"MINFREQ=1000000", 1000000, F(MinFreq)},
        {"MINFREQ=1000000000", 10, F(MinFreq)}, {"MINFREQ=12.5", 12, F(MinFreq)},
        {"MINFREQ=-99999999999999999", 10, F(MinFreq)}, {"MAXFREQ=0", 99999900, F(MaxFreq)},
        {"MAXFREQ=abc", 99999900, F(MaxFreq)}, {"MAXFREQ=2000000000", 999999999, F(MaxFreq)},
        {"MAXFREQ=99999999999999999999999", 999999999, F(MaxFreq)},
        {"maxfreq =  150000000  ", 150000000, F(MaxFreq)}, {"BITS=9", 8, F(Bits)},
        {"BITS=6", 8, F(Bits)}, {"BITS=7", 7, F(Bits)}, {"STOP=0", 1, F(Stop)},
        {"STOP=3", 1, F(Stop)}, {"STOP=-1", 1, F(Stop)}, {"STOP=2", 2, F(Stop)},
        {"PORT=7", 1, F(Port)}, {"PORT=0", 1, F(Port)}, {"PORT=258", 1, F(Port)},
        {"PORT=4", 4, F(Port)}, {"BAUD=7", 0, F(Baud)}, {"BAUD=-1", 0, F(Baud)},
        {"BAUD=99999999999999999999999", 0, F(Baud)}, {"BAUD=6", 6, F(Baud)},
        {"PARITY=5", 0, F(Parity)}, {"PARITY=4", 4, F(Parity)}, {"MINCHAN=2", 0, F(MinChan)},
        {"MINCHAN=-1", 0, F(MinChan)}, {"MINCHAN=1", 1, F(MinChan)},
        {"PROTOCOL=12", 0, F(Protocol)}, {"PROTOCOL=11", 11, F(Protocol)}, {"MODEL=8", 0, F(Model)},
        {"MODEL=263", 0, F(Model)}, {"MODEL=7", 7, F(Model)}, {"VFOCHAN=-3", 0, F(VfoChan)},
        {"MINCHAN=1\nVFOCHAN=0", 1, F(VfoChan)}, {"MINCHAN=1\nVFOCHAN=5", 5, F(VfoChan)},
        {"ADDR=300", 255, F(Addr)}, {"ADDR=", 8, F(Addr)}, {"MAXCHAN=", 99, F(MaxChan)},
        {"MAXCHAN=12abc", 12, F(MaxChan)}, {"MAXCHAN=40000", 32767, F(MaxChan)},
        {"TIMEOUT=99999999999", 2147483647, F(Timeout)}, {"FLOW=-1", 1, F(Flow)},
        {"EXPCMD=abc", 0, F(ExpCmd)}
    // clang-format on
#undef F
    };
    int n = 0;
    for (const auto& c : cases) { // spread over all eight sections
        n = (n + 1) % ProfileCount;
        const Settings s = FromText("[Radio" + std::to_string(n) + "]\n" + c.text + "\n");
        EXPECT_EQ(c.get(s, n), c.want) << c.text;
        ExpectChecksHold(s);
    }

    const auto global = [](const char* text) {
        return FromText(std::string("[GLOBALS]\n") + text);
    };
    EXPECT_EQ(global("RSMTIME=0").Global.RsmTime, 10);
    EXPECT_EQ(global("RSMTIME=1001").Global.RsmTime, 10);
    EXPECT_EQ(global("RSMTIME=1000").Global.RsmTime, 1000);
    EXPECT_EQ(global("RADIOSEL=8").SelectedRadio, 0);
    EXPECT_EQ(global("RADIOSEL=7").SelectedRadio, 7);
    EXPECT_EQ(global("RESOLVE=13").Global.Resolve, 0);
    EXPECT_EQ(global("RESOLVE=-1").Global.Resolve, 0);
    EXPECT_EQ(global("RESOLVE=12").Global.Resolve, 12);

    const Settings s = FromText("[Radio2]\nNAME=A radio name longer than twenty\n"
                                "DEVICE= sim:ICOM?activity=/tmp/a b \n"
                                "[GLOBALS]\nDBFILE=\nLOGFILE=\nFREQFONT=\n");
    EXPECT_EQ(s.RadioProfiles[2].Name, "A radio name longer ");
    EXPECT_EQ(s.RadioProfiles[2].Device, "sim:ICOM?activity=/tmp/a b");
    EXPECT_EQ(s.Global.DbFile, "FREQLIST.DBF");
    EXPECT_EQ(s.Global.LogFile, "RIGVANE.LOG");
    EXPECT_EQ(s.Global.FreqFont, ""); // only the file names fall back when empty
}

TEST(SettingsFile, WindowOpenFlagsAndPositions) {
    const auto open = [](const Settings& s) {
        std::string flags;
        for (int n = 1; n <= 10; ++n)
            flags += s.Windows[n].Open ? '1' : '0';
        return flags;
    };
    EXPECT_EQ(open(FromText("[GLOBALS]\nWINDOPEN=0000000000\n")), "0000000000");
    EXPECT_EQ(open(FromText("[GLOBALS]\nWINDOPEN=\n")), "1111100010");
    const Settings s = FromText("[GLOBALS]\nWINDOPEN=x0\n[Window3]\nX=1035.5\nY=-120\n"
                                "[Window4]\nX=" +
                                std::string(300, '9') + "\nY=junk\n");
    EXPECT_EQ(open(s), "1011111111"); // positions past a short text stay open
    EXPECT_EQ(s.Windows[3].X, 1035.5f);
    EXPECT_EQ(s.Windows[3].Y, -120.0f);
    EXPECT_EQ(s.Windows[4].X, FLT_MAX); // no undefined float conversion
    EXPECT_EQ(s.Windows[4].Y, 0.0f);

    EXPECT_EQ(SingleToText(135), "135");
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
    s.Windows[2].Open = s.Windows[10].Open = false;
    ASSERT_TRUE(SaveSettings(s, host));
    EXPECT_TRUE(host.Boxes.empty());
    EXPECT_EQ(EntryCount(dir.Path() + "/new/folder"), 1); // no temporary file left

    // The file as "[section]" and key names in order; every line ends CR LF.
    std::istringstream in(ReadText(s.IniPath));
    std::string line, order, lines;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        lines += line + "|";
        order += (line[0] == '[' ? line : line.substr(0, line.find('='))) + " ";
    }
    const std::string radioKeys = "NAME BAUD BITS PARITY STOP PORT FLOW DETECT PROTOCOL ADDR "
                                  "COMPADDR MAXCHAN MINCHAN MAXFREQ MINFREQ TIMEOUT EXPCMD "
                                  "XTRADLY VFOCHAN MODEL MEMORY DEVICE HAMLIBMODEL HAMLIBCONF ";
    std::string expected;
    for (int n = 0; n < 8; ++n)
        expected += "[Radio" + std::to_string(n) + "] " + radioKeys;
    expected += "[GLOBALS] USESTD MEMSYNC PRIORITY USEBANKS SIGRSM LOGGING NOLOG RSMTIME "
                "DLYTIME PRIORTIME SPEED RADIOSEL DBFILE LOGFILE STARTFRQ RESOLVE SAVESHORT "
                "TRNKSMODE CTCSMODE FREQFONT FREQSIZE SHOWAUX LOADFREQ RECONNECT JOURNAL RIGCTLD "
                "RIGCTLDADDR WINDOPEN ";
    for (int n = 1; n <= 10; ++n)
        expected += "[Window" + std::to_string(n) + "] X Y ";
    EXPECT_EQ(order, expected);
    for (const char* want :
         {"|NAME=(not defined)       |", "|FLOW=1|", "|FLOW=0|", "|DEVICE=/dev/ttyUSB0|",
          "|MAXFREQ=999999999|", "|RECONNECT=1|", "|JOURNAL=RIGVANE-HITS.csv|", "|X=1035.5|",
          "|Y=3855|", "|WINDOPEN=1011111110|"}) {
        EXPECT_NE(("|" + lines).find(want), std::string::npos) << want;
    }
    EXPECT_EQ(lines.find("True"), std::string::npos);
    EXPECT_EQ(lines.find("False"), std::string::npos);
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
    // The start-up PORT 0 (no port) is saved as 0 and the load check makes
    // it 1; everything else comes back as it was.
    for (int n = 0; n < ProfileCount; ++n) {
        EXPECT_EQ(loaded.RadioProfiles[n].Port, 1);
        loaded.RadioProfiles[n].Port = 0;
    }
    EXPECT_EQ(Canon(loaded), Canon(defaults));
    EXPECT_TRUE(host.Boxes.empty());
    // Changed settings read back as written: checked on every document of the
    // junk test below.
}

TEST(SettingsFile, HandWrittenWindowsFileLoadsAndKeepsItsExtras) {
    TempDir dir;
    SimHost host;
    Settings s;
    s.IniPath = dir.Path() + "/RIGVANE.INI";
    WriteText(s.IniPath, "; settings by hand\r\n[radio0]\r\nName = My R7000\r\n"
                         "# second comment\r\nProtocol=1\r\nMaxFreq = 180000000\r\n"
                         "Custom=keep me\r\n\r\n[Notes]\r\nOwner=someone\r\n"
                         "[RADIO0]\r\nPROTOCOL=3\r\n[globals]\r\nwindopen=1111111111\r\n");
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
    Settings again;
    again.IniPath = s.IniPath;
    ASSERT_TRUE(LoadSettings(again, host));
    EXPECT_EQ(Canon(again), Canon(s));
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

    // Random text made of the pieces of a settings file and random bytes: the
    // checks hold, the document reads the same after a rewrite, and settings
    // written into it read back as written.
    const std::vector<std::string> pieces = {
        "[Radio0]", "[radio3]", "[GLOBALS]", "[Window2]", "[",           "]",
        "=",        "\r\n",     "\n",        "\r",        ";",           "#",
        " ",        "BITS",     "PORT",      "MAXFREQ",   "MINCHAN",     "VFOCHAN",
        "RSMTIME",  "RESOLVE",  "RADIOSEL",  "WINDOPEN",  "NAME",        "X",
        "-",        "0",        "7",         "9",         "99999999999", "1.5"};
    std::mt19937 rng(12345);
    const Settings valid = Changed();
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        std::string text;
        for (int p = static_cast<int>(rng() % 60); p > 0; --p) {
            text += rng() % 4 ? pieces[rng() % pieces.size()] : std::string(1, char(rng()));
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
        EXPECT_EQ(Canon(a), Canon(b));
        WriteSettings(valid, doc);
        Settings c;
        ReadSettings(c, doc);
        EXPECT_EQ(Canon(c), Canon(valid));
    }
}

TEST(SettingsFile, ReadAndWriteFailuresAreReportedAndLoseNothing) {
    TempDir dir;
    SimHost host;
    Settings s = Changed();
    s.IniPath = dir.Path(); // a folder cannot be read as the settings file
    const std::string before = Canon(s);
    EXPECT_FALSE(LoadSettings(s, host));
    EXPECT_EQ(Canon(s), before);
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

    // A file far too big for a settings file is refused rather than read into
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
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // relative values are ignored
    EXPECT_EQ(DefaultIniPath(), "/home/op/.config/rigvane/RIGVANE.INI");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultIniPath(), "/home/op/.config/rigvane/RIGVANE.INI");
    oldXdg ? ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    oldHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

} // namespace
} // namespace rigvane
