// Threads and time of the web page: the fibers that stand in for threads, and
// the one wait that yields to the browser.
#include "platform/web/web_runtime.h"

#include <emscripten.h>
#include <emscripten/fiber.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/threads.h"
#include "platform/web/web_internal.h"

namespace {

// The stack the dialogs' fiber is put aside on: deep enough for a modal
// dialog inside a modal dialog inside a command.
constexpr std::size_t MainUnwindBytes = 256 * 1024;
constexpr std::size_t WorkerStackBytes = 256 * 1024;
constexpr std::size_t WorkerUnwindBytes = 128 * 1024;

struct Fiber {
    emscripten_fiber_t context{};
    std::vector<char> stack = std::vector<char>(WorkerStackBytes);
    std::vector<char> unwind = std::vector<char>(WorkerUnwindBytes);
    void (*fn)(void*) = nullptr;
    void* arg = nullptr;
    bool finished = false;
    // While it waits: for what (an empty condition: only for the deadline) and until when.
    bool waiting = false;
    const std::function<bool()>* ready = nullptr;
    double deadlineMs = -1;
};

emscripten_fiber_t dialogsContext{};
std::vector<char> dialogsUnwind;
std::vector<std::unique_ptr<Fiber>> workers;
Fiber* running = nullptr;  // nullptr: the dialogs' fiber

void initialiseDialogsFiber() {
    if (!dialogsUnwind.empty()) return;
    dialogsUnwind.resize(MainUnwindBytes);
    emscripten_fiber_init_from_current_context(&dialogsContext, dialogsUnwind.data(), dialogsUnwind.size());
}

bool mayRun(const Fiber& fiber, double now) {
    if (fiber.finished) return false;
    if (!fiber.waiting) return true;
    if (*fiber.ready && (*fiber.ready)()) return true;
    return fiber.deadlineMs >= 0 && now >= fiber.deadlineMs;
}

void workerEntry(void* data) {
    auto* fiber = static_cast<Fiber*>(data);
    fiber->fn(fiber->arg);
    fiber->finished = true;
    // A fiber's entry must never return: the dialogs' fiber frees it later.
    emscripten_fiber_swap(&fiber->context, &dialogsContext);
}

// Runs every worker that may go on, until none may; on the dialogs' fiber.
void runWorkers() {
    bool ran = true;
    while (ran) {
        ran = false;
        for (std::size_t i = 0; i < workers.size(); ++i) {
            Fiber* fiber = workers[i].get();
            if (!mayRun(*fiber, web::nowMs())) continue;
            running = fiber;
            emscripten_fiber_swap(&dialogsContext, &fiber->context);
            running = nullptr;
            ran = true;
        }
        std::erase_if(workers, [](const std::unique_ptr<Fiber>& fiber) { return fiber->finished; });
    }
}

// The earliest deadline of a waiting worker, or -1.
double earliestWorkerDeadline() {
    double earliest = -1;
    for (const auto& fiber : workers)
        if (fiber->waiting && fiber->deadlineMs >= 0 &&
            (earliest < 0 || fiber->deadlineMs < earliest))
            earliest = fiber->deadlineMs;
    return earliest;
}

// Gives the browser its turn until the page has news or timeoutMs has passed
// (negative: until news).
EM_ASYNC_JS(void, web_wait_for_news, (double timeoutMs), { await KeyerPage.waitForNews(timeoutMs); });

}  // namespace

namespace web {

double nowMs() { return emscripten_get_now(); }

bool waitUntil(const std::function<bool()>& ready, double deadlineMs) {
    const auto due = [deadlineMs] { return deadlineMs >= 0 && nowMs() >= deadlineMs; };
    if (running) {
        // A worker waits by handing the thread back to the dialogs' fiber,
        // which takes it up again when its condition holds.
        Fiber* self = running;
        while (!(ready && ready()) && !due()) {
            self->waiting = true;
            self->ready = &ready;
            self->deadlineMs = deadlineMs;
            emscripten_fiber_swap(&self->context, &dialogsContext);
        }
        self->waiting = false;
        self->ready = nullptr;
        return ready && ready();
    }
    initialiseDialogsFiber();
    for (;;) {
        runWorkers();
        if (ready && ready()) return true;
        if (due()) return false;
        double wakeAt = deadlineMs;
        const double workerDue = earliestWorkerDeadline();
        if (workerDue >= 0 && (wakeAt < 0 || workerDue < wakeAt)) wakeAt = workerDue;
        web_wait_for_news(wakeAt < 0 ? -1.0 : std::max(0.0, wakeAt - nowMs()));
    }
}

void sleepUntil(double deadlineMs) { waitUntil(nullptr, deadlineMs); }

}  // namespace web

// --- platform/threads.h --------------------------------------------------

void sleepMs(int milliseconds) {
    if (milliseconds > 0) web::sleepUntil(web::nowMs() + milliseconds);
}

std::int64_t monotonicMs() { return static_cast<std::int64_t>(web::nowMs()); }

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool startThread(void (*fn)(void*), void* arg) {
    initialiseDialogsFiber();
    auto fiber = std::make_unique<Fiber>();
    fiber->fn = fn;
    fiber->arg = arg;
    emscripten_fiber_init(&fiber->context, workerEntry, fiber.get(), fiber->stack.data(), fiber->stack.size(),
                          fiber->unwind.data(), fiber->unwind.size());
    workers.push_back(std::move(fiber));
    return true;
}

// --- The page's promises ----------------------------------------------------

namespace {
EM_JS(int, page_operation_done, (int operation), { return KeyerPage.operationDone(operation) ? 1 : 0; });
EM_JS(int, page_take_operation, (int operation), { return KeyerPage.takeOperation(operation); });
}  // namespace

namespace web {

int awaitPageOperation(int operation, double deadlineMs) {
    if (!waitUntil([operation] { return page_operation_done(operation) != 0; }, deadlineMs)) {
        page_take_operation(operation);  // forgotten: its result goes nowhere
        return -1;
    }
    return page_take_operation(operation);
}

}  // namespace web
