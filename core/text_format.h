// printf-style formatting into a std::string, for the short status texts
// and readings the operations compose.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string formatText(const char* pattern, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}
