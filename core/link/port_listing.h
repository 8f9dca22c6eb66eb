// The ports the "Comm Port Setup" dialog and `jxtool ports` offer, built in
// one place.  Where the system lists its ports (Linux) they come from that
// listing, which opens no device, with the device and what it is beside the
// number; elsewhere COM1 to COM50 are probed and listed by number alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial.h"

inline constexpr int FirstProbedPort = 1;
inline constexpr int LastProbedPort = 50;

inline constexpr std::string_view NoPermissionNote = "(no permission: add yourself to the dialout group)";

struct ListedPort {
    std::int32_t number = 0;
    std::string text;          // the list entry: "com11" or "com11  /dev/ttyUSB0  FT232R USB UART"
    std::string recordTarget;  // what choosing it records as COMn; empty: nothing
    bool numberNeedsRecord = false;  // COMn reaches this port only once the record is made
};

// A port exists when it opens, or when it fails as busy, denied, faulty or
// timed out: such a port is held by another program or misbehaving, and the
// operator may still want to choose it.
bool portExists(SerialOpenStatus probe);

// "com11  /dev/ttyUSB0  FT232R USB UART", with NoPermissionNote after it when
// the user may not open the device.
std::string portEntryText(const SerialPortEntry& entry);

// What choosing a listed port records: its stable name when it has one (the
// number then follows the adapter to another socket), else its device when
// the number reaches it only through a record.
std::string portRecordTarget(const SerialPortEntry& entry);

// The ports in list order, at most one per COM number from 1 to 50.
std::vector<ListedPort> listPorts();

// Records the chosen port's name where it has one to record; true when there
// was nothing to record or it was recorded.
bool recordChosenPort(const ListedPort& port);
