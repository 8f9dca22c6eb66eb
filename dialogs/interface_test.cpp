#include "dialogs/interface_test.h"

#include "core/link/link_check.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "resources/control_ids.h"

int testInterface(Window window, LinkStart start) {
    using namespace mainwin;
    setControlText(window, InterfaceStatus, LinkCheckProgressText);
    const std::string device = portDeviceName(comPortNumber);
    const LinkCheck check = start == LinkStart::Fresh ? reconnectAndCheckLink(keyerLink, device, knownKeyer())
                                                      : checkLink(keyerLink, device, knownKeyer());
    recordKeyerIdentity(check.identity);
    if (!check.icLabel.empty()) setControlText(window, IcLabel, check.icLabel);
    setControlText(window, InterfaceStatus, check.status);
    return check.code;
}
