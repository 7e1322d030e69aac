#include "link/SerialLink.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "link/RadioDriver.h"

namespace rigvane {

namespace {

// The port vanished or was replaced while a transaction waited.
struct LinkLost : std::runtime_error {
    LinkLost() : std::runtime_error("serial link lost") {}
};

// Timeout / 4 rounded to the nearest whole number, halves to even.
int QuarterDelay(int32_t timeout) {
    int32_t q = timeout / 4;
    const int32_t r = timeout % 4;
    if (r > 2 || (r == 2 && (q % 2) != 0)) ++q;
    return q;
}

} // namespace

std::string PortDeviceName(const RadioProfile& profile) {
    if (!profile.Device.empty()) return profile.Device;
    if (profile.Port >= 1) return "/dev/ttyS" + std::to_string(profile.Port - 1);
    return "";
}

std::string PortSettingsText(const RadioProfile& profile) {
    const char* baud =
        profile.Baud >= 0 && size_t(profile.Baud) < BaudTexts.size() ? BaudTexts[profile.Baud] : "";
    const char* parity = profile.Parity < ParityLetters.size() ? ParityLetters[profile.Parity] : "";
    return std::string(baud) + "," + parity + "," + std::to_string(profile.Bits) + "," +
           std::to_string(profile.Stop);
}

PortSettings MakePortSettings(const RadioProfile& profile) {
    PortSettings s;
    if (profile.Baud >= 0 && size_t(profile.Baud) < BaudTexts.size()) {
        const int64_t baud = ValInt(BaudTexts[profile.Baud]);
        if (baud > 0) s.Baud = int(baud);
    }
    if (profile.Parity < ParityLetters.size() && ParityLetters[profile.Parity][0] != '\0')
        s.Parity = ParityLetters[profile.Parity][0];
    s.DataBits = profile.Bits;
    s.StopBits = profile.Stop;
    s.RtsCts = profile.Flow;
    s.Dtr = profile.Flow;
    s.Rts = profile.Flow;
    return s;
}

SerialLink::SerialLink(Host& host, Settings& settings, MessageLog& log, FileSlots& slots,
                       RadioState& state, PortFactory factory)
    : host_(host), settings_(settings), log_(log), slots_(slots), state_(state),
      factory_(std::move(factory)) {
    radioTimer_ = host_.CreateTimer([this] { RadioTimerTick(); });
}

SerialLink::~SerialLink() {
    host_.SetTimer(radioTimer_, 0, false);
    ClosePort();
    CloseDebugFile();
    CloseDebugKeyFile();
}

// ---- port ----------------------------------------------------------------

bool SerialLink::OpenPort(std::string* error) {
    ClosePort();
    const RadioProfile& profile = Profile();
    const std::string device = PortDeviceName(profile);
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        port_.reset();
        ++portGeneration_;
        return false;
    };
    if (device.empty()) return fail("no port configured");
    if (!factory_) return fail("no serial ports available");
    auto tryOpen = [&](const std::string& path, std::string* why) {
        try {
            port_ = factory_(path);
        } catch (const std::exception& e) {
            *why = e.what();
            port_.reset();
        } catch (...) {
            *why = "port creation failed";
            port_.reset();
        }
        if (!port_) {
            if (why->empty()) *why = "no such device: " + path;
            return false;
        }
        ++portGeneration_;
        portBroken_ = false;
        bool opened = false;
        try {
            opened = port_->Open(path, MakePortSettings(profile), why);
        } catch (...) {
            opened = false;
        }
        if (!opened && why->empty()) *why = "cannot open " + path;
        return opened;
    };
    std::string why;
    std::string path = device;
    bool opened = tryOpen(path, &why);
    if (!opened && identityDevice_ == device && !identity_.empty() && Finder.Locate) {
        // The adapter came back under another name: the same serial number.
        std::string moved;
        try {
            moved = Finder.Locate(identity_);
        } catch (...) {
        }
        if (!moved.empty() && moved != device) {
            std::string why2;
            path = moved;
            opened = tryOpen(path, &why2);
        }
    }
    if (!opened) return fail(why);
    openedDevice_ = path;
    if (Finder.Identify) {
        std::string id;
        try {
            id = Finder.Identify(path);
        } catch (...) {
        }
        if (!id.empty()) {
            identity_ = id;
            identityDevice_ = device;
        }
    }
    const uint64_t generation = portGeneration_;
    port_->OnLineError = [this, generation](LineError kind, const std::string&) {
        if (generation == portGeneration_) CommEvent(kind);
    };
    return true;
}

void SerialLink::ClosePort() {
    Session.reset();
    if (port_) {
        port_->OnLineError = nullptr;
        try {
            if (port_->IsOpen()) port_->Close();
        } catch (...) {
        }
        port_.reset();
    }
    ++portGeneration_;
    portBroken_ = false;
}

bool SerialLink::PortOpen() const {
    return port_ && port_->IsOpen();
}

bool SerialLink::CdHolding() {
    try {
        return PortOpen() && port_->Cd();
    } catch (...) {
        return false;
    }
}

bool SerialLink::CtsHolding() {
    try {
        return PortOpen() && port_->Cts();
    } catch (...) {
        return false;
    }
}

void SerialLink::CommEvent(LineError error) {
    switch (error) {
    case LineError::Framing:
        if (!LocatingRadio) log_.Dply("Serial Port Framing Error!");
        RadioDelay();
        break;
    case LineError::Overrun:
        if (!LocatingRadio) log_.Dply("Serial Port Overrun Error!");
        RadioDelay();
        break;
    case LineError::Parity:
        if (!LocatingRadio) log_.Dply("Serial Port Parity  Error!");
        break;
    case LineError::CtsTimeout:
        (void)CtsHolding();
        break;
    case LineError::DsrTimeout:
        try {
            if (PortOpen()) (void)port_->Dsr();
        } catch (...) {
        }
        break;
    case LineError::DeviceLost:
        // Reported here, once: the port may be closed before the next
        // transaction runs, and a driver sends nothing on a closed port.
        portBroken_ = true;
        CommunicationFailure();
        break;
    case LineError::Break:
    case LineError::Other:
        break;
    }
}

// ---- transaction -----------------------------------------------------------

const FamilyCaps& SerialLink::CapsFor(int protocol) const {
    const RadioDriver* driver = DriverOf(protocol);
    return driver ? driver->Caps() : NeutralCaps(protocol);
}

const ModelCaps& SerialLink::ModelCapsFor(const RadioProfile& profile) const {
    return CapsFor(profile.Protocol).Model(profile.Model);
}

bool SerialLink::NoReplyRadio() {
    return ModelCapsFor(Profile()).NoReply;
}

bool SerialLink::AnswerComplete(const std::string& command, const std::string& reply,
                                const std::string& eom, const std::string& altEom, bool quiet) {
    // A bus that echoes what we send (CI-V) puts our own command, marker and
    // all, before the answer: the marker counts only after that echo...
    const size_t echo =
        !command.empty() && reply.compare(0, command.size(), command) == 0 ? command.size() : 0;
    auto has = [&reply](const std::string& marker, size_t from) {
        return !marker.empty() && reply.find(marker, from) != std::string::npos;
    };
    if (has(eom, echo) || has(altEom, echo)) return true;
    // ...unless a quiet period passes with nothing behind it: some radios
    // answer a command by repeating it.
    return echo > 0 && reply.size() == echo && quiet && (has(eom, 0) || has(altEom, 0));
}

SerialPort& SerialLink::LivePort(uint64_t generation) {
    if (generation != portGeneration_ || !port_ || portBroken_ || !port_->IsOpen())
        throw LinkLost();
    return *port_;
}

int SerialLink::QuietPollMs() {
    const int32_t timeout = Profile().Timeout;
    return timeout >= 1 ? int(timeout) : ZeroTimeoutPollMs;
}

int SerialLink::WireMs(size_t bytes) {
    const int baud = std::max(1, MakePortSettings(Profile()).Baud);
    return int(std::min<int64_t>((int64_t(bytes) * 10 * 1000 + baud - 1) / baud, INT32_MAX / 2));
}

bool SerialLink::WaitForBytes(uint64_t generation, int ms) {
    const int64_t until = host_.NowMs() + ms;
    while (!Stopping) {
        if (LivePort(generation).BytesWaiting() >= 1) return true;
        const int64_t left = until - host_.NowMs();
        if (left <= 0) return false;
        host_.WaitForEvents(int(left));
    }
    return false;
}

void SerialLink::Fail(const std::string& failureText) {
    if (!RadioNotResponding) {
        if (!LocatingRadio) log_.Dply("*Radio not responding. " + failureText);
        RadioNotResponding = true;
    }
}

void SerialLink::CommunicationFailure() {
    if (!RadioNotResponding) {
        if (!LocatingRadio) log_.Dply("*Radio Communication failure!");
        RadioNotResponding = true;
    }
}

std::string SerialLink::SendAndReceive(const std::string& command, const std::string& eom,
                                       const std::string& altEom) {
    const int64_t start = host_.NowMs();
    std::string reply;
    try {
        reply = SendAndReceiveUnguarded(command, eom, altEom);
    } catch (...) {
        CommunicationFailure();
        reply.clear();
    }
    // Counted here, around the transaction, so the waiting inside stays as it is.
    if (!command.empty() && !Stopping) {
        ++Stats.Exchanges;
        Stats.BytesSent += int64_t(command.size());
        Stats.BytesReceived += int64_t(reply.size());
        if (reply.empty() && !eom.empty() && !NoReplyRadio()) {
            ++Stats.Timeouts;
        } else if (!reply.empty()) {
            Stats.LastLatencyMs = host_.NowMs() - start;
            Stats.LatencySumMs += Stats.LastLatencyMs;
            ++Stats.Answered;
        }
    }
    return reply;
}

std::string SerialLink::SendAndReceiveUnguarded(const std::string& command, const std::string& eom,
                                                const std::string& altEom) {
    if (Stopping) return "";
    if (!PortOpen()) {
        if (port_ && portBroken_) CommunicationFailure(); // the device vanished
        return "";
    }
    const uint64_t generation = portGeneration_;
    // Events run during every yield; one of them may close or replace the port.
    auto port = [&]() -> SerialPort& { return LivePort(generation); };

    PollCount = 0;
    bool gotData = false;
    std::string reply;
    std::string failure;
    bool failed = false;
    bool finished = false;
    const int tries = RetryCount;
    // A radio that needs time between characters gets a quarter of the
    // profile's delay after each one; the profile itself is left alone.
    const RadioProfile& paced = Profile();
    const bool characterPaced = paced.XtraDly && paced.Timeout > 0;
    const int32_t characterPacing = characterPaced ? QuarterDelay(paced.Timeout) : 0;
    const bool noReply = NoReplyRadio();

    for (int attempt = 1; attempt <= tries && !finished && !failed && !Stopping; ++attempt) {
        if (!command.empty()) {
            if (attempt > 1) ++Stats.Retries;
            if (!reply.empty()) DebugLog("Rcv (retry" + SignedText(attempt) + "):", reply);
            WaitCts();
            DiscardInput();
            reply.clear();
            RadioProfile& profile = Profile();
            if (profile.Flow && !CtsHolding()) {
                WaitCts();
                if (!CtsHolding()) {
                    failure = "(CTS not raised)";
                    failed = true;
                    break;
                }
            }
            if (characterPaced) {
                for (char c : command) {
                    if (!port().Write(std::string(1, c))) throw LinkLost();
                    Pause(characterPacing);
                }
            } else if (!port().Write(command)) {
                portBroken_ = true;
                throw LinkLost();
            }
            host_.Yield();
            DebugLog("Sent:", command);
        }

        // A poll collects what has arrived and ends the try when the answer is
        // complete; otherwise it waits up to one quiet period for more bytes,
        // waking as soon as they come. Ten quiet periods in a row without a
        // byte end the try. At Timeout 0 the first wait also covers the
        // command's own time on the wire (no answer can start before the
        // radio has heard it), so the short floor works on a slow line too.
        int poll = 1;
        int pollsThisTry = 0;
        int firstWait = Profile().Timeout < 1 ? WireMs(command.size()) : 0;
        bool quiet = false; // the last wait passed without a byte
        while (poll <= MaxQuietPolls && !Stopping) {
            DebugLog("Waiting for EOM:", eom);
            host_.Yield();
            ++PollCount;
            while (port().BytesWaiting() >= 1 && reply.size() < MaxReplyBytes) {
                gotData = true;
                reply += port().ReadAll();
                host_.Yield();
                poll = 1;
                if (RadioNotResponding) {
                    if (!LocatingRadio) log_.Dply("Radio responding again..");
                    RadioNotResponding = false;
                }
            }
            DebugLog("current Rstring:", reply);
            // Collecting without sending waits at most one quiet period for the
            // rest of an answer whose first part ended the last wait.
            if ((command.empty() && quiet) || eom.empty() || noReply ||
                AnswerComplete(command, reply, eom, altEom, quiet)) {
                finished = true;
                break;
            }
            // A radio that never stops sending cannot hold the transaction.
            if (++pollsThisTry >= MaxPollsPerTry || reply.size() >= MaxReplyBytes) break;
            quiet = !WaitForBytes(generation, QuietPollMs() + (reply.empty() ? firstWait : 0));
            if (quiet) ++poll;
            firstWait = 0;
        }
    }

    if (Stopping && !finished) return ""; // no answer, and nobody waits for one
    if (!finished && !failed && !gotData) {
        failed = true;
        failure = "(no response to " + PrintableCommand(command) + ")";
    }
    if (failed) {
        Fail(failure);
        reply.clear();
    }
    DebugLog("Rcv:", reply);
    return reply;
}

std::string SerialLink::PrintableCommand(const std::string& command) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : command) {
        if (c < 20 || c > 127) {
            std::string digits;
            unsigned v = c;
            do {
                digits.insert(digits.begin(), hex[v % 16]);
                v /= 16;
            } while (v != 0);
            out += "{" + digits + "x}";
        } else {
            out += char(c);
        }
    }
    return out;
}

// ---- pacing, discarding, CTS ------------------------------------------------

void SerialLink::RadioDelay() {
    Pause(Profile().Timeout);
}

void SerialLink::Pause(int32_t timeout) {
    if (timeout < 1) {
        DebugLog("No delay set!", "");
        for (int i = 0; i < 5; ++i)
            host_.Yield();
        return;
    }
    if (DebugFile > 0)
        DebugLog("delay start" + SignedText(timeout) + " " + FormatMessageTime(host_.LocalNow()),
                 "");
    DelayTicks = 0;
    host_.SetTimer(radioTimer_, timeout, true);
    int count = 0;
    while (DelayTicks == 0 && count < DelayYieldBound && !Stopping) {
        host_.WaitForEvents(timeout);
        ++count;
    }
    host_.SetTimer(radioTimer_, 0, false);
    if (DebugFile > 0)
        DebugLog("delay End" + std::string("final count=") + SignedText(count) + " " +
                     FormatMessageTime(host_.LocalNow()),
                 "");
}

void SerialLink::DiscardInput() {
    host_.Yield();
    int passes = 0;
    while (PortOpen() && !portBroken_ && !Stopping && port_->BytesWaiting() >= 1) {
        const std::string stale = port_->ReadAll();
        if (!stale.empty() && DebugFile > 0) DebugLog("Discarded:", stale);
        if (++passes > 100) break;
        if (NoReplyRadio()) break;
        // The line is clean when nothing more comes for two characters' time:
        // the tail of the last answer (a line end behind its marker) arrives
        // at the line's pace and costs no Timeout.
        const int settle = std::max(1, WireMs(2));
        const int64_t until = host_.NowMs() + settle;
        while (!Stopping && PortOpen() && !portBroken_ && port_->BytesWaiting() < 1 &&
               host_.NowMs() < until)
            host_.WaitForEvents(int(until - host_.NowMs()));
    }
}

void SerialLink::WaitCts() {
    // A raised CTS costs no delay: the next command goes at once.
    if (!Profile().Flow || CtsHolding()) return;
    for (int i = 0; i < 10 && !Stopping; ++i) {
        RadioDelay();
        if (CtsHolding()) return;
    }
}

// ---- traces ------------------------------------------------------------------

std::string SerialLink::HexDump(const std::string& data) {
    static const char* hex = "0123456789ABCDEF";
    std::string hexPart, textPart;
    int n = 0;
    for (unsigned char c : data) {
        hexPart += hex[c >> 4];
        hexPart += hex[c & 15];
        if (++n % 4 == 0) hexPart += ' ';
        textPart += (c >= 33 && c <= 126) ? char(c) : '.';
    }
    std::string result = hexPart + "  ";
    if (!textPart.empty()) result += "+" + textPart + "+";
    return result;
}

void SerialLink::WriteTrace(std::FILE* file, const std::string& text) {
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
}

void SerialLink::DebugLog(const std::string& label, const std::string& data) {
    if (DebugFile > 0) WriteTrace(debug_, label + " " + HexDump(data) + "\r\n");
}

void SerialLink::KeyLog(const std::string& caption, const std::string& data) {
    if (DebugKeyFile < 1) return;
    static const char* hex = "0123456789ABCDEF";
    std::string hexLine = " ", textLine = " ";
    for (unsigned char c : data) {
        hexLine += hex[c >> 4];
        hexLine += hex[c & 15];
        if (c >= 32) {
            textLine += char(c);
            textLine += ' ';
        } else {
            textLine += ". ";
        }
    }
    WriteTrace(debugKey_, caption + "\r\n" + hexLine + "\r\n" + textLine + "\r\n");
}

namespace {
std::string TracePath(const std::string& dir, const char* name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}
} // namespace

bool SerialLink::OpenDebugFile() {
    if (debug_) return true;
    const int slot = slots_.TakeFileSlot();
    if (slot == 0) return false;
    debug_ = std::fopen(TracePath(TraceDir, "DEBUG.DAT").c_str(), "ab");
    if (!debug_) {
        slots_.ReleaseFileSlot(slot);
        return false;
    }
    DebugFile = slot;
    return true;
}

void SerialLink::CloseDebugFile() {
    if (debug_) std::fclose(debug_);
    debug_ = nullptr;
    if (DebugFile > 0) slots_.ReleaseFileSlot(DebugFile);
    DebugFile = 0;
}

bool SerialLink::OpenDebugKeyFile() {
    if (debugKey_) return true;
    const int slot = slots_.TakeFileSlot();
    if (slot == 0) return false;
    debugKey_ = std::fopen(TracePath(TraceDir, "DEBUGKEY.DAT").c_str(), "ab");
    if (!debugKey_) {
        slots_.ReleaseFileSlot(slot);
        return false;
    }
    DebugKeyFile = slot;
    return true;
}

void SerialLink::CloseDebugKeyFile() {
    if (debugKey_) std::fclose(debugKey_);
    debugKey_ = nullptr;
    if (DebugKeyFile > 0) slots_.ReleaseFileSlot(DebugKeyFile);
    DebugKeyFile = 0;
}

// ---- status ------------------------------------------------------------------

void SerialLink::SetStatus(const std::string& caption, uint32_t rgb) {
    statusCaption_ = caption;
    statusColour_ = rgb;
    if (OnStatus) OnStatus(caption, rgb);
}

void SerialLink::SetBusyCursor(bool busy) {
    if (OnBusyCursor) OnBusyCursor(busy);
}

} // namespace rigvane
