// Which COM ports exist, as the headless backend is told by the test.
#include <map>
#include <string>
#include <vector>

#include "platform/com_port_names.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/serial.h"

namespace {
std::map<int, SerialOpenStatus> portProbes;
std::vector<std::string> probedDevices;
}  // namespace

SerialOpenStatus serialProbe(std::string_view deviceName) {
    probedDevices.emplace_back(deviceName);
    const auto it = portProbes.find(comNumberOfDeviceName(deviceName));
    // A port the test did not describe is what the serial ports make of it:
    // one with a simulated keyer attached exists.
    return it == portProbes.end() ? headless::serialPortStatus(deviceName) : it->second;
}

namespace headless {
void setPortProbe(int comNumber, SerialOpenStatus status) { portProbes[comNumber] = status; }
const std::vector<std::string>& probedPorts() { return probedDevices; }
}  // namespace headless

namespace headless_internal {
void resetPortProbes() {
    portProbes.clear();
    probedDevices.clear();
}
}  // namespace headless_internal

std::string serialDevicePath(std::string_view) { return {}; }

// As on Windows: the ports are found by probing COM1 to COM50.
bool serialListPorts(std::vector<SerialPortEntry>&) { return false; }
PortRecordStatus serialRecordPort(int, std::string_view) { return PortRecordStatus::Failed; }
