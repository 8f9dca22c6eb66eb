#include "sim/pty_keyer_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

std::int64_t steadyUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleepUs(std::int64_t us) {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::uint32_t baudOf(speed_t code) {
    switch (code) {
        case B300: return 300;
        case B600: return 600;
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B9600: return 9600;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        default: return 0;
    }
}

}  // namespace

PtyKeyerServer::PtyKeyerServer(KeyerSimulator& keyer) : keyer_(keyer) {}

PtyKeyerServer::~PtyKeyerServer() {
    stop();
    if (log_) std::fclose(log_);
}

bool PtyKeyerServer::setLogFile(const std::string& path, std::string& error) {
    log_ = std::fopen(path.c_str(), "w");
    if (!log_) error = "cannot write " + path + ": " + std::strerror(errno);
    return log_ != nullptr;
}

bool PtyKeyerServer::start(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        stop();
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = "no pseudo-terminal name";
        stop();
        return false;
    }
    devicePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = "cannot open " + devicePath_ + ": " + std::strerror(errno);
        stop();
        return false;
    }
    // Raw from the start, so nothing echoes the keyer's bytes back before the
    // program configures the line itself.
    termios t{};
    if (::tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B1200);
        cfsetospeed(&t, B1200);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    startUs_ = steadyUs();
    {
        std::lock_guard lock(keyerMutex_);
        const std::int64_t start = startUs_;
        keyer_.setClock([start] { return (steadyUs() - start) / 1000; });
    }
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void PtyKeyerServer::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
    std::lock_guard lock(keyerMutex_);
    writeLog();
    keyer_.setClock(nullptr);
}

void PtyKeyerServer::withKeyer(const std::function<void(KeyerSimulator&)>& fn) {
    std::lock_guard lock(keyerMutex_);
    fn(keyer_);
}

bool PtyKeyerServer::waitForBytesFromHost(std::size_t count, int timeoutMs) {
    std::unique_lock lock(receivedMutex_);
    return receivedChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return received_.load() >= count; });
}

void PtyKeyerServer::sendNoise(std::span<const std::uint8_t> bytes) {
    // Straight into the terminal, ahead of anything the keyer queues later.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            break;
    }
}

void PtyKeyerServer::hangUp() {
    {
        std::lock_guard lock(keyerMutex_);
        keyer_.disconnect();
    }
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    // Closing both ends leaves the program's open end hung up.
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

std::uint32_t PtyKeyerServer::hostBaud() const {
    // The program sets its speed on its end of the terminal, which the held
    // end shares.
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return 0;
    return baudOf(cfgetospeed(&t));
}

void PtyKeyerServer::serve() {
#if defined(__linux__)
    // Paced byte times are a few hundred microseconds to milliseconds; the
    // default timer slack of 50 us would add to every one of them.
    if (pace_) (void)::prctl(PR_SET_TIMERSLACK, 1000UL);
#endif
    std::uint8_t buffer[4096];
    while (!stopping_) {
        pollfd p{master_, POLLIN, 0};
        if (!outgoing_.empty()) p.events |= POLLOUT;
        const int r = ::poll(&p, 1, 20);
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) handleChunk(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
        }
        flushOutput();
        if (lineStopped_ && outgoing_.empty()) {
            hangUpAfterFault();
            return;
        }
    }
}

void PtyKeyerServer::hangUpAfterFault() {
    // The program takes the last bytes the keyer sent before it goes: a
    // hang-up discards what the terminal still holds for the program.  They
    // reach the program's end a moment after they were written, and the
    // program may take them at once, so wait (bounded) until they have been
    // there and gone.  A keyer that sent nothing after the fault leaves
    // nothing on its way: the line goes as soon as the terminal is empty.
    bool seen = false;
    for (int waited = 0; waited < 2000 && !stopping_; ++waited) {
        int unread = 0;
        if (::ioctl(slave_, FIONREAD, &unread) != 0) break;
        if (unread > 0) seen = true;
        if (unread == 0 && (seen || !wroteAfterFault_)) break;
        sleepUs(1000);
    }
    // Closing both ends leaves the program's open end hung up.
    ::close(slave_);
    ::close(master_);
    slave_ = master_ = -1;
}

void PtyKeyerServer::handleChunk(std::span<const std::uint8_t> bytes) {
    const std::uint32_t baud = hostBaud();
    if (pace_) {
        // The keyer has the last byte only once it has crossed the line, and
        // its answer leaves from that moment, however late this thread wakes.
        const std::int64_t arrived = steadyUs() + KeyerSimulator::lineTimeUs(bytes.size(), baud);
        sleepUs(arrived - steadyUs());
        if (!lineBusy_) {
            nextByteDueUs_ = arrived;
            lineBusy_ = true;
        }
    }
    {
        std::lock_guard lock(keyerMutex_);
        if (baud != 0) keyer_.setHostBaud(baud);
        keyer_.receive(bytes);
        if (keyer_.hungUpByFault() && !lineStopped_) {
            // Nothing the program writes from now on may reach the far end,
            // even in the moment before the line goes: hold its output back
            // (the terminal refuses it) before the keyer's last bytes go out.
            ::tcflow(slave_, TCOOFF);
            lineStopped_ = true;
        }
        const std::vector<std::uint8_t> reply = keyer_.takeAllOutput();
        outgoing_.insert(outgoing_.end(), reply.begin(), reply.end());
        writeLog();
    }
    {
        std::lock_guard lock(receivedMutex_);
        received_ += bytes.size();
    }
    receivedChanged_.notify_all();
}

void PtyKeyerServer::flushOutput() {
    {
        // Bytes the keyer sent by itself (noise, a bootloader's answer).
        std::lock_guard lock(keyerMutex_);
        const std::vector<std::uint8_t> more = keyer_.takeAllOutput();
        outgoing_.insert(outgoing_.end(), more.begin(), more.end());
        writeLog();
    }
    while (!outgoing_.empty() && !stopping_) {
        std::uint8_t chunk[256];
        // Paced: one byte at a time, each after its time on the line.
        const std::size_t count = pace_ ? 1 : std::min(outgoing_.size(), sizeof chunk);
        std::copy_n(outgoing_.begin(), count, chunk);
        if (pace_) {
            std::uint32_t baud;
            {
                std::lock_guard lock(keyerMutex_);
                baud = keyer_.keyerBaud();
            }
            // The bytes of a reply follow each other on the line's fixed
            // schedule: a late wake-up is caught up by the next bytes instead
            // of delaying every byte after it, as a real line would not.
            const std::int64_t now = steadyUs();
            if (!lineBusy_) nextByteDueUs_ = now;
            nextByteDueUs_ += KeyerSimulator::lineTimeUs(1, baud);
            sleepUs(nextByteDueUs_ - now);
            lineBusy_ = true;
        }
        const ssize_t n = ::write(master_, chunk, count);
        if (n <= 0) return;  // no room now: try again on the next round
        if (lineStopped_) wroteAfterFault_ = true;
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
    }
    lineBusy_ = false;
}

void PtyKeyerServer::writeLog() {
    if (!log_) return;
    const auto& wire = keyer_.wireLog();
    if (logged_ > wire.size()) logged_ = 0;  // someone cleared the log
    for (; logged_ < wire.size(); ++logged_) {
        const WireChunk& c = wire[logged_];
        std::fprintf(log_, "%10.3f %s %6u:", static_cast<double>(c.timeMs) / 1000.0,
                     c.direction == WireDirection::HostToKeyer ? "host>keyer" : "keyer>host", c.baud);
        for (std::uint8_t b : c.bytes) std::fprintf(log_, " %02X", b);
        std::fputc('\n', log_);
    }
    std::fflush(log_);
}
