#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "core/link/link_check.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/keyer_session.h"
#include "dialogs/main_window.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

class MainWindowTest : public ProgramTest {};

TEST_F(MainWindowTest, StartsWithBankOneUserOneAndThePort) {
    Window w = openMainWindow();
    EXPECT_TRUE(w->checked(MessageBank1Radio));
    EXPECT_FALSE(w->checked(MessageBank2Radio));
    EXPECT_TRUE(w->checked(User1Radio));
    EXPECT_FALSE(w->checked(User2Radio));
    EXPECT_EQ(activeUserSet, UserSet::User1);
    EXPECT_EQ(w->text(ComPortLabel), "com:0");
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(w->visible(MessageEdit1 + k));
        EXPECT_TRUE(w->visible(MessageLabel1 + k));
        EXPECT_FALSE(w->visible(MessageEdit7 + k));
        EXPECT_FALSE(w->visible(MessageLabel7 + k));
    }
    EXPECT_EQ(mainWindowHandle, w);
}

TEST_F(MainWindowTest, EnableStatesAtStart) {
    Window w = openMainWindow();
    for (int id : {ReadButton, WriteButton, FwUpdateButton, RttyButton, ReadConfigFileButton, WriteConfigFileButton})
        EXPECT_FALSE(w->enabled(id)) << id;
    for (int id : {TestButton, SetComPortButton, MessageBank1Radio, MessageBank2Radio, User1Radio, User2Radio,
                   AboutButton, ResetDefaultsButton, ExitButton})
        EXPECT_TRUE(w->enabled(id)) << id;
}

TEST_F(MainWindowTest, FillsTheThreeListsWithoutSelection) {
    Window w = openMainWindow();
    EXPECT_EQ(w->entries(KeyerModeList),
              (std::vector<std::string>{"Iambic A", "Iambic B", "Ultimatic", "UltimDit", "UltimDah", "VibroBug"}));
    EXPECT_EQ(w->entries(PaddleHangList), (std::vector<std::string>{"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"}));
    EXPECT_EQ(w->entries(OutputSelectionList),
              (std::vector<std::string>{"Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT", "Port2", "Port2, ST",
                                        "Port2, PTT", "Port2, ST, PTT"}));
    for (int id : {KeyerModeList, PaddleHangList, OutputSelectionList}) EXPECT_EQ(w->selection(id), -1);
}

TEST_F(MainWindowTest, InstallsTheMessageFilterOnAllFourteenEdits) {
    Window w = openMainWindow();
    std::vector<int> filtered;
    for (auto& [id, control] : w->controls)
        if (control.filter) filtered.push_back(id);
    EXPECT_EQ(filtered, (std::vector<int>{4001, 4002, 4003, 4004, 4005, 4006, 4071, 4072, 4080, 4081, 4082, 4083,
                                          4084, 4085}));
}

TEST_F(MainWindowTest, TimerTicksEvery250Ms) {
    Window w = openMainWindow();
    ASSERT_EQ(w->timers.count(StatusTimer), 1u);
    EXPECT_EQ(w->timers[StatusTimer].periodMs, 250);
}

TEST_F(MainWindowTest, CommandsOneAndTwoDoNothing) {
    Window w = openMainWindow();
    const auto before = w->controls;
    const auto record = std::vector<std::uint8_t>(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end());
    EXPECT_EQ(findCommandHandler(IdOk), nullptr);
    EXPECT_EQ(findCommandHandler(IdCancel), nullptr);
    w->pressEnter();
    w->pressEscape();
    EXPECT_FALSE(w->ended);
    EXPECT_TRUE(headless::modalRuns().empty());
    EXPECT_TRUE(headless::messageBoxes().empty());
    for (const auto& [id, control] : before) {
        EXPECT_EQ(w->controls[id].text, control.text) << id;
        EXPECT_EQ(w->controls[id].checked, control.checked) << id;
        EXPECT_EQ(w->controls[id].enabled, control.enabled) << id;
    }
    EXPECT_TRUE(std::equal(record.begin(), record.end(), recordBytes(keyerSettings).begin()));
}

TEST_F(MainWindowTest, DispatchReachesEveryCommandOfTheTable) {
    const std::vector<int> routed{4,    4007, 4008, 4009, 4010, 4011, 4012, 4013, 4014, 4015, 4016, 4017,
                                  4018, 4019, 4020, 4021, 4022, 4023, 4024, 4101, 4049, 4053, 4054, 4051,
                                  4068, 4069, 4092, 4093, 4094, 4103};
    for (int id : routed) EXPECT_NE(findCommandHandler(id), nullptr) << id;
    // Every other control of the window is left to the dialog manager.
    for (const auto& control : findDialogTemplate(dlg::MainWindow)->controls) {
        if (std::find(routed.begin(), routed.end(), control.id) == routed.end()) {
            EXPECT_EQ(findCommandHandler(control.id), nullptr) << control.id;
        }
    }
    // The same handler serves all twelve check boxes and the three lists.
    for (int id : {4015, 4016, 4017, 4018, 4019, 4020, 4021, 4022, 4023, 4024, 4101, 4049, 4053, 4054})
        EXPECT_EQ(findCommandHandler(id), findCommandHandler(4014)) << id;
}

TEST_F(MainWindowTest, ChildDialogButtonsRunTheirDialogs) {
    Window w = openMainWindow();
    w->click(AboutButton);
    w->click(SetComPortButton);
    EXPECT_EQ(headless::modalRuns(), (std::vector<int>{dlg::About, dlg::ComPortSetup}));
    EXPECT_EQ(w->text(ComPortLabel), "com:0");
}

TEST_F(MainWindowTest, FirmwareUpdateIsFollowedByATest) {
    Window w = openMainWindow();
    firmwareMajor = 30;
    enableControl(w, FwUpdateButton, true);
    ASSERT_FALSE(w->enabled(ReadConfigFileButton));
    w->click(FwUpdateButton);
    EXPECT_EQ(headless::modalRuns(), std::vector<int>{dlg::FirmwareUploader});
    // The Test that follows ran its button frame, which enables the settings file buttons.
    EXPECT_TRUE(w->enabled(ReadConfigFileButton));
    EXPECT_TRUE(w->enabled(FwUpdateButton));
}

TEST_F(MainWindowTest, BankRadioButtonsSwitchTheVisibleBank) {
    Window w = openMainWindow();
    w->click(MessageBank2Radio);
    EXPECT_TRUE(w->checked(MessageBank2Radio));
    EXPECT_FALSE(w->checked(MessageBank1Radio));
    EXPECT_TRUE(w->visible(MessageEdit7));
    EXPECT_FALSE(w->visible(MessageEdit1));
    EXPECT_FALSE(w->visible(MessageLabel1 + 5));
    EXPECT_TRUE(w->visible(MessageLabel7 + 5));
    w->click(MessageBank1Radio);
    EXPECT_TRUE(w->checked(MessageBank1Radio));
    EXPECT_FALSE(w->checked(MessageBank2Radio));
    EXPECT_TRUE(w->visible(MessageEdit1));
    EXPECT_FALSE(w->visible(MessageEdit7));
}

TEST_F(MainWindowTest, ExitEndsTheProgramWithZero) {
    Window w = openMainWindow();
    w->click(ExitButton);
    EXPECT_TRUE(w->ended);
    EXPECT_EQ(w->result, 0);
}

TEST_F(MainWindowTest, CloseBoxEndsTheDialogWithZero) {
    Window w = openMainWindow();
    w->pressCloseBox();
    EXPECT_TRUE(w->ended);
    EXPECT_EQ(w->result, 0);
}

constexpr std::array<std::uint8_t, 16> DefaultUser{0x00, 0x0F, 0x4E, 0x32, 0x00, 0x00, 0x05, 0x1E,
                                                   0x00, 0x00, 0x00, 0x32, 0x32, 0x07, 0x00, 0x0F};
constexpr std::array<std::uint8_t, 6> DefaultExtension{0x00, 0x00, 0x00, 0x0A, 0x00, 0x00};

TEST_F(MainWindowTest, ResetToDefaultsWritesBothSetsAndKeepsMessagesAndRadios) {
    Window w = openMainWindow();
    auto bytes = recordBytes(keyerSettings);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    // User 2 and bank 2 on show.
    setChecked(w, User2Radio, true);
    setChecked(w, User1Radio, false);
    activeUserSet = UserSet::User2;
    w->click(MessageBank2Radio);
    std::vector<std::uint8_t> messages(bytes.begin() + 32, bytes.begin() + 288);

    w->click(ResetDefaultsButton);

    EXPECT_TRUE(std::equal(DefaultUser.begin(), DefaultUser.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(DefaultUser.begin(), DefaultUser.end(), bytes.begin() + 16));
    EXPECT_TRUE(std::equal(messages.begin(), messages.end(), bytes.begin() + 32));
    EXPECT_TRUE(std::equal(DefaultExtension.begin(), DefaultExtension.end(), bytes.begin() + 288));
    EXPECT_TRUE(std::equal(DefaultExtension.begin(), DefaultExtension.end(), bytes.begin() + 294));
    EXPECT_EQ(bytes[14] & 0xC0, 0) << "user2Active and messageBank2 are cleared with the whole byte";
    EXPECT_TRUE(w->checked(User2Radio));
    EXPECT_TRUE(w->checked(MessageBank2Radio));
    EXPECT_EQ(activeUserSet, UserSet::User2);
    EXPECT_TRUE(w->enabled(ResetDefaultsButton));
}

TEST_F(MainWindowTest, ButtonRulesFollowTheFirmwareVersion) {
    struct Case {
        std::uint8_t major;
        bool readWrite;
        bool fwUpdate;
    };
    for (const Case c : {Case{0, false, false}, Case{29, false, false}, Case{30, false, true}, Case{31, true, true},
                         Case{200, true, true}}) {
        Window w = openMainWindow();
        firmwareMajor = c.major;
        lockControls(w);
        for (int id : {TestButton, ReadButton, WriteButton, RttyButton, FwUpdateButton, SetComPortButton, User1Radio,
                       User2Radio, MessageBank1Radio, MessageBank2Radio})
            EXPECT_FALSE(w->enabled(id)) << id;
        EXPECT_TRUE(w->enabled(ReadConfigFileButton));
        EXPECT_TRUE(w->enabled(WriteConfigFileButton));
        unlockControls(w);
        SCOPED_TRACE(static_cast<int>(c.major));
        EXPECT_EQ(w->enabled(ReadButton), c.readWrite);
        EXPECT_EQ(w->enabled(WriteButton), c.readWrite);
        EXPECT_EQ(w->enabled(RttyButton), c.readWrite);
        EXPECT_EQ(w->enabled(FwUpdateButton), c.fwUpdate);
        // The settings file buttons stay enabled after any operation, whatever the version.
        EXPECT_TRUE(w->enabled(ReadConfigFileButton));
        EXPECT_TRUE(w->enabled(WriteConfigFileButton));
        for (int id : {TestButton, SetComPortButton, User1Radio, User2Radio, MessageBank1Radio, MessageBank2Radio})
            EXPECT_TRUE(w->enabled(id)) << id;
    }
}

TEST_F(MainWindowTest, UnlockNeverDisables) {
    Window w = openMainWindow();
    firmwareMajor = 31;
    lockControls(w);
    unlockControls(w);
    firmwareMajor = 0;  // a later operation on an older keyer
    unlockControls(w);
    EXPECT_TRUE(w->enabled(ReadButton));
    EXPECT_TRUE(w->enabled(FwUpdateButton));
}

}  // namespace
