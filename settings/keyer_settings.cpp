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

namespace {
// Iambic B, speeds 15, sidetone code 78 (801 Hz), weight 50, pot 5 to 35,
// paddle sample 50, ratio 50, "Port1, ST, PTT" with hang "1.0 Word".
constexpr UserSettings DefaultUserSettings{0x00, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 0x07, 0x00, 15};
// No flags, RTTY off, sidetone volume 10, serial number 1.
constexpr UserExtension DefaultUserExtension{0x00, 0x00, 0x00, 10, 0x00, 0x00};
}  // namespace

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
