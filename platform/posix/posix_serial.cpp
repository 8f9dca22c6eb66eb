// The serial device on POSIX: termios, exclusive open, waits by poll.
#include "platform/posix/posix_serial.h"
#include "platform/posix/serial_latency.h"
#include "platform/posix/xdg_config.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <algorithm>
#include <utility>

#include "platform/serial.h"

#if defined(__linux__)
#include <linux/serial.h>
#endif

struct SerialDevice {
    int fd = -1;
    SerialTimeouts timeouts;
};

namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t code;
};
constexpr SpeedEntry speeds[] = {
    {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
    {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},   {115200, B115200},
};

bool speedCode(std::uint32_t baud, speed_t& code) {
    for (const auto& e : speeds)
        if (e.baud == baud) {
            code = e.code;
            return true;
        }
    return false;
}

std::uint32_t baudOf(speed_t code) {
    for (const auto& e : speeds)
        if (e.code == code) return e.baud;
    return 0;
}

SerialOpenStatus statusOfErrno(int error) {
    switch (error) {
        case EBUSY:
        case EWOULDBLOCK:
            return SerialOpenStatus::Busy;
        case EACCES:
        case EPERM:
            return SerialOpenStatus::AccessDenied;
        case ETIMEDOUT:
            return SerialOpenStatus::TimedOut;
        // EIO is what Linux gives for a serial port node with no hardware behind it.
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
        case EIO:
            return SerialOpenStatus::NotFound;
        default:
            return SerialOpenStatus::OtherError;
    }
}

int openDevice(const std::string& path, SerialOpenStatus& status) {
    if (path.empty()) {
        status = SerialOpenStatus::NotFound;
        return -1;
    }
    // Non-blocking, so neither a missing carrier nor a stuck device holds the open.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    status = fd < 0 ? statusOfErrno(errno) : SerialOpenStatus::Opened;
    return fd;
}

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

enum class Wait { Ready, TimedOut, HungUp };

// Waits for the descriptor until the deadline.
Wait waitFor(int fd, short events, std::int64_t deadlineMs) {
    for (;;) {
        const std::int64_t left = deadlineMs - nowMs();
        if (left <= 0) return Wait::TimedOut;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0) return (p.revents & events) ? Wait::Ready : Wait::HungUp;
        if (r < 0 && errno != EINTR) return Wait::HungUp;
    }
}

constexpr std::int64_t DrainPollMs = 5;

OutputQueueQuery outputQueueQuery;

int queuedOutput(int fd, int& queued) {
    return outputQueueQuery ? outputQueueQuery(fd, queued) : ::ioctl(fd, TIOCOUTQ, &queued);
}

// The output queue counts what the driver still holds, not the byte in the
// UART's shift register and FIFO; a UART that reports its line status tells
// those apart too.  Devices without one (pseudo-terminals, most USB adapters,
// whose queue already counts their own buffer) have only the queue.
bool transmitterEmpty(int fd) {
#if defined(__linux__) && defined(TIOCSERGETLSR)
    unsigned int lineStatus = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &lineStatus) != 0) return true;
    return (lineStatus & TIOCSER_TEMT) != 0;
#else
    (void)fd;
    return true;
#endif
}

void setModemLine(int fd, int line, bool raised) {
    // Pseudo-terminals and some adapters have no modem lines: refusal is fine.
    int bits = line;
    (void)::ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &bits);
}

void requestLowLatency(int fd) {
    // USB adapters otherwise hold received bytes up to 16 ms, which a
    // stop-and-wait protocol pays on every reply.  What the driver kept is
    // read back, so a refusal is known rather than taken for success.
    noteLowLatency(requestLowLatencyMode(fd));
}

}  // namespace

int comNumberFromDeviceName(std::string_view name) {
    if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
    if (name.size() < 4 || name.size() > 9) return 0;
    for (std::size_t k = 0; k < 3; ++k)
        if (std::toupper(static_cast<unsigned char>(name[k])) != "COM"[k]) return 0;
    int n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string portOverrideFolder() {
    const std::string folder = keyerConfigFolder();
    return folder.empty() ? folder : folder + "/ports";
}

std::string devicePathForPort(int n) {
    if (n <= 0) return {};
    const std::string folder = portOverrideFolder();
    if (!folder.empty()) {
        const std::string link = folder + "/com" + std::to_string(n);
        struct stat st{};
        if (::lstat(link.c_str(), &st) == 0) return link;
    }
    if (n <= 10) return "/dev/ttyS" + std::to_string(n - 1);
    if (n <= 30) return "/dev/ttyUSB" + std::to_string(n - 11);
    if (n <= 50) return "/dev/ttyACM" + std::to_string(n - 31);
    return {};
}

void setOutputQueueQuery(OutputQueueQuery query) { outputQueueQuery = std::move(query); }

std::string devicePathForName(std::string_view deviceName) {
    if (deviceName.starts_with('/')) return std::string(deviceName);
    return devicePathForPort(comNumberFromDeviceName(deviceName));
}

SerialOpenStatus serialOpen(std::string_view deviceName, SerialDevice** device) {
    *device = nullptr;
    SerialOpenStatus status;
    const int fd = openDevice(devicePathForName(deviceName), status);
    if (fd < 0) return status;
    // Exclusive: TIOCEXCL keeps other opens out (except root's), and the lock
    // tells a second open by any program that takes it, root's included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? SerialOpenStatus::Busy : statusOfErrno(error);
    }
    (void)::ioctl(fd, TIOCEXCL);
    requestLowLatency(fd);
    *device = new SerialDevice{fd, {}};
    return SerialOpenStatus::Opened;
}

bool serialGetSettings(SerialDevice* device, SerialLineSettings& settings) {
    termios t{};
    if (::tcgetattr(device->fd, &t) != 0) return false;
    settings.baudRate = baudOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5: settings.byteSize = 5; break;
        case CS6: settings.byteSize = 6; break;
        case CS7: settings.byteSize = 7; break;
        default: settings.byteSize = 8; break;
    }
    settings.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 1 : 2) : 0;  // none, odd, even
    settings.stopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    int lines = 0;
    if (::ioctl(device->fd, TIOCMGET, &lines) == 0) {
        settings.dtrEnable = (lines & TIOCM_DTR) != 0;
        settings.rtsEnable = (lines & TIOCM_RTS) != 0;
    } else {
        settings.dtrEnable = false;
        settings.rtsEnable = false;
    }
    settings.dsrSensitivity = false;
    settings.outX = (t.c_iflag & IXON) != 0;
    settings.inX = (t.c_iflag & IXOFF) != 0;
    settings.discardNull = false;
    return true;
}

bool serialSetSettings(SerialDevice* device, const SerialLineSettings& settings) {
    termios t{};
    if (::tcgetattr(device->fd, &t) != 0) return false;
    speed_t code;
    if (!speedCode(settings.baudRate, code)) return false;
    // A raw byte line: no echo, no line editing, no character translation.
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    // With RTS held low, hardware flow control would stop the line.
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (settings.byteSize) {
        case 5: t.c_cflag |= CS5; break;
        case 6: t.c_cflag |= CS6; break;
        case 7: t.c_cflag |= CS7; break;
        default: t.c_cflag |= CS8; break;
    }
    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CSTOPB);
    if (settings.parity == 1) t.c_cflag |= PARENB | PARODD;
    if (settings.parity == 2) t.c_cflag |= PARENB;
    if (settings.stopBits != 0) t.c_cflag |= CSTOPB;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.outX) t.c_iflag |= IXON;
    if (settings.inX) t.c_iflag |= IXOFF;
    // Reads are bounded by poll, never by the line discipline.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
    if (::tcsetattr(device->fd, TCSANOW, &t) != 0) return false;
    setModemLine(device->fd, TIOCM_DTR, settings.dtrEnable);
    setModemLine(device->fd, TIOCM_RTS, settings.rtsEnable);
    return true;
}

bool serialSetTimeouts(SerialDevice* device, const SerialTimeouts& timeouts) {
    device->timeouts = timeouts;
    return true;
}

bool serialPurgeReceive(SerialDevice* device) { return ::tcflush(device->fd, TCIFLUSH) == 0; }

std::size_t serialWrite(SerialDevice* device, std::span<const std::uint8_t> bytes, int waitMs) {
    // The kernel copies the bytes into its output queue, which drains at the
    // line rate by itself: a write that outlasts its wait is never flushed.
    const std::int64_t deadline = nowMs() + waitMs;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(device->fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) break;  // the device is gone
        if (waitFor(device->fd, POLLOUT, deadline) != Wait::Ready) break;
    }
    return done;
}

bool serialDrain(SerialDevice* device, int waitMs) {
    // tcdrain would block for as long as the line is held up, perhaps for
    // ever; watching the output queue with a deadline cannot.
    const std::int64_t deadline = nowMs() + std::max(waitMs, 0);
    for (;;) {
        int queued = 0;
        if (queuedOutput(device->fd, queued) != 0) return false;  // EIO: hung up
        if (queued == 0 && transmitterEmpty(device->fd)) return true;
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) return false;
        ::poll(nullptr, 0, static_cast<int>(std::min<std::int64_t>(left, DrainPollMs)));
    }
}

std::size_t serialRead(SerialDevice* device, std::span<std::uint8_t> buffer, int waitMs) {
    const SerialTimeouts& t = device->timeouts;
    const std::int64_t start = nowMs();
    std::int64_t deadline = start + waitMs;
    const std::int64_t total = static_cast<std::int64_t>(t.readTotalMultiplierMs) *
                                   static_cast<std::int64_t>(buffer.size()) +
                               t.readTotalConstantMs;
    if (total > 0) deadline = std::min(deadline, start + total);
    std::size_t done = 0;
    bool pollSaidReady = false;
    while (done < buffer.size()) {
        // With VMIN and VTIME 0, an empty queue reads as 0 bytes (or EAGAIN).
        const ssize_t n = ::read(device->fd, buffer.data() + done, buffer.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            pollSaidReady = false;
            // A gap longer than the interval time-out ends the read.
            if (t.readIntervalMs > 0) deadline = std::min(deadline, nowMs() + t.readIntervalMs);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) break;  // EIO: the other end hung up
        // Readable yet empty is end of file: a line that was hung up.
        if (pollSaidReady) break;
        if (waitFor(device->fd, POLLIN, deadline) != Wait::Ready) break;
        pollSaidReady = true;
    }
    return done;
}

void serialClose(SerialDevice* device) {
    if (!device) return;
    // A pseudo-terminal outlives this open: leave it open to others again.
    (void)::ioctl(device->fd, TIOCNXCL);
    ::flock(device->fd, LOCK_UN);
    ::close(device->fd);
    delete device;
}

SerialOpenStatus serialProbe(std::string_view deviceName) {
    SerialOpenStatus status;
    const int fd = openDevice(devicePathForName(deviceName), status);
    if (fd >= 0) ::close(fd);
    return status;
}

std::string serialDevicePath(std::string_view deviceName) { return devicePathForName(deviceName); }
