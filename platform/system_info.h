// Facts about the system the program was built for, fixed at compile time:
// nothing is asked of the running system.
#pragma once

#include <string_view>

// The operating system's name as the about dialog shows it.
constexpr std::string_view operatingSystemName() {
#if defined(_WIN32)
    return "MS Windows";
#elif defined(__EMSCRIPTEN__)
    return "a web browser";
#elif defined(__linux__)
    return "Linux";
#elif defined(__APPLE__)
    return "macOS";
#else
    return "a POSIX system";
#endif
}

// Where this build puts the operator's guide: beside the program in the
// Windows ZIP and the web page; in the system's documentation folder,
// where the Linux package installs it, elsewhere.
constexpr std::string_view operatingGuideLocation() {
#if defined(_WIN32)
    return "docs\\operating-guide.md beside the program";
#elif defined(__EMSCRIPTEN__)
    return "operating-guide.md beside this page";
#else
    return "/usr/share/doc/keyer-tools/operating-guide.md";
#endif
}
