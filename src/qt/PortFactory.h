#pragma once
// The ports of the running program: a QtSerialPort for a device path (a real
// port or a pseudo-terminal), a port to a built-in simulated radio for
// "sim:NAME[?activity=PATH]".
#include <functional>
#include <string>
#include <vector>

#include "core/Host.h"
#include "link/SerialLink.h"

namespace rigvane {

// `onWarning` hears about unusable lines of a simulated radio's activity file
// and about "sim:" devices that cannot be made.
PortFactory MakePortFactory(Host& host, std::function<void(const std::string&)> onWarning = {});

// Tells USB serial adapters apart by their serial numbers, so the link finds
// one again when it comes back as another /dev/ttyUSBn.
DeviceFinder MakeDeviceFinder();

// The lasting names of the USB serial adapters (the links in `folder`), each
// with the adapter's description, for the Radio Parms device list.
struct NamedDevice {
    std::string Path;
    std::string Description;
};
std::vector<NamedDevice> SerialByIdDevices(const std::string& folder = "/dev/serial/by-id");

} // namespace rigvane
