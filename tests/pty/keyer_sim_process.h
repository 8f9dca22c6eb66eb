// tools/keyer-sim started as its own process, as an operator starts it.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

struct KeyerSimProcess {
    pid_t pid = -1;

    KeyerSimProcess() = default;
    KeyerSimProcess(const KeyerSimProcess&) = delete;
    KeyerSimProcess& operator=(const KeyerSimProcess&) = delete;
    ~KeyerSimProcess() { kill(); }

    // Ends it at once, if it still runs.
    void kill() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

    // Starts keyer-sim with the arguments and returns the first line it prints.
    std::string start(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return {};
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(KEYER_SIM_PATH)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(KEYER_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        return line;
    }

    // Asks it to end as an operator's Ctrl-C would; returns its exit code.
    int stop() {
        int status = 0;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};
