// Serial ports of the headless backend: each is a line to an in-process
// simulated keyer (or to nothing), on the virtual clock.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "platform/com_port_names.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "platform/serial.h"
#include "sim/keyer_simulator.h"

namespace {

struct Port {
    KeyerSimulator* keyer = nullptr;
    headless::SerialPortFaults faults;
    bool held = false;
    bool dtrRaised = false;
    SerialLineSettings settings = driverDefaults();
    SerialTimeouts timeouts;
    std::int64_t outputLeftAtUs = 0;  // virtual time the last queued byte leaves the line

    // What a freshly plugged-in port reports: 9600 8N1 with DTR and RTS on.
    static SerialLineSettings driverDefaults() {
        SerialLineSettings s;
        s.baudRate = 9600;
        s.dtrEnable = true;
        s.rtsEnable = true;
        return s;
    }
};

// One lock for every port: transfers come from the dialogs' thread and from
// the upload worker.
std::recursive_mutex serialMutex;
std::map<int, std::shared_ptr<Port>> ports;
std::vector<std::string> openNames;


std::shared_ptr<Port> findPort(int comNumber) {
    const auto it = ports.find(comNumber);
    return it == ports.end() ? nullptr : it->second;
}

std::shared_ptr<Port>& portFor(int comNumber) {
    auto& port = ports[comNumber];
    if (!port) port = std::make_shared<Port>();
    return port;
}

SerialOpenStatus statusOf(const std::shared_ptr<Port>& port) {
    if (!port) return SerialOpenStatus::NotFound;
    if (port->faults.openStatus != SerialOpenStatus::Opened) return port->faults.openStatus;
    return port->held ? SerialOpenStatus::Busy : SerialOpenStatus::Opened;
}

// The calling thread is blocked for the wait: on the dialogs' thread the
// clock moves on meanwhile, as it does for sleepMs.
void waitedFor(std::int64_t milliseconds) {
    if (milliseconds > 0 && headless_internal::onDialogThread())
        headless_internal::advanceClockWithoutTimers(static_cast<int>(milliseconds));
}

void resetPorts() {
    std::lock_guard lock(serialMutex);
    // Devices still open keep their port alive but no longer reach any keyer.
    for (auto& [n, port] : ports) port->keyer = nullptr;
    ports.clear();
    openNames.clear();
    headless_internal::resetPortProbes();
    headless_internal::resetPortDiagnosis();
}

[[maybe_unused]] const bool registered = [] {
    headless_internal::resetSerialPorts = resetPorts;
    return true;
}();

}  // namespace

struct SerialDevice {
    std::shared_ptr<Port> port;
};

SerialOpenStatus serialOpen(std::string_view deviceName, SerialDevice** device) {
    std::lock_guard lock(serialMutex);
    *device = nullptr;
    openNames.emplace_back(deviceName);
    const std::shared_ptr<Port> port = findPort(comNumberOfDeviceName(deviceName));
    const SerialOpenStatus status = statusOf(port);
    if (status != SerialOpenStatus::Opened) return status;
    port->held = true;
    port->dtrRaised = false;
    // Whatever the keyer said while nobody listened is gone.
    if (port->keyer) port->keyer->discardOutput();
    *device = new SerialDevice{port};
    return SerialOpenStatus::Opened;
}

bool serialGetSettings(SerialDevice* device, SerialLineSettings& settings) {
    std::lock_guard lock(serialMutex);
    if (device->port->faults.failGetSettings) return false;
    settings = device->port->settings;
    return true;
}

bool serialSetSettings(SerialDevice* device, const SerialLineSettings& settings) {
    std::lock_guard lock(serialMutex);
    Port& port = *device->port;
    if (port.faults.failSetSettings) return false;
    if (port.faults.refusedBaud != 0 && settings.baudRate == port.faults.refusedBaud) return false;
    port.settings = settings;
    if (port.keyer) {
        port.keyer->setHostBaud(settings.baudRate);
        if (settings.dtrEnable && !port.dtrRaised) port.keyer->hostConnected();
    }
    port.dtrRaised = settings.dtrEnable;
    return true;
}

bool serialSetTimeouts(SerialDevice* device, const SerialTimeouts& timeouts) {
    std::lock_guard lock(serialMutex);
    if (device->port->faults.failSetTimeouts) return false;
    device->port->timeouts = timeouts;
    return true;
}

bool serialPurgeReceive(SerialDevice* device) {
    std::lock_guard lock(serialMutex);
    Port& port = *device->port;
    if (port.faults.failPurge) return false;
    if (port.keyer) port.keyer->discardOutput();
    return true;
}

std::size_t serialWrite(SerialDevice* device, std::span<const std::uint8_t> bytes, int waitMs) {
    std::lock_guard lock(serialMutex);
    Port& port = *device->port;
    if (port.keyer && !port.keyer->connected()) return 0;  // the device is gone
    // A keyer whose cable goes during the write takes only the bytes before.
    const std::size_t taken = port.keyer ? port.keyer->receive(bytes) : bytes.size();
    if (port.faults.lineTimeOutput) {
        const std::int64_t startUs = std::max(port.outputLeftAtUs, headless::nowMs() * 1000);
        port.outputLeftAtUs = startUs + KeyerSimulator::lineTimeUs(bytes.size(), port.settings.baudRate);
    }
    if (port.faults.stallWrites) {
        waitedFor(waitMs);
        return 0;
    }
    return taken;
}

bool serialDrain(SerialDevice* device, int waitMs) {
    std::lock_guard lock(serialMutex);
    Port& port = *device->port;
    if (port.keyer && !port.keyer->connected()) return false;  // the device is gone
    if (port.faults.outputNeverDrains) {
        waitedFor(waitMs);
        return false;
    }
    // Until the last byte has left, rounded up to the next millisecond.
    const std::int64_t leftMs = (port.outputLeftAtUs + 999) / 1000 - headless::nowMs();
    if (leftMs <= 0) return true;
    if (leftMs > waitMs) {
        waitedFor(waitMs);
        return false;
    }
    waitedFor(leftMs);
    return true;
}

std::size_t serialRead(SerialDevice* device, std::span<std::uint8_t> buffer, int waitMs) {
    std::lock_guard lock(serialMutex);
    Port& port = *device->port;
    // Bytes that crossed the line before the cable went still arrive; then
    // the device is gone and the read ends at once.
    const bool gone = port.keyer && !port.keyer->connected();
    const std::size_t count = port.keyer ? port.keyer->takeOutput(buffer) : 0;
    if (count < buffer.size() && !gone) {
        // The read would block until its wait or the port's total time-out ends.
        std::int64_t limit = waitMs;
        const SerialTimeouts& t = port.timeouts;
        const std::int64_t total =
            static_cast<std::int64_t>(t.readTotalMultiplierMs) * static_cast<std::int64_t>(buffer.size()) +
            t.readTotalConstantMs;
        if (total > 0) limit = std::min(limit, total);
        waitedFor(limit);
    }
    return count;
}

void serialClose(SerialDevice* device) {
    if (!device) return;
    {
        std::lock_guard lock(serialMutex);
        device->port->held = false;
        device->port->dtrRaised = false;
    }
    delete device;
}

namespace headless {

void attachKeyer(int comNumber, KeyerSimulator& keyer) {
    std::lock_guard lock(serialMutex);
    auto& port = portFor(comNumber);
    port->keyer = &keyer;
    keyer.setClock([] { return headless::nowMs(); });
}

void addSerialPort(int comNumber) {
    std::lock_guard lock(serialMutex);
    portFor(comNumber);
}

void removeSerialPort(int comNumber) {
    std::lock_guard lock(serialMutex);
    if (auto port = findPort(comNumber)) port->keyer = nullptr;
    ports.erase(comNumber);
}

void setSerialPortFaults(int comNumber, const SerialPortFaults& faults) {
    std::lock_guard lock(serialMutex);
    portFor(comNumber)->faults = faults;
}

SerialOpenStatus serialPortStatus(std::string_view deviceName) {
    std::lock_guard lock(serialMutex);
    return statusOf(findPort(comNumberOfDeviceName(deviceName)));
}

std::vector<std::string> serialOpenNames() {
    std::lock_guard lock(serialMutex);
    return openNames;
}

std::optional<SerialLineSettings> serialLineSettings(int comNumber) {
    std::lock_guard lock(serialMutex);
    const auto port = findPort(comNumber);
    if (!port) return std::nullopt;
    return port->settings;
}

std::optional<SerialTimeouts> serialTimeouts(int comNumber) {
    std::lock_guard lock(serialMutex);
    const auto port = findPort(comNumber);
    if (!port) return std::nullopt;
    return port->timeouts;
}

bool serialPortHeld(int comNumber) {
    std::lock_guard lock(serialMutex);
    const auto port = findPort(comNumber);
    return port && port->held;
}

void withKeyer(int comNumber, const std::function<void(KeyerSimulator&)>& fn) {
    std::lock_guard lock(serialMutex);
    const auto port = findPort(comNumber);
    if (port && port->keyer) fn(*port->keyer);
}

}  // namespace headless
