// The Linux port listing over a fake sysfs and /dev under a temporary root.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/port_config.h"
#include "dialogs/com_port_dialog.h"
#include "dialogs/startup.h"
#include "platform/posix/posix_port_discovery.h"
#include "platform/posix/posix_serial.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"
#include "tools/jxtool/jxtool.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* FtdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0";
constexpr const char* AcmById = "/dev/serial/by-id/usb-Maker_Keyer_Board-if00";
constexpr const char* UsbBus = "/sys/devices/pci0000:00/0000:00:14.0";

class PortDiscovery : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        root = tempDir / "root";
        ports = tempDir / "keyer-tools" / "ports";
        ::setenv("XDG_CONFIG_HOME", tempDir.c_str(), 1);
        configPath = (tempDir / "keyer.cfg").string();
        // An FTDI adapter, a CDC ACM board, a UART, a ttyS without one, a
        // virtual console, a SoC UART outside the fixed numbers, and ports
        // caught vanishing: no device behind the link, no /dev node, a by-id
        // link to nothing.
        usbDevice("/usb1/1-2", "FT232R USB UART");
        tty("ttyUSB0", std::string(UsbBus) + "/usb1/1-2/1-2:1.0/ttyUSB0", "usb-serial/drivers/ftdi_sio");
        usbDevice("/usb2/2-1", "Keyer Board");
        tty("ttyACM0", std::string(UsbBus) + "/usb2/2-1/2-1:1.0", "usb/drivers/cdc_acm");
        file(std::string(UsbBus) + "/usb2/2-1/2-1:1.0/interface", "CDC Keyer Port\n");
        tty("ttyS0", "/sys/devices/pnp0/00:00/00:00:0/00:00:0.0", "serial-base/drivers/port");
        driver("/sys/devices/pnp0/00:00/00:00:0", "serial-base/drivers/ctrl");
        driver("/sys/devices/pnp0/00:00", "pnp/drivers/serial");
        file("/sys/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttyS0/type", "4\n");
        tty("ttyS1", "/sys/devices/platform/serial8250", "platform/drivers/serial8250");
        file("/sys/devices/platform/serial8250/tty/ttyS1/type", "0\n");
        tty("ttyAMA0", "/sys/devices/platform/fe201000.serial", "amba/drivers/uart-pl011");
        fs::create_directories(root / "sys/devices/virtual/tty/tty0");
        link("/sys/class/tty/tty0", "../../devices/virtual/tty/tty0");
        node("/dev/tty0");
        tty("ttyUSB1", std::string(UsbBus) + "/usb1/1-3/1-3:1.0/ttyUSB1", "usb-serial/drivers/ftdi_sio");
        fs::remove_all(root / (std::string(UsbBus).substr(1) + "/usb1/1-3"));
        tty("ttyUSB2", std::string(UsbBus) + "/usb1/1-4/1-4:1.0/ttyUSB2", "usb-serial/drivers/ftdi_sio");
        fs::remove(root / "dev/ttyUSB2");
        link(FtdiById, "../../ttyUSB0");
        link(AcmById, "../../ttyACM0");
        link("/dev/serial/by-id/usb-Gone-if00-port0", "../../ttyUSB7");
    }
    void TearDown() override {
        setPortDiscoveryRoot("/");
        ProgramTest::TearDown();
    }

    void file(const std::string& path, const std::string& text) {
        fs::create_directories((root / path.substr(1)).parent_path());
        writeWholeFile(root / path.substr(1), std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    void link(const std::string& path, const std::string& target) {
        fs::create_directories((root / path.substr(1)).parent_path());
        fs::create_symlink(target, root / path.substr(1));
    }
    // Device nodes are FIFOs: a stray open of one would hang or show.
    void node(const std::string& path) {
        fs::create_directories((root / path.substr(1)).parent_path());
        ASSERT_EQ(::mkfifo((root / path.substr(1)).c_str(), 0660), 0);
    }
    void driver(const std::string& device, const std::string& busDriver) {
        link(device + "/driver", "/sys/bus/" + busDriver);
    }
    void usbDevice(const std::string& under, const std::string& product) {
        file(std::string(UsbBus) + under + "/idVendor", "0403\n");
        file(std::string(UsbBus) + under + "/product", product + "\n");
        file(std::string(UsbBus) + under + "/manufacturer", "Maker\n");
    }
    // A tty class node for name with its device link, and its /dev node.
    void tty(const std::string& name, const std::string& device, const std::string& busDriver) {
        fs::create_directories(root / (device.substr(1) + "/tty/" + name));
        driver(device, busDriver);
        link(device + "/tty/" + name + "/device", "../../../" + fs::path(device).filename().string());
        link("/sys/class/tty/" + name, "../.." + device.substr(4) + "/tty/" + name);
        node("/dev/" + name);
    }
    std::vector<SerialPortEntry> discover(std::function<bool(const std::string&)> mayOpen = {}) {
        std::vector<SerialPortEntry> found;
        EXPECT_TRUE(discoverPorts({root.string(), ports.string(), std::move(mayOpen)}, found));
        return found;
    }
    void overridePort(int n, const std::string& target) {
        fs::create_directories(ports);
        fs::create_symlink(target, ports / ("com" + std::to_string(n)));
    }

    fs::path root;
    fs::path ports;
};

struct Expected {
    int com;
    std::string device, description, stableName;
    bool needsRecord;
};

void expectPorts(const std::vector<SerialPortEntry>& found, const std::vector<Expected>& expected) {
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(expected[i].device);
        EXPECT_EQ(found[i].comNumber, expected[i].com);
        EXPECT_EQ(found[i].devicePath, expected[i].device);
        EXPECT_EQ(found[i].description, expected[i].description);
        EXPECT_EQ(found[i].stableName, expected[i].stableName);
        EXPECT_EQ(found[i].numberNeedsRecord, expected[i].needsRecord);
    }
}

TEST_F(PortDiscovery, ListsThePortsWithTheirFixedNumbersAndNothingElse) {
    expectPorts(discover(), {{1, "/dev/ttyS0", "serial", "", false},
                             {2, "/dev/ttyAMA0", "uart-pl011", "", true},  // the lowest number nothing holds
                             {11, "/dev/ttyUSB0", "FT232R USB UART", FtdiById, false},
                             {31, "/dev/ttyACM0", "CDC Keyer Port", AcmById, false}});
}

// A number listed without a record must open the listed device, also for the
// first units past each fixed range.
TEST_F(PortDiscovery, ANumberThatNeedsNoRecordOpensTheListedDevice) {
    tty("ttyS10", "/sys/devices/pnp0/00:0a", "pnp/drivers/serial");
    file("/sys/devices/pnp0/00:0a/tty/ttyS10/type", "4\n");
    tty("ttyUSB20", std::string(UsbBus) + "/usb1/1-5/1-5:1.0/ttyUSB20", "usb-serial/drivers/ftdi_sio");
    const auto found = discover();
    ASSERT_EQ(found.size(), 6u);
    for (const SerialPortEntry& entry : found) {
        SCOPED_TRACE(entry.devicePath);
        if (entry.devicePath == "/dev/ttyS10" || entry.devicePath == "/dev/ttyUSB20") {
            EXPECT_TRUE(entry.numberNeedsRecord);
        }
        if (!entry.numberNeedsRecord) {
            EXPECT_EQ(devicePathForPort(entry.comNumber), entry.devicePath);
        }
    }
}

TEST_F(PortDiscovery, AnOverrideGivesItsNumberAndNoDeviceIsListedTwice) {
    overridePort(4, FtdiById);         // absolute: read under the root
    overridePort(5, "/dev/ttyUSB0");   // the same adapter again
    overridePort(31, "/dev/ttyUSB9");  // leads nowhere, yet holds its number
    overridePort(8, "/dev/ttyS1");     // no UART behind it
    overridePort(9, "/dev/pts/3");
    node("/dev/pts/3");
    expectPorts(discover(), {{1, "/dev/ttyS0", "serial", "", false},
                             {2, "/dev/ttyACM0", "CDC Keyer Port", AcmById, true},
                             {3, "/dev/ttyAMA0", "uart-pl011", "", true},
                             {4, "/dev/ttyUSB0", "FT232R USB UART", FtdiById, false},
                             {9, "/dev/pts/3", "pseudo-terminal", "", false}});
}

TEST_F(PortDiscovery, AccessIsAskedOfTheCheckNotOfTheDevice) {
    const auto found = discover([this](const std::string& path) { return path != (root / "dev/ttyUSB0").string(); });
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[2].devicePath, "/dev/ttyUSB0");
    EXPECT_FALSE(found[2].accessible);
    EXPECT_TRUE(found[0].accessible && found[1].accessible && found[3].accessible);
    EXPECT_EQ(portEntryText(found[2]), "com11  /dev/ttyUSB0  FT232R USB UART  " + std::string(NoPermissionNote));
}

TEST_F(PortDiscovery, AnotherSystemWithoutSysfsHasNoListing) {
    std::vector<SerialPortEntry> found;
    EXPECT_FALSE(discoverPorts({(tempDir / "nothing").string(), {}, {}}, found));
}

TEST_F(PortDiscovery, RecordingWritesReplacesAndKeepsWhatIsTheUsers) {
    EXPECT_EQ(recordPortLink(ports.string(), 11, FtdiById), PortRecordStatus::Recorded);
    EXPECT_EQ(fs::read_symlink(ports / "com11"), FtdiById);
    EXPECT_EQ(fs::status(ports).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(recordPortLink(ports.string(), 11, AcmById), PortRecordStatus::Recorded);
    EXPECT_EQ(fs::read_symlink(ports / "com11"), AcmById);
    writeWholeFile(ports / "com12", {'m', 'i', 'n', 'e'});
    fs::create_directory(ports / "com13");
    EXPECT_EQ(recordPortLink(ports.string(), 12, FtdiById), PortRecordStatus::Refused);
    EXPECT_EQ(recordPortLink(ports.string(), 13, FtdiById), PortRecordStatus::Refused);
    EXPECT_EQ(readWholeFile(ports / "com12"), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_TRUE(fs::is_directory(ports / "com13"));
    EXPECT_EQ(std::distance(fs::directory_iterator(ports), fs::directory_iterator()), 3);  // no temporary left
}

// Counts opens of anything in the fake /dev (folders aside) while it lives.
struct OpenWatch {
    explicit OpenWatch(const fs::path& dev) : fd(::inotify_init1(IN_NONBLOCK)) {
        ::inotify_add_watch(fd, dev.c_str(), IN_OPEN);
    }
    ~OpenWatch() { ::close(fd); }
    int opens() const {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (!(event->mask & IN_ISDIR)) ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        return count;
    }
    int fd;
};

TEST_F(PortDiscovery, TheDialogOpensNoDeviceAndOkRecordsTheAdaptersStableName) {
    setPortDiscoveryRoot(root.string());
    comPortNumber = 11;
    OpenWatch watch(root / "dev");
    std::vector<std::string> entries;
    Window w = openMainWindow();
    headless::scriptDialog(dlg::ComPortSetup, [&](Window d) {
        entries = d->entries(comport::PortList);
        EXPECT_EQ(d->selection(comport::PortList), 2);
        d->click(comport::OkButton);
    });
    ASSERT_TRUE(w->click(mainwin::SetComPortButton));
    EXPECT_EQ(watch.opens(), 0);
    EXPECT_EQ(entries, (std::vector<std::string>{"com1  /dev/ttyS0  serial", "com2  /dev/ttyAMA0  uart-pl011",
                                                 "com11  /dev/ttyUSB0  FT232R USB UART",
                                                 "com31  /dev/ttyACM0  CDC Keyer Port"}));
    EXPECT_EQ(fs::read_symlink(ports / "com11"), FtdiById);
    EXPECT_EQ(readWholeFile(configPath), (std::vector<std::uint8_t>{11, 0, 0, 0}));
    // The watch does see an open.
    ::close(::open((root / "dev/ttyUSB0").c_str(), O_RDONLY | O_NONBLOCK));
    EXPECT_EQ(watch.opens(), 1);
}

// com2 opens the UART only through its record: without one it stays unchosen.
TEST_F(PortDiscovery, OkKeepsTheNumberWhenThePortsRecordCannotBeMade) {
    setPortDiscoveryRoot(root.string());
    comPortNumber = 11;
    fs::remove_all(ports);
    fs::create_directories(ports.parent_path());
    writeWholeFile(ports, {});  // a file where the folder of records belongs
    Window w = openMainWindow();
    headless::scriptDialog(dlg::ComPortSetup, [&](Window d) {
        ASSERT_EQ(d->entries(comport::PortList).at(1), "com2  /dev/ttyAMA0  uart-pl011");
        d->select(comport::PortList, 1);
        d->click(comport::OkButton);
    });
    ASSERT_TRUE(w->click(mainwin::SetComPortButton));
    EXPECT_EQ(comPortNumber, 11);
    EXPECT_EQ(w->text(mainwin::ComPortLabel), "com:11");
}

TEST_F(PortDiscovery, JxtoolPortsPrintsTheDialogsEntries) {
    setPortDiscoveryRoot(root.string());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(runJxtool({"ports"}, [this] { return configPath; }), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "com1  /dev/ttyS0  serial\ncom2  /dev/ttyAMA0  uart-pl011\ncom11  /dev/ttyUSB0  FT232R USB UART\n"
              "com31  /dev/ttyACM0  CDC Keyer Port\n");
}

TEST_F(PortDiscovery, APortTheUserMayNotOpenFailsTheTestAsCommOpen) {
    const fs::path device = tempDir / "ttyLocked";
    writeWholeFile(device, {});
    fs::permissions(device, fs::perms::none);
    fs::permissions(tempDir, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Root opens anything: the check runs as nobody then.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        KeyerLink link;
        const std::string status = checkLink(link, device.string()).status;
        (void)!::write(pipeEnds[1], status.data(), status.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    char buffer[64] = {};
    const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), "JX Fail:comm open");
}

}  // namespace
