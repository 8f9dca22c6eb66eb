#include "bench/x_map_watch.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

struct XMapWatch {
    Display* display = nullptr;
};

XMapWatch* openMapWatch(const std::string& name) {
    Display* display = XOpenDisplay(name.c_str());
    if (!display) return nullptr;
    // Map events of every child of the root: the top-level windows, as no
    // window manager runs to reparent them.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    return new XMapWatch{display};
}

void discardEvents(XMapWatch* watch) {
    XSync(watch->display, False);
    while (XPending(watch->display) > 0) {
        XEvent event;
        XNextEvent(watch->display, &event);
    }
}

bool waitForTopLevelMap(XMapWatch* watch, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        while (XPending(watch->display) > 0) {
            XEvent event;
            XNextEvent(watch->display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect) return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(watch->display), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
}

void closeMapWatch(XMapWatch* watch) {
    if (!watch) return;
    XCloseDisplay(watch->display);
    delete watch;
}
