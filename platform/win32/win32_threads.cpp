// Threads and time on Win32.
#include <windows.h>

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
