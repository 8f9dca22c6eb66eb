// Where the Linux programs keep their own files, under the XDG base
// directories.  The configuration folder is keyer-tools under
// $XDG_CONFIG_HOME when it is an absolute path, else under .config in the
// home folder: $HOME when absolute, else the home folder of the user's
// password entry.  The data folder (the record history) follows the same
// rule with $XDG_DATA_HOME and .local/share.  Without any of them there is
// no such folder.
#pragma once

#include <string>

// The rules themselves, given the three sources (each null or empty when
// unknown); empty when no folder is known.
std::string keyerConfigFolderFrom(const char* xdgConfigHome, const char* home, const char* passwdHome);
std::string keyerDataFolderFrom(const char* xdgDataHome, const char* home, const char* passwdHome);

// The folders for this process (they need not exist yet); empty when none is known.
std::string keyerConfigFolder();
std::string keyerDataFolder();
