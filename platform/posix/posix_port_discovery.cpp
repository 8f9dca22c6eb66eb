// Serial ports from the device records of sysfs, without opening a device.
#include "platform/posix/posix_port_discovery.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/posix/posix_serial.h"

std::optional<std::string> readLink(const std::string& path) {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

// A short attribute file of sysfs, trimmed, control characters as spaces;
// empty when it cannot be read.
std::string readAttribute(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::array<char, 256> buffer{};
    in.read(buffer.data(), buffer.size());
    std::string text(buffer.data(), static_cast<std::size_t>(in.gcount()));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> folderEntries(const std::string& folder, bool* readable) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (readable) *readable = dir != nullptr;
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

constexpr int FirstComNumber = 1;
constexpr int LastComNumber = 50;
constexpr int MaxLinksFollowed = 40;

// A path under root: the system's own path with the root in front.
std::string underRoot(const std::string& root, std::string_view path) {
    if (root.empty() || root == "/") return std::string(path);
    std::string base = root;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + std::string(path);
}

std::vector<std::string> pathParts(std::string_view path) {
    std::vector<std::string> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty() && part != ".") parts.emplace_back(part);
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

std::string joinParts(const std::vector<std::string>& parts) {
    if (parts.empty()) return "/";
    std::string path;
    for (const auto& part : parts) path += "/" + part;
    return path;
}

// The path with every symbolic link followed, as if root were "/" (links to
// absolute paths stay under it); none when any part of it is missing.
std::optional<std::string> resolveUnder(const std::string& root, std::string_view path) {
    std::vector<std::string> done;
    std::deque<std::string> todo;
    for (auto& part : pathParts(path)) todo.push_back(std::move(part));
    int linksFollowed = 0;
    while (!todo.empty()) {
        std::string part = std::move(todo.front());
        todo.pop_front();
        if (part == "..") {
            if (!done.empty()) done.pop_back();
            continue;
        }
        done.push_back(std::move(part));
        const std::string here = underRoot(root, joinParts(done));
        struct stat st{};
        if (::lstat(here.c_str(), &st) != 0) return std::nullopt;
        if (!S_ISLNK(st.st_mode)) continue;
        const auto target = readLink(here);
        if (!target || ++linksFollowed > MaxLinksFollowed) return std::nullopt;
        done.pop_back();
        if (target->starts_with('/')) done.clear();
        const auto parts = pathParts(*target);
        todo.insert(todo.begin(), parts.begin(), parts.end());
    }
    return joinParts(done);
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string lastPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool exists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

// The number in name after prefix ("ttyUSB3" -> 3); -1 when there is none.
int unitNumber(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 4) return -1;
    name.remove_prefix(prefix.size());
    if (name.size() > 1 && name.front() == '0') return -1;
    int n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

struct FixedRange {
    std::string_view prefix;
    int firstCom;
    int units;
};
constexpr FixedRange fixedRanges[] = {{"ttyS", 1, 10}, {"ttyUSB", 11, 20}, {"ttyACM", 31, 20}};

// The COM number the fixed mapping gives a tty; 0 when it gives none.
int fixedComNumber(std::string_view ttyName) {
    for (const auto& range : fixedRanges) {
        const int unit = unitNumber(ttyName, range.prefix);
        if (unit >= 0 && unit < range.units) return range.firstCom + unit;
    }
    return 0;
}

// The driver behind a device: the first one up from it that is not the
// serial core's own port or controller device.
std::string driverName(const std::string& root, std::string device) {
    for (int level = 0; level < 4 && device.starts_with("/sys/devices/"); ++level, device = parentOf(device)) {
        const auto target = readLink(underRoot(root, device + "/driver"));
        if (target && target->find("/serial-base/") == std::string::npos) return lastPart(*target);
    }
    return {};
}

std::string describeDevice(const std::string& root, const std::string& device, const std::string& ttyName) {
    std::string usbDevice;
    std::string usbInterface;
    for (std::string dir = device; dir.starts_with("/sys/devices/"); dir = parentOf(dir)) {
        if (exists(underRoot(root, dir + "/idVendor"))) {
            usbDevice = dir;
            break;
        }
        usbInterface = dir;
    }
    if (!usbDevice.empty()) {
        if (ttyName.starts_with("ttyACM") && !usbInterface.empty()) {
            std::string text = readAttribute(underRoot(root, usbInterface + "/interface"));
            if (!text.empty()) return text;
        }
        for (const char* attribute : {"/product", "/manufacturer"}) {
            std::string text = readAttribute(underRoot(root, usbDevice + attribute));
            if (!text.empty()) return text;
        }
    }
    return driverName(root, device);
}

struct FoundPort {
    std::string ttyName;
    SerialPortEntry entry;
    bool listed = false;
};

// The tty nodes of sysfs that are ports, by name.
std::vector<FoundPort> findTtyPorts(const std::string& root, std::vector<std::string>& allTtys) {
    std::vector<FoundPort> found;
    allTtys = folderEntries(underRoot(root, "/sys/class/tty"));
    for (const auto& name : allTtys) {
        const std::string node = "/sys/class/tty/" + name;
        const auto device = resolveUnder(root, node + "/device");
        if (!device) continue;  // virtual, or gone
        if (isAbsentUart(root, name)) continue;
        const std::string devicePath = "/dev/" + name;
        if (!exists(underRoot(root, devicePath))) continue;
        FoundPort port;
        port.ttyName = name;
        port.entry.devicePath = devicePath;
        port.entry.description = describeDevice(root, *device, name);
        found.push_back(std::move(port));
    }
    return found;
}

void matchStableNames(const std::string& root, std::vector<FoundPort>& found) {
    const std::string folder = "/dev/serial/by-id";
    for (const auto& name : folderEntries(underRoot(root, folder))) {
        const auto device = resolveUnder(root, folder + "/" + name);
        if (!device) continue;  // the adapter has just gone
        for (auto& port : found)
            if (port.entry.devicePath == *device && port.entry.stableName.empty())
                port.entry.stableName = folder + "/" + name;
    }
}

// What an override names: its resolved target, or the override itself when
// it is not a link; none when it is missing or leads nowhere.
std::optional<std::string> overrideTarget(const std::string& root, const std::string& link, bool& present) {
    struct stat st{};
    present = ::lstat(link.c_str(), &st) == 0;
    if (!present) return std::nullopt;
    if (!S_ISLNK(st.st_mode)) return S_ISDIR(st.st_mode) ? std::nullopt : std::optional<std::string>(link);
    auto target = readLink(link);
    if (!target) return std::nullopt;
    if (!target->starts_with('/')) target = parentOf(link) + "/" + *target;
    const auto resolved = resolveUnder(root, *target);
    if (!resolved) return std::nullopt;
    struct stat targetStat{};
    if (::stat(underRoot(root, *resolved).c_str(), &targetStat) != 0 || S_ISDIR(targetStat.st_mode))
        return std::nullopt;
    return resolved;
}

}  // namespace

bool discoverPorts(const PortDiscoverySource& source, std::vector<SerialPortEntry>& ports) {
    ports.clear();
    const std::string& root = source.root;
    struct stat st{};
    if (::stat(underRoot(root, "/sys/class/tty").c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;

    std::vector<std::string> allTtys;
    std::vector<FoundPort> found = findTtyPorts(root, allTtys);
    matchStableNames(root, found);

    std::array<bool, LastComNumber + 1> held{};  // by an override, or given to a port
    std::vector<SerialPortEntry> listed;
    auto give = [&](FoundPort& port, int n, bool needsRecord) {
        port.entry.comNumber = n;
        port.entry.numberNeedsRecord = needsRecord;
        port.listed = true;
        held[static_cast<std::size_t>(n)] = true;
        listed.push_back(port.entry);
    };

    // Overrides first: each keeps its number, even when it leads nowhere.
    std::vector<std::string> overrideDevices;
    for (int n = FirstComNumber; n <= LastComNumber && !source.overrideFolder.empty(); ++n) {
        bool present = false;
        const auto target = overrideTarget(root, source.overrideFolder + "/com" + std::to_string(n), present);
        if (present) held[static_cast<std::size_t>(n)] = true;
        if (!target) continue;
        const auto port = std::find_if(found.begin(), found.end(),
                                       [&](const FoundPort& p) { return p.entry.devicePath == *target; });
        if (port != found.end()) {
            if (!port->listed) give(*port, n, false);
            continue;
        }
        // A tty sysfs knows but does not count as a port (no UART behind it) is not offered.
        if (target->starts_with("/dev/") &&
            std::find(allTtys.begin(), allTtys.end(), target->substr(5)) != allTtys.end())
            continue;
        if (std::find(overrideDevices.begin(), overrideDevices.end(), *target) != overrideDevices.end()) continue;
        overrideDevices.push_back(*target);
        SerialPortEntry entry;
        entry.comNumber = n;
        entry.devicePath = *target;
        if (target->starts_with("/dev/pts/")) entry.description = "pseudo-terminal";
        listed.push_back(std::move(entry));
    }
    for (auto& port : found) {
        const int n = fixedComNumber(port.ttyName);
        if (!port.listed && n != 0 && !held[static_cast<std::size_t>(n)]) give(port, n, false);
    }
    for (auto& port : found) {
        if (port.listed) continue;
        int n = FirstComNumber;
        while (n <= LastComNumber && held[static_cast<std::size_t>(n)]) ++n;
        if (n > LastComNumber) break;  // every number is held: the rest are not offered
        give(port, n, true);
    }

    for (auto& entry : listed) {
        // An override that is no link is the device itself, outside the root.
        const bool isOverride =
            !source.overrideFolder.empty() && entry.devicePath.starts_with(source.overrideFolder + "/");
        const std::string path = isOverride ? entry.devicePath : underRoot(root, entry.devicePath);
        entry.accessible = source.mayOpen ? source.mayOpen(path) : ::access(path.c_str(), R_OK | W_OK) == 0;
    }
    std::sort(listed.begin(), listed.end(),
              [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.comNumber < b.comNumber; });
    ports = std::move(listed);
    return true;
}

namespace {
PortDiscoverySource listingSource;
}

const std::string& portDiscoveryRoot() { return listingSource.root; }

bool portMayBeOpened(const std::string& path) {
    return listingSource.mayOpen ? listingSource.mayOpen(path) : ::access(path.c_str(), R_OK | W_OK) == 0;
}

std::string pathUnderRoot(const std::string& root, const std::string& path) { return underRoot(root, path); }

std::string resolvePathUnderRoot(const std::string& root, const std::string& path) {
    return resolveUnder(root, path).value_or(std::string());
}

bool isAbsentUart(const std::string& root, const std::string& ttyName) {
    return unitNumber(ttyName, "ttyS") >= 0 && readAttribute(underRoot(root, "/sys/class/tty/" + ttyName + "/type")) == "0";
}

bool readUsbIds(const std::string& folder, std::uint16_t& vendor, std::uint16_t& product) {
    const std::string vendorText = readAttribute(folder + "/idVendor");
    const std::string productText = readAttribute(folder + "/idProduct");
    if (vendorText.empty() || productText.empty()) return false;
    vendor = static_cast<std::uint16_t>(std::strtoul(vendorText.c_str(), nullptr, 16));
    product = static_cast<std::uint16_t>(std::strtoul(productText.c_str(), nullptr, 16));
    return true;
}

bool usbIdsOfTty(const std::string& root, const std::string& ttyName, std::uint16_t& vendor, std::uint16_t& product) {
    const auto device = resolveUnder(root, "/sys/class/tty/" + ttyName + "/device");
    if (!device) return false;
    for (std::string dir = *device; dir.starts_with("/sys/devices/"); dir = parentOf(dir))
        if (readUsbIds(underRoot(root, dir), vendor, product)) return true;
    return false;
}

void setPortDiscoveryRoot(std::string root, std::function<bool(const std::string&)> mayOpen) {
    listingSource.root = std::move(root);
    listingSource.mayOpen = std::move(mayOpen);
}

bool serialListPorts(std::vector<SerialPortEntry>& ports) {
    PortDiscoverySource source = listingSource;
    source.overrideFolder = portOverrideFolder();
    return discoverPorts(source, ports);
}

PortRecordStatus recordPortLink(const std::string& folder, int comNumber, const std::string& target) {
    if (folder.empty() || !folder.starts_with('/') || target.empty()) return PortRecordStatus::Failed;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return PortRecordStatus::Failed;
        if (slash == std::string::npos) break;
    }
    const std::string link = folder + "/com" + std::to_string(comNumber);
    struct stat st{};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return PortRecordStatus::Refused;
        if (readLink(link) == target) return PortRecordStatus::Recorded;
    }
    const std::string temporary = folder + "/.com" + std::to_string(comNumber) + ".new-" + std::to_string(::getpid());
    (void)::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) return PortRecordStatus::Failed;
    // rename replaces the old link in one step: no moment without comN.
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        (void)::unlink(temporary.c_str());
        return PortRecordStatus::Failed;
    }
    return PortRecordStatus::Recorded;
}

PortRecordStatus serialRecordPort(int comNumber, std::string_view target) {
    return recordPortLink(portOverrideFolder(), comNumber, std::string(target));
}
