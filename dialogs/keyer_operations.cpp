#include "dialogs/keyer_operations.h"

#include <string>
#include <string_view>

#include "core/link/keyer_transfers.h"
#include "core/link/link_check.h"
#include "core/link/record_history.h"
#include "core/settings/keyer_settings.h"
#include "core/settings/message_codec.h"
#include "dialogs/interface_test.h"
#include "dialogs/keyer_session.h"
#include "dialogs/main_window.h"
#include "dialogs/message_editor.h"
#include "dialogs/panel_capture.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"

using namespace mainwin;

bool operationBusy = false;
std::int32_t statusCountdown = 0;

namespace {

constexpr std::int32_t StatusHoldTicks = 12;  // 3 s of 250 ms ticks

void showStatus(Window w, std::string_view text) { setControlText(w, OperationStatus, text); }

// The frame around every operation: the button rules, one operation at a
// time, a fresh connection and the link check.  `prepare` runs before the
// port is touched; `body` runs only when the link check passed.
template <typename Prepare, typename Body>
void runOperation(Window w, Prepare prepare, Body body) {
    lockControls(w);
    if (!operationBusy) {
        prepare();
        operationBusy = true;
        const int r = testInterface(w, LinkStart::Fresh);
        if (r < 0)
            showStatus(w, LinkFailedText);
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
            if (r == BootloaderOnlyCode) {
                showStatus(w, NoFirmwareText);
                return;
            }
            showStatus(w, KeyerAnswersText);
            const KeyerReadings readings = readKeyerReadings(keyerLink, knownKeyer().variant);
            setControlText(w, PotValueReading, readings.potValue);
            if (!readings.pushButtons.empty()) setControlText(w, PbReading, readings.pushButtons);
            setControlText(w, SupplyVoltageReading, readings.supplyVoltage);
        });
}

void readKeyer(Window w) {
    runOperation(
        w, [] {},
        [w](int) {
            showStatus(w, ReadingText);
            const TransferResult result = readRecordFromKeyer(keyerLink, keyerSettings);
            showStatus(w, result.status);
            // A Read cut short leaves the panel and the message edits as they were.
            if (!result.ok) return;
            loadPanel(w, activeUserSet);
            loadMessages(w);
            // Kept without a word: a history that cannot be written changes nothing on show.
            keepInHistory(keyerSettings, HistoryKind::Read, knownKeyer());
        });
}

void writeKeyer(Window w) {
    runOperation(
        w, [] {},
        [w](int) {
            // An invalid field has told the operator already; nothing is sent.
            if (!capturePanel(w, activeUserSet)) return;
            storeMessages(w);
            showStatus(w, WritingText);
            const TransferResult result = writeRecordToKeyer(keyerLink, keyerSettings);
            showStatus(w, result.status);
            // Only a whole Write is kept: after "Write Fail" the record is still on the panel.
            if (result.ok) keepInHistory(keyerSettings, HistoryKind::Write, knownKeyer());
        });
}

void statusTimerTick(Window w) {
    setControlText(w, MsgBytesLeft, "Msg Bytes Left: " + std::to_string(messageBytesLeft(messageBytesUsed(w))));
    if (statusCountdown > 0) {
        if (statusCountdown == 1) setControlText(w, OperationStatus, "");
        --statusCountdown;
    }
}

void resetKeyerOperationsState() {
    operationBusy = false;
    statusCountdown = 0;
}
