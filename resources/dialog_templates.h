// The five dialogs of the program, described once as data.  Every backend
// renders these tables; no backend retypes a control's place or text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class ControlKind {
    GroupBox,
    Static,
    Edit,
    CheckBox,     // automatic check box: a click toggles it
    RadioButton,  // not automatic: the program sets its state
    PushButton,
    ComboBox,     // drop-down list with an editable field
    ProgressBar,
};

// Style flags, named for what they do; each backend maps them to its own.
namespace style {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t AlignLeft = 1u << 0;
inline constexpr std::uint32_t AlignCenter = 1u << 1;
inline constexpr std::uint32_t VCenter = 1u << 2;
inline constexpr std::uint32_t Border = 1u << 3;
inline constexpr std::uint32_t AutoHScroll = 1u << 4;
inline constexpr std::uint32_t AutoVScroll = 1u << 5;
inline constexpr std::uint32_t MultiLine = 1u << 6;
inline constexpr std::uint32_t UpperCase = 1u << 7;
inline constexpr std::uint32_t DigitsOnly = 1u << 8;
inline constexpr std::uint32_t VScroll = 1u << 9;
inline constexpr std::uint32_t TabStop = 1u << 10;
inline constexpr std::uint32_t MultiLineLabel = 1u << 11;  // a button label on several lines
inline constexpr std::uint32_t Hidden = 1u << 12;          // created invisible
}  // namespace style

namespace dialogStyle {
inline constexpr std::uint32_t Popup = 1u << 0;
inline constexpr std::uint32_t Caption = 1u << 1;
inline constexpr std::uint32_t SysMenu = 1u << 2;
inline constexpr std::uint32_t MinimizeBox = 1u << 3;
inline constexpr std::uint32_t MaximizeBox = 1u << 4;
inline constexpr std::uint32_t ModalFrame = 1u << 5;
inline constexpr std::uint32_t Extended = 1u << 6;  // extended template format
}  // namespace dialogStyle

// A rectangle in dialog units.
struct DialogRect {
    int x, y, width, height;
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string_view text;
    DialogRect rect;
    std::uint32_t styles;
};

struct DialogTemplate {
    int id;
    std::string_view caption;
    std::string_view className;  // empty: the system's dialog class
    std::string_view fontName;
    int fontPoints;
    DialogRect rect;
    std::uint32_t styles;
    std::span<const ControlTemplate> controls;
};

inline constexpr int ProgramIconId = 8001;
inline constexpr std::string_view MainWindowClassName = "JXtoolsClass";

// The template of id, or nullptr for an unknown id.
const DialogTemplate* findDialogTemplate(int id);
std::span<const DialogTemplate> allDialogTemplates();
// The control of id in the template, or nullptr.
const ControlTemplate* findControl(const DialogTemplate& dialog, int controlId);
