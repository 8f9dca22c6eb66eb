// How the web page renders a dialog template for people who cannot see it:
// the accessible name of each control and which texts are status lines that
// a screen reader announces as they change.  Pure functions of the
// templates, tested without a browser.
#pragma once

#include <string_view>

#include "resources/dialog_templates.h"

namespace web {

// The static the template places beside an edit, list or progress bar as its
// label: just right of it on the same row ("Weight", "Msg 1", "S/N") or just
// above it at the same left edge ("Output Selection"), the one shown and
// hidden with it where two share the place; nullptr when there is none.
const ControlTemplate* labelOf(const DialogTemplate& dialog, const ControlTemplate& control);

// The accessible name of a control: a button's, check box's or radio
// button's own text, the text of its label, or else the dialog's caption.
std::string_view accessibleName(const DialogTemplate& dialog, const ControlTemplate& control);

// A static the program writes its status into: one that starts empty or
// with a placeholder ("Com: ?"), and labels nothing.
bool isStatusText(const DialogTemplate& dialog, const ControlTemplate& control);

}  // namespace web
