#include "app/keyer_operations.h"

#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "link/host_commands.h"
#include "link/interface_test.h"
#include "link/transport.h"
#include "platform/threads.h"
#include "resources/control_ids.h"
#include "settings/keyer_settings.h"
#include "settings/message_editor.h"
#include "settings/panel_capture.h"
#include "settings/panel_load.h"

using namespace mainwin;

bool operationBusy = false;
std::int32_t statusCountdown = 0;

namespace {

constexpr std::int32_t StatusHoldTicks = 12;  // 3 s of 250 ms ticks
constexpr int WriteSettleMs = 3000;           // the keyer stores the record meanwhile
constexpr int MessageMemoryBytes = 240;
constexpr int BootloaderOnly = 5;

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

void showStatus(Window w, const char* text) { setControlText(w, OperationStatus, text); }

// The frame around every operation: the button rules, one operation at a
// time, a fresh connection and the link check.  `prepare` runs before the
// port is touched; `body` runs only when the link check passed.
template <typename Prepare, typename Body>
void runOperation(Window w, Prepare prepare, Body body) {
    lockControls(w);
    if (!operationBusy) {
        prepare();
        operationBusy = true;
        if (portOpen) closePort();
        const int r = testInterface(w);
        if (r < 0)
            showStatus(w, ">JX ERR");
        else
            body(r);
        statusCountdown = StatusHoldTicks;
        operationBusy = false;
    }
    unlockControls(w);
}

}  // namespace

void testKeyer(Window w) {
    runOperation(
        w,
        [w] {
            for (int id : {OperationStatus, SupplyVoltageReading, PotValueReading, PbReading})
                setControlText(w, id, "");
        },
        [w](int r) {
            if (r == BootloaderOnly) {
                showStatus(w, ">JX BAD");
                return;
            }
            showStatus(w, ">JX OK");
            setControlText(w, PotValueReading, format("PotValue: %d", readPotValue()));
            // The LYNX has no push buttons to read.
            if (icType != 4) setControlText(w, PbReading, format("PB:%d", readPushButtons()));
            setControlText(w, SupplyVoltageReading, format("%.2f Volts", supplyVolts(readSupplyVoltage())));
        });
}

void readKeyer(Window w) {
    runOperation(
        w, [] {},
        [w](int) {
            showStatus(w, ">Reading");
            // The record is replaced only by a whole one: a reply cut short
            // (a keyer gone silent, a line hung up) puts back every byte as
            // it was, and the panel and the message edits are not touched.
            const KeyerSettings before = keyerSettings;
            // After a dump cut short the keyer may still be sending the rest,
            // so the extension block is not asked for.
            if (!dumpImage() || !readExtensionBlock()) {
                keyerSettings = before;
                showStatus(w, ">Read Fail");
                return;
            }
            showStatus(w, ">Done");
            loadPanel(w, activeUserSet);
            loadMessages(w);
        });
}

void writeKeyer(Window w) {
    runOperation(
        w, [] {},
        [w](int) {
            // An invalid field has told the operator already; nothing is sent.
            if (!capturePanel(w, activeUserSet)) return;
            storeMessages(w);
            showStatus(w, "Writing");
            // An extension block cut short leaves the keyer waiting for the
            // rest of it, which the image's first bytes would fill: the image
            // goes only after a whole block.
            bool sent = writeExtensionBlock() && loadImage();
            // A write may be finished once the device has queued its bytes;
            // the keyer stores the record only after the last has crossed
            // the line, so the settling wait starts then.
            if (sent) sent = drainOutput();
            sleepMs(WriteSettleMs);
            showStatus(w, sent ? "Done" : "Write Fail");
        });
}

void statusTimerTick(Window w) {
    setControlText(w, MsgBytesLeft, format("Msg Bytes Left: %d", MessageMemoryBytes - messageBytesUsed(w)));
    if (statusCountdown > 0) {
        if (statusCountdown == 1) setControlText(w, OperationStatus, "");
        --statusCountdown;
    }
}

void resetKeyerOperationsState() {
    operationBusy = false;
    statusCountdown = 0;
}
