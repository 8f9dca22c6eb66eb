// Where the Linux programs keep their own files: the folder keyer-tools under
// the XDG configuration folder.  That folder is $XDG_CONFIG_HOME when it is
// an absolute path, else .config in the home folder: $HOME when absolute,
// else the home folder of the user's password entry.  Without any of them
// there is no such folder.
#pragma once

#include <string>

// The rule itself, given the three sources (each null or empty when unknown);
// empty when no folder is known.
std::string keyerConfigFolderFrom(const char* xdgConfigHome, const char* home, const char* passwdHome);

// The folder for this process (it need not exist yet); empty when none is known.
std::string keyerConfigFolder();
