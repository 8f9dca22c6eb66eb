#include "dialogs/com_port_dialog.h"
#include "dialogs/startup.h"

#include <cstdint>
#include <vector>

#include "resources/control_ids.h"

using namespace comport;

namespace {

// The dialog's state from its start to its end; built afresh at each start.
struct PortListing {
    std::vector<ListedPort> portList;  // at most one per COM number, 1 to 50
    std::int32_t selectedIndex = -1;   // list index of comPortNumber, -1 when not listed
};
PortListing listing;

void initialise(Window dialog) {
    listing = PortListing{};
    listing.portList = listPorts();
    for (std::size_t i = 0; i < listing.portList.size(); ++i) {
        const ListedPort& port = listing.portList[i];
        if (port.number == comPortNumber) listing.selectedIndex = static_cast<std::int32_t>(i);
        listAdd(dialog, PortList, port.text);
    }
    listSelect(dialog, PortList, listing.selectedIndex);
}

void confirmPort(Window dialog) {
    // Nothing chosen (an empty list, no preselection, or typed-over text): keep the port.
    const int index = listSelection(dialog, PortList);
    if (index >= 0 && static_cast<std::size_t>(index) < listing.portList.size()) {
        const ListedPort& port = listing.portList[static_cast<std::size_t>(index)];
        // A port that its number reaches only through the record keeps the
        // old number when the record cannot be made: the new one would open
        // another device than the one chosen.  A record that only follows an
        // adapter to another socket may fail without harm.
        if (!recordChosenPort(port) && port.numberNeedsRecord) {
            endDialog(dialog, 1);
            return;
        }
        comPortNumber = port.number;
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
