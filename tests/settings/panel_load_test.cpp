#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "core/settings/keyer_settings.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

class PanelLoadTest : public ProgramTest {};

TEST_F(PanelLoadTest, ResetToDefaultsShowsTheDefaultSet) {
    Window w = openMainWindow();
    w->click(ResetDefaultsButton);
    struct Field {
        int id;
        const char* text;
    };
    for (const Field f : {Field{WeightEdit, "50"}, Field{PttLeadInEdit, "0"}, Field{PttTailEdit, "0"},
                          Field{FirstExtensionEdit, "0"}, Field{KeyCompEdit, "0"}, Field{FarnsWpmEdit, "0"},
                          Field{PdlSampleEdit, "50"}, Field{RatioEdit, "50"}, Field{CurWpmEdit, "15"},
                          Field{StVolumeEdit, "10"}, Field{SerialNumberEdit, "1"}, Field{CmdWpmEdit, "15"},
                          Field{LetterSpaceEdit, "0"}, Field{SidetoneFreqEdit, "801"}, Field{MaxWpmEdit, "35"},
                          Field{MinWpmEdit, "5"}})
        EXPECT_EQ(w->text(f.id), f.text) << f.id;
    EXPECT_EQ(w->selection(KeyerModeList), 1);
    EXPECT_EQ(w->text(KeyerModeList), "Iambic B");
    EXPECT_EQ(w->selection(PaddleHangList), 0);
    EXPECT_EQ(w->text(OutputSelectionList), "Port1, ST, PTT");
    for (int id : {SwapCheck, AutoSpaceCheck, CtSpaceCheck, Cut0Check, Cut9Check, PdlToneOnlyCheck, PdlWdOffCheck,
                   PaddleMuteCheck, FastCmdCheck, Tune50Check, So2rCheck, FaveWpmOffCheck})
        EXPECT_FALSE(w->checked(id)) << id;
    EXPECT_TRUE(w->visible(Callsign1Edit));
    EXPECT_FALSE(w->visible(Callsign2Edit));
}

TEST_F(PanelLoadTest, EveryFieldComesFromItsOwnByte) {
    Window w = openMainWindow();
    UserSettings& u = keyerSettings.user2;
    u = UserSettings{0x00, 21, 100, 33, 44, 55, 7, 20, 66, 77, 25, 88, 40, 0x00, 0xF9, 30};
    keyerSettings.user2Ext = UserExtension{0x00, 0xAA, 0xBB, 4, 0x00, 0x09};
    keyerSettings.user1 = UserSettings{};  // the other set must not show through
    loadPanel(w, UserSet::User2);
    struct Field {
        int id;
        const char* text;
    };
    for (const Field f : {Field{WeightEdit, "33"}, Field{PttLeadInEdit, "44"}, Field{PttTailEdit, "55"},
                          Field{FirstExtensionEdit, "66"}, Field{KeyCompEdit, "77"}, Field{FarnsWpmEdit, "25"},
                          Field{PdlSampleEdit, "88"}, Field{RatioEdit, "40"}, Field{CurWpmEdit, "21"},
                          Field{StVolumeEdit, "4"}, Field{SerialNumberEdit, "10"}, Field{CmdWpmEdit, "30"},
                          Field{LetterSpaceEdit, "25"}, Field{SidetoneFreqEdit, "625"}, Field{MaxWpmEdit, "27"},
                          Field{MinWpmEdit, "7"}})
        EXPECT_EQ(w->text(f.id), f.text) << f.id;
    EXPECT_FALSE(w->visible(Callsign1Edit));
    EXPECT_TRUE(w->visible(Callsign2Edit));
}

TEST_F(PanelLoadTest, KeyerModeIndexFromModeAndPriorityBits) {
    struct Case {
        std::uint8_t modeReg;
        std::uint8_t outputConfig;
        const char* entry;
    };
    for (const Case c : {Case{0x10, 0x00, "Iambic A"}, Case{0x00, 0xC0, "Iambic B"}, Case{0x20, 0x07, "Ultimatic"},
                         Case{0x20, 0x87, "UltimDit"}, Case{0x20, 0xC7, "UltimDit"}, Case{0x20, 0x47, "UltimDah"},
                         Case{0x30, 0x80, "VibroBug"}, Case{0x44, 0x07, "Iambic B"}, Case{0xDF, 0x00, "Iambic A"}}) {
        headless::reset();
        Window w = openMainWindow();
        keyerSettings.user1.modeReg = c.modeReg;
        keyerSettings.user1.outputConfig = c.outputConfig;
        loadPanel(w, UserSet::User1);
        EXPECT_EQ(w->text(KeyerModeList), c.entry) << std::hex << int(c.modeReg) << " " << int(c.outputConfig);
    }
}

TEST_F(PanelLoadTest, UltimDitWithPortOneSidetoneAndPtt) {
    Window w = openMainWindow();
    keyerSettings.user1.modeReg = 0x20;
    keyerSettings.user1.outputConfig = 0xC7;
    loadPanel(w, UserSet::User1);
    EXPECT_EQ(w->text(KeyerModeList), "UltimDit");
    EXPECT_EQ(w->text(OutputSelectionList), "Port1, ST, PTT");
    EXPECT_EQ(w->text(PaddleHangList), "1.0 Word");
}

TEST_F(PanelLoadTest, OutputSelectionAndPaddleHangFromOutputConfig) {
    // Nibble to list entry: the list names sidetone before PTT.
    constexpr std::array<const char*, 16> entryOfNibble{
        "Port1", "Port1", "Port1",      "Port1",     "Port1",      "Port1, PTT", "Port1, ST", "Port1, ST, PTT",
        "Port2", "Port2, PTT", "Port2, ST", "Port2, ST, PTT", "Port1", "Port1", "Port1", "Port1"};
    constexpr std::array<const char*, 4> hangOf{"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"};
    for (UserSet set : {UserSet::User1, UserSet::User2}) {
        for (unsigned config = 0; config < 256; ++config) {
            headless::reset();
            Window w = openMainWindow();
            userSettings(set).outputConfig = static_cast<std::uint8_t>(config);
            loadPanel(w, set);
            EXPECT_EQ(w->text(OutputSelectionList), entryOfNibble[config & 0x0F]) << config;
            EXPECT_EQ(w->text(PaddleHangList), hangOf[(config >> 4) & 3]) << config;
        }
    }
    Window w = openMainWindow();
    keyerSettings.user2.outputConfig = 0x1A;
    loadPanel(w, UserSet::User2);
    EXPECT_EQ(w->selection(OutputSelectionList), 5);
    EXPECT_EQ(w->text(PaddleHangList), "1.3 Word");
    // Loading never changes the record.
    EXPECT_EQ(keyerSettings.user2.outputConfig, 0x1A);
}

TEST_F(PanelLoadTest, SerialNumberIsStoredMinusOneHighByteFirst) {
    struct Case {
        std::uint8_t high, low;
        const char* shown;
    };
    for (const Case c : {Case{0x01, 0x00, "257"}, Case{0x27, 0x0E, "9999"}, Case{0xFF, 0xFF, "65536"},
                         Case{0x00, 0xFF, "256"}}) {
        headless::reset();
        Window w = openMainWindow();
        keyerSettings.user1Ext.serialNumberHigh = c.high;
        keyerSettings.user1Ext.serialNumberLow = c.low;
        loadPanel(w, UserSet::User1);
        EXPECT_EQ(w->text(SerialNumberEdit), c.shown);
    }
}

TEST_F(PanelLoadTest, PotUpperLimitIsTheSumEvenBeyondAByte) {
    Window w = openMainWindow();
    keyerSettings.user1.potMinWpm = 90;
    keyerSettings.user1.potRangeWpm = 200;
    loadPanel(w, UserSet::User1);
    EXPECT_EQ(w->text(MaxWpmEdit), "290");
    EXPECT_EQ(w->text(MinWpmEdit), "90");
}

TEST_F(PanelLoadTest, SidetoneCodeZeroLeavesTheFieldAlone) {
    Window w = openMainWindow();
    w->setText(SidetoneFreqEdit, "1234");
    loadPanel(w, UserSet::User1);
    EXPECT_EQ(w->text(SidetoneFreqEdit), "1234");
    struct Case {
        std::uint8_t code;
        const char* shown;
    };
    for (const Case c : {Case{78, "801"}, Case{125, "500"}, Case{15, "4166"}, Case{1, "62500"}, Case{255, "245"}}) {
        keyerSettings.user1.sidetoneCode = c.code;
        loadPanel(w, UserSet::User1);
        EXPECT_EQ(w->text(SidetoneFreqEdit), c.shown) << int(c.code);
    }
}

TEST_F(PanelLoadTest, CheckBoxesFollowTheirBits) {
    struct Box {
        int id;
        std::uint8_t modeReg, featureFlags, spacingReg;
    };
    for (const Box b : {Box{SwapCheck, 0x08, 0, 0}, Box{AutoSpaceCheck, 0x02, 0, 0}, Box{CtSpaceCheck, 0x01, 0, 0},
                        Box{PdlWdOffCheck, 0x80, 0, 0}, Box{Cut0Check, 0, 0x10, 0}, Box{Cut9Check, 0, 0x20, 0},
                        Box{PdlToneOnlyCheck, 0, 0x08, 0}, Box{PaddleMuteCheck, 0, 0x02, 0},
                        Box{So2rCheck, 0, 0x04, 0}, Box{FastCmdCheck, 0, 0x40, 0}, Box{FaveWpmOffCheck, 0, 0x01, 0},
                        Box{Tune50Check, 0, 0, 0x20}}) {
        headless::reset();
        Window w = openMainWindow();
        keyerSettings.user2.modeReg = b.modeReg;
        keyerSettings.user2Ext.featureFlags = b.featureFlags;
        keyerSettings.user2.spacingReg = b.spacingReg;
        // Bits of the other set, and bits that mean nothing, tick no box.
        keyerSettings.user1.modeReg = 0xFF;
        keyerSettings.user1Ext.featureFlags = 0xFF;
        keyerSettings.user1.spacingReg = 0xFF;
        setChecked(w, Tune50Check, true);
        loadPanel(w, UserSet::User2);
        for (int id : {SwapCheck, AutoSpaceCheck, CtSpaceCheck, Cut0Check, Cut9Check, PdlToneOnlyCheck, PdlWdOffCheck,
                       PaddleMuteCheck, FastCmdCheck, Tune50Check, So2rCheck, FaveWpmOffCheck})
            EXPECT_EQ(w->checked(id), id == b.id) << "bit of " << b.id << ", box " << id;
    }
}

}  // namespace
