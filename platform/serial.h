// A serial device, as small as the keyer link needs it: open by name
// (exclusively), read and apply line settings, time-outs, purge of the
// receive buffer, bounded writes and reads, a bounded wait for the output to
// leave the line, close.  Each backend maps these one to one onto its system
// (Win32 overlapped I/O, POSIX termios, or an in-process simulated keyer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SerialDevice;  // opaque; each backend defines it

enum class SerialOpenStatus {
    Opened,
    NotFound,       // no such device
    AccessDenied,   // no permission, or held by another program (Win32 reports busy ports this way)
    Busy,           // held by another program
    DeviceFault,    // the driver reported a general failure
    TimedOut,       // the device did not answer in time
    OtherError,
};

// The line settings the link sets.  Settings the link does not name (flow
// control on CTS/DSR, error characters, XON/XOFF limits, ...) stay inside the
// backend exactly as the driver reported them.
struct SerialLineSettings {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;    // 0 none
    std::uint8_t stopBits = 0;  // 0 one stop bit
    bool dtrEnable = false;     // DTR raised while open
    bool rtsEnable = false;     // RTS raised while open
    bool dsrSensitivity = false;
    bool outX = false;          // XON/XOFF on output
    bool inX = false;           // XON/XOFF on input
    bool discardNull = false;
};

struct SerialTimeouts {
    std::uint32_t readIntervalMs = 0;
    std::uint32_t readTotalMultiplierMs = 0;
    std::uint32_t readTotalConstantMs = 0;
    std::uint32_t writeTotalMultiplierMs = 0;
    std::uint32_t writeTotalConstantMs = 0;
};

// deviceName is the Windows name the link forms ("COM3", "\\.\COM12"); a
// backend maps it to its own device.
SerialOpenStatus serialOpen(std::string_view deviceName, SerialDevice** device);
bool serialGetSettings(SerialDevice* device, SerialLineSettings& settings);
bool serialSetSettings(SerialDevice* device, const SerialLineSettings& settings);
bool serialSetTimeouts(SerialDevice* device, const SerialTimeouts& timeouts);
bool serialPurgeReceive(SerialDevice* device);

// A write waits at most waitMs for completion and returns the count of bytes
// the device confirmed written (bytes.size() when it completed in time).  A
// write still under way when the wait ends is not cut short: some devices
// complete a write only once its bytes have left the line (288 bytes need
// 2.4 s at 1200 baud), so its bytes still go out, and the device awaits it for
// as long as the line needs them; the count is what it had written by then.
// The call returns only when the device no longer refers to the caller's
// bytes: it has copied them, or the write has finished (or, on a device that
// makes no progress at all, has been cancelled).
std::size_t serialWrite(SerialDevice* device, std::span<const std::uint8_t> bytes, int waitMs);
// Waits at most waitMs until every byte written so far has left the line
// (the device's output queue is empty); true when it has.  A device that
// copies writes into a queue of its own returns from serialWrite long before
// the line has carried the bytes.  Never longer than waitMs, whatever the
// line does: a line held up by flow control or a dead adapter gives false.
bool serialDrain(SerialDevice* device, int waitMs);
// A read waits at most waitMs (and no longer than the read time-outs allow)
// for buffer.size() bytes and returns the count that arrived; they fill the
// start of the buffer and the rest of it is left untouched.  A read not
// complete when the wait ends is cancelled and finished before the call
// returns: nothing later lands in the caller's buffer.
std::size_t serialRead(SerialDevice* device, std::span<std::uint8_t> buffer, int waitMs);
void serialClose(SerialDevice* device);

// Whether a port exists, by trying to open it (not overlapped) and closing it
// at once.  Busy, denied, faulty and timed-out ports exist.
SerialOpenStatus serialProbe(std::string_view deviceName);

// The system's own device behind a device name, for showing beside it:
// "/dev/ttyUSB0" for "\\.\COM11" on Linux; empty where the name is the
// device itself (Windows) or there is none.
std::string serialDevicePath(std::string_view deviceName);

// A serial port as the system lists it, found without opening it: opening a
// terminal raises DTR and RTS, which resets some boards and keys some
// transmitters.
struct SerialPortEntry {
    int comNumber = 0;        // the COMn it is listed as
    std::string devicePath;   // "/dev/ttyUSB0"
    std::string description;  // "FT232R USB UART"; may be empty
    std::string stableName;   // a name that follows the adapter from socket to socket, or empty
    bool accessible = true;   // the user may open it for reading and writing
    bool numberNeedsRecord = false;  // COMn reaches it only once serialRecordPort has recorded it
};

// The ports the system knows, in COM number order, no two for one device;
// false where the system offers no such listing (Windows, the test backend):
// ports are then found by serialProbe.
bool serialListPorts(std::vector<SerialPortEntry>& ports);

enum class PortRecordStatus {
    Recorded,
    Refused,  // something of the user's other than such a record is there: kept
    Failed,
};
// Makes COMn name `target` from now on (on POSIX the link ports/comN in the
// configuration folder, replaced at once if it is a link already).
PortRecordStatus serialRecordPort(int comNumber, std::string_view target);
