// The Linux desktop program.  It takes no arguments; --help and --version
// are answered on the command line before any display is opened.
#include <cstdio>
#include <string_view>
#include <vector>

#include "dialogs/about_dialog.h"
#include "dialogs/startup.h"
#include "platform/fltk/fltk_rules.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const fltk_backend::CommandLineAnswer answer = fltk_backend::answerCommandLine(args, ProgramVersion);
    if (!answer.runProgram) {
        std::fputs(answer.out.c_str(), stdout);
        std::fputs(answer.err.c_str(), stderr);
        return answer.exitCode;
    }
    return runProgram();
}
