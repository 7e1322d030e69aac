#pragma once
// The shared part of the simulated radios that speak text lines (Kenwood,
// AOR, Bearcat, BCD396T, TH-F6A, Drake R8): bytes are gathered until one of
// the family's terminators, each command is answered on its own, several
// commands may come in one write, and a command the family does not know is
// answered the family's way. A family overrides Command() and, where its
// radios differ, Terminators() and Unknown().
#include <string>

#include "sim/SimRadio.h"

namespace rigvane {

class TextLineRadio : public SimRadio {
  public:
    // A line longer than this without a terminator is noise: it is cut there.
    static constexpr size_t MaxLine = 1024;

  protected:
    // One command, without its terminator (never empty); returns the answer
    // bytes, terminators included ("" = no answer).
    virtual std::string Command(const std::string& command, int64_t nowMs) = 0;
    // Characters that end a command.
    virtual std::string Terminators() const { return "\r\n;"; }
    // The answer to a command the radio does not know.
    virtual std::string Unknown(const std::string& /*command*/) const { return "?\r"; }

    std::string Handle(const std::string& bytes, int64_t nowMs) override;

  private:
    std::string pending_;
};

} // namespace rigvane
