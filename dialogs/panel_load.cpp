#include "dialogs/panel_load.h"

#include <string>

#include "core/settings/user_fields.h"
#include "dialogs/panel_fields.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"

using namespace mainwin;

namespace {

void showNumber(Window mainWindow, const NumberField& field, const UserSettings& u, const UserExtension& e) {
    // A field with nothing to show (sidetone code 0) keeps whatever it shows.
    if (const auto value = field.shown(u, e))
        setControlText(mainWindow, panelControls(field).controlId, std::to_string(*value));
}

}  // namespace

void loadPanel(Window mainWindow, UserSet set) {
    const UserSettings& u = userSettings(set);
    const UserExtension& e = userExtension(set);

    const auto numbers = numberFieldsInLoadOrder();
    for (const NumberField* field : numbers)
        if (field->loadRank <= LastLoadedBeforeLists) showNumber(mainWindow, *field, u, e);
    for (const ChoiceField& list : choiceFields()) listSelect(mainWindow, panelControls(list).controlId, list.shown(u));
    for (const NumberField* field : numbers)
        if (field->loadRank > LastLoadedBeforeLists) showNumber(mainWindow, *field, u, e);
    for (const FlagField& box : flagFields()) setChecked(mainWindow, panelControls(box).controlId, flagValue(box, u, e));

    // Each user set has its own callsign message; only the one on show is visible.
    showControl(mainWindow, Callsign1Edit, set == UserSet::User1);
    showControl(mainWindow, Callsign2Edit, set == UserSet::User2);
}
