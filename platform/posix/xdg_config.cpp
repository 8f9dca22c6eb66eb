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

}  // namespace

std::string keyerConfigFolderFrom(const char* xdgConfigHome, const char* home, const char* passwdHome) {
    std::string base;
    if (absolute(xdgConfigHome)) {
        base = withoutTrailingSlashes(xdgConfigHome);
    } else if (const char* homeFolder = absolute(home) ? home : absolute(passwdHome) ? passwdHome : nullptr) {
        base = joined(withoutTrailingSlashes(homeFolder), ".config");
    } else {
        return {};
    }
    return joined(base, "keyer-tools");
}

std::string keyerConfigFolder() {
    const char* xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (absolute(xdgConfigHome) || absolute(home)) return keyerConfigFolderFrom(xdgConfigHome, home, nullptr);
    // Only then the password entry (a service or a cron job may run without HOME).
    const passwd* entry = ::getpwuid(::getuid());
    return keyerConfigFolderFrom(xdgConfigHome, home, entry ? entry->pw_dir : nullptr);
}
