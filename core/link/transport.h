// The serial connection to the keyer as a value: a link object owns the
// open device, its line settings and time-outs, and what may still be queued
// for the line; every call takes it.  1200 baud 8N1, DTR on, RTS off, blocks
// of bytes moved with bounded waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/serial.h"

struct WireTrace;

// Results of openPort.
enum PortOpenResult : int {
    PortOpened = 0,
    PortOpenFailed = -4,
    PortGetStateFailed = -5,
    PortSetStateFailed = -6,
    PortPurgeFailed = -10,
};

// Why an open failed, beside its code: what a caller may say more.
enum class OpenFailure {
    None,
    NotFound,         // no such device
    AccessDenied,     // the user may not open it (Windows also says this of a port held elsewhere)
    Busy,             // another program holds it
    NotSerialDevice,  // it opened, but has no line settings to read: not a serial port
    SettingsRefused,  // the device refused the keyer's line settings
    DeviceFailed,     // the device or its driver failed (a fault, a time-out, a failed purge)
};

struct PortOpenOutcome {
    PortOpenResult code = PortOpenFailed;
    OpenFailure reason = OpenFailure::NotFound;
};

struct KeyerLink {
    KeyerLink() = default;
    KeyerLink(const KeyerLink&) = delete;
    KeyerLink& operator=(const KeyerLink&) = delete;
    // A device is closed with the link that holds it, whatever path leaves its scope.
    ~KeyerLink();

    // Set as soon as the device is open, even when configuring it failed later.
    bool portOpen = false;
    SerialDevice* device = nullptr;
    // Kept for the open port, so that a later speed change keeps every other setting.
    SerialLineSettings settings;
    // Written since the port opened or last drained: what may still be queued.
    std::size_t bytesSinceDrain = 0;
    // Where the link writes what it does on the wire; none: nowhere.  Kept
    // across opens and closes: whoever set it owns it.
    WireTrace* trace = nullptr;
};

inline constexpr std::uint32_t KeyerBaudRate = 1200;
inline constexpr int WriteWaitMs = 2000;
inline constexpr int ReadWaitMs = 4000;
inline constexpr std::uint32_t PortReadTimeoutMs = 4500;
inline constexpr int SettleBeforePurgeMs = 100;
inline constexpr int DrainMarginMs = 1000;

// "COM9" for ports up to 9, "\\.\COM10" from 10 on.
std::string portDeviceName(int portNumber);

// Opens a device by its name ("COM3", "\\.\COM12", or on POSIX a device path
// such as "/dev/ttyUSB0") and sets it up for the keyer, in a fixed order:
// open, read the settings, apply the keyer's, time-outs, a 100 ms pause, purge.
PortOpenOutcome openPort(KeyerLink& link, std::string_view deviceName);
void closePort(KeyerLink& link);
// true when all bytes were written within the wait (1 to 288 bytes).
bool writeBytes(KeyerLink& link, std::span<const std::uint8_t> bytes);
// true only when exactly buffer.size() bytes arrived within the wait.
bool readBytes(KeyerLink& link, std::span<std::uint8_t> buffer);
// Waits until every byte written since the port opened (or since the last
// drain that succeeded) has left the line; true when it has.  A device may
// finish a write as soon as its bytes are queued, long before the keyer has
// them all.  The wait is bounded by those bytes' line time at the port's
// speed plus DrainMarginMs, so a line that is held up ends it, false.
bool drainOutput(KeyerLink& link);
// The bound drainOutput puts on its wait for `byteCount` bytes at `baudRate`.
int drainWaitMs(std::size_t byteCount, std::uint32_t baudRate);
// Changes the speed of the open port, every other line setting kept.
bool setBaudRate(KeyerLink& link, std::uint32_t baudRate);

// "not found", "access denied", ...: an open failure in a few words.
std::string_view openFailureName(OpenFailure failure);
