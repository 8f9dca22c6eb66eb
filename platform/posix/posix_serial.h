// How the POSIX serial backend finds the device behind a COM port number.
//
// COMn is, in this order:
//   1. the override ports/comN in the program's configuration folder
//      (platform/posix/xdg_config.h: $XDG_CONFIG_HOME/keyer-tools or
//      ~/.config/keyer-tools) when it exists:
//      usually a symbolic link to any device or pseudo-terminal;
//   2. otherwise COM1-COM10 are /dev/ttyS0-/dev/ttyS9, COM11-COM30 are
//      /dev/ttyUSB0-/dev/ttyUSB19 and COM31-COM50 are /dev/ttyACM0-/dev/ttyACM19.
// Numbers outside 1-50 have only the override.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// "COM7" or "\\.\COM12" (either case) to 7 or 12; 0 when it is neither.
int comNumberFromDeviceName(std::string_view deviceName);

// The folder of comN overrides (it need not exist).
std::string portOverrideFolder();

// The device path for COMn by the rule above; empty when there is none.
std::string devicePathForPort(int comNumber);

// What serialOpen and serialProbe open for a device name: a path (starting
// with '/') as it is, otherwise the path of the COM port it names.
std::string devicePathForName(std::string_view deviceName);

// Tests only: how the drain reads the bytes still in a device's output queue
// (as ioctl TIOCOUTQ: 0 and the count, or -1), since a pseudo-terminal's is
// always empty; an empty function restores TIOCOUTQ.
using OutputQueueQuery = std::function<int(int fd, int& queued)>;
void setOutputQueueQuery(OutputQueueQuery query);
