#pragma once
// Hamlib's rigctld network protocol for the radio we drive, whatever its
// family, so logging and digital-mode programs can follow it. This is the
// protocol alone: text in, answers out, no sockets (ui/RigctldServer serves
// it over TCP).
//
// Reads answer from the tuning state and never touch the radio. A set asks
// the main loop for a VFO recall (mode 12), so a client tunes the radio
// between scan steps and never interleaves bytes with the scan.
#include <cstdint>
#include <string>

namespace rigvane {

class Engine;

class RigctldProtocol {
  public:
    static constexpr size_t MaxLineLength = 256;
    static constexpr int IdleTimeoutMs = 5 * 60 * 1000;

    // One client's connection.
    struct Client {
        std::string Pending; // bytes of a line not yet ended
        bool Close = false;  // the client said "q" or broke the rules: close it
        int64_t LastActiveMs = 0;
    };

    explicit RigctldProtocol(Engine& engine);

    // Bytes from a client; returns what to send back. A line longer than
    // MaxLineLength is answered with an error and the client is closed.
    std::string Feed(Client& client, const std::string& bytes);
    // True when the client has been quiet for longer than IdleTimeoutMs.
    bool Idle(const Client& client) const;
    // The answer to one command line (without its end of line).
    std::string Answer(const std::string& line, bool* quit);

    // Hamlib's strength reading (dB over S9) of our signal scale.
    static int StrengthDb(int level);
    // "[ADDR:]PORT" into an address (127.0.0.1 when none is given) and a port
    // 1..65535; false for anything else.
    static bool ParseAddress(const std::string& text, std::string* address, int* port);

  private:
    std::string DumpState() const;

    Engine& engine_;
};

} // namespace rigvane
