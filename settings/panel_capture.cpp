#include "settings/panel_capture.h"

#include <limits>

#include "resources/control_ids.h"
#include "settings/panel_load.h"
#include "settings/user_fields.h"

using namespace mainwin;

namespace {

constexpr std::size_t FieldReadLimit = 64;

void setBits(std::uint8_t& reg, std::uint8_t mask, std::uint8_t value) {
    reg = static_cast<std::uint8_t>((reg & ~mask) | (value & mask));
}

void toggleCheckBox(Window mainWindow, const FlagField& box) {
    UserSettings& u = userSettings(activeUserSet);
    UserExtension& e = userExtension(activeUserSet);
    std::uint8_t& reg = flagRegister(box, u, e);
    reg = static_cast<std::uint8_t>(reg ^ box.mask);
    // The box follows the record, whatever state the click left it in.
    setChecked(mainWindow, box.controlId, flagValue(box, u, e));
}

}  // namespace

std::uint32_t parseFieldNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    constexpr std::uint32_t Largest = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        const auto digit = static_cast<std::uint32_t>(c - '0');
        // Saturate: a huge number must stay huge and fail its bound, never wrap to a passing value.
        value = value > (Largest - digit) / 10 ? Largest : value * 10 + digit;
    }
    return value;
}

bool capturePanel(Window mainWindow, UserSet set) {
    const std::string_view failure =
        captureUserSet(userSettings(set), userExtension(set), set, [mainWindow](const NumberField& field) {
            return parseFieldNumber(getControlText(mainWindow, field.controlId, FieldReadLimit));
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
        setBits(flags, spacingBits::user2Active, target == UserSet::User2 ? spacingBits::user2Active : 0);
    }
}

void applyImmediateUpdate(Window mainWindow, int controlId, int notifyCode) {
    for (const FlagField& box : flagFields()) {
        if (box.controlId == controlId) {
            toggleCheckBox(mainWindow, box);
            return;
        }
    }
    for (const ChoiceField& list : choiceFields()) {
        if (list.controlId != controlId) continue;
        if (notifyCode == notify::ListSelectionChange)
            list.choose(userSettings(activeUserSet), listSelection(mainWindow, controlId));
        return;
    }
    switch (controlId) {
        // The bank choice lives in user1 whichever set is on show.
        case MessageBank1Radio: setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, 0); return;
        case MessageBank2Radio:
            setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, spacingBits::messageBank2);
            return;
        default: return;
    }
}
