// The port's facts on Linux, read from the file system alone: the device
// node's owner, group and mode, the group database and this process's
// groups, /proc for the processes holding it and for ModemManager, udev's
// rule folders for brltty, sysfs for the adapter.  Everything below the root
// the port listing uses, so tests plant a fake tree.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/port_diagnosis.h"
#include "platform/posix/posix_port_discovery.h"
#include "platform/posix/posix_serial.h"
#include "platform/posix/serial_latency.h"

namespace {

constexpr std::size_t RuleFileLimit = 1 << 20;

// Folders of udev rules, the first to hold a file name wins.
constexpr const char* ruleFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
                                       "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

std::string readText(const std::string& path, std::size_t limit = 4096) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (!in) return text;
    text.resize(limit);
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<int> processIds(const std::string& root) {
    std::vector<int> ids;
    for (const std::string& name : folderEntries(pathUnderRoot(root, "/proc")))
        if (isNumber(name) && name.size() < 10) ids.push_back(std::atoi(name.c_str()));
    return ids;
}

std::string programOf(const std::string& root, int pid) {
    return firstLine(readText(pathUnderRoot(root, "/proc/" + std::to_string(pid) + "/comm")));
}

// The pseudo-terminal number of /dev/pts/N; -1 for any other device.
int ptsNumber(const std::string& device) {
    const std::string prefix = "/dev/pts/";
    if (!device.starts_with(prefix) || !isNumber(device.substr(prefix.size()))) return -1;
    return std::atoi(device.c_str() + prefix.size());
}

// Whether descriptor fd of the process is the master of pseudo-terminal N.
bool holdsMasterOf(const std::string& procFolder, const std::string& fd, int ptsIndex) {
    const std::string info = readText(procFolder + "/fdinfo/" + fd);
    const std::size_t at = info.find("tty-index:");
    return at != std::string::npos && std::atoi(info.c_str() + at + 10) == ptsIndex;
}

void findHolders(const std::string& root, const std::string& device, PortFacts& facts) {
    facts.holdersChecked = true;
    facts.holdersComplete = true;
    const int self = static_cast<int>(::getpid());
    const int ptsIndex = ptsNumber(device);
    for (const int pid : processIds(root)) {
        if (pid == self) continue;
        const std::string folder = pathUnderRoot(root, "/proc/" + std::to_string(pid));
        bool readable = false;
        const std::vector<std::string> fds = folderEntries(folder + "/fd", &readable);
        // Another user's descriptors are hidden from all but root.
        if (!readable) {
            facts.holdersComplete = false;
            continue;
        }
        bool holds = false, farEnd = false;
        for (const std::string& fd : fds) {
            const std::string target = readLink(folder + "/fd/" + fd).value_or(std::string());
            if (target == device) holds = true;
            if (ptsIndex >= 0 && (target == "/dev/ptmx" || target == "/dev/pts/ptmx") && holdsMasterOf(folder, fd, ptsIndex))
                farEnd = true;
        }
        if (holds) facts.holders.push_back({pid, programOf(root, pid), farEnd});
    }
}

void readAccess(const std::string& hostPath, const struct stat& st, PortFacts& facts) {
    facts.accessChecked = true;
    facts.mayOpen = portMayBeOpened(hostPath);
    facts.mode = st.st_mode & 0777;
    const passwd* owner = ::getpwuid(st.st_uid);
    facts.owner = owner ? owner->pw_name : std::to_string(st.st_uid);
    const group* deviceGroup = ::getgrgid(st.st_gid);
    facts.group = deviceGroup ? deviceGroup->gr_name : std::to_string(st.st_gid);

    // The group database: the user's primary group and every group listing them.
    if (const passwd* user = ::getpwuid(::getuid())) {
        int count = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
            groups.resize(static_cast<std::size_t>(count));
            ::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count);
        }
        groups.resize(static_cast<std::size_t>(std::max(count, 0)));
        facts.inGroup = std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
    }
    // This login: what its processes carry, fixed when it began.
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0) ::getgroups(count, groups.data());
    facts.inGroupThisLogin = ::getegid() == st.st_gid || std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
}

// The device path as the system names it: a port override is followed to
// what it links to, outside the root.
std::string systemPathOf(const std::string& named, bool& outsideRoot) {
    outsideRoot = false;
    const std::string overrides = portOverrideFolder();
    if (overrides.empty() || !named.starts_with(overrides + "/")) return named;
    struct stat st{};
    if (::lstat(named.c_str(), &st) != 0) return {};
    if (!S_ISLNK(st.st_mode)) {
        outsideRoot = true;  // the device itself lies there
        return named;
    }
    const std::string target = readLink(named).value_or(std::string());
    if (target.empty() || target.starts_with('/')) return target;
    return named.substr(0, named.find_last_of('/') + 1) + target;
}

}  // namespace

PortFacts examinePort(std::string_view deviceName) {
    PortFacts facts;
    const std::string& root = portDiscoveryRoot();
    bool outsideRoot = false;
    const std::string systemPath = systemPathOf(devicePathForName(deviceName), outsideRoot);
    if (systemPath.empty()) return facts;
    const std::string device = outsideRoot ? systemPath : resolvePathUnderRoot(root, systemPath);
    facts.devicePath = device.empty() ? systemPath : device;
    const std::string hostPath = outsideRoot ? systemPath : pathUnderRoot(root, device);
    struct stat st{};
    if (device.empty() || ::stat(hostPath.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return facts;

    // The kernel makes ttyS nodes for UARTs that are not there: type 0.
    const std::string tty = device.substr(device.find_last_of('/') + 1);
    if (isAbsentUart(root, tty)) return facts;
    facts.exists = true;
    readAccess(hostPath, st, facts);
    findHolders(root, device, facts);
    usbIdsOfTty(root, tty, facts.usbVendor, facts.usbProduct);
    facts.latencyTimerMs = latencyTimerMsOfTty(tty, pathUnderRoot(root, "/sys"));
    return facts;
}

SystemFacts examineSystem() {
    SystemFacts facts;
    const std::string& root = portDiscoveryRoot();
#if defined(__linux__)
    facts.servicesChecked = true;
#endif
    for (const int pid : processIds(root))
        if (programOf(root, pid) == "ModemManager") facts.modemManagerIds.push_back(pid);

    std::vector<std::string> seen;
    for (const char* folder : ruleFolders)
        for (const std::string& name : folderEntries(pathUnderRoot(root, folder))) {
            if (name.find("brltty") == std::string::npos || !name.ends_with(".rules")) continue;
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;  // masked by an earlier folder
            seen.push_back(name);
            const std::string path = std::string(folder) + "/" + name;
            facts.brlttyRules.push_back({path, readText(pathUnderRoot(root, path), RuleFileLimit)});
        }

    const std::string usb = pathUnderRoot(root, "/sys/bus/usb/devices");
    for (const std::string& name : folderEntries(usb)) {
        std::uint16_t vendor = 0, product = 0;
        if (readUsbIds(usb + "/" + name, vendor, product))
            facts.usbDevices.push_back(static_cast<std::uint32_t>(vendor) << 16 | product);
    }
    return facts;
}

LowLatencyState lastOpenLowLatency() {
    switch (lastLowLatency().mode) {
        case LowLatency::On: return LowLatencyState::On;
        case LowLatency::Refused: return LowLatencyState::Refused;
        case LowLatency::NotSupported: return LowLatencyState::NotSupported;
        case LowLatency::NotAsked: break;
    }
    return LowLatencyState::NotAsked;
}
