// Rigvane: starts the program, runs it until the main window closes, and ends
// cleanly on SIGTERM or SIGINT by closing the main window the same way, so the
// settings are written on every way out.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Headless.h"
#include "core/Version.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Rigctld.h"
#include "engine/Startup.h"
#include "qt/DisplayFont.h"
#include "qt/PortFactory.h"
#include "qt/QtHost.h"
#include "qt/StopSignals.h"
#include "ui/MainWindow.h"

namespace {

const char* const Usage = "Usage: rigvane [--ini PATH] [--rigctld [ADDR:]PORT] [FILE.frq]\n"
                          "Drives a communications receiver or scanner over a serial port.\n"
                          "\n"
                          "  FILE.frq     frequency file to open after start-up\n"
                          "  --ini PATH   settings file to read at start and write at the end\n"
                          "               (default: $XDG_CONFIG_HOME/rigvane/RIGVANE.INI)\n"
                          "  --rigctld [ADDR:]PORT\n"
                          "               serve Hamlib's rigctld protocol for the radio (address\n"
                          "               127.0.0.1 unless given), e.g. for a logging program\n"
                          "  --help       show this text\n"
                          "  --version    show the version\n"
                          "  --headless   run without windows (rigvane --headless --help)\n";

struct Options {
    std::string IniPath;
    std::string Rigctld;            // [ADDR:]PORT; empty: as Global Parms says
    std::vector<std::string> Files; // frequency files named on the command line
};

// False (with a message) for a bad command line.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ini") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "rigvane: --ini needs a file path\n%s", Usage);
                return false;
            }
            options.IniPath = argv[++i];
        } else if (arg == "--rigctld") {
            std::string address;
            int port = 0;
            if (i + 1 >= argc ||
                !rigvane::RigctldProtocol::ParseAddress(argv[i + 1], &address, &port)) {
                std::fprintf(stderr, "rigvane: --rigctld needs [ADDR:]PORT\n%s", Usage);
                return false;
            }
            options.Rigctld = argv[++i];
        } else if (arg.rfind("--ini=", 0) == 0 && arg.size() > 6) {
            options.IniPath = arg.substr(6);
        } else if (!arg.empty() && arg[0] != '-') {
            options.Files.push_back(arg);
        } else {
            std::fprintf(stderr, "rigvane: unknown option '%s'\n%s", arg.c_str(), Usage);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (rigvane::headless::HasHeadlessOption(argc, argv)) return rigvane::headless::Run(argc, argv);
    // Options first: --help and mistakes need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("rigvane %s\n", rigvane::Version);
            return 0;
        }
    }
    QApplication qapp(argc, argv); // takes away the options Qt knows (-platform, ...)
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;

    rigvane::StopSignals stopSignals;
    if (!stopSignals.Ok()) {
        std::fprintf(stderr, "rigvane: cannot install signal handlers: %s\n", std::strerror(errno));
        return 1;
    }

    rigvane::QtHost host;
    rigvane::App app(host);

    rigvane::MainWindow* window = nullptr;
    bool stopRequested = false;
    stopSignals.OnStop = [&] {
        // The same way out as the close box: the window saves what it must.
        // A signal during start-up (say, while a message box waits) is kept
        // until the window exists.
        stopRequested = true;
        host.Unattended = true;
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
        if (window) window->CloseQuietly();
    };

    rigvane::StartupHooks hooks;
    hooks.RegisterDisplayFont = [] { return rigvane::RegisterDisplayFont().toStdString(); };
    app.link.SetPortFactory(rigvane::MakePortFactory(
        host, [&app](const std::string& warning) { app.log.Dply(warning); }));
    rigvane::Engine engine(app);

    // Start-up in its documented order; the main loop then runs from the
    // event loop until the window closes.
    rigvane::MainWindow mainWindow(app, engine);
    mainWindow.RigctldOverride = options.Rigctld;
    mainWindow.Start(options.IniPath, hooks);
    window = &mainWindow;
    engine.OpenCommandLineFiles(options.Files); // before the main loop's first pass
    if (stopRequested) QTimer::singleShot(0, &mainWindow, &rigvane::MainWindow::CloseQuietly);
    const int rc = qapp.exec();
    window = nullptr;
    return rc;
}
