#pragma once
// The program without windows: `rigvane --headless ...` runs the start-up
// order and the same mode engine over a QCoreApplication. Message lines go to
// stdout as they are posted (and to the log file when logging is on), message
// boxes to stderr. It ends after --seconds or on SIGINT/SIGTERM: settings
// written, with --save the frequency file written back; a second SIGINT or
// SIGTERM ends it at once.
#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Rigctld.h"
#include "engine/Startup.h"
#include "qt/PortFactory.h"
#include "qt/QtHost.h"
#include "qt/RigctldServer.h"
#include "qt/StopSignals.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"
#include "storage/SettingsFile.h"

namespace rigvane::headless {

inline const char* const Usage =
    "Usage: rigvane --headless [options]\n"
    "Runs the scanner without windows: message lines go to stdout, message\n"
    "boxes to stderr (questions get the answer that changes nothing).\n"
    "\n"
    "  --ini PATH       settings file (default: $XDG_CONFIG_HOME/rigvane/RIGVANE.INI)\n"
    "  --radio N        use radio profile N, 1..8 as in the Parms menu\n"
    "                   (default: the one selected in the settings file)\n"
    "  --device PATH    device of that profile for this run: a serial port, a\n"
    "                   pseudo-terminal, or sim:NAME for a built-in simulated radio\n"
    "  --file FRQ       frequency file to read after start-up\n"
    "  --mode M         manual, scan or search (default: manual)\n"
    "  --seconds S      end after S seconds (default: run until SIGINT/SIGTERM)\n"
    "  --save           write the frequency file back at the end\n"
    "  --journal FILE   append a CSV record of every hit to FILE (default: JOURNAL\n"
    "                   of the settings, RIGVANE-HITS.csv beside the log file)\n"
    "  --stats S        print a line of link and scan statistics every S seconds\n"
    "  --rigctld [ADDR:]PORT\n"
    "                   serve Hamlib's rigctld protocol for the radio (address\n"
    "                   127.0.0.1 unless given)\n"
    "  --help           show this text\n"
    "\n"
    "Exit status: 0 clean end; 2 bad options; 3 settings file unusable;\n"
    "4 radio device unusable; 5 frequency file unusable; 6 the rigctld address\n"
    "cannot be served.\n";

struct Options {
    std::string IniPath, Device, File, Rigctld, Journal;
    double Stats = 0; // seconds between statistics lines; 0 = none
    int Radio = 0;    // 1..8; 0 = as the settings say
    int Mode = ModeManual;
    double Seconds = -1;
    bool Save = false;
    bool Help = false;
};

inline bool HasHeadlessOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return true;
    return false;
}

inline bool Fail(const std::string& text) {
    std::fprintf(stderr, "rigvane: %s\n", text.c_str());
    return false;
}

inline bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') return Fail(arg + " needs a value");
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--headless") {
        } else if (arg == "--help" || arg == "-h") {
            o.Help = true;
        } else if (arg == "--save") {
            o.Save = true;
        } else if (arg == "--ini") {
            if (!value(o.IniPath)) return false;
        } else if (arg == "--device") {
            if (!value(o.Device)) return false;
        } else if (arg == "--rigctld") {
            if (!value(o.Rigctld)) return false;
            std::string address;
            int port = 0;
            if (!RigctldProtocol::ParseAddress(o.Rigctld, &address, &port))
                return Fail("--rigctld needs [ADDR:]PORT");
        } else if (arg == "--file") {
            if (!value(o.File)) return false;
        } else if (arg == "--journal") {
            if (!value(o.Journal)) return false;
        } else if (arg == "--stats") {
            if (!value(v)) return false;
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (*end != '\0' || !(s >= 0.1) || s > 86400)
                return Fail("--stats must be a number of seconds from 0.1 to 86400");
            o.Stats = s;
        } else if (arg == "--radio") {
            if (!value(v)) return false;
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (*end != '\0' || n < 1 || n > ProfileCount)
                return Fail("--radio must be a number from 1 to " + std::to_string(ProfileCount));
            o.Radio = int(n);
        } else if (arg == "--mode") {
            if (!value(v)) return false;
            if (v == "manual")
                o.Mode = ModeManual;
            else if (v == "scan")
                o.Mode = ModeScan;
            else if (v == "search")
                o.Mode = ModeSearch;
            else
                return Fail("--mode must be manual, scan or search");
        } else if (arg == "--seconds") {
            if (!value(v)) return false;
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (*end != '\0' || !(s >= 0) || s > 1e7)
                return Fail("--seconds must be a number of seconds");
            o.Seconds = s;
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    return true;
}

// A journal named on the command line is the one in the folder it was given in.
inline std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

// A settings file that exists but cannot be read, or a folder in its place.
inline bool SettingsUnreadable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false; // missing: defaults
    if (S_ISDIR(st.st_mode)) return true;
    std::ifstream in(path);
    return !in.good();
}

inline int Run(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (o.Help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    QCoreApplication qapp(argc, argv);
    StopSignals stopSignals;
    if (!stopSignals.Ok()) {
        std::fprintf(stderr, "rigvane: cannot install signal handlers: %s\n", std::strerror(errno));
        return 1;
    }

    QtHost host;
    App app(host);
    app.log.OnLine = [](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    app.link.SetPortFactory(MakePortFactory(
        host, [](const std::string& w) { std::fprintf(stderr, "%s\n", w.c_str()); }));
    app.link.Finder = MakeDeviceFinder();
    Engine engine(app);

    bool stopped = false;
    bool fileSaved = true;
    bool fileLoaded = false;
    auto stop = [&] {
        if (stopped) return;
        stopped = true;
        // Only a file that was read is written back: a stop during start-up
        // must not replace it with empty memory.
        if (o.Save && fileLoaded) fileSaved = WriteFrequencyFile(engine.Context(), o.File);
        engine.Shutdown();
    };
    stopSignals.OnStop = stop;

    // Start-up; the radio named on the command line replaces the selected one.
    uint8_t opened = 0;
    bool radioSelected = true;
    StartupHooks hooks = engine.MakeStartupHooks();
    hooks.OpenRadio = [&](App& a) {
        // The choices of the command line hold for this run only.
        const uint8_t selected = a.settings.SelectedRadio;
        if (o.Radio > 0) a.settings.SelectedRadio = uint8_t(o.Radio - 1);
        const std::string device = a.settings.Selected().Device;
        const uint8_t used = a.settings.SelectedRadio;
        const std::string journal = a.settings.Global.Journal;
        engine.AdjustSavedSettings = [selected, device, used, journal](Settings& s) {
            s.RadioProfiles[used].Device = device;
            s.SelectedRadio = selected;
            s.Global.Journal = journal;
        };
        if (!o.Journal.empty()) a.settings.Global.Journal = AbsolutePath(o.Journal);
        if (!o.Device.empty()) a.settings.Selected().Device = o.Device;
        radioSelected = !a.link.CapsFor(a.settings.Selected().Protocol).UsesPort ||
                        !PortDeviceName(a.settings.Selected()).empty();
        opened = a.radio.OpenRadio();
    };
    const std::string iniPath = o.IniPath.empty() ? DefaultIniPath() : o.IniPath;
    if (SettingsUnreadable(iniPath)) {
        std::fprintf(stderr, "rigvane: cannot read the settings file %s\n", iniPath.c_str());
        return 3;
    }
    ScanInitialize(app, o.IniPath, hooks);
    if (stopped) { // ended while the radio was being opened
        if (engine.SettingsSaved()) return 0;
        std::fprintf(stderr, "rigvane: the settings file %s could not be written\n",
                     app.settings.IniPath.c_str());
        return 3;
    }
    if (!radioSelected) {
        std::fprintf(stderr, "rigvane: radio %d has no port or device configured\n",
                     app.settings.SelectedRadio + 1);
        return 4;
    }
    if (opened == OpenNoDriver) {
        std::fprintf(stderr, "rigvane: %s\n",
                     NotSupportedText(app.settings.Selected().Protocol).c_str());
        return 4;
    }
    if (opened != OpenConnected && CapsFor(app.settings.Selected().Protocol).OwnConnection) {
        // The family opened the radio itself; its messages above say why not.
        std::fprintf(stderr, "rigvane: no answer from the %s radio\n",
                     ProtocolNames[app.settings.Selected().Protocol]);
        return 4;
    }
    if (opened != OpenConnected) {
        std::fprintf(stderr, "rigvane: %s %s\n",
                     opened == OpenPortFailed ? "cannot open the radio device"
                                              : "no answer from the radio on",
                     PortDeviceName(app.settings.Selected()).c_str());
        return 4;
    }
    engine.ApplyControlSetup();
    app.radioState.Current = app.radioState.Vfo[app.radioState.ActiveVfo & 1];
    if (!o.File.empty() && !stopped) {
        if (!ReadFrequencyFile(engine.Context(), o.File)) {
            std::fprintf(stderr, "rigvane: cannot read the frequency file %s\n", o.File.c_str());
            return 5;
        }
        fileLoaded = !stopped;
    }
    app.memory.MemoryEdited = false;

    // The rigctld server: the command line's address, else the settings' switch.
    RigctldServer rigctld(engine);
    const Globals& g = app.settings.Global;
    const std::string rigctldAddress = !o.Rigctld.empty() ? o.Rigctld
                                       : g.Rigctld        ? g.RigctldAddress
                                                          : "";
    if (!rigctldAddress.empty()) {
        std::string error;
        if (rigctld.Listen(rigctldAddress, &error)) {
            app.log.Dply("rigctld server on " + rigctldAddress);
        } else if (!o.Rigctld.empty()) {
            std::fprintf(stderr, "rigvane: cannot serve rigctld on %s: %s\n",
                         rigctldAddress.c_str(), error.c_str());
            return 6;
        } else {
            app.log.Dply("*rigctld server cannot listen on " + rigctldAddress + ": " + error);
        }
    }

    if (o.Seconds >= 0) QTimer::singleShot(int(o.Seconds * 1000), &qapp, [&] { stop(); });
    QTimer stats;
    if (o.Stats > 0) {
        QObject::connect(&stats, &QTimer::timeout, [&] {
            std::printf("Statistics: %s\n", engine.StatisticsLine().c_str());
            std::fflush(stdout);
        });
        stats.start(int(o.Stats * 1000));
    }
    if (!stopped) {
        // The mode asked for replaces whatever a file keyword started.
        if (engine.State().Mode != o.Mode)
            engine.RequestMode(o.Mode);
        else if (o.Mode == ModeManual)
            app.log.Dply("Entering Manual Mode");
    }
    engine.RunLoop();
    if (!engine.SettingsSaved()) {
        std::fprintf(stderr, "rigvane: the settings file %s could not be written\n",
                     app.settings.IniPath.c_str());
        return 3;
    }
    if (!fileSaved) {
        std::fprintf(stderr, "rigvane: the frequency file %s could not be written\n",
                     o.File.c_str());
        return 5;
    }
    return 0;
}

} // namespace rigvane::headless
