#include "ui/PortFactory.h"

#include <vector>

#include "sim/Catalog.h"
#include "sim/SimPeer.h"
#include "ui/QtSerialPort.h"

namespace rigvane {

PortFactory MakePortFactory(Host& host, std::function<void(const std::string&)> onWarning) {
    return [&host, onWarning](const std::string& device) -> std::unique_ptr<SerialPort> {
        if (!IsSimDevice(device)) return std::make_unique<QtSerialPort>();
        std::string error;
        std::vector<std::string> warnings;
        std::unique_ptr<SerialPort> port = MakeSimPort(host, device, &error, &warnings);
        if (onWarning) {
            for (const std::string& w : warnings)
                onWarning(w);
            if (!port) onWarning(error);
        }
        return port;
    };
}

} // namespace rigvane
