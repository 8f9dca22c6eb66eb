#include <gtest/gtest.h>

#include <cstddef>

#include "core/settings/keyer_settings.h"
#include "dialogs/settings_record.h"

namespace {

class KeyerSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettingsState(); }
};

TEST_F(KeyerSettingsTest, FieldsSitAtTheKeyersOffsets) {
    EXPECT_EQ(offsetof(KeyerSettings, user2), 16u);
    EXPECT_EQ(offsetof(KeyerSettings, messageArea), 32u);
    EXPECT_EQ(offsetof(KeyerSettings, user1Ext), 288u);
    EXPECT_EQ(offsetof(KeyerSettings, user2Ext), 294u);
    EXPECT_EQ(offsetof(UserSettings, commandWpm), 15u);
    EXPECT_EQ(offsetof(UserSettings, spacingReg), 14u);
    EXPECT_EQ(offsetof(UserExtension, serialNumberHigh), 4u);
    recordBytes(keyerSettings)[16 + 3] = 77;
    EXPECT_EQ(userSettings(UserSet::User2).weight, 77);
    recordBytes(keyerSettings)[294 + 1] = 0x93;
    EXPECT_EQ(userExtension(UserSet::User2).rttyReg1, 0x93);
}

TEST_F(KeyerSettingsTest, StartsAllZeroWithUserOne) {
    for (auto b : recordBytes(keyerSettings)) EXPECT_EQ(b, 0);
    EXPECT_EQ(activeUserSet, UserSet::User1);
}

TEST_F(KeyerSettingsTest, ResetToDefaultsWritesTheDefaultBytesOnly) {
    for (std::size_t i = 0; i < RecordSize; ++i) recordBytes(keyerSettings)[i] = static_cast<std::uint8_t>(i * 7 + 1);
    resetToDefaults(keyerSettings);
    const std::uint8_t user[16] = {0x00, 0x0F, 0x4E, 0x32, 0x00, 0x00, 0x05, 0x1E,
                                   0x00, 0x00, 0x00, 0x32, 0x32, 0x07, 0x00, 0x0F};
    const std::uint8_t ext[6] = {0x00, 0x00, 0x00, 0x0A, 0x00, 0x00};
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(recordBytes(keyerSettings)[i], user[i]) << i;
        EXPECT_EQ(recordBytes(keyerSettings)[16 + i], user[i]) << i;
    }
    for (std::size_t i = 32; i < 288; ++i) EXPECT_EQ(recordBytes(keyerSettings)[i], static_cast<std::uint8_t>(i * 7 + 1)) << i;
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(recordBytes(keyerSettings)[288 + i], ext[i]) << i;
        EXPECT_EQ(recordBytes(keyerSettings)[294 + i], ext[i]) << i;
    }
}

}  // namespace
