#include "platform/fltk/fltk_toolkit.h"
#include "tests/fltk/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

// Starts a program with its output silenced; it inherits open descriptors.
pid_t spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = folders.find(':', start);
        const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

bool startXSession(XSession& session, std::string& why) {
    const std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty()) {
        why = "Xvfb is not installed";
        return false;
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        why = "no pipe for Xvfb";
        return false;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    // Xvfb writes the display number it chose to the descriptor given.
    const pid_t pid = spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                             "tcp", "-noreset"});
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        why = "Xvfb did not start";
        return false;
    }
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    while (::poll(&wait, 1, 20000) > 0) {
        char c = 0;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
        number.push_back(c);
    }
    ::close(fds[0]);
    if (number.empty()) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        why = "Xvfb gave no display";
        return false;
    }
    session.serverPid = pid;
    session.display = ":" + number;
    ::setenv("DISPLAY", session.display.c_str(), 1);
    return true;
}

void stopXSession(XSession& session) {
    if (fl_display) fl_close_display();
    if (session.serverPid > 0) {
        ::kill(session.serverPid, SIGTERM);
        ::waitpid(session.serverPid, nullptr, 0);
    }
    session.serverPid = -1;
}

bool runProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return false;
    std::vector<std::string> resolved = arguments;
    resolved[0] = findProgram(arguments[0]);
    if (resolved[0].empty()) return false;
    const pid_t pid = spawn(resolved);
    if (pid < 0) return false;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

unsigned long xWindowOf(Fl_Window* window) { return fl_xid(window); }

void requestClose(Fl_Window* window) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = fl_xid(window);
    event.xclient.message_type = XInternAtom(fl_display, "WM_PROTOCOLS", 0);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(fl_display, "WM_DELETE_WINDOW", 0));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(fl_display, fl_xid(window), 0, NoEventMask, &event);
    XFlush(fl_display);
}

bool saveScreenshot(Fl_Window* window, const std::string& path) {
    Fl::flush();
    XSync(fl_display, 0);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", xWindowOf(window));
    return runProgram({"import", "-window", id, path});
}
