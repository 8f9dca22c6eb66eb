// The Windows program's entry point: --trace FILE makes the window's keyer
// link write what it does on the wire into FILE; everything else is the
// shared start-up.  Without --trace the program starts exactly as before.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "core/link/wire_trace.h"
#include "dialogs/about_dialog.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "platform/win32/command_line.h"

namespace {

// A GUI program has no console to say it on: a trace that fails says so in a
// message box, before the window opens or after it closed, never while the
// link is busy.
void tell(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), KEYER_PROGRAM_NAME, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const win32::ProgramArguments args = win32::programArguments(win32::splitCommandLine(commandLine ? commandLine : ""));
    if (args.traceWithoutFile) tell("--trace needs a file name: the program runs without a trace.");
    static std::atomic<bool> traceLost{false};
    std::unique_ptr<WireTrace> trace;
    if (!args.tracePath.empty()) {
        trace = startWireTraceFile(args.tracePath, std::string(KEYER_PROGRAM_NAME " ") + ProgramVersion,
                                   [](std::string_view) { traceLost = true; });
        if (!trace) tell("The trace file " + args.tracePath + " cannot be created: the program runs without a trace.");
        keyerLink.trace = trace.get();
    }
    const int status = runProgram();
    keyerLink.trace = nullptr;
    if (traceLost) tell("A line could not be written to the trace file " + args.tracePath + ": the trace stops there.");
    return status;
}
