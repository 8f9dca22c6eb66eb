// Where the main window's panel shows each field of a user set: the edit,
// check box or list, and the label beside it.  One entry per row of the field
// tables, in their order.
#pragma once

#include "core/settings/user_fields.h"

struct PanelControls {
    std::string_view field;  // the row's name, so the two tables cannot drift apart unnoticed
    int controlId;           // the edit, check box or list
    int labelId;             // the static beside it; the check box itself for a check box
};

const PanelControls& panelControls(const NumberField& field);
const PanelControls& panelControls(const FlagField& field);
const PanelControls& panelControls(const ChoiceField& field);

// The edits of the fourteen message slots in slot order: messages 1-6
// (bank 1), messages 7-12 (bank 2), then the callsigns of User 1 and User 2.
std::span<const int> messageSlotEdits();
