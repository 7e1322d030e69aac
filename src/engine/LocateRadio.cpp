#include "engine/LocateRadio.h"

#include "core/CodeTables.h"

namespace rigvane {

namespace {

constexpr int LastPort = 4;
constexpr int LastBaud = 6;
constexpr int LastAddress = 255;
constexpr int32_t SearchTimeout = 30; // ms per pacing delay while searching

} // namespace

LocateResult LocateRadio(App& app, RadioProfile& working, const std::function<void()>& redisplay) {
    SerialLink& link = app.link;
    auto show = [&] {
        if (redisplay) redisplay();
    };

    if (!link.DriverOf(working.Protocol)) {
        // Every port would be opened for a radio nothing can speak to.
        app.host.MessageBox("Locate Failure", NotSupportedText(working.Protocol),
                            MsgIcon::Exclamation);
        return LocateResult::NotSupported;
    }
    const FamilyCaps& caps = link.CapsFor(working.Protocol);

    link.LocatingRadio = true;
    // The index, not a reference through Selected(): the selection cannot
    // move while the search holds the live profile.
    const uint8_t selected = app.settings.SelectedRadio;
    RadioProfile& live = app.settings.RadioProfiles[selected];
    const RadioProfile savedLive = live;
    const RadioProfile savedWorking = working;

    if (working.Port == 0) working.Port = 1;
    working.Timeout = SearchTimeout;
    live = working;

    bool found = app.radio.OpenRadio() == 0;
    if (!found && link.LocatingRadio) {
        if (caps.LocateFlow) live.Flow = true;
        live.CompAddr = 0;
        const bool stepAddresses = caps.LocateAddresses;
        // A named device is the one place to look: only speeds and addresses vary.
        const int lastPort = live.Device.empty() ? LastPort : live.Port;
        int baud = live.Baud < 0 || live.Baud > LastBaud ? 0 : live.Baud;
        int address = live.Addr;
        bool stop = false;
        for (int port = live.Port; port <= lastPort && !stop; ++port) {
            for (; baud <= LastBaud && !stop; ++baud) {
                for (; address <= LastAddress; ++address) {
                    live.Port = uint8_t(port);
                    live.Baud = int16_t(baud);
                    live.Addr = uint8_t(address);
                    working = live;
                    show();
                    app.host.Yield();
                    // Given up during the yield (or the program is ending): no
                    // attempt outside the search's silence.
                    if (!link.LocatingRadio || link.Stopping) {
                        stop = true;
                        break;
                    }
                    if (app.radio.OpenRadio() == 0) {
                        found = true;
                        stop = true;
                        break;
                    }
                    if (!link.LocatingRadio || link.Stopping) {
                        stop = true;
                        break;
                    }
                    if (!stepAddresses) break;
                }
                // Protocols without bus addresses keep theirs: it means nothing to them.
                if (stepAddresses) address = 1;
                if (stop) break;
            }
            if (stop) break;
            baud = 0;
        }
    }

    if (found) {
        const RadioProfile answered = live;
        live = savedLive;
        working = answered;
        working.Timeout = int32_t(link.PollCount) * SearchTimeout;
        link.LocatingRadio = false;
        app.host.MessageBox("Locate", "Radio Located. Parms Set", MsgIcon::Information);
        show();
        return LocateResult::Found;
    }
    live = savedLive;
    working = savedWorking;
    link.LocatingRadio = false;
    app.host.MessageBox("Locate Failure", "Could not locate a radio!", MsgIcon::Exclamation);
    show();
    return LocateResult::NotFound;
}

} // namespace rigvane
