#include "dialogs/panel_capture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/user_fields.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

// A valid panel whose every value differs from the defaults and from zero.
const std::map<int, std::string> ValidPanel{
    {WeightEdit, "60"},         {PttLeadInEdit, "20"}, {PttTailEdit, "30"},  {SidetoneFreqEdit, "800"},
    {FirstExtensionEdit, "40"}, {KeyCompEdit, "11"},   {FarnsWpmEdit, "12"}, {PdlSampleEdit, "45"},
    {CmdWpmEdit, "22"},         {CurWpmEdit, "25"},    {StVolumeEdit, "7"},  {SerialNumberEdit, "257"},
    {RatioEdit, "55"},          {MaxWpmEdit, "40"},    {MinWpmEdit, "10"},   {LetterSpaceEdit, "5"},
};

// What ValidPanel stores, as bytes of the user set and its extension.
// (outputConfig is the record's own: capture never touches it.)
constexpr std::array<std::uint8_t, 16> ValidUserBytes{0x00, 25, 78, 60, 20, 30,   10,   30,
                                                      40,   11, 12, 45, 55, 0x00, 0x05, 22};
constexpr std::array<std::uint8_t, 6> ValidExtensionBytes{0x00, 0x00, 0x00, 7, 0x01, 0x00};

class PanelCaptureTest : public ProgramTest {
protected:
    Window w = nullptr;
    void SetUp() override {
        ProgramTest::SetUp();
        w = openMainWindow();
    }
    void fillPanel(const std::map<int, std::string>& overrides = {}) {
        for (const auto& [id, text] : ValidPanel) w->setText(id, text);
        for (const auto& [id, text] : overrides) w->setText(id, text);
    }
    std::vector<std::string> messages() {
        std::vector<std::string> texts;
        for (const auto& box : headless::messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    std::span<std::uint8_t> userBytes(UserSet set) { return recordBytes(keyerSettings).subspan(set == UserSet::User1 ? 0 : 16, 16); }
    std::span<std::uint8_t> extensionBytes(UserSet set) {
        return recordBytes(keyerSettings).subspan(set == UserSet::User1 ? 288 : 294, 6);
    }
};

TEST_F(PanelCaptureTest, ParsesUnsignedDecimalWithoutEverWrapping) {
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    for (const Case c :
         {Case{"", 0}, Case{"0", 0}, Case{"250", 250}, Case{"007", 7}, Case{" 42 ", 42}, Case{"abc", 0},
          Case{"12abc", 0}, Case{"-5", 0}, Case{"+5", 0}, Case{"1 2", 0}, Case{"2147483647", 2147483647u},
          Case{"2147483648", 2147483648u}, Case{"4294967295", 4294967295u}, Case{"4294967296", 4294967295u},
          Case{"4294967546", 4294967295u}, Case{"99999999999999999999", 4294967295u}})
        EXPECT_EQ(parseFieldNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(PanelCaptureTest, ValidPanelStoresEveryRowForEitherSet) {
    for (UserSet set : {UserSet::User1, UserSet::User2}) {
        resetSettingsState();
        fillPanel();
        EXPECT_TRUE(capturePanel(w, set));
        EXPECT_TRUE(headless::messageBoxes().empty());
        for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(userBytes(set)[i], ValidUserBytes[i]) << "byte " << i;
        for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(extensionBytes(set)[i], ValidExtensionBytes[i]) << "ext " << i;
        const UserSet other = set == UserSet::User1 ? UserSet::User2 : UserSet::User1;
        for (auto b : userBytes(other)) EXPECT_EQ(b, 0);
        for (auto b : extensionBytes(other)) EXPECT_EQ(b, 0);
        for (std::size_t i = 32; i < 288; ++i) EXPECT_EQ(recordBytes(keyerSettings)[i], 0) << i;
    }
}

TEST_F(PanelCaptureTest, CaptureLeavesBitsItDoesNotOwn) {
    UserSettings& u = keyerSettings.user1;
    u.modeReg = 0xFF;
    u.outputConfig = 0xDB;
    u.spacingReg = 0xE0;
    keyerSettings.user1Ext.featureFlags = 0xA5;
    keyerSettings.user1Ext.rttyReg1 = 0x12;
    keyerSettings.user1Ext.rttyReg2 = 0x34;
    fillPanel();
    ASSERT_TRUE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(u.modeReg, 0xFF);
    EXPECT_EQ(u.outputConfig, 0xDB);
    EXPECT_EQ(u.spacingReg, 0xE5) << "letter-space 5 replaces bits 4-0 only";
    EXPECT_EQ(keyerSettings.user1Ext.featureFlags, 0xA5);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg1, 0x12);
    EXPECT_EQ(keyerSettings.user1Ext.rttyReg2, 0x34);
}

struct FailingField {
    int rowOrder;  // 1-15: the row whose check fails
    std::map<int, std::string> fields;
    const char* messageUser1;
    const char* messageUser2;
};

const std::vector<FailingField> FailingFields{
    {1, {{WeightEdit, "9"}}, "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
    {1, {{WeightEdit, "91"}}, "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
    {1, {{WeightEdit, ""}}, "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
    {1, {{WeightEdit, "4294967346"}}, "Weight must be between 10 and 90", "Weight must be between 10 and 90"},
    {2, {{PttLeadInEdit, "251"}}, "Lead In must be 250 or less.", "Lead In must be 250 or less."},
    {2, {{PttLeadInEdit, "2147483648"}}, "Lead In must be 250 or less.", "Lead In must be 250 or less."},
    {2, {{PttLeadInEdit, "4294967296"}}, "Lead In must be 250 or less.", "Lead In must be 250 or less."},
    {3, {{PttTailEdit, "300"}}, "Tail must be 250 or less.", "Tail must be 250 or less."},
    {4, {{SidetoneFreqEdit, "499"}}, "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
    {4, {{SidetoneFreqEdit, "4001"}}, "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
    {4, {{SidetoneFreqEdit, "4166"}}, "Freq must be 500 or greater.", "Freq must be between 500 and 4000."},
    {5, {{FirstExtensionEdit, "251"}}, "1st Extend must be 250 or less.", "Extend must be 250 or less."},
    {6, {{KeyCompEdit, "251"}}, "Key Comp must be 250 or less.", "Key Comp must be 250 or less."},
    {7, {{FarnsWpmEdit, "9"}}, "Farns must be 0 or between 10 and 90", "Farnsworth WPM must be 0 or between 10 and 90"},
    {7,
     {{FarnsWpmEdit, "100"}},
     "Farns must be 0 or between 10 and 90",
     "Farnsworth WPM must be 0 or between 10 and 90"},
    {8,
     {{PdlSampleEdit, "9"}},
     "Paddle Sample must be 0 or between 10 and 90",
     "Paddle Sample must be between 10 and 90"},
    {8,
     {{PdlSampleEdit, "91"}},
     "Paddle Sample must be 0 or between 10 and 90",
     "Paddle Sample must be between 10 and 90"},
    {9, {{CmdWpmEdit, "4"}}, "Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"},
    {9, {{CmdWpmEdit, "100"}}, "Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"},
    {10, {{CurWpmEdit, "4"}}, "Favorite WPM must be between 5 and 99", "Favorite WPM must be between 5 and 99"},
    {10, {{CurWpmEdit, "100"}}, "Favorite WPM must be between 5 and 99", "Favorite WPM must be between 5 and 99"},
    {11, {{StVolumeEdit, "0"}}, "Sidetone volume must be between 1 and 10", "Sidetone volume must be between 1 and 10"},
    {11,
     {{StVolumeEdit, "11"}},
     "Sidetone volume must be between 1 and 10",
     "Sidetone volume must be between 1 and 10"},
    {12,
     {{SerialNumberEdit, "0"}},
     "Serial number must be between 1 and 9999",
     "Serial number must be between 1 and 9999"},
    {12,
     {{SerialNumberEdit, "10000"}},
     "Serial number must be between 1 and 9999",
     "Serial number must be between 1 and 9999"},
    {13, {{RatioEdit, "32"}}, "Ratio must be between 33 and 66", "Ratio must be between 33 and 66"},
    {13, {{RatioEdit, "67"}}, "Ratio must be between 33 and 66", "Ratio must be between 33 and 66"},
    {14,
     {{MaxWpmEdit, "10"}, {MinWpmEdit, "10"}},
     "Pot Max must be greater than Pot Min",
     "Pot Max must be greater than Pot Min"},
    {14,
     {{MaxWpmEdit, "50"}, {MinWpmEdit, "3"}},
     "Pot Min must be between 5 and 99",
     "Pot Min must be between 5 and 99"},
    {14,
     {{MaxWpmEdit, "120"}, {MinWpmEdit, "10"}},
     "Pot Max must be between 5 and 99",
     "Pot Max must be between 5 and 99"},
    {15,
     {{LetterSpaceEdit, "32"}},
     "Letterspace Adjustment can't be greater than 31",
     "Letterspace Adjustment can't be greater than 31"},
};

// Record bytes of a user set (0-15) and of its extension (16-21) that each row stores.
const std::map<int, std::vector<std::size_t>> BytesOfRow{
    {1, {3}},   {2, {4}},     {3, {5}},   {4, {2}},  {5, {8}},       {6, {9}},
    {7, {10}},  {8, {11}},    {9, {15}},  {10, {1}}, {11, {16 + 3}}, {12, {16 + 4, 16 + 5}},
    {13, {12}}, {14, {6, 7}}, {15, {14}},
};

TEST_F(PanelCaptureTest, EveryFailingRowShowsItsMessageAndStoresOnlyTheRowsBefore) {
    for (UserSet set : {UserSet::User1, UserSet::User2}) {
        for (const FailingField& f : FailingFields) {
            SCOPED_TRACE("row " + std::to_string(f.rowOrder) + (set == UserSet::User1 ? " user 1" : " user 2"));
            resetSettingsState();
            headless::clearMessageBoxes();
            fillPanel(f.fields);
            EXPECT_FALSE(capturePanel(w, set));
            ASSERT_EQ(headless::messageBoxes().size(), 1u);
            const auto& box = headless::messageBoxes().front();
            EXPECT_EQ(box.text, set == UserSet::User1 ? f.messageUser1 : f.messageUser2);
            EXPECT_EQ(box.caption, "Error");
            EXPECT_EQ(box.ownerTemplateId, dlg::MainWindow);
            for (const auto& [row, offsets] : BytesOfRow) {
                for (std::size_t offset : offsets) {
                    const std::uint8_t actual = offset < 16 ? userBytes(set)[offset] : extensionBytes(set)[offset - 16];
                    const std::uint8_t expected =
                        row < f.rowOrder ? (offset < 16 ? ValidUserBytes[offset] : ValidExtensionBytes[offset - 16])
                                         : 0;
                    EXPECT_EQ(actual, expected) << "row " << row << " byte " << offset;
                }
            }
            // The operator's text stays in the panel.
            for (const auto& [id, text] : f.fields) EXPECT_EQ(w->text(id), text);
        }
    }
}

TEST_F(PanelCaptureTest, EmptyPanelFailsAtTheWeightAndStoresNothing) {
    EXPECT_FALSE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(messages(), std::vector<std::string>{"Weight must be between 10 and 90"});
    for (auto b : recordBytes(keyerSettings)) EXPECT_EQ(b, 0);
}

TEST_F(PanelCaptureTest, ValuesAtTheirBoundsPass) {
    struct Case {
        int id;
        const char* text;
        std::size_t byte;
        std::uint8_t stored;
    };
    for (UserSet set : {UserSet::User1, UserSet::User2}) {
        for (const Case c :
             {Case{WeightEdit, "10", 3, 10}, Case{WeightEdit, "90", 3, 90}, Case{PttLeadInEdit, "250", 4, 250},
              Case{PttTailEdit, "0", 5, 0}, Case{SidetoneFreqEdit, "500", 2, 125},
              Case{SidetoneFreqEdit, "4000", 2, 15}, Case{SidetoneFreqEdit, "3906", 2, 16},
              Case{FarnsWpmEdit, "0", 10, 0}, Case{FarnsWpmEdit, "95", 10, 95}, Case{FarnsWpmEdit, "99", 10, 99},
              Case{PdlSampleEdit, "0", 11, 0}, Case{PdlSampleEdit, "90", 11, 90}, Case{RatioEdit, "33", 12, 33},
              Case{RatioEdit, "66", 12, 66}, Case{CmdWpmEdit, "5", 15, 5}, Case{CurWpmEdit, "99", 1, 99},
              Case{LetterSpaceEdit, "31", 14, 31}, Case{LetterSpaceEdit, "", 14, 0}}) {
            resetSettingsState();
            headless::clearMessageBoxes();
            fillPanel({{c.id, c.text}});
            EXPECT_TRUE(capturePanel(w, set)) << c.id << " " << c.text;
            EXPECT_TRUE(headless::messageBoxes().empty());
            EXPECT_EQ(userBytes(set)[c.byte], c.stored) << c.id << " " << c.text;
        }
    }
}

TEST_F(PanelCaptureTest, SerialNumberIsStoredMinusOneHighByteFirst) {
    struct Case {
        const char* text;
        std::uint8_t high, low;
    };
    for (const Case c :
         {Case{"1", 0x00, 0x00}, Case{"256", 0x00, 0xFF}, Case{"257", 0x01, 0x00}, Case{"9999", 0x27, 0x0E}}) {
        fillPanel({{SerialNumberEdit, c.text}});
        ASSERT_TRUE(capturePanel(w, UserSet::User2));
        EXPECT_EQ(recordBytes(keyerSettings)[294 + 4], c.high) << c.text;
        EXPECT_EQ(recordBytes(keyerSettings)[294 + 5], c.low) << c.text;
    }
}

TEST_F(PanelCaptureTest, PotLimitsAreStoredAsLowerAndRange) {
    fillPanel({{MaxWpmEdit, "35"}, {MinWpmEdit, "5"}});
    ASSERT_TRUE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(keyerSettings.user1.potMinWpm, 5);
    EXPECT_EQ(keyerSettings.user1.potRangeWpm, 30);
}

TEST_F(PanelCaptureTest, SidetoneOf4000ComesBackAs4166AndThenFails) {
    w->click(ResetDefaultsButton);
    w->setText(SidetoneFreqEdit, "4000");
    ASSERT_TRUE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(keyerSettings.user1.sidetoneCode, 15);
    loadPanel(w, UserSet::User1);
    EXPECT_EQ(w->text(SidetoneFreqEdit), "4166");
    EXPECT_FALSE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(messages(), std::vector<std::string>{"Freq must be 500 or greater."});
}

TEST_F(PanelCaptureTest, DefaultsSurviveALoadAndCaptureUnchanged) {
    for (std::size_t i = 32; i < 288; ++i) recordBytes(keyerSettings)[i] = static_cast<std::uint8_t>(i);
    w->click(ResetDefaultsButton);
    const std::vector<std::uint8_t> before(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end());
    ASSERT_TRUE(capturePanel(w, UserSet::User1));
    EXPECT_EQ(std::vector<std::uint8_t>(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()), before);
}

// --- Immediate updates ------------------------------------------------------

struct CheckBoxCase {
    int id;
    std::size_t userOffset;  // 0 modeReg, 14 spacingReg, or 16 + 0 for featureFlags
    std::uint8_t bit;
};

const std::vector<CheckBoxCase> CheckBoxes{
    {SwapCheck, 0, 0x08},     {AutoSpaceCheck, 0, 0x02}, {CtSpaceCheck, 0, 0x01},      {PdlWdOffCheck, 0, 0x80},
    {Cut0Check, 16, 0x10},    {Cut9Check, 16, 0x20},     {PdlToneOnlyCheck, 16, 0x08}, {PaddleMuteCheck, 16, 0x02},
    {FastCmdCheck, 16, 0x40}, {So2rCheck, 16, 0x04},     {FaveWpmOffCheck, 16, 0x01},  {Tune50Check, 14, 0x20},
};

TEST_F(PanelCaptureTest, EachCheckBoxFlipsItsBitInTheSetOnShow) {
    for (UserSet set : {UserSet::User1, UserSet::User2}) {
        for (const CheckBoxCase& c : CheckBoxes) {
            SCOPED_TRACE(c.id);
            resetSettingsState();
            activeUserSet = set;
            auto reg = [&]() -> std::uint8_t {
                return c.userOffset < 16 ? userBytes(set)[c.userOffset] : extensionBytes(set)[0];
            };
            w->click(c.id);
            EXPECT_EQ(reg(), c.bit);
            EXPECT_TRUE(w->checked(c.id));
            w->click(c.id);
            EXPECT_EQ(reg(), 0);
            EXPECT_FALSE(w->checked(c.id));
            // The other set and the rest of the record are untouched.
            for (std::size_t i = 0; i < RecordSize; ++i) EXPECT_EQ(recordBytes(keyerSettings)[i], 0) << i;
        }
    }
}

TEST_F(PanelCaptureTest, CheckBoxShowsTheRecordNotTheClick) {
    // The box was left unchecked while the record has the bit: one click clears the bit.
    keyerSettings.user1.modeReg = 0x08;
    sendCommand(w, SwapCheck);
    EXPECT_EQ(keyerSettings.user1.modeReg, 0x00);
    EXPECT_FALSE(w->checked(SwapCheck));
    sendCommand(w, SwapCheck);
    EXPECT_EQ(keyerSettings.user1.modeReg, 0x08);
    EXPECT_TRUE(w->checked(SwapCheck));
}

TEST_F(PanelCaptureTest, KeyerModeListSetsModeAndPriorityBits) {
    struct Case {
        int index;
        std::uint8_t modeBefore, outputBefore, modeAfter, outputAfter;
    };
    for (const Case c :
         {Case{0, 0xCF, 0xC7, 0xDF, 0xC7}, Case{1, 0xFF, 0x87, 0xCF, 0x87}, Case{2, 0x00, 0xC7, 0x20, 0x07},
          Case{3, 0x00, 0x47, 0x20, 0x87}, Case{4, 0x30, 0x87, 0x20, 0x47}, Case{5, 0x44, 0x40, 0x74, 0x40}}) {
        keyerSettings.user2.modeReg = c.modeBefore;
        keyerSettings.user2.outputConfig = c.outputBefore;
        activeUserSet = UserSet::User2;
        w->select(KeyerModeList, c.index);
        EXPECT_EQ(keyerSettings.user2.modeReg, c.modeAfter) << c.index;
        EXPECT_EQ(keyerSettings.user2.outputConfig, c.outputAfter) << c.index;
    }
}

TEST_F(PanelCaptureTest, IambicAAfterUltimDitKeepsThePriorityBitAndShowsIambicA) {
    w->select(KeyerModeList, 3);
    w->select(KeyerModeList, 0);
    EXPECT_EQ(keyerSettings.user1.modeReg & 0x30, 0x10);
    EXPECT_EQ(keyerSettings.user1.outputConfig & 0xC0, 0x80);
    loadPanel(w, UserSet::User1);
    EXPECT_EQ(w->text(KeyerModeList), "Iambic A");
    // "Ultimatic" after "UltimDah" clears both priority bits.
    w->select(KeyerModeList, 4);
    w->select(KeyerModeList, 2);
    EXPECT_EQ(keyerSettings.user1.outputConfig & 0xC0, 0x00);
}

TEST_F(PanelCaptureTest, PaddleHangAndOutputSelectionLists) {
    constexpr std::array<std::uint8_t, 8> nibbleOf{4, 6, 5, 7, 8, 10, 9, 11};
    keyerSettings.user1.outputConfig = 0xF0;
    for (int index = 0; index < 8; ++index) {
        w->select(OutputSelectionList, index);
        EXPECT_EQ(keyerSettings.user1.outputConfig, 0xF0 | nibbleOf[static_cast<std::size_t>(index)]) << index;
        // Loading the set back picks the same entry.
        loadPanel(w, UserSet::User1);
        EXPECT_EQ(w->selection(OutputSelectionList), index);
    }
    keyerSettings.user1.outputConfig = 0xCB;
    for (int index = 0; index < 4; ++index) {
        w->select(PaddleHangList, index);
        EXPECT_EQ(keyerSettings.user1.outputConfig, 0xCB | (index << 4)) << index;
        EXPECT_EQ(keyerSettings.user1.outputConfig & 0x30, index << 4);
    }
}

TEST_F(PanelCaptureTest, ListsActOnlyOnASelectionChange) {
    w->click(ResetDefaultsButton);
    const std::vector<std::uint8_t> before(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end());
    listSelect(w, KeyerModeList, 5);
    listSelect(w, PaddleHangList, 3);
    listSelect(w, OutputSelectionList, 7);
    for (int id : {KeyerModeList, PaddleHangList, OutputSelectionList}) sendCommand(w, id, notify::Clicked);
    EXPECT_EQ(std::vector<std::uint8_t>(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()), before);
    // A selection change that reports no selection changes nothing either.
    for (int id : {KeyerModeList, PaddleHangList, OutputSelectionList}) {
        w->typeListText(id, "Port9");
        sendCommand(w, id, notify::ListSelectionChange);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()), before);
}

TEST_F(PanelCaptureTest, BankRadioButtonsSetBitSixOfUserOneWhicheverSetIsOnShow) {
    keyerSettings.user2.spacingReg = 0x00;
    activeUserSet = UserSet::User2;
    w->click(MessageBank2Radio);
    EXPECT_EQ(keyerSettings.user1.spacingReg, 0x40);
    EXPECT_EQ(keyerSettings.user2.spacingReg, 0x00);
    w->click(MessageBank2Radio);
    EXPECT_EQ(keyerSettings.user1.spacingReg, 0x40) << "a set, not a flip";
    keyerSettings.user1.spacingReg = 0xFF;
    w->click(MessageBank1Radio);
    EXPECT_EQ(keyerSettings.user1.spacingReg, 0xBF);
}

// --- The User 1 / User 2 switch --------------------------------------------

TEST_F(PanelCaptureTest, SwitchToUserTwoStoresThePanelAndShowsUserTwo) {
    resetToDefaults(keyerSettings);
    keyerSettings.user2.weight = 77;
    keyerSettings.user2.spacingReg = 0x1F;
    fillPanel();
    w->click(User2Radio);
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_TRUE(w->checked(User2Radio));
    EXPECT_FALSE(w->checked(User1Radio));
    EXPECT_EQ(activeUserSet, UserSet::User2);
    EXPECT_EQ(keyerSettings.user1.weight, 60);
    EXPECT_EQ(w->text(WeightEdit), "77");
    EXPECT_EQ(w->text(LetterSpaceEdit), "31");
    EXPECT_TRUE(w->visible(Callsign2Edit));
    EXPECT_FALSE(w->visible(Callsign1Edit));
    EXPECT_EQ(recordBytes(keyerSettings)[14], 0x85) << "user2Active set in user1, letter-space 5 kept";
    EXPECT_EQ(recordBytes(keyerSettings)[30], 0x1F) << "user2's own bit 7 is not touched";
    EXPECT_TRUE(w->enabled(User1Radio));
    EXPECT_TRUE(w->enabled(TestButton));

    w->click(User1Radio);
    EXPECT_TRUE(w->checked(User1Radio));
    EXPECT_FALSE(w->checked(User2Radio));
    EXPECT_EQ(activeUserSet, UserSet::User1);
    EXPECT_EQ(recordBytes(keyerSettings)[14], 0x05);
    EXPECT_EQ(w->text(WeightEdit), "60");
}

TEST_F(PanelCaptureTest, SwitchThatFailsAtThePttTailKeepsUserOneOnShow) {
    w->click(ResetDefaultsButton);
    w->setText(WeightEdit, "70");
    w->setText(PttLeadInEdit, "25");
    w->setText(PttTailEdit, "300");
    w->click(User2Radio);
    EXPECT_EQ(messages(), std::vector<std::string>{"Tail must be 250 or less."});
    EXPECT_TRUE(w->checked(User1Radio));
    EXPECT_FALSE(w->checked(User2Radio));
    EXPECT_EQ(activeUserSet, UserSet::User1);
    EXPECT_EQ(keyerSettings.user1.weight, 70);
    EXPECT_EQ(keyerSettings.user1.pttLeadIn, 25);
    EXPECT_EQ(keyerSettings.user1.pttTail, 0);
    EXPECT_EQ(recordBytes(keyerSettings)[14] & 0x80, 0);
    EXPECT_EQ(w->text(PttTailEdit), "300");
    EXPECT_TRUE(w->visible(Callsign1Edit));
    // The buttons come back after the refused switch.
    EXPECT_TRUE(w->enabled(User2Radio));
    EXPECT_TRUE(w->enabled(MessageBank1Radio));
}

TEST_F(PanelCaptureTest, SelectingTheSetOnShowCapturesAndReloads) {
    w->click(ResetDefaultsButton);
    w->setText(RatioEdit, "040");
    w->click(User1Radio);
    EXPECT_EQ(keyerSettings.user1.ratio, 40);
    EXPECT_EQ(w->text(RatioEdit), "40");
    EXPECT_EQ(activeUserSet, UserSet::User1);
}

}  // namespace
