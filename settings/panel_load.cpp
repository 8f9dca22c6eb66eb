#include "settings/panel_load.h"

#include <array>
#include <string>
#include <string_view>

#include "resources/control_ids.h"
#include "settings/user_fields.h"

using namespace mainwin;

namespace {

// The order in which the panel is filled: number fields, the lists, then
// the sidetone frequency and the pot limits.
constexpr std::array<std::string_view, 13> numbersBeforeLists{
    "weight",       "pttLeadIn",   "pttTail",        "firstExtension", "keyComp",    "farnsworthWpm", "paddleSample",
    "ratio",        "favoriteWpm", "sidetoneVolume", "serialNumber",   "commandWpm", "letterSpace"};
constexpr std::array<std::string_view, 3> numbersAfterLists{"sidetoneFreq", "potMaxWpm", "potMinWpm"};

void showNumber(Window mainWindow, std::string_view name, const UserSettings& u, const UserExtension& e) {
    const NumberField* field = findNumberField(name);
    // A field with nothing to show (sidetone code 0) keeps whatever it shows.
    if (const auto value = field->shown(u, e)) setControlText(mainWindow, field->controlId, std::to_string(*value));
}

}  // namespace

void loadPanel(Window mainWindow, UserSet set) {
    const UserSettings& u = userSettings(set);
    const UserExtension& e = userExtension(set);

    for (std::string_view name : numbersBeforeLists) showNumber(mainWindow, name, u, e);
    for (const ChoiceField& list : choiceFields()) listSelect(mainWindow, list.controlId, list.shown(u));
    for (std::string_view name : numbersAfterLists) showNumber(mainWindow, name, u, e);
    for (const FlagField& box : flagFields()) setChecked(mainWindow, box.controlId, flagValue(box, u, e));

    // Each user set has its own callsign message; only the one on show is visible.
    showControl(mainWindow, Callsign1Edit, set == UserSet::User1);
    showControl(mainWindow, Callsign2Edit, set == UserSet::User2);
}
