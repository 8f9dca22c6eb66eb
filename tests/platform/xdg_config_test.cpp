// The Linux programs' configuration folder.
#include <gtest/gtest.h>

#include "platform/posix/xdg_config.h"

namespace {

struct XdgCase {
    const char* xdgConfigHome;
    const char* home;
    const char* passwdHome;
    const char* folder;
};

TEST(XdgConfig, FollowsTheXdgBaseDirectories) {
    const XdgCase cases[] = {
        {"/x/conf", "/home/op", "/home/pw", "/x/conf/keyer-tools"},
        {"/x/conf/", "/home/op", nullptr, "/x/conf/keyer-tools"},
        {nullptr, "/home/op", "/home/pw", "/home/op/.config/keyer-tools"},
        {"", "/home/op/", nullptr, "/home/op/.config/keyer-tools"},
        // A relative XDG_CONFIG_HOME or HOME is not to be used.
        {"conf", "/home/op", nullptr, "/home/op/.config/keyer-tools"},
        {nullptr, "relative", "/home/pw", "/home/pw/.config/keyer-tools"},
        // Without HOME the password entry's home folder.
        {nullptr, nullptr, "/home/pw", "/home/pw/.config/keyer-tools"},
        {nullptr, "", "/", "/.config/keyer-tools"},
        {"/", nullptr, nullptr, "/keyer-tools"},
        {nullptr, nullptr, nullptr, ""},
        {nullptr, "relative", "", ""},
    };
    for (const XdgCase& c : cases)
        EXPECT_EQ(keyerConfigFolderFrom(c.xdgConfigHome, c.home, c.passwdHome), c.folder)
            << (c.xdgConfigHome ? c.xdgConfigHome : "(unset)") << " " << (c.home ? c.home : "(unset)") << " "
            << (c.passwdHome ? c.passwdHome : "(unset)");
}

// The record history's folder follows the same rule under the data folder.
TEST(XdgConfig, TheDataFolderFollowsTheSameRule) {
    const XdgCase cases[] = {
        {"/x/data/", "/home/op", nullptr, "/x/data/keyer-tools"},
        {"data", "/home/op", nullptr, "/home/op/.local/share/keyer-tools"},
        {nullptr, "relative", "/home/pw", "/home/pw/.local/share/keyer-tools"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const XdgCase& c : cases)
        EXPECT_EQ(keyerDataFolderFrom(c.xdgConfigHome, c.home, c.passwdHome), c.folder) << c.folder;
}

}  // namespace
