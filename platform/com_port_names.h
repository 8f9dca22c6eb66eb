// Device names as the programs pass them to the serial backends that stand in
// for Windows' own (headless, web): "COM7" or "\\.\COM12".
#pragma once

#include <cctype>
#include <cstddef>
#include <string_view>

// "COM7" or "\\.\COM12" (either case) to 7 or 12; 0 when it is neither.
inline int comNumberOfDeviceName(std::string_view name) {
    if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
    if (name.size() < 4) return 0;
    for (std::size_t k = 0; k < 3; ++k)
        if (std::toupper(static_cast<unsigned char>(name[k])) != "COM"[k]) return 0;
    int n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9' || n > 100000) return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}
