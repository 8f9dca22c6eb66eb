// The field table as jxtool and the capture read it: names, labels, the
// list round trips, and the capture's verdict on a record without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/user_fields.h"
#include "dialogs/panel_fields.h"
#include "dialogs/rtty_dialog.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

namespace {

// The label text a dialog template gives a control.
std::string_view templateText(int controlId, int dialogId = dlg::MainWindow) {
    const DialogTemplate* dialog = findDialogTemplate(dialogId);
    const ControlTemplate* control = dialog ? findControl(*dialog, controlId) : nullptr;
    return control ? control->text : std::string_view{};
}

// Each row of the field tables has its panel controls, in the same order, and
// the label the table gives is the one the window shows beside the control.
template <typename Field>
void expectBoundToThePanel(std::span<const Field> fields, std::set<std::string_view>& names) {
    for (const Field& f : fields) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_EQ(panelControls(f).field, f.name);
        EXPECT_EQ(templateText(panelControls(f).labelId), f.label) << f.name;
    }
}

TEST(UserFields, EveryFieldHasItsPanelControlsAndTheirLabel) {
    std::set<std::string_view> names;
    expectBoundToThePanel(numberFields(), names);
    expectBoundToThePanel(flagFields(), names);
    expectBoundToThePanel(choiceFields(), names);
    EXPECT_EQ(templateText(mainwin::CallsignLabel), CallsignLabel);
    EXPECT_EQ(findFlagField("tune50")->label, "Tune50%");
}

TEST(UserFields, TheRttyDialogShowsTheLabelsOfTheRttyTables) {
    for (std::size_t i = 0; i < rttyFlags.size(); ++i)
        EXPECT_EQ(templateText(RttyFlagChecks[i], dlg::RttySetup), rttyFlags[i].label);
    for (std::size_t i = 0; i < rttyChoices.size(); ++i)
        EXPECT_EQ(templateText(RttyChoiceLabels[i], dlg::RttySetup), rttyChoices[i].label);
    EXPECT_EQ(templateText(rtty::BaudRateLabel, dlg::RttySetup), RttyBaudLabel);
}

TEST(UserFields, ThePanelIsFilledInTheOrderOfItsRanks) {
    std::vector<std::string_view> order;
    for (const NumberField* f : numberFieldsInLoadOrder()) order.push_back(f->name);
    EXPECT_EQ(order, (std::vector<std::string_view>{"weight", "pttLeadIn", "pttTail", "firstExtension", "keyComp",
                                                    "farnsworthWpm", "paddleSample", "ratio", "favoriteWpm",
                                                    "sidetoneVolume", "serialNumber", "commandWpm", "letterSpace",
                                                    "sidetoneFreq", "potMaxWpm", "potMinWpm"}));
    EXPECT_EQ(numberFieldsInLoadOrder()[LastLoadedBeforeLists - 1]->name, "letterSpace");
}

TEST(UserFields, EveryListEntryChosenIsShownBack) {
    for (const ChoiceField& f : choiceFields()) {
        for (int i = 0; i < static_cast<int>(f.entries.size()); ++i) {
            UserSettings u{};
            f.choose(u, i);
            EXPECT_EQ(f.shown(u), i) << f.name << " " << f.entries[static_cast<std::size_t>(i)];
        }
    }
}

TEST(UserFields, CheckOfARecordGivesTheCaptureMessageAndChangesNothing) {
    resetSettingsState();
    resetToDefaults(keyerSettings);
    const KeyerSettings before = keyerSettings;
    EXPECT_EQ(checkUserSet(keyerSettings.user1, keyerSettings.user1Ext, UserSet::User1), "");
    EXPECT_EQ(checkUserSet(keyerSettings.user2, keyerSettings.user2Ext, UserSet::User2), "");

    struct Case {
        void (*spoil)(UserSettings&, UserExtension&);
        UserSet set;
        std::string_view message;
    };
    const Case cases[] = {
        {[](UserSettings& u, UserExtension&) { u.weight = 9; }, UserSet::User1, "Weight must be between 10 and 90"},
        // Code 0 has no frequency: the check reads it as an empty field.
        {[](UserSettings& u, UserExtension&) { u.sidetoneCode = 0; }, UserSet::User2,
         "Freq must be between 500 and 4000."},
        {[](UserSettings& u, UserExtension&) { u.potRangeWpm = 0; }, UserSet::User1,
         "Pot Max must be greater than Pot Min"},
        {[](UserSettings& u, UserExtension&) { u.potMinWpm = 4; }, UserSet::User1, "Pot Min must be between 5 and 99"},
        {[](UserSettings&, UserExtension& e) { e.sidetoneVolume = 0; }, UserSet::User1,
         "Sidetone volume must be between 1 and 10"},
        {[](UserSettings&, UserExtension& e) { e.serialNumberHigh = 0xFF; }, UserSet::User2,
         "Serial number must be between 1 and 9999"},
    };
    for (const Case& c : cases) {
        UserSettings u = keyerSettings.user1;
        UserExtension e = keyerSettings.user1Ext;
        c.spoil(u, e);
        EXPECT_EQ(checkUserSet(u, e, c.set), c.message);
    }
    EXPECT_EQ(0, std::memcmp(&before, &keyerSettings, sizeof before));
}

}  // namespace
