// The Win32 window class each kind of template control must be created with,
// written out here apart from the backend so the tests check its mapping.
#pragma once

#include <string>

#include "resources/dialog_templates.h"

inline std::string expectedClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
            return "Button";
        case ControlKind::Static:
            return "Static";
        case ControlKind::Edit:
            return "Edit";
        case ControlKind::ComboBox:
            return "ComboBox";
        case ControlKind::ProgressBar:
            return "msctls_progress32";
    }
    return {};
}
