#include "dialogs/settings_record.h"

KeyerSettings keyerSettings{};
UserSet activeUserSet = UserSet::User1;

UserSettings& userSettings(UserSet set) { return userSetOf(keyerSettings, set); }
UserExtension& userExtension(UserSet set) { return userExtensionOf(keyerSettings, set); }

void resetSettingsState() {
    keyerSettings = KeyerSettings{};
    activeUserSet = UserSet::User1;
}
