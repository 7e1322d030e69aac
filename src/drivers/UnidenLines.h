#pragma once
// How the Uniden drivers (Bearcat and BCD396T) wait for an answer: the
// radio answers in lines ended by CR, and lines meant for an earlier command
// may come first.
#include <string>

#include "core/Text.h"
#include "link/SerialLink.h"

namespace rigvane {

// Sends `command` and hands each answer line (blanks trimmed) to
// onLine(line, buffer) until it returns true; `buffer` holds what came after
// the line. Silence, bytes without a line end (the link has already tried
// its own times for them), or `maxPasses` collecting passes of lines that
// answer something else cost a try, and the command goes again on a clean
// buffer. True when a line ended the command, false when the tries ran out
// or the port closed.
template <typename OnLine>
bool UnidenExchange(SerialLink& link, const std::string& command, int maxPasses,
                    std::string& buffer, OnLine&& onLine) {
    std::string toSend = command;
    int tries = 0, linePasses = 0;
    while (tries < link.RetryCount && link.PortOpen()) {
        buffer += link.SendAndReceive(toSend, "\r", "");
        toSend.clear();
        bool tookLine = false;
        size_t cr;
        while ((cr = buffer.find('\r')) != std::string::npos) {
            const std::string line = TrimBlanks(buffer.substr(0, cr));
            buffer.erase(0, cr + 1);
            tookLine = true;
            if (onLine(line, buffer)) return true;
        }
        if (!tookLine || ++linePasses >= maxPasses) {
            ++tries;
            linePasses = 0;
            buffer.clear();
            toSend = command;
        }
    }
    return false;
}

} // namespace rigvane
