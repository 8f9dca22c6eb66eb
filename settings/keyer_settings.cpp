#include "settings/keyer_settings.h"

#include <cstring>

KeyerSettings keyerSettings{};
UserSet activeUserSet = UserSet::User1;

std::span<std::uint8_t, RecordSize> recordBytes(KeyerSettings& record) {
    // Byte access to a standard-layout record of bytes; unsigned char may alias it.
    return std::span<std::uint8_t, RecordSize>(reinterpret_cast<std::uint8_t*>(&record), RecordSize);
}

std::span<const std::uint8_t, RecordSize> recordBytes(const KeyerSettings& record) {
    return std::span<const std::uint8_t, RecordSize>(reinterpret_cast<const std::uint8_t*>(&record), RecordSize);
}

std::span<std::uint8_t, RecordSize> recordBytes() { return recordBytes(keyerSettings); }

std::span<std::uint8_t, MemoryImageSize> memoryImage() { return recordBytes().first<MemoryImageSize>(); }

std::span<std::uint8_t, ExtensionBlockSize> extensionBlock() { return recordBytes().last<ExtensionBlockSize>(); }

UserSettings& userSettings(UserSet set) { return set == UserSet::User1 ? keyerSettings.user1 : keyerSettings.user2; }

UserExtension& userExtension(UserSet set) {
    return set == UserSet::User1 ? keyerSettings.user1Ext : keyerSettings.user2Ext;
}

void resetToDefaults() {
    keyerSettings.user1 = DefaultUserSettings;
    keyerSettings.user2 = DefaultUserSettings;
    keyerSettings.user1Ext = DefaultUserExtension;
    keyerSettings.user2Ext = DefaultUserExtension;
}

void resetSettingsState() {
    std::memset(&keyerSettings, 0, sizeof keyerSettings);
    activeUserSet = UserSet::User1;
}
