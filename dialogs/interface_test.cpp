#include "dialogs/interface_test.h"

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "dialogs/startup.h"
#include "resources/control_ids.h"

int testInterface(Window window) {
    using namespace mainwin;
    setControlText(window, InterfaceStatus, LinkCheckProgressText);
    const LinkCheck check = checkLink(portDeviceName(comPortNumber));
    if (!check.icLabel.empty()) setControlText(window, IcLabel, check.icLabel);
    setControlText(window, InterfaceStatus, check.status);
    return check.code;
}

