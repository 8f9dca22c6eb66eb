#include "platform/posix/xdg_config.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

bool absolute(const char* path) { return path && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string joined(const std::string& folder, const char* name) {
    return folder == "/" ? folder + name : folder + "/" + name;
}

// keyer-tools under the XDG folder when it is absolute, else under
// `inHome` of the home folder.
std::string keyerFolderFrom(const char* xdgHome, const char* inHome, const char* home, const char* passwdHome) {
    std::string base;
    if (absolute(xdgHome)) {
        base = withoutTrailingSlashes(xdgHome);
    } else if (const char* homeFolder = absolute(home) ? home : absolute(passwdHome) ? passwdHome : nullptr) {
        base = joined(withoutTrailingSlashes(homeFolder), inHome);
    } else {
        return {};
    }
    return joined(base, "keyer-tools");
}

std::string keyerFolder(const char* xdgVariable, const char* inHome) {
    const char* xdgHome = std::getenv(xdgVariable);
    const char* home = std::getenv("HOME");
    if (absolute(xdgHome) || absolute(home)) return keyerFolderFrom(xdgHome, inHome, home, nullptr);
    // Only then the password entry (a service or a cron job may run without HOME).
    const passwd* entry = ::getpwuid(::getuid());
    return keyerFolderFrom(xdgHome, inHome, home, entry ? entry->pw_dir : nullptr);
}

}  // namespace

std::string keyerConfigFolderFrom(const char* xdgConfigHome, const char* home, const char* passwdHome) {
    return keyerFolderFrom(xdgConfigHome, ".config", home, passwdHome);
}

std::string keyerDataFolderFrom(const char* xdgDataHome, const char* home, const char* passwdHome) {
    return keyerFolderFrom(xdgDataHome, ".local/share", home, passwdHome);
}

std::string keyerConfigFolder() { return keyerFolder("XDG_CONFIG_HOME", ".config"); }
std::string keyerDataFolder() { return keyerFolder("XDG_DATA_HOME", ".local/share"); }
