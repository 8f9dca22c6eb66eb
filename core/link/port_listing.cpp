#include "core/link/port_listing.h"

#include "core/link/transport.h"

bool portExists(SerialOpenStatus probe) {
    switch (probe) {
        case SerialOpenStatus::Opened:
        case SerialOpenStatus::AccessDenied:
        case SerialOpenStatus::Busy:
        case SerialOpenStatus::DeviceFault:
        case SerialOpenStatus::TimedOut:
            return true;
        case SerialOpenStatus::NotFound:
        case SerialOpenStatus::OtherError:
            return false;
    }
    return false;
}

std::string portEntryText(const SerialPortEntry& entry) {
    std::string text = "com" + std::to_string(entry.comNumber);
    for (const std::string* part : {&entry.devicePath, &entry.description})
        if (!part->empty()) text += "  " + *part;
    if (!entry.accessible) text += "  " + std::string(NoPermissionNote);
    return text;
}

std::string portRecordTarget(const SerialPortEntry& entry) {
    if (!entry.stableName.empty()) return entry.stableName;
    return entry.numberNeedsRecord ? entry.devicePath : std::string();
}

std::vector<ListedPort> listPorts() {
    std::vector<ListedPort> ports;
    std::vector<SerialPortEntry> entries;
    if (serialListPorts(entries)) {
        for (const auto& entry : entries) {
            if (entry.comNumber < FirstProbedPort || entry.comNumber > LastProbedPort) continue;
            ports.push_back({entry.comNumber, portEntryText(entry), portRecordTarget(entry), entry.numberNeedsRecord});
        }
        return ports;
    }
    for (int n = FirstProbedPort; n <= LastProbedPort; ++n)
        if (portExists(serialProbe(portDeviceName(n)))) ports.push_back({n, "com" + std::to_string(n), {}, false});
    return ports;
}

bool recordChosenPort(const ListedPort& port) {
    if (port.recordTarget.empty()) return true;
    return serialRecordPort(port.number, port.recordTarget) == PortRecordStatus::Recorded;
}
