// How the web page names its controls for a screen reader and which texts it
// announces: from the templates alone.
#include <gtest/gtest.h>

#include "platform/web/web_rules.h"
#include "resources/control_ids.h"

namespace {

const DialogTemplate& dialogOf(int id) { return *findDialogTemplate(id); }
const ControlTemplate& controlOf(int dialog, int id) { return *findControl(dialogOf(dialog), id); }
std::string_view nameOf(int dialog, int id) { return web::accessibleName(dialogOf(dialog), controlOf(dialog, id)); }

TEST(WebRules, EditsAndListsAreNamedByTheLabelBesideOrAboveThem) {
    const struct {
        int dialog, control;
        std::string_view name;
    } cases[] = {
        {dlg::MainWindow, mainwin::WeightEdit, "Weight"},
        {dlg::MainWindow, mainwin::FirstExtensionEdit, "1stExtension"},
        {dlg::MainWindow, mainwin::MessageEdit1, "Msg 1"},
        {dlg::MainWindow, mainwin::MessageEdit6, "Msg 6"},
        {dlg::MainWindow, mainwin::MessageEdit7, "Msg 7"},  // bank 2 shares bank 1's places
        {dlg::MainWindow, mainwin::MessageEdit12, "Msg 12"},
        {dlg::MainWindow, mainwin::SerialNumberEdit, "S/N"},
        {dlg::MainWindow, mainwin::SidetoneFreqEdit, "ST Freq"},
        {dlg::MainWindow, mainwin::OutputSelectionList, "Output Selection"},
        {dlg::MainWindow, mainwin::KeyerModeList, "Keyer Mode"},
        {dlg::MainWindow, mainwin::Callsign1Edit, "User Callsign /M"},
        {dlg::MainWindow, mainwin::Callsign2Edit, "User Callsign /M"},  // hidden, its label is not
        {dlg::RttySetup, rtty::BaudRateList, "Baud Rate"},
        {dlg::RttySetup, rtty::UsosList, "USOS"},
        {dlg::ComPortSetup, comport::PortList, "Comm Port Setup"},  // no label: the dialog's caption
        {dlg::FirmwareUploader, uploader::LogEdit, "Jaxtor 3 Firmware Uploader"},
        {dlg::MainWindow, mainwin::ReadButton, "Read JX"},
        {dlg::MainWindow, mainwin::SwapCheck, "Swap"},
    };
    for (const auto& c : cases) EXPECT_EQ(nameOf(c.dialog, c.control), c.name) << c.control;
}

TEST(WebRules, EveryControlOfEveryDialogHasAName) {
    for (const DialogTemplate& dialog : allDialogTemplates()) {
        for (const ControlTemplate& control : dialog.controls) {
            if (control.kind == ControlKind::Static || control.kind == ControlKind::GroupBox) continue;
            EXPECT_FALSE(web::accessibleName(dialog, control).empty()) << dialog.id << ":" << control.id;
        }
    }
}

TEST(WebRules, StatusLinesAreAnnouncedLabelsAreNot) {
    const struct {
        int dialog, control;
        bool status;
    } cases[] = {
        {dlg::MainWindow, mainwin::OperationStatus, true},
        {dlg::MainWindow, mainwin::InterfaceStatus, true},
        {dlg::MainWindow, mainwin::SettingsFileStatus, true},
        {dlg::MainWindow, mainwin::ComPortLabel, true},  // "Com: ?" until the program writes the port
        {dlg::MainWindow, mainwin::IcLabel, true},
        {dlg::MainWindow, mainwin::PotValueReading, true},
        {dlg::FirmwareUploader, uploader::StatusLine, true},
        {dlg::MainWindow, mainwin::WeightLabel, false},
        {dlg::MainWindow, mainwin::MessageLabel1, false},
        {dlg::MainWindow, mainwin::MsgBytesLeft, false},
        {dlg::MainWindow, mainwin::ReadButton, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(web::isStatusText(dialogOf(c.dialog), controlOf(c.dialog, c.control)), c.status) << c.control;
}

}  // namespace
