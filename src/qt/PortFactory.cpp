#include "qt/PortFactory.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <vector>

#include "qt/QtSerialPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

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

namespace {

// The adapter behind a device path (a by-id link or a /dev/ttyUSBn name).
bool FindPortInfo(const std::string& path, QSerialPortInfo* found) {
    const QString target = QFileInfo(QString::fromStdString(path)).canonicalFilePath();
    if (target.isEmpty()) return false;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (QFileInfo(info.systemLocation()).canonicalFilePath() == target) {
            *found = info;
            return true;
        }
    }
    return false;
}

} // namespace

DeviceFinder MakeDeviceFinder() {
    DeviceFinder finder;
    finder.Identify = [](const std::string& path) -> std::string {
        QSerialPortInfo info;
        if (!FindPortInfo(path, &info)) return "";
        return info.serialNumber().toStdString();
    };
    finder.Locate = [](const std::string& identity) -> std::string {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            if (!identity.empty() && info.serialNumber().toStdString() == identity)
                return info.systemLocation().toStdString();
        return "";
    };
    return finder;
}

std::vector<NamedDevice> SerialByIdDevices(const std::string& folder) {
    std::vector<NamedDevice> out;
    const QDir dir(QString::fromStdString(folder));
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        NamedDevice d;
        d.Path = link.absoluteFilePath().toStdString();
        QSerialPortInfo info;
        if (FindPortInfo(d.Path, &info)) {
            QString text = info.description();
            if (!info.manufacturer().isEmpty() && !text.contains(info.manufacturer()))
                text = info.manufacturer() + " " + text;
            d.Description = text.trimmed().toStdString();
        }
        out.push_back(d);
    }
    return out;
}

} // namespace rigvane
