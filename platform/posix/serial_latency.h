// Low-latency mode of a serial device.  A USB serial adapter holds the bytes
// it receives until its buffer fills or its latency timer runs out (16 ms on
// many chip adapters), and the keyer's protocol is stop and wait: every reply
// pays that hold once.  Linux lets a program ask the driver for low-latency
// mode (ASYNC_LOW_LATENCY, which the common drivers turn into a 1 ms timer);
// whether the driver took it is known only by reading the flag back.  Some
// drivers show their timer in sysfs; changing it there needs root, so it is
// only read.
#pragma once

#include <string>

enum class LowLatency {
    NotAsked,      // no device opened yet
    On,            // the driver reports the flag set after the request
    Refused,       // the device has serial settings but did not keep the flag
    NotSupported,  // the device has no serial settings at all (a pseudo-terminal)
};

struct LowLatencyReport {
    LowLatency mode = LowLatency::NotAsked;
    int latencyTimerMs = -1;  // the adapter's timer as sysfs shows it; -1 when it shows none
};

// What the three steps of the request say: the settings were read, the
// changed settings were accepted, the flag was set when read back.
LowLatency classifyLowLatency(bool settingsRead, bool settingsAccepted, bool flagReadBack);

// Asks the driver of the open descriptor for low-latency mode and reads back
// what it kept, with the latency timer found under sysfsRoot.
LowLatencyReport requestLowLatencyMode(int fd, const std::string& sysfsRoot = "/sys");

// The latency timer of the device behind fd: sysfsRoot/dev/char/MAJOR:MINOR/
// device/latency_timer (for a USB serial port the same file as
// /sys/bus/usb-serial/devices/ttyUSBn/latency_timer); -1 when there is none.
int latencyTimerMs(int fd, const std::string& sysfsRoot = "/sys");

// The same for a tty by its name ("ttyUSB0"): sysfsRoot/class/tty/NAME/device/latency_timer.
int latencyTimerMsOfTty(const std::string& ttyName, const std::string& sysfsRoot = "/sys");

// The outcome for the device the serial layer opened last in this process.
void noteLowLatency(const LowLatencyReport& report);
LowLatencyReport lastLowLatency();

// "low latency: on", "low latency: refused (latency timer 16 ms)",
// "low latency: not supported".
std::string lowLatencyText(const LowLatencyReport& report);
