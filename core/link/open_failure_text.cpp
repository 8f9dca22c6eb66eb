#include "core/link/open_failure_text.h"

#include <algorithm>

#include "core/text_format.h"

namespace {

constexpr std::size_t PortsNamedAtMost = 8;

// "com11  /dev/ttyUSB0  FT232R USB UART" to "com11 /dev/ttyUSB0".
std::string numberAndDevice(const std::string& entry) {
    const std::size_t first = entry.find("  ");
    if (first == std::string::npos) return entry;
    const std::size_t second = entry.find("  ", first + 2);
    return entry.substr(0, first) + " " + entry.substr(first + 2, second == std::string::npos ? second : second - first - 2);
}

std::string portsHere(const std::vector<ListedPort>& ports) {
    std::string text;
    for (std::size_t i = 0; i < ports.size() && i < PortsNamedAtMost; ++i)
        text += (i ? ", " : "") + numberAndDevice(ports[i].text);
    if (ports.size() > PortsNamedAtMost) text += formatText(" and %zu more", ports.size() - PortsNamedAtMost);
    return text;
}

}  // namespace

std::string deviceOf(std::string_view deviceName, const PortFacts& facts) {
    return facts.devicePath.empty() ? std::string(deviceName) : facts.devicePath;
}

std::string portLabel(std::string_view deviceName, const PortFacts& facts) {
    if (deviceName.starts_with("\\\\.\\")) deviceName.remove_prefix(4);
    std::string label(deviceName);
    if (!facts.devicePath.empty() && facts.devicePath != deviceName) label += " (" + facts.devicePath + ")";
    return label;
}

std::string missingPortText(std::string_view deviceName, const PortFacts& facts, const std::vector<ListedPort>& ports) {
    const std::string label = portLabel(deviceName, facts);
    if (ports.empty()) return label + " does not exist, nor does any other serial port: is the adapter plugged in?";
    return label + " does not exist; the ports here: " + portsHere(ports);
}

std::size_t namedHolderCount(const PortFacts& facts) {
    return static_cast<std::size_t>(
        std::count_if(facts.holders.begin(), facts.holders.end(), [](const PortHolder& h) { return !h.farEnd; }));
}

std::string holdersText(const PortFacts& facts) {
    std::string text;
    for (const PortHolder& holder : facts.holders) {
        if (holder.farEnd) continue;
        if (!text.empty()) text += ", ";
        text += holder.program + formatText(" (PID %d)", holder.processId);
    }
    return text;
}

std::string accessDeniedText(std::string_view deviceName, const PortFacts& facts) {
    const std::string label = portLabel(deviceName, facts);
    if (!facts.accessChecked) {
        // Windows answers "access denied" for a port another program has open.
        if (facts.heldUnnamed) return label + " is in use by another program: close that program and try again";
        return label + ": access denied (another program may have it open): close the program that uses it";
    }
    const std::string device = deviceOf(deviceName, facts);
    const std::string& group = facts.group;
    const bool groupMayOpen = (facts.mode & 060) == 060 && !group.empty();
    if (groupMayOpen && !facts.inGroup)
        return "permission denied: " + device + " is open to group " + group + ", which you are not in: sudo usermod -aG " +
               group + " $USER, then log out and in again";
    if (groupMayOpen && !facts.inGroupThisLogin)
        return "permission denied: you are in group " + group + ", but this login is not yet: log out and in again (or start a shell with: newgrp " +
               group + ")";
    if (facts.mayOpen)
        return "permission denied: " + device + "'s mode lets you open it, but the system refused (a security policy?)";
    return "permission denied: " + device + formatText(" has mode %03o", facts.mode & 0777) + " (owner " + facts.owner +
           ", group " + group + "), which keeps you out: sudo chmod 660 " + device + " lets group " + group +
           " in until the device is made again";
}

std::string composeOpenFailure(std::string_view deviceName, OpenFailure failure, const PortFacts& facts,
                               const std::vector<ListedPort>& ports) {
    const std::string label = portLabel(deviceName, facts);
    switch (failure) {
        case OpenFailure::None: return {};
        case OpenFailure::NotFound: return missingPortText(deviceName, facts, ports);
        case OpenFailure::AccessDenied: return accessDeniedText(deviceName, facts);
        case OpenFailure::Busy: {
            const std::string holders = holdersText(facts);
            if (holders.empty()) return label + " is busy: another program has it open; close that program and try again";
            const bool one = namedHolderCount(facts) == 1;
            return label + " is busy: " + holders + (one ? " has it open; close that program" : " have it open; close those programs") +
                   " and try again";
        }
        case OpenFailure::NotSerialDevice: {
            std::string text = label + " is not a serial port (it has no line settings)";
            return ports.empty() ? text : text + "; the ports here: " + portsHere(ports);
        }
        case OpenFailure::SettingsRefused:
            return label + " refused the keyer's line settings (1200 baud 8N1): its driver cannot set them; try another adapter";
        case OpenFailure::DeviceFailed:
            return label + " failed as it was set up (its driver reported a fault or did not answer): unplug the adapter, plug it in again and retry";
    }
    return {};
}

std::string explainOpenFailure(std::string_view deviceName, OpenFailure failure) {
    const bool listsPorts = failure == OpenFailure::NotFound || failure == OpenFailure::NotSerialDevice;
    return composeOpenFailure(deviceName, failure, examinePort(deviceName), listsPorts ? listPorts() : std::vector<ListedPort>{});
}
