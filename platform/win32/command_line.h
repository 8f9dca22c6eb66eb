// The Windows program's command line, split as the C runtime splits it
// (spaces outside quotes part arguments; 2n backslashes before a quote are n
// and the quote counts, 2n+1 are n and a quote; "" inside quotes is a quote).
// Plain C++, so it is tested on any host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

inline std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false, quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArg) args.push_back(std::move(arg)), arg.clear(), inArg = false;
            ++i;
            continue;
        }
        inArg = true;
        if (c == '\\') {
            std::size_t count = 0;
            while (i < line.size() && line[i] == '\\') ++count, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(count / 2, '\\');
                if (count % 2 == 1) arg += '"', ++i;
            } else {
                arg.append(count, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        arg += c;
        ++i;
    }
    if (inArg) args.push_back(std::move(arg));
    return args;
}

// What the program takes from its command line: --trace FILE (or
// --trace=FILE); everything else is left alone, as it always was.
struct ProgramArguments {
    std::string tracePath;
    bool traceWithoutFile = false;  // --trace came last, with no file after it
};

inline ProgramArguments programArguments(const std::vector<std::string>& args) {
    ProgramArguments found;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--trace") {
            if (i + 1 == args.size()) found.traceWithoutFile = true;
            else found.tracePath = args[++i];
        } else if (args[i].starts_with("--trace=")) {
            found.tracePath = args[i].substr(8);
            found.traceWithoutFile = found.tracePath.empty();
        }
    }
    return found;
}

}  // namespace win32
