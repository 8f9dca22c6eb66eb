// jxtool's entry: its arguments and where the programs' configuration file is.
#include <cstdio>
#include <string>
#include <vector>

#include "core/link/port_config.h"
#include "platform/files.h"
#include "tools/jxtool/jxtool.h"

namespace {

// The desktop program's configuration file: on Linux in the user's folder;
// on Windows beside the programs, under the desktop program's name.
std::string sharedConfigFile() {
    std::string location = configFileLocation();
    if (!location.empty()) return location;
    const std::string self = programPath();
    const auto folderEnd = self.find_last_of("\\/");
    const std::string folder = folderEnd == std::string::npos ? std::string() : self.substr(0, folderEnd + 1);
    return makeConfigPath(folder + KEYER_PROGRAM_FILE);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = runJxtool(args, sharedConfigFile);
    std::fflush(stdout);
    return status;
}
