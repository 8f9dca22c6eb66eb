// The field table as jxtool and the capture read it: names, labels, the
// list round trips, and the capture's verdict on a record without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "settings/keyer_settings.h"
#include "settings/user_fields.h"

namespace {

TEST(UserFields, NamesAreUniqueAndEveryFieldHasAPanelLabel) {
    std::set<std::string_view> names;
    for (const NumberField& f : numberFields()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_FALSE(panelLabel(f.labelId).empty()) << f.name;
    }
    for (const FlagField& f : flagFields()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_FALSE(panelLabel(f.controlId).empty()) << f.name;
    }
    for (const ChoiceField& f : choiceFields()) {
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
        EXPECT_FALSE(panelLabel(f.labelId).empty()) << f.name;
    }
    EXPECT_EQ(panelLabel(findNumberField("weight")->labelId), "Weight");
    EXPECT_EQ(panelLabel(findFlagField("tune50")->controlId), "Tune50%");
    EXPECT_EQ(panelLabel(findChoiceField("keyerMode")->labelId), "Keyer Mode");
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
    resetToDefaults();
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
