// A serial peer for the Windows backend's tests under Wine: a pseudo-terminal
// whose far end sends back every byte it receives.
//
//   pty_echo [--deaf] LINK
//                     creates the terminal, points the symbolic link LINK at
//                     its device, prints the device's name, and echoes until
//                     it is ended (SIGTERM).  A deaf one never reads, so a
//                     writer's bytes pile up until the terminal takes no more.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <termios.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t stopping = 0;
void stop(int) { stopping = 1; }
}  // namespace

int main(int argc, char** argv) {
    const bool deaf = argc == 3 && std::string_view(argv[1]) == "--deaf";
    if (argc != 2 && !deaf) {
        std::fprintf(stderr, "usage: pty_echo [--deaf] LINK\n");
        return 2;
    }
    const char* link = argv[argc - 1];
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pty_echo: pseudo-terminal");
        return 1;
    }
    const char* device = ptsname(master);
    // Hold the device open ourselves, raw, so that the line discipline never
    // echoes or edits, and the terminal outlives every open and close of the
    // program under test.
    const int held = open(device, O_RDWR | O_NOCTTY);
    termios raw{};
    if (held < 0 || tcgetattr(held, &raw) != 0) {
        std::perror("pty_echo: device");
        return 1;
    }
    cfmakeraw(&raw);
    tcsetattr(held, TCSANOW, &raw);
    unlink(link);
    if (symlink(device, link) != 0) {
        std::perror("pty_echo: link");
        return 1;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    std::printf("%s\n", device);
    std::fflush(stdout);

    unsigned char buffer[512];
    while (!stopping) {
        if (deaf) {
            pause();
            continue;
        }
        pollfd watch{master, POLLIN, 0};
        if (poll(&watch, 1, 200) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (!(watch.revents & POLLIN)) continue;
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) continue;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t n = write(master, buffer + sent, static_cast<std::size_t>(got - sent));
            if (n <= 0) break;
            sent += n;
        }
    }
    unlink(link);
    return 0;
}
