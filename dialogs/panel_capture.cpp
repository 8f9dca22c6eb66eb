#include "dialogs/panel_capture.h"

#include "core/settings/user_fields.h"
#include "dialogs/panel_fields.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"

using namespace mainwin;

namespace {

constexpr std::size_t FieldReadLimit = 64;


void toggleCheckBox(Window mainWindow, const FlagField& box) {
    UserSettings& u = userSettings(activeUserSet);
    UserExtension& e = userExtension(activeUserSet);
    std::uint8_t& reg = flagRegister(box, u, e);
    reg = static_cast<std::uint8_t>(reg ^ box.mask);
    // The box follows the record, whatever state the click left it in.
    setChecked(mainWindow, panelControls(box).controlId, flagValue(box, u, e));
}

}  // namespace

bool capturePanel(Window mainWindow, UserSet set) {
    const std::string_view failure =
        captureUserSet(userSettings(set), userExtension(set), set, [mainWindow](const NumberField& field) {
            return parseFieldNumber(getControlText(mainWindow, panelControls(field).controlId, FieldReadLimit));
        });
    if (failure.empty()) return true;
    messageBox(mainWindow, failure, "Error", MessageIcon::None);
    return false;
}

void selectUserSet(Window mainWindow, UserSet target) {
    // The panel on show is kept before another set replaces it; a field that
    // fails keeps the operator on the set being edited.
    if (capturePanel(mainWindow, activeUserSet)) {
        setChecked(mainWindow, User1Radio, target == UserSet::User1);
        setChecked(mainWindow, User2Radio, target == UserSet::User2);
        activeUserSet = target;
        loadPanel(mainWindow, target);
        std::uint8_t& flags = keyerSettings.user1.spacingReg;
        setBits(flags, spacingBits::user2Active, target == UserSet::User2);
    }
}

void applyImmediateUpdate(Window mainWindow, int controlId, int notifyCode) {
    for (const FlagField& box : flagFields()) {
        if (panelControls(box).controlId == controlId) {
            toggleCheckBox(mainWindow, box);
            return;
        }
    }
    for (const ChoiceField& list : choiceFields()) {
        if (panelControls(list).controlId != controlId) continue;
        if (notifyCode == notify::ListSelectionChange)
            list.choose(userSettings(activeUserSet), listSelection(mainWindow, controlId));
        return;
    }
    switch (controlId) {
        // The bank choice lives in user1 whichever set is on show.
        case MessageBank1Radio: setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, false); return;
        case MessageBank2Radio:
            setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, true);
            return;
        default: return;
    }
}
