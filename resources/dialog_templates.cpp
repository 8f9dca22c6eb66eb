#include "resources/dialog_templates.h"

#include <array>

#include "resources/control_ids.h"

namespace {

using K = ControlKind;
using namespace style;

constexpr std::uint32_t MessageEditStyle = MultiLine | UpperCase | AutoVScroll | Border | TabStop;
constexpr std::uint32_t NumberEditStyle = AutoHScroll | Border | TabStop;
constexpr std::uint32_t DigitEditStyle = DigitsOnly | AutoHScroll | Border | TabStop;
constexpr std::uint32_t LabelStyle = AlignLeft | VCenter;
constexpr std::uint32_t ListStyle = VScroll | TabStop;
constexpr std::uint32_t CheckStyle = TabStop;
constexpr std::uint32_t ButtonStyle = TabStop;

constexpr int msgY(int k) { return 16 + 36 * k; }
constexpr int lblY(int k) { return 28 + 36 * k; }

// Template 1001: the main window, 103 controls.
constexpr std::array<ControlTemplate, 103> mainWindowControls{{
    // Frames.
    {4056, K::GroupBox, "Message Editor", {4, 4, 224, 256}, None},
    {4055, K::GroupBox, "Keyer Configuration", {232, 4, 140, 256}, None},

    // Message editor: bank 1 edits and labels, then bank 2 in the same places (hidden).
    {4001, K::Edit, "", {12, msgY(0), 164, 32}, MessageEditStyle},
    {4002, K::Edit, "", {12, msgY(1), 164, 32}, MessageEditStyle},
    {4003, K::Edit, "", {12, msgY(2), 164, 32}, MessageEditStyle},
    {4004, K::Edit, "", {12, msgY(3), 164, 32}, MessageEditStyle},
    {4005, K::Edit, "", {12, msgY(4), 164, 32}, MessageEditStyle},
    {4006, K::Edit, "", {12, msgY(5), 164, 32}, MessageEditStyle},
    {4080, K::Edit, "", {12, msgY(0), 164, 32}, MessageEditStyle | Hidden},
    {4081, K::Edit, "", {12, msgY(1), 164, 32}, MessageEditStyle | Hidden},
    {4082, K::Edit, "", {12, msgY(2), 164, 32}, MessageEditStyle | Hidden},
    {4083, K::Edit, "", {12, msgY(3), 164, 32}, MessageEditStyle | Hidden},
    {4084, K::Edit, "", {12, msgY(4), 164, 32}, MessageEditStyle | Hidden},
    {4085, K::Edit, "", {12, msgY(5), 164, 32}, MessageEditStyle | Hidden},
    {4062, K::Static, "Msg 1", {184, lblY(0), 36, 12}, AlignLeft},
    {4063, K::Static, "Msg 2", {184, lblY(1), 36, 12}, AlignLeft},
    {4064, K::Static, "Msg 3", {184, lblY(2), 36, 12}, AlignLeft},
    {4065, K::Static, "Msg 4", {184, lblY(3), 36, 12}, AlignLeft},
    {4066, K::Static, "Msg 5", {184, lblY(4), 36, 12}, AlignLeft},
    {4067, K::Static, "Msg 6", {184, lblY(5), 36, 12}, AlignLeft},
    {4086, K::Static, "Msg 7", {184, lblY(0), 36, 12}, AlignLeft | Hidden},
    {4087, K::Static, "Msg 8", {184, lblY(1), 36, 12}, AlignLeft | Hidden},
    {4088, K::Static, "Msg 9", {184, lblY(2), 36, 12}, AlignLeft | Hidden},
    {4089, K::Static, "Msg 10", {184, lblY(3), 36, 12}, AlignLeft | Hidden},
    {4090, K::Static, "Msg 11", {184, lblY(4), 36, 12}, AlignLeft | Hidden},
    {4091, K::Static, "Msg 12", {184, lblY(5), 36, 12}, AlignLeft | Hidden},
    {4007, K::RadioButton, "Message Bank 1", {16, 232, 76, 10}, TabStop},
    {4008, K::RadioButton, "Message Bank 2", {100, 232, 76, 10}, TabStop},
    {4058, K::Static, "Msg Bytes Left:", {16, 244, 76, 12}, LabelStyle},
    {4060, K::Static, "", {104, 244, 60, 12}, AlignCenter | VCenter},
    {4070, K::Static, "", {176, 244, 48, 12}, AlignCenter | VCenter},
    {4075, K::Static, "", {180, 228, 44, 12}, AlignCenter | VCenter},

    // Keyer configuration panel: check boxes.
    {4014, K::CheckBox, "Swap", {240, 16, 56, 8}, CheckStyle},
    {4015, K::CheckBox, "AutoSpace", {240, 28, 56, 8}, CheckStyle},
    {4016, K::CheckBox, "CTspace", {240, 40, 56, 8}, CheckStyle},
    {4017, K::CheckBox, "Cut 0", {240, 52, 56, 8}, CheckStyle},
    {4018, K::CheckBox, "Cut 9", {240, 64, 56, 8}, CheckStyle},
    {4019, K::CheckBox, "PdlToneOnly", {240, 76, 56, 8}, CheckStyle},
    {4020, K::CheckBox, "PdlWDoff", {240, 88, 56, 8}, CheckStyle},
    {4021, K::CheckBox, "PaddleMute", {240, 100, 56, 8}, CheckStyle},
    {4022, K::CheckBox, "FastCmd", {240, 112, 56, 8}, CheckStyle},
    {4023, K::CheckBox, "Tune50%", {240, 124, 56, 8}, CheckStyle},
    {4024, K::CheckBox, "SO2R", {240, 136, 56, 8}, CheckStyle},
    {4101, K::CheckBox, "FaveWpmOff", {240, 148, 56, 8}, CheckStyle},

    // Number edits and their labels.
    {4025, K::Edit, "", {300, 16, 20, 12}, NumberEditStyle},
    {4107, K::Static, "MaxWpm", {324, 16, 40, 12}, LabelStyle},
    {4027, K::Edit, "", {300, 28, 20, 12}, NumberEditStyle},
    {4108, K::Static, "MinWpm", {324, 28, 40, 12}, LabelStyle},
    {4029, K::Edit, "", {300, 40, 20, 12}, NumberEditStyle},
    {4099, K::Static, "CmdWpm", {324, 40, 40, 12}, LabelStyle},
    {4033, K::Edit, "", {300, 52, 20, 12}, NumberEditStyle},
    {4109, K::Static, "CurWpm", {324, 52, 40, 12}, LabelStyle},
    {4031, K::Edit, "", {300, 64, 20, 12}, NumberEditStyle},
    {4110, K::Static, "Ratio", {324, 64, 40, 12}, LabelStyle},
    {4035, K::Edit, "", {300, 76, 20, 12}, NumberEditStyle},
    {4111, K::Static, "KeyComp", {324, 76, 40, 12}, LabelStyle},
    {4037, K::Edit, "", {300, 88, 20, 12}, NumberEditStyle},
    {4112, K::Static, "PdlSample", {324, 88, 40, 12}, LabelStyle},
    {4097, K::Edit, "", {300, 100, 20, 12}, NumberEditStyle},
    {4113, K::Static, "1stExtension", {324, 100, 44, 12}, LabelStyle},
    {4039, K::Edit, "", {300, 112, 20, 12}, NumberEditStyle},
    {4114, K::Static, "Weight", {324, 112, 40, 12}, LabelStyle},
    {4041, K::Edit, "", {300, 124, 20, 12}, NumberEditStyle},
    {4115, K::Static, "PTT LeadIn", {324, 124, 40, 12}, LabelStyle},
    {4043, K::Edit, "", {300, 136, 20, 12}, NumberEditStyle},
    {4116, K::Static, "PTT Tail", {324, 136, 40, 12}, LabelStyle},
    {4045, K::Edit, "", {300, 148, 20, 12}, NumberEditStyle},
    {4117, K::Static, "FarnsWpm", {324, 148, 40, 12}, LabelStyle},
    {4047, K::Edit, "", {300, 160, 20, 12}, NumberEditStyle},
    {4118, K::Static, "LtrrSpace", {324, 160, 40, 12}, LabelStyle},
    {4100, K::Edit, "", {300, 172, 20, 12}, NumberEditStyle},
    {4119, K::Static, "ST Volume", {324, 172, 40, 12}, LabelStyle},

    // Other panel controls.
    {4096, K::Edit, "", {240, 160, 28, 12}, DigitEditStyle},
    {4104, K::Static, "S/N", {272, 160, 28, 12}, LabelStyle},
    {4073, K::Edit, "", {240, 172, 28, 12}, DigitEditStyle},
    {4125, K::Static, "ST Freq", {272, 172, 28, 12}, LabelStyle},
    {4077, K::Static, "Output Selection", {236, 192, 60, 8}, LabelStyle},
    {4053, K::ComboBox, "", {236, 204, 64, 95}, ListStyle},
    {4120, K::Static, "Paddle Hang", {312, 192, 52, 8}, LabelStyle},
    {4054, K::ComboBox, "", {312, 204, 52, 58}, ListStyle},
    {4121, K::Static, "User Callsign /M", {236, 220, 64, 8}, LabelStyle},
    {4071, K::Edit, "", {236, 232, 64, 12}, UpperCase | AutoHScroll | Border | TabStop},
    {4072, K::Edit, "", {236, 232, 64, 12}, UpperCase | AutoHScroll | Border | TabStop | Hidden},
    {4122, K::Static, "Keyer Mode", {312, 220, 52, 8}, LabelStyle},
    {4049, K::ComboBox, "", {312, 232, 51, 78}, ListStyle},
    {4068, K::RadioButton, "User 1", {244, 248, 40, 10}, TabStop},
    {4069, K::RadioButton, "User 2", {316, 248, 40, 10}, TabStop},

    // Status lines.
    {4057, K::Static, "", {12, 268, 212, 12}, AlignLeft},
    {4061, K::Static, "", {240, 268, 88, 12}, AlignLeft},
    {4059, K::Static, "", {336, 268, 34, 12}, AlignLeft},
    {4074, K::Static, "Com: ?", {276, 288, 40, 16}, AlignCenter | VCenter},
    {4079, K::Static, "JX IC: ?", {216, 312, 52, 12}, AlignCenter},

    // Command buttons; none is the default button.
    {4013, K::PushButton, "Read JX", {12, 288, 40, 16}, ButtonStyle},
    {4012, K::PushButton, "Write JX", {60, 288, 40, 16}, ButtonStyle},
    {4011, K::PushButton, "Test JX", {108, 288, 40, 16}, ButtonStyle},
    {4010, K::PushButton, "FW Update", {156, 288, 52, 16}, ButtonStyle},
    {4009, K::PushButton, "Set Com Port", {216, 288, 52, 16}, ButtonStyle},
    {4094, K::PushButton, "About", {332, 288, 40, 16}, ButtonStyle},
    {4092, K::PushButton, "Read Config File", {12, 308, 64, 16}, ButtonStyle},
    {4093, K::PushButton, "Write Config File", {84, 308, 64, 16}, ButtonStyle},
    {4051, K::PushButton, "Reset to Defaults", {156, 308, 52, 20}, ButtonStyle | MultiLineLabel},
    {4103, K::PushButton, "RTTY", {276, 308, 40, 16}, ButtonStyle},
    {4, K::PushButton, "Exit", {332, 308, 40, 16}, ButtonStyle},
}};

// Template 1002: COM port selection.
constexpr std::array<ControlTemplate, 3> comPortControls{{
    {4026, K::ComboBox, "", {36, 8, 64, 80}, ListStyle},
    {1, K::PushButton, "OK", {8, 36, 45, 15}, ButtonStyle},
    {403, K::PushButton, "Exit", {68, 36, 50, 14}, ButtonStyle},
}};

// Template 1003: the firmware uploader, in template order.
constexpr std::array<ControlTemplate, 7> uploaderControls{{
    {2, K::PushButton, "Load BIN File", {20, 148, 60, 15}, ButtonStyle},
    {4028, K::PushButton, "Program VEDAR", {92, 148, 60, 15}, ButtonStyle},
    {4032, K::ProgressBar, "", {8, 24, 212, 9}, None},
    {4034, K::Edit, "", {8, 36, 212, 88}, MultiLine | AutoVScroll | VScroll | Border | TabStop},
    {4036, K::Static, "", {8, 8, 216, 8}, AlignCenter},
    {4038, K::Static, "", {8, 132, 216, 8}, AlignCenter | VCenter},
    {4040, K::PushButton, "Exit", {164, 148, 50, 14}, ButtonStyle},
}};

// Template 1004: about.
constexpr std::array<ControlTemplate, 5> aboutControls{{
    {4030, K::Static, "", {8, 8, 248, 8}, AlignCenter},
    {4042, K::Static, "", {8, 24, 248, 8}, AlignCenter},
    {4096, K::Static, "For Help: ", {8, 44, 248, 12},
     AlignCenter | VCenter},
    {1, K::PushButton, "OK", {104, 64, 45, 15}, ButtonStyle},
    {4048, K::CheckBox, "Verbose Mode", {176, 64, 72, 10}, CheckStyle},
}};

// Template 1005: RTTY mode setup.
constexpr std::array<ControlTemplate, 15> rttyControls{{
    {4044, K::CheckBox, "RTTY Enable", {12, 8, 60, 10}, CheckStyle},
    {4050, K::CheckBox, "Diddle", {12, 24, 48, 10}, CheckStyle},
    {4052, K::CheckBox, "FSK Map", {80, 24, 48, 10}, CheckStyle},
    {4123, K::CheckBox, "Reverse", {12, 36, 48, 10}, CheckStyle},
    {4056, K::CheckBox, "AutoCRLF", {80, 36, 48, 10}, CheckStyle},
    {4077, K::Static, "Baud Rate", {12, 56, 40, 8}, AlignLeft},
    {4124, K::Static, "Diddle is", {80, 56, 44, 8}, AlignLeft},
    {4076, K::ComboBox, "", {12, 64, 48, 48}, ListStyle},
    {4078, K::ComboBox, "", {80, 64, 48, 40}, ListStyle},
    {4099, K::Static, "Stop Bits", {12, 84, 40, 8}, AlignLeft},
    {4104, K::Static, "USOS", {80, 84, 40, 8}, AlignLeft},
    {4098, K::ComboBox, "", {12, 92, 48, 40}, ListStyle},
    {4102, K::ComboBox, "", {80, 92, 48, 40}, ListStyle},
    {4105, K::PushButton, "Cancel", {12, 116, 48, 16}, ButtonStyle},
    {4106, K::PushButton, "Ok", {80, 116, 48, 16}, ButtonStyle},
}};

using namespace dialogStyle;
constexpr std::uint32_t ChildDialog = Popup | Caption | SysMenu | ModalFrame;

constexpr std::array<DialogTemplate, 5> templates{{
    {dlg::MainWindow, "Jaxtor 3 Tools Utility 5.0", MainWindowClassName, "MS Shell Dlg", 8,
     {0, 0, 378, 334}, Popup | Caption | SysMenu | MinimizeBox | MaximizeBox | ModalFrame,
     mainWindowControls},
    {dlg::ComPortSetup, "Comm Port Setup", "", "Tahoma", 8, {0, 0, 130, 62}, ChildDialog,
     comPortControls},
    {dlg::FirmwareUploader, "Jaxtor 3 Firmware Uploader", "", "Tahoma", 8, {6, 18, 230, 174},
     ChildDialog | Extended, uploaderControls},
    {dlg::About, "VI3zurar 5.0 Help", "", "Tahoma", 8, {0, 0, 262, 86}, ChildDialog, aboutControls},
    {dlg::RttySetup, "RTTY Mode Setup", "", "Tahoma", 8, {0, 0, 138, 138}, ChildDialog, rttyControls},
}};

}  // namespace

const DialogTemplate* findDialogTemplate(int id) {
    for (const auto& t : templates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

std::span<const DialogTemplate> allDialogTemplates() { return templates; }

const ControlTemplate* findControl(const DialogTemplate& dialog, int controlId) {
    for (const auto& c : dialog.controls) {
        if (c.id == controlId) return &c;
    }
    return nullptr;
}
