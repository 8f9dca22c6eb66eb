#include "core/link/transport.h"

#include <algorithm>

#include "platform/threads.h"

namespace {

OpenFailure failureOfOpen(SerialOpenStatus status) {
    switch (status) {
        case SerialOpenStatus::NotFound: return OpenFailure::NotFound;
        case SerialOpenStatus::AccessDenied: return OpenFailure::AccessDenied;
        case SerialOpenStatus::Busy: return OpenFailure::Busy;
        case SerialOpenStatus::Opened:
        case SerialOpenStatus::DeviceFault:
        case SerialOpenStatus::TimedOut:
        case SerialOpenStatus::OtherError: break;
    }
    return OpenFailure::DeviceFailed;
}

}  // namespace

std::string portDeviceName(int portNumber) {
    // Ports from 10 on exist only in the device namespace.
    const std::string number = std::to_string(portNumber);
    return portNumber <= 9 ? "COM" + number : "\\\\.\\COM" + number;
}

PortOpenOutcome openPort(KeyerLink& link, std::string_view name) {
    // A device still open would be lost, and held, for good.
    if (link.device) closePort(link);
    link.deviceName = name;
    const SerialOpenStatus status = serialOpen(name, &link.device);
    if (status != SerialOpenStatus::Opened) {
        link.device = nullptr;
        return {PortOpenFailed, failureOfOpen(status)};
    }
    link.portOpen = true;
    link.bytesSinceDrain = 0;

    // A device without line settings to read is no serial port (a file, /dev/null).
    if (!serialGetSettings(link.device, link.settings)) return {PortGetStateFailed, OpenFailure::NotSerialDevice};
    // The keyer's host protocol; everything else stays as the driver reported it.
    link.settings.baudRate = KeyerBaudRate;
    link.settings.byteSize = 8;
    link.settings.parity = 0;
    link.settings.stopBits = 0;
    link.settings.dtrEnable = true;
    link.settings.rtsEnable = false;
    link.settings.dsrSensitivity = false;
    link.settings.outX = false;
    link.settings.inX = false;
    link.settings.discardNull = false;
    if (!serialSetSettings(link.device, link.settings)) return {PortSetStateFailed, OpenFailure::SettingsRefused};

    // Longer than the read wait, so the wait is what ends a short reply.
    link.timeouts = SerialTimeouts{};
    link.timeouts.readTotalConstantMs = PortReadTimeoutMs;
    serialSetTimeouts(link.device, link.timeouts);

    // Let the line settle, then drop whatever arrived while it did.
    sleepMs(SettleBeforePurgeMs);
    if (!serialPurgeReceive(link.device)) return {PortPurgeFailed, OpenFailure::DeviceFailed};
    return {PortOpened, OpenFailure::None};
}

KeyerLink::~KeyerLink() { closePort(*this); }

void closePort(KeyerLink& link) {
    if (link.device) serialClose(link.device);
    link.device = nullptr;
    link.portOpen = false;
}

bool writeBytes(KeyerLink& link, std::span<const std::uint8_t> bytes) {
    if (!link.device || bytes.empty()) return false;
    link.bytesSinceDrain += bytes.size();
    return serialWrite(link.device, bytes, WriteWaitMs) == bytes.size();
}

int drainWaitMs(std::size_t byteCount, std::uint32_t baudRate) {
    if (baudRate == 0) baudRate = KeyerBaudRate;
    // 10 bits a byte on the line: a start bit, eight data bits, a stop bit.
    const std::uint64_t bitsTimesMs = static_cast<std::uint64_t>(byteCount) * 10 * 1000;
    const std::uint64_t lineMs = (bitsTimesMs + baudRate - 1) / baudRate;
    return static_cast<int>(std::min<std::uint64_t>(lineMs, 600'000)) + DrainMarginMs;
}

bool drainOutput(KeyerLink& link) {
    if (!link.device) return false;
    const bool drained = serialDrain(link.device, drainWaitMs(link.bytesSinceDrain, link.settings.baudRate));
    if (drained) link.bytesSinceDrain = 0;
    return drained;
}

bool readBytes(KeyerLink& link, std::span<std::uint8_t> buffer) {
    if (!link.device || buffer.empty()) return false;
    return serialRead(link.device, buffer, ReadWaitMs) == buffer.size();
}

bool setBaudRate(KeyerLink& link, std::uint32_t baudRate) {
    if (!link.device) return false;
    link.settings.baudRate = baudRate;
    return serialSetSettings(link.device, link.settings);
}
