// Serial ports of the web page: COM1 is the virtual keyer, a simulated keyer
// compiled into the page and paced at the line rate; COM2 and on are the
// ports the browser has granted this page (Web Serial), in the order it
// lists them.  Choosing the list's last entry asks the browser for another.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/com_port_names.h"
#include "platform/serial.h"
#include "platform/web/web_internal.h"
#include "platform/web/web_runtime.h"
#include "sim/keyer_bootloader.h"
#include "sim/keyer_simulator.h"
#include "sim/paced_line.h"

namespace {

constexpr int VirtualKeyerPort = 1;
constexpr int FirstGrantedPort = 2;
// What choosing the list's last entry records: ask the browser for a port.
constexpr std::string_view RequestPortTarget = "request-port";

constexpr int RefreshWaitMs = 2000;
constexpr int OpenWaitMs = 10000;
constexpr int SignalWaitMs = 2000;
constexpr int CloseWaitMs = 3000;

// Results of the page's port operations.
enum PageOpen : int { PageOpened = 0, PageNotFound = 1, PageDenied = 2, PageBusy = 3 };

EM_JS(int, page_serial_supported, (), { return KeyerPage.serial.supported ? 1 : 0; });
EM_JS(int, page_serial_refresh, (int fresh), { return KeyerPage.serial.refresh(fresh !== 0); });
EM_JS(int, page_serial_count, (), { return KeyerPage.serial.ports.length; });
EM_JS(char*, page_serial_description, (int index), {
    return KeyerPage.cString(KeyerPage.serial.describe(index));
});
EM_JS(int, page_serial_request, (), { return KeyerPage.serial.request(); });
EM_JS(int, page_serial_requested_index, (), { return KeyerPage.serial.requestedIndex; });
EM_JS(int, page_serial_open, (int index, int baud, int dataBits, int stopBits, int parity), {
    return KeyerPage.serial.open(index, {baudRate: baud, dataBits: dataBits, stopBits: stopBits,
                                         parity: ["none", "odd", "even"][parity] || "none"});
});
EM_JS(int, page_serial_signals, (int index, int dtr, int rts), {
    return KeyerPage.serial.setSignals(index, dtr !== 0, rts !== 0);
});
EM_JS(int, page_serial_write, (int index, const std::uint8_t* bytes, int count), {
    return KeyerPage.serial.write(index, HEAPU8.slice(bytes, bytes + count));
});
EM_JS(int, page_serial_writes_pending, (int index), { return KeyerPage.serial.writesPending(index); });
EM_JS(int, page_serial_available, (int index), { return KeyerPage.serial.available(index); });
EM_JS(int, page_serial_lost, (int index), { return KeyerPage.serial.lost(index) ? 1 : 0; });
EM_JS(int, page_serial_take, (int index, std::uint8_t* buffer, int count), {
    return KeyerPage.serial.take(index, HEAPU8, buffer, count);
});
EM_JS(void, page_serial_purge, (int index), { KeyerPage.serial.purge(index); });
EM_JS(int, page_serial_close, (int index), { return KeyerPage.serial.close(index); });
EM_JS(int, page_visible, (), { return document.visibilityState !== "hidden" ? 1 : 0; });



double deadlineAfter(int milliseconds) { return web::nowMs() + milliseconds; }

// --- The virtual keyer --------------------------------------------------------

struct VirtualKeyer {
    KeyerSimulator keyer;
    std::shared_ptr<sim::Bootloader> bootloader = sim::attachBootloader(keyer);
    PacedKeyerLine line{keyer};
    bool held = false;
};

VirtualKeyer& virtualKeyer() {
    static VirtualKeyer keyer;
    return keyer;
}

std::int64_t nowUs() { return static_cast<std::int64_t>(web::nowMs() * 1000.0); }

// --- Granted ports ------------------------------------------------------------

// Which granted port (its index in the page's list) each COM number reaches.
std::map<int, int> grantedPorts;
bool grantedPortsKnown = false;

// Asks the browser which ports it has granted this page: the list it gave at
// the page's start, or (fresh) the list as it is now.
void learnGrantedPorts(bool fresh) {
    if (page_serial_supported())
        web::awaitPageOperation(page_serial_refresh(fresh ? 1 : 0), web::nowMs() + RefreshWaitMs);
    grantedPorts.clear();
    const int count = page_serial_count();
    for (int index = 0; index < count; ++index) grantedPorts[FirstGrantedPort + index] = index;
    grantedPortsKnown = true;
}

int grantedIndexOf(int comNumber) {
    if (!grantedPortsKnown) learnGrantedPorts(false);
    const auto it = grantedPorts.find(comNumber);
    return it == grantedPorts.end() ? -1 : it->second;
}

// The serial settings a port reports when it has just opened: the page opens
// it at the keyer's speed, 8N1, with DTR and RTS raised as the system does.
SerialLineSettings openedSettings() {
    SerialLineSettings s;
    s.baudRate = 1200;
    s.dtrEnable = true;
    s.rtsEnable = true;
    return s;
}

}  // namespace

struct SerialDevice {
    bool virtualKeyer = false;
    int portIndex = -1;  // the granted port's index in the page's list
    SerialLineSettings settings = openedSettings();
    SerialTimeouts timeouts;
    bool dtrRaised = false;
    double lineFreeMs = 0;  // when the bytes written so far will have left the line
};

SerialOpenStatus serialOpen(std::string_view deviceName, SerialDevice** device) {
    *device = nullptr;
    const int number = comNumberOfDeviceName(deviceName);
    if (number == VirtualKeyerPort) {
        VirtualKeyer& keyer = virtualKeyer();
        if (keyer.held) return SerialOpenStatus::Busy;
        keyer.held = true;
        keyer.line.clear(nowUs());
        keyer.line.setHostBaud(openedSettings().baudRate, nowUs());
        *device = new SerialDevice;
        (*device)->virtualKeyer = true;
        return SerialOpenStatus::Opened;
    }
    const int index = grantedIndexOf(number);
    if (index < 0) return SerialOpenStatus::NotFound;
    const SerialLineSettings s = openedSettings();
    const int opened = web::awaitPageOperation(page_serial_open(index, static_cast<int>(s.baudRate), s.byteSize, 1, 0),
                                               deadlineAfter(OpenWaitMs));
    switch (opened) {
        case PageOpened:
            *device = new SerialDevice;
            (*device)->portIndex = index;
            (*device)->dtrRaised = true;
            return SerialOpenStatus::Opened;
        case PageNotFound: return SerialOpenStatus::NotFound;
        case PageDenied: return SerialOpenStatus::AccessDenied;
        case PageBusy: return SerialOpenStatus::Busy;
        default: return SerialOpenStatus::OtherError;
    }
}

bool serialGetSettings(SerialDevice* device, SerialLineSettings& settings) {
    settings = device->settings;
    return true;
}

bool serialSetSettings(SerialDevice* device, const SerialLineSettings& settings) {
    if (device->virtualKeyer) {
        VirtualKeyer& keyer = virtualKeyer();
        keyer.line.setHostBaud(settings.baudRate, nowUs());
        if (settings.dtrEnable && !device->dtrRaised) keyer.line.hostConnected(nowUs());
        device->dtrRaised = settings.dtrEnable;
        device->settings = settings;
        return true;
    }
    const SerialLineSettings& now = device->settings;
    // A port of the browser takes its speed and framing only when it opens.
    if (settings.baudRate != now.baudRate || settings.byteSize != now.byteSize || settings.parity != now.parity ||
        settings.stopBits != now.stopBits) {
        const int stopBits = settings.stopBits == 2 ? 2 : 1;
        const int opened = web::awaitPageOperation(
            page_serial_open(device->portIndex, static_cast<int>(settings.baudRate), settings.byteSize, stopBits,
                             settings.parity),
            deadlineAfter(OpenWaitMs));
        if (opened != PageOpened) return false;
    }
    if (web::awaitPageOperation(page_serial_signals(device->portIndex, settings.dtrEnable, settings.rtsEnable),
                                deadlineAfter(SignalWaitMs)) != 0)
        return false;
    device->settings = settings;
    device->dtrRaised = settings.dtrEnable;
    return true;
}

bool serialSetTimeouts(SerialDevice* device, const SerialTimeouts& timeouts) {
    device->timeouts = timeouts;
    return true;
}

bool serialPurgeReceive(SerialDevice* device) {
    if (device->virtualKeyer)
        virtualKeyer().line.dropArrived(nowUs());
    else
        page_serial_purge(device->portIndex);
    return true;
}

std::size_t serialWrite(SerialDevice* device, std::span<const std::uint8_t> bytes, int waitMs) {
    if (bytes.empty()) return 0;
    if (device->virtualKeyer) {
        // Nobody watches a hidden page: its line need not keep time.
        PacedKeyerLine& line = virtualKeyer().line;
        line.setPacing(page_visible() != 0);
        line.hostWrite(bytes, nowUs());
        return bytes.size();
    }
    const double lineMs = static_cast<double>(KeyerSimulator::lineTimeUs(bytes.size(), device->settings.baudRate)) / 1000.0;
    device->lineFreeMs = std::max(device->lineFreeMs, web::nowMs()) + lineMs;
    // The page copies the bytes at once: a write still under way refers to nothing of the caller's.
    const int operation = page_serial_write(device->portIndex, bytes.data(), static_cast<int>(bytes.size()));
    return web::awaitPageOperation(operation, deadlineAfter(waitMs)) == 0 ? bytes.size() : 0;
}

bool serialDrain(SerialDevice* device, int waitMs) {
    if (device->virtualKeyer) {
        const double doneMs = static_cast<double>(virtualKeyer().line.hostOutputDoneUs()) / 1000.0;
        web::sleepUntil(std::min(doneMs, deadlineAfter(waitMs)));
        virtualKeyer().line.arrived(nowUs());  // the keyer takes what has crossed
        return web::nowMs() >= doneMs;
    }
    const double lineFreeMs = device->lineFreeMs;
    const int port = device->portIndex;
    return web::waitUntil([port, lineFreeMs] { return page_serial_writes_pending(port) == 0 && web::nowMs() >= lineFreeMs; },
                          deadlineAfter(waitMs));
}

std::size_t serialRead(SerialDevice* device, std::span<std::uint8_t> buffer, int waitMs) {
    if (buffer.empty()) return 0;
    // The port's own read time-out ends a read too.
    if (device->timeouts.readTotalConstantMs > 0)
        waitMs = std::min<int>(waitMs, static_cast<int>(device->timeouts.readTotalConstantMs));
    const double deadline = deadlineAfter(waitMs);
    if (device->virtualKeyer) {
        PacedKeyerLine& line = virtualKeyer().line;
        while (line.arrived(nowUs()) < buffer.size() && web::nowMs() < deadline) {
            // Wake when the last byte asked for has arrived, or when the next
            // byte crosses (a command reaching the keyer schedules its reply).
            std::int64_t wakeUs = line.arrivalOf(buffer.size());
            if (wakeUs < 0) wakeUs = line.nextArrivalUs(nowUs());
            const double wakeMs = wakeUs < 0 ? deadline : static_cast<double>(wakeUs) / 1000.0;
            web::sleepUntil(std::min(wakeMs, deadline));
        }
        return line.take(buffer, nowUs());
    }
    const int port = device->portIndex;
    const std::size_t wanted = buffer.size();
    web::waitUntil(
        [port, wanted] {
            return static_cast<std::size_t>(page_serial_available(port)) >= wanted || page_serial_lost(port) != 0;
        },
        deadline);
    return static_cast<std::size_t>(page_serial_take(port, buffer.data(), static_cast<int>(buffer.size())));
}

void serialClose(SerialDevice* device) {
    if (!device) return;
    if (device->virtualKeyer) {
        VirtualKeyer& keyer = virtualKeyer();
        keyer.held = false;
        keyer.line.clear(nowUs());
    } else {
        web::awaitPageOperation(page_serial_close(device->portIndex), deadlineAfter(CloseWaitMs));
    }
    delete device;
}

SerialOpenStatus serialProbe(std::string_view deviceName) {
    const int number = comNumberOfDeviceName(deviceName);
    if (number == VirtualKeyerPort) return virtualKeyer().held ? SerialOpenStatus::Busy : SerialOpenStatus::Opened;
    return grantedIndexOf(number) >= 0 ? SerialOpenStatus::Opened : SerialOpenStatus::NotFound;
}

std::string serialDevicePath(std::string_view) { return {}; }

bool serialListPorts(std::vector<SerialPortEntry>& ports) {
    ports.clear();
    learnGrantedPorts(true);
    SerialPortEntry keyer;
    keyer.comNumber = VirtualKeyerPort;
    keyer.description = "virtual keyer (in this page)";
    ports.push_back(keyer);
    int number = FirstGrantedPort;
    for (const auto& [comNumber, index] : grantedPorts) {
        SerialPortEntry entry;
        entry.comNumber = comNumber;
        entry.description = web::takeString(page_serial_description(index));
        ports.push_back(entry);
        number = comNumber + 1;
    }
    if (page_serial_supported()) {
        SerialPortEntry another;
        another.comNumber = number;
        another.description = "another port: the browser asks which";
        another.stableName = std::string(RequestPortTarget);
        // Its number names a port only once the browser's picker has granted one.
        another.numberNeedsRecord = true;
        ports.push_back(another);
    }
    return true;
}

PortRecordStatus serialRecordPort(int comNumber, std::string_view target) {
    if (target != RequestPortTarget) return PortRecordStatus::Refused;
    // The operator's choice in the browser's own list; no time limit.
    if (web::awaitPageOperation(page_serial_request(), -1) != 0) return PortRecordStatus::Failed;
    grantedPorts[comNumber] = page_serial_requested_index();
    return PortRecordStatus::Recorded;
}
