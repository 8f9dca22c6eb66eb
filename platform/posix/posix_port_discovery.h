// Which serial ports a Linux system has, read from its device records rather
// than by opening devices: opening a terminal raises DTR and RTS, which
// resets some boards and keys some transmitters.
//
// A port is a node of /sys/class/tty that has a device link (the virtual
// consoles and ptmx have none), whose /dev node exists, and, for a ttyS
// node, whose UART `type` is not 0 (the kernel makes ttyS nodes for UARTs
// that are not there).  Its description is the USB device's product string
// (else its manufacturer; for a CDC ACM device the interface string first),
// or else the name of the driver behind it.  /dev/serial/by-id names, which
// follow an adapter from socket to socket, are matched to their device.
//
// COM numbers: every comN override in the configuration folder that exists
// keeps N for itself.  One that resolves to a port gives it N; one that
// resolves to a device outside sysfs (a pseudo-terminal, say) is a port of
// its own.  Otherwise a port has its fixed number (ttyS0-9 COM1-10, ttyUSB0-19
// COM11-30, ttyACM0-19 COM31-50), and a port without one, or whose number an
// override holds, gets the lowest number nothing else holds, reachable once
// the override is recorded.  No device is listed twice, and a device that
// vanishes while the list is built is left out.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial.h"

struct PortDiscoverySource {
    std::string root = "/";      // where sys/ and dev/ are
    std::string overrideFolder;  // the comN overrides; empty: none
    // Whether the user may open a device for reading and writing (its path
    // under root); empty: access(2), which opens nothing.
    std::function<bool(const std::string& path)> mayOpen;
};

// The ports, in COM number order; false when root has no /sys/class/tty.
bool discoverPorts(const PortDiscoverySource& source, std::vector<SerialPortEntry>& ports);

// Where serialListPorts looks: "/" and access(2) unless a test points it at a
// fake tree (the override folder is always portOverrideFolder()).
void setPortDiscoveryRoot(std::string root, std::function<bool(const std::string&)> mayOpen = {});

// What the port diagnosis shares with the listing.  Plain file-system reads:
// a symbolic link's target; a short sysfs attribute, trimmed, control
// characters as spaces (empty when unreadable); a folder's names, sorted
// (readable, when asked, tells whether it could be read at all).
std::optional<std::string> readLink(const std::string& path);
std::string readAttribute(const std::string& path);
std::vector<std::string> folderEntries(const std::string& folder, bool* readable = nullptr);
// A ttyS node the kernel made for a UART that is not there (its type is 0).
bool isAbsentUart(const std::string& root, const std::string& ttyName);
// The idVendor and idProduct of a USB device's sysfs folder; false when it has none.
bool readUsbIds(const std::string& folder, std::uint16_t& vendor, std::uint16_t& product);
// The root it looks under
// and its access test, paths under that root, and a tty's USB adapter.
const std::string& portDiscoveryRoot();
bool portMayBeOpened(const std::string& pathUnderRoot);
std::string pathUnderRoot(const std::string& root, const std::string& path);
// The path with every link followed as if root were "/"; empty when any part
// of it is missing.
std::string resolvePathUnderRoot(const std::string& root, const std::string& path);
// The USB device above /sys/class/tty/ttyName: its vendor and product IDs;
// false when it is none.
bool usbIdsOfTty(const std::string& root, const std::string& ttyName, std::uint16_t& vendor, std::uint16_t& product);

// Makes folder/comN a symbolic link to target: the folders are made (owner
// only) as needed, and a link already there is replaced in one step (a new
// link under a temporary name renamed over it).  A regular file, folder or
// anything else that is not a link is the user's own: Refused, untouched.
PortRecordStatus recordPortLink(const std::string& folder, int comNumber, const std::string& target);
