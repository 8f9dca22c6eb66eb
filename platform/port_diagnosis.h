// What the system can tell about a serial port and its surroundings without
// opening it: who may open it, who holds it, what else on the system reaches
// for serial adapters.  The operations turn these facts into explanations of
// a failed open and into jxtool doctor's checks; nothing here is ever written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A process that has the device open.
struct PortHolder {
    int processId = 0;
    std::string program;  // its command name, as the system shows it
    // It holds the pseudo-terminal's other end too: the far end of the line
    // (a simulated keyer, say), not a program in the way.
    bool farEnd = false;
};

struct PortFacts {
    std::string devicePath;  // the system's device behind the name, links followed ("/dev/ttyUSB0")
    bool exists = false;

    // Who may open it (POSIX): its owner, group and mode, and the user's
    // place in that group.  accessChecked is false where the system has no
    // such thing to say (Windows).
    bool accessChecked = false;
    bool mayOpen = false;  // the user may open it for reading and writing
    std::string owner;
    std::string group;
    unsigned mode = 0;              // permission bits, 0777 at most
    bool inGroup = false;           // the group database lists the user in the group
    bool inGroupThisLogin = false;  // this login's processes carry the group already

    // Who holds it.  holdersChecked: the system was asked; holders are the
    // processes it showed (never this one); holdersComplete: it showed every
    // process (an ordinary user sees only their own); heldUnnamed: the system
    // says the port is in use without saying by whom (Windows).
    bool holdersChecked = false;
    bool holdersComplete = false;
    std::vector<PortHolder> holders;
    bool heldUnnamed = false;

    // The USB adapter behind it (0 when it is none), and its latency timer
    // as sysfs shows it (-1 when it shows none).
    std::uint16_t usbVendor = 0;
    std::uint16_t usbProduct = 0;
    int latencyTimerMs = -1;
};

// A udev rule file of a program that claims devices by their USB IDs, as the
// system applies it (a file of the same name in /etc masks the packaged one).
struct UdevRuleFile {
    std::string path;
    std::string text;
};

struct SystemFacts {
    bool servicesChecked = false;  // the checks below apply (Linux)
    std::vector<int> modemManagerIds;  // running ModemManager processes
    std::vector<UdevRuleFile> brlttyRules;
    // USB devices plugged in, as vendor << 16 | product.
    std::vector<std::uint32_t> usbDevices;
};

// Low-latency mode as the last open of a port in this process found it.
enum class LowLatencyState {
    NotAsked,      // no port was opened
    On,            // the driver kept the mode
    Refused,       // it has the mode but did not keep it
    NotSupported,  // the device has no such mode (a pseudo-terminal)
};

// The facts about the device a name opens ("COM7", "\\.\COM12", a path).
PortFacts examinePort(std::string_view deviceName);
SystemFacts examineSystem();
LowLatencyState lastOpenLowLatency();
