#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "dialogs/main_window.h"
#include "dialogs/rtty_dialog.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace rtty;

namespace {

std::vector<std::uint8_t> record() { return {recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()}; }

// What the dialog showed when it opened.
struct Shown {
    std::set<int> checked;
    std::string baud, stopBits, diddleIs, usos;
};

Shown readDialog(Window d) {
    Shown s;
    for (int id : {EnableCheck, DiddleCheck, FskMapCheck, ReverseCheck, AutoCrLfCheck})
        if (d->checked(id)) s.checked.insert(id);
    s.baud = d->text(BaudRateList);
    s.stopBits = d->text(StopBitsList);
    s.diddleIs = d->text(DiddleIsList);
    s.usos = d->text(UsosList);
    return s;
}

class RttyDialogTest : public ProgramTest {
protected:
    Window mainWindow() { return mainWindowHandle ? mainWindowHandle : openMainWindow(); }

    // Opens the dialog from the main window's "RTTY" button, as the operator
    // does once a keyer of version 31 or later has been tested.
    void runFromMainWindow(headless::DialogScript script) {
        Window w = mainWindow();
        enableControl(w, mainwin::RttyButton, true);
        headless::scriptDialog(dlg::RttySetup, std::move(script));
        ASSERT_TRUE(w->click(mainwin::RttyButton));
        ASSERT_EQ(headless::modalRuns(), std::vector<int>{dlg::RttySetup});
    }

    // Opens it and presses "Ok" at once; returns what it showed.
    Shown openAndPressOk() {
        Shown shown;
        runFromMainWindow([&](Window d) {
            shown = readDialog(d);
            d->click(OkButton);
            EXPECT_TRUE(d->ended);
        });
        return shown;
    }
};

TEST_F(RttyDialogTest, FillsTheFourListsInFieldOrder) {
    runFromMainWindow([](Window d) {
        EXPECT_EQ(d->entries(BaudRateList), (std::vector<std::string>{"45.45", "50", "75", "100"}));
        EXPECT_EQ(d->entries(StopBitsList), (std::vector<std::string>{"2.0", "1.5"}));
        EXPECT_EQ(d->entries(DiddleIsList), (std::vector<std::string>{"Blank", "Ltrs"}));
        EXPECT_EQ(d->entries(UsosList), (std::vector<std::string>{"Off", "On"}));
        d->click(CancelButton);
    });
}

struct RttyCase {
    const char* name;
    std::uint8_t reg1, reg2;
    std::set<int> checked;
    const char *baud, *stopBits, *diddleIs, *usos;
    std::uint8_t storedReg1, storedReg2;
};
std::ostream& operator<<(std::ostream& out, const RttyCase& c) { return out << c.name; }

class RttyBytes : public RttyDialogTest, public ::testing::WithParamInterface<RttyCase> {};

TEST_P(RttyBytes, AreShownAndStoredBackByOk) {
    const RttyCase& c = GetParam();
    keyerSettings.user1Ext.rttyReg1 = c.reg1;
    keyerSettings.user1Ext.rttyReg2 = c.reg2;
    const Shown shown = openAndPressOk();
    EXPECT_EQ(shown.checked, c.checked);
    EXPECT_EQ(shown.baud, c.baud);
    EXPECT_EQ(shown.stopBits, c.stopBits);
    EXPECT_EQ(shown.diddleIs, c.diddleIs);
    EXPECT_EQ(shown.usos, c.usos);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg1, c.storedReg1);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg2, c.storedReg2);
}

INSTANTIATE_TEST_SUITE_P(
    Rtty, RttyBytes,
    ::testing::Values(
        RttyCase{"Defaults", 0x00, 0x00, {}, "45.45", "2.0", "Blank", "Off", 0x00, 0x00},
        RttyCase{"EnableAutoCrLf100", 0x93, 0x00, {EnableCheck, AutoCrLfCheck}, "100", "2.0", "Blank", "Off", 0x93,
                 0x00},
        RttyCase{"UnshownBitThreeCleared", 0x08, 0x00, {}, "45.45", "2.0", "Blank", "Off", 0x00, 0x00},
        RttyCase{"StopDiddleUsos", 0x00, 0x0D, {}, "45.45", "1.5", "Ltrs", "On", 0x00, 0x0D},
        RttyCase{"UnshownBitOneCleared", 0x00, 0x02, {}, "45.45", "2.0", "Blank", "Off", 0x00, 0x00},
        RttyCase{"UnshownHighBitsCleared", 0x00, 0xF2, {}, "45.45", "2.0", "Blank", "Off", 0x00, 0x00},
        RttyCase{"Diddle", 0x40, 0x00, {DiddleCheck}, "45.45", "2.0", "Blank", "Off", 0x40, 0x00},
        RttyCase{"FskMap50", 0x21, 0x00, {FskMapCheck}, "50", "2.0", "Blank", "Off", 0x21, 0x00},
        RttyCase{"Reverse75", 0x06, 0x00, {ReverseCheck}, "75", "2.0", "Blank", "Off", 0x06, 0x00},
        RttyCase{"StopBitsOnly", 0x00, 0x08, {}, "45.45", "1.5", "Blank", "Off", 0x00, 0x08},
        RttyCase{"DiddleLettersOnly", 0x00, 0x04, {}, "45.45", "2.0", "Ltrs", "Off", 0x00, 0x04},
        RttyCase{"UsosOnly", 0x00, 0x01, {}, "45.45", "2.0", "Blank", "On", 0x00, 0x01},
        RttyCase{"Everything", 0xFF, 0xFF,
                 {EnableCheck, DiddleCheck, FskMapCheck, AutoCrLfCheck, ReverseCheck}, "100", "1.5", "Ltrs", "On",
                 0xF7, 0x0D}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(RttyDialogTest, OkBuildsBothBytesFromTheOperatorsChoices) {
    keyerSettings.user1Ext.rttyReg1 = 0x93;
    runFromMainWindow([](Window d) {
        d->click(EnableCheck);   // off
        d->click(AutoCrLfCheck); // off
        d->click(DiddleCheck);
        d->click(ReverseCheck);
        d->select(BaudRateList, 2);
        d->select(StopBitsList, 1);
        d->select(UsosList, 1);
        d->click(OkButton);
    });
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg1, 0x46);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg2, 0x09);
}

TEST_F(RttyDialogTest, WithUserTwoOnShowOkTouchesOnlyUserTwosBytes) {
    for (std::size_t i = 0; i < RecordSize; ++i) recordBytes(keyerSettings)[i] = static_cast<std::uint8_t>(i * 13 + 5);
    keyerSettings.user1Ext.rttyReg1 = 0x93;
    keyerSettings.user1Ext.rttyReg2 = 0x0D;
    Window w = mainWindow();
    w->click(mainwin::ResetDefaultsButton);  // a panel that passes the capture of a user set change
    keyerSettings.user2Ext.rttyReg1 = 0x21;
    keyerSettings.user2Ext.rttyReg2 = 0x04;
    w->click(mainwin::User2Radio);
    ASSERT_EQ(activeUserSet, UserSet::User2);
    auto expected = record();
    Shown shown;
    runFromMainWindow([&](Window d) {
        shown = readDialog(d);
        d->click(ReverseCheck);
        d->select(UsosList, 1);
        d->click(OkButton);
    });
    EXPECT_EQ(shown.checked, std::set<int>{FskMapCheck});
    EXPECT_EQ(shown.baud, "50");
    EXPECT_EQ(shown.diddleIs, "Ltrs");
    expected[MemoryImageSize + 6 + 1] = 0x25;  // user2Ext.rttyReg1
    expected[MemoryImageSize + 6 + 2] = 0x05;  // user2Ext.rttyReg2
    EXPECT_EQ(record(), expected);
}

struct CloseCase {
    const char* name;
    void (*close)(Window);
    int result;
};
std::ostream& operator<<(std::ostream& out, const CloseCase& c) { return out << c.name; }

class RttyLeftWithoutOk : public RttyDialogTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(RttyLeftWithoutOk, StoresNothing) {
    keyerSettings.user1Ext.rttyReg1 = 0x0A;  // 75 baud and an unshown bit that Ok would clear
    keyerSettings.user1Ext.rttyReg2 = 0x02;
    const auto before = record();
    Window w = openMainWindow();
    headless::scriptDialog(dlg::RttySetup, [close = GetParam().close](Window d) {
        d->click(EnableCheck);
        d->select(BaudRateList, 3);
        d->select(UsosList, 1);
        close(d);
        EXPECT_TRUE(d->ended);
    });
    EXPECT_EQ(runModalDialog(w, dlg::RttySetup, rttyDialogProc), GetParam().result);
    EXPECT_EQ(record(), before);
}

INSTANTIATE_TEST_SUITE_P(Rtty, RttyLeftWithoutOk,
                         ::testing::Values(CloseCase{"Cancel", [](Window d) { d->click(CancelButton); }, 1},
                                           CloseCase{"Enter", [](Window d) { d->pressEnter(); }, 1},
                                           CloseCase{"CloseBox", [](Window d) { d->pressCloseBox(); }, 0}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RttyDialogTest, OkEndsWithOneAndEscapeLeavesTheDialogOpen) {
    Window w = openMainWindow();
    headless::scriptDialog(dlg::RttySetup, [](Window d) {
        d->click(EnableCheck);
        d->pressEscape();
        EXPECT_FALSE(d->ended);
        d->click(OkButton);
    });
    EXPECT_EQ(runModalDialog(w, dlg::RttySetup, rttyDialogProc), 1);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg1, 0x80);
}

TEST_F(RttyDialogTest, AListWhoseTextWasTypedOverKeepsItsField) {
    keyerSettings.user1Ext.rttyReg1 = 0x82;  // RTTY on, 75 baud
    keyerSettings.user1Ext.rttyReg2 = 0x08;  // 1.5 stop bits, blank diddle, USOS off
    runFromMainWindow([](Window d) {
        d->typeListText(BaudRateList, "110");
        d->typeListText(StopBitsList, "1");
        d->typeListText(UsosList, "maybe");  // was 0: must not turn on
        d->select(DiddleIsList, 1);          // a valid choice still counts
        d->click(OkButton);
    });
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg1, 0x82);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg2, 0x0C);
}

}  // namespace
