#pragma once
// The ports of the running program: a QtSerialPort for a device path (a real
// port or a pseudo-terminal), a port to a built-in simulated radio for
// "sim:NAME[?activity=PATH]".
#include <functional>
#include <string>

#include "core/Host.h"
#include "link/SerialLink.h"

namespace rigvane {

// `onWarning` hears about unusable lines of a simulated radio's activity file
// and about "sim:" devices that cannot be made.
PortFactory MakePortFactory(Host& host, std::function<void(const std::string&)> onWarning = {});

} // namespace rigvane
