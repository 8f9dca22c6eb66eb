#include "core/link/transport.h"

#include <algorithm>

#include "platform/serial.h"
#include "platform/threads.h"

bool portOpen = false;

namespace {
SerialDevice* portHandle = nullptr;
// Kept for the open port, so that a later speed change keeps every other setting.
SerialLineSettings portSettings;
SerialTimeouts portTimeouts;
// Written since the port opened or last drained: what may still be queued.
std::size_t bytesSinceDrain = 0;
}  // namespace

std::string portDeviceName(int portNumber) {
    // Ports from 10 on exist only in the device namespace.
    const std::string number = std::to_string(portNumber);
    return portNumber <= 9 ? "COM" + number : "\\\\.\\COM" + number;
}

int openPort(int portNumber) { return openPortNamed(portDeviceName(portNumber)); }

int openPortNamed(std::string_view name) {
    if (serialOpen(name, &portHandle) != SerialOpenStatus::Opened) {
        portHandle = nullptr;
        return PortOpenFailed;
    }
    portOpen = true;
    bytesSinceDrain = 0;

    if (!serialGetSettings(portHandle, portSettings)) return PortGetStateFailed;
    // The keyer's host protocol; everything else stays as the driver reported it.
    portSettings.baudRate = KeyerBaudRate;
    portSettings.byteSize = 8;
    portSettings.parity = 0;
    portSettings.stopBits = 0;
    portSettings.dtrEnable = true;
    portSettings.rtsEnable = false;
    portSettings.dsrSensitivity = false;
    portSettings.outX = false;
    portSettings.inX = false;
    portSettings.discardNull = false;
    if (!serialSetSettings(portHandle, portSettings)) return PortSetStateFailed;

    // Longer than the read wait, so the wait is what ends a short reply.
    portTimeouts = SerialTimeouts{};
    portTimeouts.readTotalConstantMs = PortReadTimeoutMs;
    serialSetTimeouts(portHandle, portTimeouts);

    // Let the line settle, then drop whatever arrived while it did.
    sleepMs(SettleBeforePurgeMs);
    if (!serialPurgeReceive(portHandle)) return PortPurgeFailed;
    return PortOpened;
}

void closePort() {
    if (portHandle) serialClose(portHandle);
    portHandle = nullptr;
    portOpen = false;
}

bool writeBytes(std::span<const std::uint8_t> bytes) {
    if (!portHandle || bytes.empty()) return false;
    bytesSinceDrain += bytes.size();
    return serialWrite(portHandle, bytes, WriteWaitMs) == bytes.size();
}

int drainWaitMs(std::size_t byteCount, std::uint32_t baudRate) {
    if (baudRate == 0) baudRate = KeyerBaudRate;
    // 10 bits a byte on the line: a start bit, eight data bits, a stop bit.
    const std::uint64_t bitsTimesMs = static_cast<std::uint64_t>(byteCount) * 10 * 1000;
    const std::uint64_t lineMs = (bitsTimesMs + baudRate - 1) / baudRate;
    return static_cast<int>(std::min<std::uint64_t>(lineMs, 600'000)) + DrainMarginMs;
}

bool drainOutput() {
    if (!portHandle) return false;
    const bool drained = serialDrain(portHandle, drainWaitMs(bytesSinceDrain, portSettings.baudRate));
    if (drained) bytesSinceDrain = 0;
    return drained;
}

bool readBytes(std::span<std::uint8_t> buffer) {
    if (!portHandle || buffer.empty()) return false;
    return serialRead(portHandle, buffer, ReadWaitMs) == buffer.size();
}

bool setBaudRate(std::uint32_t baudRate) {
    if (!portHandle) return false;
    portSettings.baudRate = baudRate;
    return serialSetSettings(portHandle, portSettings);
}

void resetTransportState() {
    closePort();
    portSettings = SerialLineSettings{};
    portTimeouts = SerialTimeouts{};
}
