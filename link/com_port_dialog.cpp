#include "link/com_port_dialog.h"

#include <array>
#include <cstdint>

#include "link/port_config.h"
#include "link/transport.h"
#include "resources/control_ids.h"

using namespace comport;

bool portExists(SerialOpenStatus probe) {
    switch (probe) {
        case SerialOpenStatus::Opened:
        case SerialOpenStatus::AccessDenied:
        case SerialOpenStatus::Busy:
        case SerialOpenStatus::DeviceFault:
        case SerialOpenStatus::TimedOut:
            return true;
        case SerialOpenStatus::NotFound:
        case SerialOpenStatus::OtherError:
            return false;
    }
    return false;
}

namespace {

// The dialog's state from its start to its end; built afresh at each start.
struct PortListing {
    std::array<std::int32_t, LastProbedPort - FirstProbedPort + 1> portList{};
    std::int32_t count = 0;
    std::int32_t selectedIndex = -1;  // list index of comPortNumber, -1 when not listed
};
PortListing listing;

void initialise(Window dialog) {
    listing = PortListing{};
    for (int n = FirstProbedPort; n <= LastProbedPort; ++n) {
        if (!portExists(serialProbe(portDeviceName(n)))) continue;
        if (n == comPortNumber) listing.selectedIndex = listing.count;
        listing.portList[static_cast<std::size_t>(listing.count)] = n;
        ++listing.count;
        listAdd(dialog, PortList, "com" + std::to_string(n));
    }
    listSelect(dialog, PortList, listing.selectedIndex);
}

void confirmPort(Window dialog) {
    // Nothing chosen (an empty list, no preselection, or typed-over text): keep the port.
    const int index = listSelection(dialog, PortList);
    if (index >= 0 && index < listing.count) {
        comPortNumber = listing.portList[static_cast<std::size_t>(index)];
        writeConfigFile();
    }
    endDialog(dialog, 1);
}

}  // namespace

bool comPortDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            initialise(dialog);
            return true;
        case DialogEvent::Command:
            switch (message.controlId) {
                case OkButton:  // also the Enter key
                    confirmPort(dialog);
                    return true;
                case ExitButton:
                    endDialog(dialog, 0);
                    return true;
                default:
                    return false;  // Escape among them: the dialog stays open
            }
        case DialogEvent::Close:
            endDialog(dialog, 0);
            return true;
        case DialogEvent::Timer:
            return false;
    }
    return false;
}
