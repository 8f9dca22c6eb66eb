// Threads and time.
#pragma once

#include <cstdint>

// Blocks the calling thread.  On the headless backend this moves the virtual
// clock on instead of waiting.
void sleepMs(int milliseconds);

// Milliseconds since an arbitrary start, never going backwards.
std::int64_t monotonicMs();

// The calendar time: milliseconds since 1970-01-01 00:00 UTC.  It jumps
// when the system's clock is set.
std::int64_t wallClockMs();

// Starts fn(arg) on a new thread with the default stack size; false when the
// thread could not be created.  The thread ends when fn returns.
bool startThread(void (*fn)(void*), void* arg);
