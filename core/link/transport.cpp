#include "core/link/transport.h"

#include <algorithm>

#include "core/link/wire_trace.h"
#include "core/text_format.h"
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

// "COM11 (/dev/ttyUSB0)", or the name alone where it is the device itself.
std::string nameWithDevice(std::string_view name) {
    std::string text(name);
    const std::string path = serialDevicePath(name);
    if (!path.empty() && path != name) text += " (" + path + ")";
    return text;
}

void traceShortTransfer(KeyerLink& link, const char* what, std::size_t done, std::size_t wanted, int waitMs) {
    traceEvent(link.trace, formatText("time-out: %s %zu of %zu bytes in %d ms", what, done, wanted, waitMs));
}

}  // namespace

std::string_view openFailureName(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::None: return "none";
        case OpenFailure::NotFound: return "not found";
        case OpenFailure::AccessDenied: return "access denied";
        case OpenFailure::Busy: return "busy";
        case OpenFailure::NotSerialDevice: return "not a serial device";
        case OpenFailure::SettingsRefused: return "line settings refused";
        case OpenFailure::DeviceFailed: return "device failed";
    }
    return "unknown";
}

std::string portDeviceName(int portNumber) {
    // Ports from 10 on exist only in the device namespace.
    const std::string number = std::to_string(portNumber);
    return portNumber <= 9 ? "COM" + number : "\\\\.\\COM" + number;
}

PortOpenOutcome openPort(KeyerLink& link, std::string_view name) {
    // A device still open would be lost, and held, for good.
    if (link.device) closePort(link);
    const SerialOpenStatus status = serialOpen(name, &link.device);
    if (status != SerialOpenStatus::Opened) {
        link.device = nullptr;
        const OpenFailure failure = failureOfOpen(status);
        if (link.trace) traceEvent(link.trace, "open " + nameWithDevice(name) + " failed: " + std::string(openFailureName(failure)));
        return {PortOpenFailed, failure};
    }
    if (link.trace) traceEvent(link.trace, "open " + nameWithDevice(name));
    link.portOpen = true;
    link.bytesSinceDrain = 0;

    // A device without line settings to read is no serial port (a file, /dev/null).
    if (!serialGetSettings(link.device, link.settings)) {
        traceEvent(link.trace, "line settings unreadable: not a serial device");
        return {PortGetStateFailed, OpenFailure::NotSerialDevice};
    }
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
    const bool settingsTaken = serialSetSettings(link.device, link.settings);
    traceEvent(link.trace, formatText("line %u 8N1, DTR on, RTS off%s", static_cast<unsigned>(KeyerBaudRate),
                                      settingsTaken ? "" : ": refused"));
    if (!settingsTaken) return {PortSetStateFailed, OpenFailure::SettingsRefused};

    // Longer than the read wait, so the wait is what ends a short reply.
    SerialTimeouts timeouts{};
    timeouts.readTotalConstantMs = PortReadTimeoutMs;
    serialSetTimeouts(link.device, timeouts);

    // Let the line settle, then drop whatever arrived while it did.
    sleepMs(SettleBeforePurgeMs);
    const bool purged = serialPurgeReceive(link.device);
    traceEvent(link.trace, purged ? "purge" : "purge failed");
    if (!purged) return {PortPurgeFailed, OpenFailure::DeviceFailed};
    return {PortOpened, OpenFailure::None};
}

KeyerLink::~KeyerLink() { closePort(*this); }

void closePort(KeyerLink& link) {
    if (link.device) {
        serialClose(link.device);
        traceEvent(link.trace, "close");
    }
    link.device = nullptr;
    link.portOpen = false;
}

bool writeBytes(KeyerLink& link, std::span<const std::uint8_t> bytes) {
    if (!link.device || bytes.empty()) return false;
    link.bytesSinceDrain += bytes.size();
    const std::size_t written = serialWrite(link.device, bytes, WriteWaitMs);
    if (link.trace) {
        if (written > 0) traceTransfer(link.trace, TransferDirection::ToKeyer, link.settings.baudRate, bytes.first(written));
        if (written < bytes.size()) traceShortTransfer(link, "write", written, bytes.size(), WriteWaitMs);
    }
    return written == bytes.size();
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
    const int waitMs = drainWaitMs(link.bytesSinceDrain, link.settings.baudRate);
    const bool drained = serialDrain(link.device, waitMs);
    if (link.trace)
        traceEvent(link.trace, drained ? formatText("drain: %zu bytes left the line", link.bytesSinceDrain)
                                       : formatText("time-out: drain of %zu bytes in %d ms", link.bytesSinceDrain, waitMs));
    if (drained) link.bytesSinceDrain = 0;
    return drained;
}

bool readBytes(KeyerLink& link, std::span<std::uint8_t> buffer) {
    if (!link.device || buffer.empty()) return false;
    const std::size_t got = serialRead(link.device, buffer, ReadWaitMs);
    if (link.trace) {
        if (got > 0) traceTransfer(link.trace, TransferDirection::FromKeyer, link.settings.baudRate, buffer.first(got));
        if (got < buffer.size()) traceShortTransfer(link, "read", got, buffer.size(), ReadWaitMs);
    }
    return got == buffer.size();
}

bool setBaudRate(KeyerLink& link, std::uint32_t baudRate) {
    if (!link.device) return false;
    link.settings.baudRate = baudRate;
    const bool taken = serialSetSettings(link.device, link.settings);
    traceEvent(link.trace, formatText("speed %u%s", static_cast<unsigned>(baudRate), taken ? "" : ": refused"));
    return taken;
}
