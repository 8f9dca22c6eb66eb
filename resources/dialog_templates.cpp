#include "resources/dialog_templates.h"

#include <array>

#include "resources/control_ids.h"
#include "resources/keyer_version.h"

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
    {mainwin::EditorFrame, K::GroupBox, "Message Editor", {4, 4, 224, 256}, None},
    {mainwin::ConfigFrame, K::GroupBox, "Keyer Configuration", {232, 4, 140, 256}, None},

    // Message editor: bank 1 edits and labels, then bank 2 in the same places (hidden).
    {mainwin::MessageEdit1, K::Edit, "", {12, msgY(0), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit2, K::Edit, "", {12, msgY(1), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit3, K::Edit, "", {12, msgY(2), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit4, K::Edit, "", {12, msgY(3), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit5, K::Edit, "", {12, msgY(4), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit6, K::Edit, "", {12, msgY(5), 164, 32}, MessageEditStyle},
    {mainwin::MessageEdit7, K::Edit, "", {12, msgY(0), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageEdit8, K::Edit, "", {12, msgY(1), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageEdit9, K::Edit, "", {12, msgY(2), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageEdit10, K::Edit, "", {12, msgY(3), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageEdit11, K::Edit, "", {12, msgY(4), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageEdit12, K::Edit, "", {12, msgY(5), 164, 32}, MessageEditStyle | Hidden},
    {mainwin::MessageLabel1, K::Static, "Msg 1", {184, lblY(0), 36, 12}, AlignLeft},
    {mainwin::MessageLabel2, K::Static, "Msg 2", {184, lblY(1), 36, 12}, AlignLeft},
    {mainwin::MessageLabel3, K::Static, "Msg 3", {184, lblY(2), 36, 12}, AlignLeft},
    {mainwin::MessageLabel4, K::Static, "Msg 4", {184, lblY(3), 36, 12}, AlignLeft},
    {mainwin::MessageLabel5, K::Static, "Msg 5", {184, lblY(4), 36, 12}, AlignLeft},
    {mainwin::MessageLabel6, K::Static, "Msg 6", {184, lblY(5), 36, 12}, AlignLeft},
    {mainwin::MessageLabel7, K::Static, "Msg 7", {184, lblY(0), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageLabel8, K::Static, "Msg 8", {184, lblY(1), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageLabel9, K::Static, "Msg 9", {184, lblY(2), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageLabel10, K::Static, "Msg 10", {184, lblY(3), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageLabel11, K::Static, "Msg 11", {184, lblY(4), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageLabel12, K::Static, "Msg 12", {184, lblY(5), 36, 12}, AlignLeft | Hidden},
    {mainwin::MessageBank1Radio, K::RadioButton, "Message Bank 1", {16, 232, 76, 10}, TabStop},
    {mainwin::MessageBank2Radio, K::RadioButton, "Message Bank 2", {100, 232, 76, 10}, TabStop},
    {mainwin::MsgBytesLeft, K::Static, "Msg Bytes Left:", {16, 244, 76, 12}, LabelStyle},
    {mainwin::PotValueReading, K::Static, "", {104, 244, 60, 12}, AlignCenter | VCenter},
    {mainwin::SupplyVoltageReading, K::Static, "", {176, 244, 48, 12}, AlignCenter | VCenter},
    {mainwin::PbReading, K::Static, "", {180, 228, 44, 12}, AlignCenter | VCenter},

    // Keyer configuration panel: check boxes.
    {mainwin::SwapCheck, K::CheckBox, "Swap", {240, 16, 56, 8}, CheckStyle},
    {mainwin::AutoSpaceCheck, K::CheckBox, "AutoSpace", {240, 28, 56, 8}, CheckStyle},
    {mainwin::CtSpaceCheck, K::CheckBox, "CTspace", {240, 40, 56, 8}, CheckStyle},
    {mainwin::Cut0Check, K::CheckBox, "Cut 0", {240, 52, 56, 8}, CheckStyle},
    {mainwin::Cut9Check, K::CheckBox, "Cut 9", {240, 64, 56, 8}, CheckStyle},
    {mainwin::PdlToneOnlyCheck, K::CheckBox, "PdlToneOnly", {240, 76, 56, 8}, CheckStyle},
    {mainwin::PdlWdOffCheck, K::CheckBox, "PdlWDoff", {240, 88, 56, 8}, CheckStyle},
    {mainwin::PaddleMuteCheck, K::CheckBox, "PaddleMute", {240, 100, 56, 8}, CheckStyle},
    {mainwin::FastCmdCheck, K::CheckBox, "FastCmd", {240, 112, 56, 8}, CheckStyle},
    {mainwin::Tune50Check, K::CheckBox, "Tune50%", {240, 124, 56, 8}, CheckStyle},
    {mainwin::So2rCheck, K::CheckBox, "SO2R", {240, 136, 56, 8}, CheckStyle},
    {mainwin::FaveWpmOffCheck, K::CheckBox, "FaveWpmOff", {240, 148, 56, 8}, CheckStyle},

    // Number edits and their labels.
    {mainwin::MaxWpmEdit, K::Edit, "", {300, 16, 20, 12}, NumberEditStyle},
    {mainwin::MaxWpmLabel, K::Static, "MaxWpm", {324, 16, 40, 12}, LabelStyle},
    {mainwin::MinWpmEdit, K::Edit, "", {300, 28, 20, 12}, NumberEditStyle},
    {mainwin::MinWpmLabel, K::Static, "MinWpm", {324, 28, 40, 12}, LabelStyle},
    {mainwin::CmdWpmEdit, K::Edit, "", {300, 40, 20, 12}, NumberEditStyle},
    {mainwin::CmdWpmLabel, K::Static, "CmdWpm", {324, 40, 40, 12}, LabelStyle},
    {mainwin::CurWpmEdit, K::Edit, "", {300, 52, 20, 12}, NumberEditStyle},
    {mainwin::CurWpmLabel, K::Static, "CurWpm", {324, 52, 40, 12}, LabelStyle},
    {mainwin::RatioEdit, K::Edit, "", {300, 64, 20, 12}, NumberEditStyle},
    {mainwin::RatioLabel, K::Static, "Ratio", {324, 64, 40, 12}, LabelStyle},
    {mainwin::KeyCompEdit, K::Edit, "", {300, 76, 20, 12}, NumberEditStyle},
    {mainwin::KeyCompLabel, K::Static, "KeyComp", {324, 76, 40, 12}, LabelStyle},
    {mainwin::PdlSampleEdit, K::Edit, "", {300, 88, 20, 12}, NumberEditStyle},
    {mainwin::PdlSampleLabel, K::Static, "PdlSample", {324, 88, 40, 12}, LabelStyle},
    {mainwin::FirstExtensionEdit, K::Edit, "", {300, 100, 20, 12}, NumberEditStyle},
    {mainwin::FirstExtensionLabel, K::Static, "1stExtension", {324, 100, 44, 12}, LabelStyle},
    {mainwin::WeightEdit, K::Edit, "", {300, 112, 20, 12}, NumberEditStyle},
    {mainwin::WeightLabel, K::Static, "Weight", {324, 112, 40, 12}, LabelStyle},
    {mainwin::PttLeadInEdit, K::Edit, "", {300, 124, 20, 12}, NumberEditStyle},
    {mainwin::PttLeadInLabel, K::Static, "PTT LeadIn", {324, 124, 40, 12}, LabelStyle},
    {mainwin::PttTailEdit, K::Edit, "", {300, 136, 20, 12}, NumberEditStyle},
    {mainwin::PttTailLabel, K::Static, "PTT Tail", {324, 136, 40, 12}, LabelStyle},
    {mainwin::FarnsWpmEdit, K::Edit, "", {300, 148, 20, 12}, NumberEditStyle},
    {mainwin::FarnsWpmLabel, K::Static, "FarnsWpm", {324, 148, 40, 12}, LabelStyle},
    {mainwin::LetterSpaceEdit, K::Edit, "", {300, 160, 20, 12}, NumberEditStyle},
    {mainwin::LetterSpaceLabel, K::Static, "LtrrSpace", {324, 160, 40, 12}, LabelStyle},
    {mainwin::StVolumeEdit, K::Edit, "", {300, 172, 20, 12}, NumberEditStyle},
    {mainwin::StVolumeLabel, K::Static, "ST Volume", {324, 172, 40, 12}, LabelStyle},

    // Other panel controls.
    {mainwin::SerialNumberEdit, K::Edit, "", {240, 160, 28, 12}, DigitEditStyle},
    {mainwin::SerialNumberLabel, K::Static, "S/N", {272, 160, 28, 12}, LabelStyle},
    {mainwin::SidetoneFreqEdit, K::Edit, "", {240, 172, 28, 12}, DigitEditStyle},
    {mainwin::StFreqLabel, K::Static, "ST Freq", {272, 172, 28, 12}, LabelStyle},
    {mainwin::OutputSelectionLabel, K::Static, "Output Selection", {236, 192, 60, 8}, LabelStyle},
    {mainwin::OutputSelectionList, K::ComboBox, "", {236, 204, 64, 95}, ListStyle},
    {mainwin::PaddleHangLabel, K::Static, "Paddle Hang", {312, 192, 52, 8}, LabelStyle},
    {mainwin::PaddleHangList, K::ComboBox, "", {312, 204, 52, 58}, ListStyle},
    {mainwin::CallsignLabel, K::Static, "User Callsign /M", {236, 220, 64, 8}, LabelStyle},
    {mainwin::Callsign1Edit, K::Edit, "", {236, 232, 64, 12}, UpperCase | AutoHScroll | Border | TabStop},
    {mainwin::Callsign2Edit, K::Edit, "", {236, 232, 64, 12}, UpperCase | AutoHScroll | Border | TabStop | Hidden},
    {mainwin::KeyerModeLabel, K::Static, "Keyer Mode", {312, 220, 52, 8}, LabelStyle},
    {mainwin::KeyerModeList, K::ComboBox, "", {312, 232, 51, 78}, ListStyle},
    {mainwin::User1Radio, K::RadioButton, "User 1", {244, 248, 40, 10}, TabStop},
    {mainwin::User2Radio, K::RadioButton, "User 2", {316, 248, 40, 10}, TabStop},

    // Status lines.
    {mainwin::SettingsFileStatus, K::Static, "", {12, 268, 212, 12}, AlignLeft},
    {mainwin::InterfaceStatus, K::Static, "", {240, 268, 88, 12}, AlignLeft},
    {mainwin::OperationStatus, K::Static, "", {336, 268, 34, 12}, AlignLeft},
    {mainwin::ComPortLabel, K::Static, "Com: ?", {276, 288, 40, 16}, AlignCenter | VCenter},
    {mainwin::IcLabel, K::Static, "JX IC: ?", {216, 312, 52, 12}, AlignCenter},

    // Command buttons; none is the default button.
    {mainwin::ReadButton, K::PushButton, "Read JX", {12, 288, 40, 16}, ButtonStyle},
    {mainwin::WriteButton, K::PushButton, "Write JX", {60, 288, 40, 16}, ButtonStyle},
    {mainwin::TestButton, K::PushButton, "Test JX", {108, 288, 40, 16}, ButtonStyle},
    {mainwin::FwUpdateButton, K::PushButton, "FW Update", {156, 288, 52, 16}, ButtonStyle},
    {mainwin::SetComPortButton, K::PushButton, "Set Com Port", {216, 288, 52, 16}, ButtonStyle},
    {mainwin::AboutButton, K::PushButton, "About", {332, 288, 40, 16}, ButtonStyle},
    {mainwin::ReadConfigFileButton, K::PushButton, "Read Config File", {12, 308, 64, 16}, ButtonStyle},
    {mainwin::WriteConfigFileButton, K::PushButton, "Write Config File", {84, 308, 64, 16}, ButtonStyle},
    {mainwin::ResetDefaultsButton, K::PushButton, "Reset to Defaults", {156, 308, 52, 20},
     ButtonStyle | MultiLineLabel},
    {mainwin::RttyButton, K::PushButton, "RTTY", {276, 308, 40, 16}, ButtonStyle},
    {mainwin::ExitButton, K::PushButton, "Exit", {332, 308, 40, 16}, ButtonStyle},
}};

// Template 1002: COM port selection.
constexpr std::array<ControlTemplate, 3> comPortControls{{
    {comport::PortList, K::ComboBox, "", {36, 8, 64, 80}, ListStyle},
    {comport::OkButton, K::PushButton, "OK", {8, 36, 45, 15}, ButtonStyle},
    {comport::ExitButton, K::PushButton, "Exit", {68, 36, 50, 14}, ButtonStyle},
}};

// Template 1003: the firmware uploader, in template order.
constexpr std::array<ControlTemplate, 7> uploaderControls{{
    {uploader::LoadButton, K::PushButton, "Load BIN File", {20, 148, 60, 15}, ButtonStyle},
    {uploader::ProgramButton, K::PushButton, "Program VEDAR", {92, 148, 60, 15}, ButtonStyle},
    {uploader::ProgressBar, K::ProgressBar, "", {8, 24, 212, 9}, None},
    {uploader::LogEdit, K::Edit, "", {8, 36, 212, 88}, MultiLine | AutoVScroll | VScroll | Border | TabStop},
    {uploader::StatusLine, K::Static, "", {8, 8, 216, 8}, AlignCenter},
    {uploader::PathLine, K::Static, "", {8, 132, 216, 8}, AlignCenter | VCenter},
    {uploader::ExitButton, K::PushButton, "Exit", {164, 148, 50, 14}, ButtonStyle},
}};

// Template 1004: about.
constexpr std::array<ControlTemplate, 5> aboutControls{{
    {about::VersionLine, K::Static, "", {8, 8, 248, 8}, AlignCenter},
    {about::SystemLine, K::Static, "", {8, 24, 248, 8}, AlignCenter},
    {about::HelpLine, K::Static, "For Help: ", {8, 44, 248, 12},
     AlignCenter | VCenter},
    {about::OkButton, K::PushButton, "OK", {104, 64, 45, 15}, ButtonStyle},
    {about::VerboseCheck, K::CheckBox, "Verbose Mode", {176, 64, 72, 10}, CheckStyle},
}};

// Template 1005: RTTY mode setup.
constexpr std::array<ControlTemplate, 15> rttyControls{{
    {rtty::EnableCheck, K::CheckBox, "RTTY Enable", {12, 8, 60, 10}, CheckStyle},
    {rtty::DiddleCheck, K::CheckBox, "Diddle", {12, 24, 48, 10}, CheckStyle},
    {rtty::FskMapCheck, K::CheckBox, "FSK Map", {80, 24, 48, 10}, CheckStyle},
    {rtty::ReverseCheck, K::CheckBox, "Reverse", {12, 36, 48, 10}, CheckStyle},
    {rtty::AutoCrLfCheck, K::CheckBox, "AutoCRLF", {80, 36, 48, 10}, CheckStyle},
    {rtty::BaudRateLabel, K::Static, "Baud Rate", {12, 56, 40, 8}, AlignLeft},
    {rtty::DiddleIsLabel, K::Static, "Diddle is", {80, 56, 44, 8}, AlignLeft},
    {rtty::BaudRateList, K::ComboBox, "", {12, 64, 48, 48}, ListStyle},
    {rtty::DiddleIsList, K::ComboBox, "", {80, 64, 48, 40}, ListStyle},
    {rtty::StopBitsLabel, K::Static, "Stop Bits", {12, 84, 40, 8}, AlignLeft},
    {rtty::UsosLabel, K::Static, "USOS", {80, 84, 40, 8}, AlignLeft},
    {rtty::StopBitsList, K::ComboBox, "", {12, 92, 48, 40}, ListStyle},
    {rtty::UsosList, K::ComboBox, "", {80, 92, 48, 40}, ListStyle},
    {rtty::CancelButton, K::PushButton, "Cancel", {12, 116, 48, 16}, ButtonStyle},
    {rtty::OkButton, K::PushButton, "Ok", {80, 116, 48, 16}, ButtonStyle},
}};

using namespace dialogStyle;
constexpr std::uint32_t ChildDialog = Popup | Caption | SysMenu | ModalFrame;

constexpr std::array<DialogTemplate, 5> templates{{
    {dlg::MainWindow, "Jaxtor 3 Tools Utility " KEYER_VERSION_TEXT, MainWindowClassName, "MS Shell Dlg", 8,
     {0, 0, 378, 334}, Popup | Caption | SysMenu | MinimizeBox | MaximizeBox | ModalFrame,
     mainWindowControls},
    {dlg::ComPortSetup, "Comm Port Setup", "", "Tahoma", 8, {0, 0, 130, 62}, ChildDialog,
     comPortControls},
    {dlg::FirmwareUploader, "Jaxtor 3 Firmware Uploader", "", "Tahoma", 8, {6, 18, 230, 174},
     ChildDialog | Extended, uploaderControls},
    {dlg::About, "VI3zurar " KEYER_VERSION_TEXT " Help", "", "Tahoma", 8, {0, 0, 262, 86}, ChildDialog, aboutControls},
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
