// Facts about the system the program was built for, fixed at compile time:
// nothing is asked of the running system.
#pragma once

#include <string_view>

// The operating system's name as the about dialog shows it.
constexpr std::string_view operatingSystemName() {
#if defined(_WIN32)
    return "MS Windows";
#elif defined(__linux__)
    return "Linux";
#elif defined(__APPLE__)
    return "macOS";
#else
    return "a POSIX system";
#endif
}
