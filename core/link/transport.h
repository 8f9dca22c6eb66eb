// The one serial connection to the keyer: 1200 baud 8N1, DTR on, RTS off,
// blocks of bytes moved with bounded waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Results of openPort.
enum PortOpenResult : int {
    PortOpened = 0,
    PortOpenFailed = -4,
    PortGetStateFailed = -5,
    PortSetStateFailed = -6,
    PortPurgeFailed = -10,
};

// Set as soon as the device is open, even when configuring it failed later.
extern bool portOpen;

inline constexpr std::uint32_t KeyerBaudRate = 1200;
inline constexpr int WriteWaitMs = 2000;
inline constexpr int ReadWaitMs = 4000;
inline constexpr std::uint32_t PortReadTimeoutMs = 4500;
inline constexpr int SettleBeforePurgeMs = 100;
inline constexpr int DrainMarginMs = 1000;

// "COM9" for ports up to 9, "\\.\COM10" from 10 on.
std::string portDeviceName(int portNumber);

int openPort(int portNumber);
// The same steps on a device by its name: "COM3", "\\.\COM12", or on
// POSIX a device path such as "/dev/ttyUSB0".
int openPortNamed(std::string_view deviceName);
void closePort();
// true when all bytes were written within the wait (1 to 288 bytes).
bool writeBytes(std::span<const std::uint8_t> bytes);
// true only when exactly buffer.size() bytes arrived within the wait.
bool readBytes(std::span<std::uint8_t> buffer);
// Waits until every byte written since the port opened (or since the last
// drain that succeeded) has left the line; true when it has.  A device may
// finish a write as soon as its bytes are queued, long before the keyer has
// them all.  The wait is bounded by those bytes' line time at the port's
// speed plus DrainMarginMs, so a line that is held up ends it, false.
bool drainOutput();
// The bound drainOutput puts on its wait for `byteCount` bytes at `baudRate`.
int drainWaitMs(std::size_t byteCount, std::uint32_t baudRate);
// Changes the speed of the open port, every other line setting kept.
bool setBaudRate(std::uint32_t baudRate);

// Closes any open port: back to the state at program start.
void resetTransportState();
