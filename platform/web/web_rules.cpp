#include "platform/web/web_rules.h"

namespace web {

namespace {

constexpr int MaxLabelGap = 8;        // dialog units between a control and its label
constexpr int MaxLabelIndent = 4;     // a label above starts this close to the control's left edge

bool labelsOthers(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::ComboBox || kind == ControlKind::ProgressBar;
}

bool rightOf(const DialogRect& label, const DialogRect& control) {
    const int gap = label.x - (control.x + control.width);
    const bool sameRow = label.y < control.y + control.height && label.y + label.height > control.y;
    return gap >= 0 && gap <= MaxLabelGap && sameRow;
}

bool above(const DialogRect& label, const DialogRect& control) {
    const int gap = control.y - (label.y + label.height);
    const int indent = label.x - control.x;
    return gap >= 0 && gap <= MaxLabelGap && indent >= -MaxLabelIndent && indent <= MaxLabelIndent;
}

}  // namespace

const ControlTemplate* labelOf(const DialogTemplate& dialog, const ControlTemplate& control) {
    if (!labelsOthers(control.kind)) return nullptr;
    // Controls that share a place (the two message banks) each have their
    // own label there, shown and hidden with them; a control alone in its
    // place takes the label beside it whatever its state.
    const std::uint32_t hidden = control.styles & style::Hidden;
    for (const bool sameState : {true, false}) {
        const ControlTemplate* aboveIt = nullptr;
        for (const ControlTemplate& candidate : dialog.controls) {
            if (candidate.kind != ControlKind::Static || candidate.text.empty()) continue;
            if (sameState && (candidate.styles & style::Hidden) != hidden) continue;
            if (rightOf(candidate.rect, control.rect)) return &candidate;
            if (!aboveIt && above(candidate.rect, control.rect)) aboveIt = &candidate;
        }
        if (aboveIt) return aboveIt;
    }
    return nullptr;
}

std::string_view accessibleName(const DialogTemplate& dialog, const ControlTemplate& control) {
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox:
        case ControlKind::Static:
            return control.text;
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::ProgressBar:
            break;
    }
    const ControlTemplate* label = labelOf(dialog, control);
    return label ? label->text : dialog.caption;
}

bool isStatusText(const DialogTemplate& dialog, const ControlTemplate& control) {
    if (control.kind != ControlKind::Static) return false;
    if (!control.text.empty() && !control.text.ends_with('?')) return false;
    for (const ControlTemplate& other : dialog.controls)
        if (labelOf(dialog, other) == &control) return false;
    return true;
}

}  // namespace web
