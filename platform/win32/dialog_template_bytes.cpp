#include "platform/win32/dialog_template_bytes.h"

namespace win32 {

namespace {

// Appends little-endian values and UTF-16 strings, as the dialog manager
// reads them.
struct TemplateWriter {
    std::vector<std::uint8_t> bytes;

    void word(std::uint16_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void dword(std::uint32_t value) {
        word(static_cast<std::uint16_t>(value));
        word(static_cast<std::uint16_t>(value >> 16));
    }
    void coordinate(int value) { word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    void byte(std::uint8_t value) { bytes.push_back(value); }
    // Our texts are plain ASCII, so each byte is its own UTF-16 code unit.
    void text(std::string_view s) {
        for (char c : s) word(static_cast<unsigned char>(c));
        word(0);
    }
    void alignToDword() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
    void rect(const DialogRect& r) {
        coordinate(r.x);
        coordinate(r.y);
        coordinate(r.width);
        coordinate(r.height);
    }
};

void writeControlClass(TemplateWriter& out, ControlKind kind) {
    auto ordinal = [&out](std::uint16_t atom) {
        out.word(0xFFFF);
        out.word(atom);
    };
    switch (kind) {
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
            ordinal(ButtonClassOrdinal);
            return;
        case ControlKind::Static:
            ordinal(StaticClassOrdinal);
            return;
        case ControlKind::Edit:
            ordinal(EditClassOrdinal);
            return;
        case ControlKind::ComboBox:
            ordinal(ComboBoxClassOrdinal);
            return;
        case ControlKind::ProgressBar:
            out.text(ProgressBarClassName);
            return;
    }
}

std::uint32_t kindStyle(const ControlTemplate& c) {
    const std::uint32_t s = c.styles;
    switch (c.kind) {
        case ControlKind::GroupBox:
            return BsGroupBox;
        case ControlKind::CheckBox:
            return BsAutoCheckBox;
        case ControlKind::RadioButton:
            return BsRadioButton;
        case ControlKind::PushButton:
            return BsPushButton | ((s & style::MultiLineLabel) ? BsMultiLine : 0);
        case ControlKind::Static:
            return ((s & style::AlignCenter) ? SsCenter : SsLeft) | ((s & style::VCenter) ? SsCenterImage : 0);
        case ControlKind::Edit:
            return EsLeft | ((s & style::MultiLine) ? EsMultiLine : 0) | ((s & style::UpperCase) ? EsUpperCase : 0) |
                   ((s & style::AutoVScroll) ? EsAutoVScroll : 0) | ((s & style::AutoHScroll) ? EsAutoHScroll : 0) |
                   ((s & style::DigitsOnly) ? EsNumber : 0);
        case ControlKind::ComboBox:
            return CbsDropDown;
        case ControlKind::ProgressBar:
            return 0;
    }
    return 0;
}

}  // namespace

std::uint32_t controlWindowStyle(const ControlTemplate& control) {
    const std::uint32_t s = control.styles;
    std::uint32_t result = WsChild | kindStyle(control);
    if (!(s & style::Hidden)) result |= WsVisible;
    if (s & style::TabStop) result |= WsTabStop;
    if (s & style::Border) result |= WsBorder;
    if (s & style::VScroll) result |= WsVScroll;
    return result;
}

std::uint32_t dialogWindowStyle(const DialogTemplate& dialog) {
    const std::uint32_t s = dialog.styles;
    std::uint32_t result = DsSetFont;
    if (s & dialogStyle::Popup) result |= WsPopup;
    if (s & dialogStyle::Caption) result |= WsCaption;
    if (s & dialogStyle::SysMenu) result |= WsSysMenu;
    if (s & dialogStyle::MinimizeBox) result |= WsMinimizeBox;
    if (s & dialogStyle::MaximizeBox) result |= WsMaximizeBox;
    if (s & dialogStyle::ModalFrame) result |= DsModalFrame;
    return result;
}

std::vector<std::uint8_t> buildDialogTemplate(const DialogTemplate& dialog) {
    TemplateWriter out;
    const bool extended = (dialog.styles & dialogStyle::Extended) != 0;
    const auto count = static_cast<std::uint16_t>(dialog.controls.size());

    // Header.
    if (extended) {
        out.word(1);       // dlgVer
        out.word(0xFFFF);  // signature of the extended format
        out.dword(0);      // help ID
        out.dword(0);      // extended style
        out.dword(dialogWindowStyle(dialog));
    } else {
        out.dword(dialogWindowStyle(dialog));
        out.dword(0);  // extended style
    }
    out.word(count);
    out.rect(dialog.rect);
    out.word(0);  // no menu
    if (dialog.className.empty())
        out.word(0);  // the system's dialog class
    else
        out.text(dialog.className);
    out.text(dialog.caption);
    out.word(static_cast<std::uint16_t>(dialog.fontPoints));
    if (extended) {
        out.word(0);  // weight: the font's own
        out.byte(0);  // not italic
        out.byte(DefaultCharset);
    }
    out.text(dialog.fontName);

    // Items.
    for (const ControlTemplate& c : dialog.controls) {
        out.alignToDword();
        if (extended) {
            out.dword(0);  // help ID
            out.dword(0);  // extended style
            out.dword(controlWindowStyle(c));
        } else {
            out.dword(controlWindowStyle(c));
            out.dword(0);  // extended style
        }
        out.rect(c.rect);
        if (extended)
            out.dword(static_cast<std::uint32_t>(c.id));
        else
            out.word(static_cast<std::uint16_t>(c.id));
        writeControlClass(out, c.kind);
        out.text(c.text);
        out.word(0);  // no creation data
    }
    return out.bytes;
}

std::uint32_t messageBoxFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return MbOk;
        case MessageIcon::Warning:
            return MbOk | MbIconWarning;
        case MessageIcon::Error:
            return MbOk | MbIconError;
        case MessageIcon::Information:
            return MbOk | MbIconInformation;
    }
    return MbOk;
}

std::string fileDialogFilter(std::span<const FileFilter> filters) {
    std::string list;
    for (const FileFilter& f : filters) {
        list += f.description;
        list.push_back('\0');
        list += f.pattern;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

}  // namespace win32
