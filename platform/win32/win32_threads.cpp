// Threads and time on Win32.
#include <windows.h>

#include <cstdint>
#include <new>

#include "platform/threads.h"

namespace {

struct ThreadStart {
    void (*fn)(void*);
    void* arg;
};

DWORD WINAPI threadEntry(LPVOID parameter) {
    const ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.fn(start.arg);
    return 0;
}

}  // namespace

void sleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0)); }

std::int64_t monotonicMs() { return static_cast<std::int64_t>(GetTickCount64()); }

std::int64_t wallClockMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // 100 ns steps since 1601-01-01; the Unix epoch is 11644473600 s later.
    const auto ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000) - 11'644'473'600'000LL;
}

bool startThread(void (*fn)(void*), void* arg) {
    auto* start = new (std::nothrow) ThreadStart{fn, arg};
    if (!start) return false;
    const HANDLE thread = CreateThread(nullptr, 0, threadEntry, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    // Nobody joins the thread: it ends when fn returns.
    CloseHandle(thread);
    return true;
}
