#include "platform/fltk/fltk_program.h"

#include <cstdio>
#include <memory>
#include <string>

#include "core/link/wire_trace.h"
#include "dialogs/about_dialog.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "platform/fltk/fltk_rules.h"

int runKeyerTools(const std::vector<std::string_view>& args) {
    const fltk_backend::CommandLineAnswer answer = fltk_backend::answerCommandLine(args, ProgramVersion);
    if (!answer.runProgram) {
        std::fputs(answer.out.c_str(), stdout);
        std::fputs(answer.err.c_str(), stderr);
        return answer.exitCode;
    }
    std::unique_ptr<WireTrace> trace;
    if (!answer.tracePath.empty()) {
        const std::string path = answer.tracePath;
        auto report = [path](std::string_view why) {
            std::fprintf(stderr, "keyer-tools: trace %s: %.*s\n", path.c_str(), static_cast<int>(why.size()), why.data());
        };
        trace = startWireTraceFile(path, std::string("keyer-tools ") + ProgramVersion, report);
        if (!trace) report("cannot be created; going on without it");
        keyerLink.trace = trace.get();
    }
    const int status = runProgram();
    // The link, a global, outlives the trace: it closes while the trace is there.
    closePort(keyerLink);
    keyerLink.trace = nullptr;
    return status;
}
