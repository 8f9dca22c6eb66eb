#include "tools/jxtool/port_wait.h"

#include <algorithm>
#include <cstdio>

#include "core/link/port_listing.h"
#include "platform/threads.h"

namespace {

// How often the list is taken again while waiting.
constexpr int PortPollMs = 250;

bool listed(const std::vector<ListedPort>& ports, int number) {
    return std::any_of(ports.begin(), ports.end(), [number](const ListedPort& p) { return p.number == number; });
}

}  // namespace

int waitForNewPort(int seconds) {
    std::vector<ListedPort> known = listPorts();
    for (const ListedPort& port : known) std::fprintf(stderr, "%s\n", port.text.c_str());
    std::fprintf(stderr, "Plug the keyer's adapter in now (waiting up to %d s for a new port).\n", seconds);
    std::fflush(stderr);
    const std::int64_t deadline = monotonicMs() + static_cast<std::int64_t>(seconds) * 1000;
    for (;;) {
        sleepMs(PortPollMs);
        const std::vector<ListedPort> now = listPorts();
        for (const ListedPort& port : now) {
            if (listed(known, port.number)) continue;
            // udev gives a new node its group a moment after the kernel makes it: show the port as it then is.
            sleepMs(PortPollMs);
            const std::vector<ListedPort> settled = listPorts();
            const auto same = std::find_if(settled.begin(), settled.end(),
                                           [&](const ListedPort& p) { return p.number == port.number; });
            std::printf("%s\n", (same != settled.end() ? *same : port).text.c_str());
            return 0;
        }
        known = now;
        if (monotonicMs() >= deadline) break;
    }
    std::fprintf(stderr, "jxtool: no new port appeared in %d s\n", seconds);
    return 1;
}
