#include "core/settings/keyer_settings.h"

std::span<std::uint8_t, RecordSize> recordBytes(KeyerSettings& record) {
    // Byte access to a standard-layout record of bytes; unsigned char may alias it.
    return std::span<std::uint8_t, RecordSize>(reinterpret_cast<std::uint8_t*>(&record), RecordSize);
}

std::span<const std::uint8_t, RecordSize> recordBytes(const KeyerSettings& record) {
    return std::span<const std::uint8_t, RecordSize>(reinterpret_cast<const std::uint8_t*>(&record), RecordSize);
}

UserSettings& userSetOf(KeyerSettings& record, UserSet set) {
    return set == UserSet::User1 ? record.user1 : record.user2;
}
const UserSettings& userSetOf(const KeyerSettings& record, UserSet set) {
    return set == UserSet::User1 ? record.user1 : record.user2;
}
UserExtension& userExtensionOf(KeyerSettings& record, UserSet set) {
    return set == UserSet::User1 ? record.user1Ext : record.user2Ext;
}
const UserExtension& userExtensionOf(const KeyerSettings& record, UserSet set) {
    return set == UserSet::User1 ? record.user1Ext : record.user2Ext;
}

void resetToDefaults(KeyerSettings& record) {
    record.user1 = DefaultUserSettings;
    record.user2 = DefaultUserSettings;
    record.user1Ext = DefaultUserExtension;
    record.user2Ext = DefaultUserExtension;
}
