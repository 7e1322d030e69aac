#pragma once
// A connection to the radio that a family keeps outside the serial port: a
// library that opens the device itself (Hamlib). The link holds it like the
// port and lets it go whenever the port closes (a new OpenRadio, a
// reconnect, the end). Shared, so an operation that is waiting on it keeps
// it alive even if an event handler closes the link meanwhile.
#include <memory>

namespace rigvane {

class RadioSession {
  public:
    virtual ~RadioSession() = default;
    virtual bool IsOpen() const = 0;
};

} // namespace rigvane
