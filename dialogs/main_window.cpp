#include "dialogs/main_window.h"

#include <array>
#include <string>

#include "core/settings/keyer_settings.h"
#include "core/settings/user_fields.h"
#include "dialogs/about_dialog.h"
#include "dialogs/com_port_dialog.h"
#include "dialogs/keyer_operations.h"
#include "dialogs/keyer_session.h"
#include "dialogs/message_editor.h"
#include "dialogs/panel_capture.h"
#include "dialogs/panel_fields.h"
#include "dialogs/panel_load.h"
#include "dialogs/rtty_dialog.h"
#include "dialogs/settings_file_dialogs.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "dialogs/uploader_dialog.h"
#include "resources/control_ids.h"

using namespace mainwin;

Window mainWindowHandle = nullptr;

namespace {

void showComPort(Window dialog) { setControlText(dialog, ComPortLabel, "com:" + std::to_string(comPortNumber)); }

void initialise(Window dialog) {
    mainWindowHandle = dialog;
    setChecked(dialog, MessageBank1Radio, true);
    setChecked(dialog, User1Radio, true);
    activeUserSet = UserSet::User1;
    showMessageBank(dialog, 1);
    showComPort(dialog);
    disableUntilTested(dialog);
    for (int edit : messageSlotEdits()) installCharFilter(dialog, edit, messageKeyFilter);
    startTimer(dialog, StatusTimer, 250);

    // Only the output list is emptied first, as it always was.
    listClear(dialog, OutputSelectionList);
    for (const ChoiceField& list : choiceFields())
        for (std::string_view entry : list.entries) listAdd(dialog, panelControls(list).controlId, entry);
}

// --- Command handlers ---------------------------------------------------

void onExit(Window dialog, const DialogMessage&) {
    lockControls(dialog);
    closePort(keyerLink);
    endMessageLoop(dialog, 0);
}

void onMessageBank1(Window dialog, const DialogMessage& message) {
    setChecked(dialog, MessageBank1Radio, true);
    setChecked(dialog, MessageBank2Radio, false);
    showMessageBank(dialog, 1);
    applyImmediateUpdate(dialog, message.controlId, message.notifyCode);
}

void onMessageBank2(Window dialog, const DialogMessage& message) {
    setChecked(dialog, MessageBank2Radio, true);
    setChecked(dialog, MessageBank1Radio, false);
    showMessageBank(dialog, 2);
    applyImmediateUpdate(dialog, message.controlId, message.notifyCode);
}

void onSetComPort(Window dialog, const DialogMessage&) {
    if (keyerLink.portOpen) closePort(keyerLink);
    runModalDialog(dialog, dlg::ComPortSetup, comPortDialogProc);
    showComPort(dialog);
}

void onFirmwareUpdate(Window dialog, const DialogMessage&) {
    runModalDialog(dialog, dlg::FirmwareUploader, uploaderDialogProc);
    // The keyer may run new firmware now: identify it at once.
    sendCommand(dialog, TestButton);
}

void onTest(Window dialog, const DialogMessage&) { testKeyer(dialog); }
void onWrite(Window dialog, const DialogMessage&) { writeKeyer(dialog); }
void onRead(Window dialog, const DialogMessage&) { readKeyer(dialog); }

void onImmediateUpdate(Window dialog, const DialogMessage& message) {
    applyImmediateUpdate(dialog, message.controlId, message.notifyCode);
}

void onResetToDefaults(Window dialog, const DialogMessage&) {
    lockControls(dialog);
    resetToDefaults(keyerSettings);
    loadPanel(dialog, activeUserSet);
    unlockControls(dialog);
}

// The buttons stay locked while a failed field's message is up.
void switchUserSet(Window dialog, UserSet target) {
    lockControls(dialog);
    selectUserSet(dialog, target);
    unlockControls(dialog);
}
void onUser1(Window dialog, const DialogMessage&) { switchUserSet(dialog, UserSet::User1); }
void onUser2(Window dialog, const DialogMessage&) { switchUserSet(dialog, UserSet::User2); }

void onReadConfigFile(Window dialog, const DialogMessage&) {
    loadSettingsFile(dialog);
    // Reloaded whatever the outcome, so unsaved panel edits give way to the record.
    loadPanel(dialog, activeUserSet);
    loadMessages(dialog);
}

void onWriteConfigFile(Window dialog, const DialogMessage&) {
    if (!capturePanel(dialog, activeUserSet)) return;
    storeMessages(dialog);
    saveSettingsFile(dialog);
}

void onAbout(Window dialog, const DialogMessage&) { runModalDialog(dialog, dlg::About, aboutDialogProc); }
void onRtty(Window dialog, const DialogMessage&) { runModalDialog(dialog, dlg::RttySetup, rttyDialogProc); }

struct CommandRoute {
    int firstId;
    int lastId;
    CommandHandler handler;
};

constexpr CommandRoute commandRoutes[] = {
    {ExitButton, ExitButton, onExit},
    {MessageBank1Radio, MessageBank1Radio, onMessageBank1},
    {MessageBank2Radio, MessageBank2Radio, onMessageBank2},
    {SetComPortButton, SetComPortButton, onSetComPort},
    {FwUpdateButton, FwUpdateButton, onFirmwareUpdate},
    {TestButton, TestButton, onTest},
    {WriteButton, WriteButton, onWrite},
    {ReadButton, ReadButton, onRead},
    {SwapCheck, So2rCheck, onImmediateUpdate},  // the check boxes 4014-4024
    {FaveWpmOffCheck, FaveWpmOffCheck, onImmediateUpdate},
    {KeyerModeList, KeyerModeList, onImmediateUpdate},
    {OutputSelectionList, OutputSelectionList, onImmediateUpdate},
    {PaddleHangList, PaddleHangList, onImmediateUpdate},
    {ResetDefaultsButton, ResetDefaultsButton, onResetToDefaults},
    {User1Radio, User1Radio, onUser1},
    {User2Radio, User2Radio, onUser2},
    {ReadConfigFileButton, ReadConfigFileButton, onReadConfigFile},
    {WriteConfigFileButton, WriteConfigFileButton, onWriteConfigFile},
    {AboutButton, AboutButton, onAbout},
    {RttyButton, RttyButton, onRtty},
};

}  // namespace

CommandHandler findCommandHandler(int controlId) {
    for (const auto& route : commandRoutes) {
        if (controlId >= route.firstId && controlId <= route.lastId) return route.handler;
    }
    return nullptr;
}

bool mainWindowProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            initialise(dialog);
            return true;
        case DialogEvent::Command: {
            // Commands 1 and 2 (Enter and Esc with no push button focused) find no route.
            const CommandHandler handler = findCommandHandler(message.controlId);
            if (!handler) return false;
            handler(dialog, message);
            return true;
        }
        case DialogEvent::Timer:
            statusTimerTick(dialog);
            return true;
        case DialogEvent::Close:
            endDialog(dialog, 0);
            return true;
    }
    return false;
}

// --- Button rules ---------------------------------------------------------

void disableUntilTested(Window dialog) {
    for (int id : {WriteButton, ReadButton, FwUpdateButton, RttyButton, ReadConfigFileButton, WriteConfigFileButton})
        enableControl(dialog, id, false);
}

void lockControls(Window dialog) {
    for (int id : {TestButton, WriteButton, ReadButton, MessageBank1Radio, MessageBank2Radio, User1Radio, User2Radio,
                   SetComPortButton, FwUpdateButton, RttyButton})
        enableControl(dialog, id, false);
    enableControl(dialog, ReadConfigFileButton, true);
    enableControl(dialog, WriteConfigFileButton, true);
}

void unlockControls(Window dialog) {
    for (int id : {TestButton, MessageBank1Radio, MessageBank2Radio, User1Radio, User2Radio, SetComPortButton})
        enableControl(dialog, id, true);
    // Never disables: a control whose version condition fails keeps the state lockControls left.
    if (firmwareMajor > 30) {
        for (int id : {WriteButton, ReadButton, RttyButton, ReadConfigFileButton, WriteConfigFileButton})
            enableControl(dialog, id, true);
    }
    if (firmwareMajor > 29) enableControl(dialog, FwUpdateButton, true);
}
