#include "platform/posix/serial_latency.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/sysmacros.h>
#endif

#include <atomic>
#include <cstdio>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace {
std::atomic<LowLatency> lastMode{LowLatency::NotAsked};
std::atomic<int> lastTimerMs{-1};
}  // namespace

LowLatency classifyLowLatency(bool settingsRead, bool settingsAccepted, bool flagReadBack) {
    if (!settingsRead) return LowLatency::NotSupported;
    return settingsAccepted && flagReadBack ? LowLatency::On : LowLatency::Refused;
}

namespace {

int readLatencyTimer(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return -1;
    int ms = -1;
    if (std::fscanf(f, "%d", &ms) != 1 || ms < 0) ms = -1;
    std::fclose(f);
    return ms;
}

}  // namespace

int latencyTimerMs(int fd, const std::string& sysfsRoot) {
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return -1;
    return readLatencyTimer(sysfsRoot + "/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                            std::to_string(minor(st.st_rdev)) + "/device/latency_timer");
}

int latencyTimerMsOfTty(const std::string& ttyName, const std::string& sysfsRoot) {
    return readLatencyTimer(sysfsRoot + "/class/tty/" + ttyName + "/device/latency_timer");
}

LowLatencyReport requestLowLatencyMode(int fd, const std::string& sysfsRoot) {
    bool read = false, accepted = false, kept = false;
#if defined(__linux__)
    serial_struct info{};
    read = ::ioctl(fd, TIOCGSERIAL, &info) == 0;
    if (read) {
        info.flags |= ASYNC_LOW_LATENCY;
        accepted = ::ioctl(fd, TIOCSSERIAL, &info) == 0;
        // A driver may accept the settings and drop the flag: only the
        // read-back tells.
        serial_struct now{};
        kept = accepted && ::ioctl(fd, TIOCGSERIAL, &now) == 0 && (now.flags & ASYNC_LOW_LATENCY) != 0;
    }
#endif
    return {classifyLowLatency(read, accepted, kept), latencyTimerMs(fd, sysfsRoot)};
}

void noteLowLatency(const LowLatencyReport& report) {
    lastTimerMs = report.latencyTimerMs;
    lastMode = report.mode;
}

LowLatencyReport lastLowLatency() { return {lastMode.load(), lastTimerMs.load()}; }

std::string lowLatencyText(const LowLatencyReport& report) {
    std::string text = "low latency: ";
    switch (report.mode) {
        case LowLatency::NotAsked: text += "not asked"; break;
        case LowLatency::On: text += "on"; break;
        case LowLatency::Refused: text += "refused"; break;
        case LowLatency::NotSupported: text += "not supported"; break;
    }
    if (report.latencyTimerMs >= 0) text += " (latency timer " + std::to_string(report.latencyTimerMs) + " ms)";
    return text;
}
