// jxtool's open failures, doctor, ports --wait and wire trace over real
// pseudo-terminals, a process that holds one, and a fake sysfs, /proc and
// udev tree.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/link/port_doctor.h"
#include "platform/posix/posix_port_discovery.h"
#include "tests/pty/keyer_sim_process.h"
#include "tests/pty/pty_fixture.h"
#include "tools/jxtool/jxtool.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* UsbBus = "/sys/devices/pci0000:00/0000:00:14.0";

struct Output {
    int code = -1;
    std::string out, err;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A process of its own that holds the device open and locked, as a terminal program does.
struct HoldingProcess {
    pid_t pid = -1;
    explicit HoldingProcess(const std::string& device) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid = ::fork();
        if (pid == 0) {
            // Nothing of the test's own: the keyer's end of the line stays the test's.
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != ready[1]) ::close(fd);
            const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
            if (fd >= 0) ::flock(fd, LOCK_EX);
            ::prctl(PR_SET_NAME, "port-holder");
            (void)!::write(ready[1], "1", 1);
            ::pause();
            ::_exit(0);
        }
        char c;
        (void)!::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~HoldingProcess() {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

class PortDiagnosis : public PtyKeyerTest {
protected:
    void TearDown() override {
        setPortDiscoveryRoot("/");
        PtyKeyerTest::TearDown();
    }
    Output run(std::vector<std::string> args) {
        Output o;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        o.code = runJxtool(args, [this] { return (tempDir / "keyer.cfg").string(); });
        o.err = ::testing::internal::GetCapturedStderr();
        o.out = ::testing::internal::GetCapturedStdout();
        return o;
    }
    // A fake root with an empty sysfs, so the port list holds what the test plants.
    void fakeRoot(std::function<bool(const std::string&)> mayOpen = {}) {
        root = tempDir / "root";
        fs::create_directories(root / "sys/class/tty");
        setPortDiscoveryRoot(root.string(), std::move(mayOpen));
    }
    void file(const std::string& path, const std::string& text) {
        fs::create_directories((root / path.substr(1)).parent_path());
        std::ofstream(root / path.substr(1)) << text;
    }
    void link(const std::string& path, const std::string& target) {
        fs::create_directories((root / path.substr(1)).parent_path());
        fs::create_symlink(target, root / path.substr(1));
    }
    // A tty of sysfs with its device link and a /dev node (a FIFO: opening it by mistake would show).
    void tty(const std::string& name, const std::string& device) {
        fs::create_directories(root / (device.substr(1) + "/tty/" + name));
        link(device + "/tty/" + name + "/device", "../../../" + fs::path(device).filename().string());
        link("/sys/class/tty/" + name, "../.." + device.substr(4) + "/tty/" + name);
        fs::create_directories(root / "dev");
        ::mkfifo((root / "dev" / name).c_str(), 0660);
    }
    void usbAdapter(const std::string& name, const std::string& vendor, const std::string& product) {
        const std::string device = std::string(UsbBus) + "/usb1/1-2";
        file(device + "/idVendor", vendor + "\n");
        file(device + "/idProduct", product + "\n");
        file(device + "/product", "USB Serial\n");
        tty(name, device + "/1-2:1.0/" + name);
    }
    static std::string groupOf(const std::string& path) {
        struct stat st{};
        ::stat(path.c_str(), &st);
        const group* g = ::getgrgid(st.st_gid);
        return g ? g->gr_name : std::to_string(st.st_gid);
    }
    fs::path root;
};

TEST_F(PortDiagnosis, AMissingDeviceNamesThePortsThereAndDoctorAsksNoKeyer) {
    fakeRoot();
    const Output doctor = run({"--port", "/dev/ttyNOPE", "doctor"});
    EXPECT_EQ(doctor.code, 1);
    EXPECT_EQ(doctor.out, "fail  port: /dev/ttyNOPE does not exist, nor does any other serial port: is the adapter plugged in?\n"
                          "ok    ModemManager: not running\n"
                          "ok    brltty: no udev rule of brltty claims CH340/CH341 adapters\n"
                          "fail  keyer: not asked: the port does not exist\n");
    tty("ttyS0", "/sys/devices/platform/serial8250");
    const Output o = run({"--port", "/dev/ttyNOPE", "test"});
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.out, "JX Fail:comm open\n");
    EXPECT_EQ(o.err, "jxtool: /dev/ttyNOPE does not exist; the ports here: com1 /dev/ttyS0\n");
}

TEST_F(PortDiagnosis, ABusyPortNamesTheProcessThatHoldsIt) {
    serve();
    const std::string device = server->devicePath();
    const HoldingProcess holder(device);
    const std::string holds = "port-holder (PID " + std::to_string(holder.pid) + ")";
    const Output test = run({"--port", device, "test"});
    EXPECT_EQ(test.code, 1);
    EXPECT_EQ(test.err, "jxtool: " + device + " is busy: " + holds + " has it open; close that program and try again\n");

    const Output doctor = run({"--port", device, "doctor"});
    EXPECT_EQ(doctor.code, 1);
    const auto lines = linesOf(doctor.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "fail  holders: " + holds + " has " + device + " open: close it before talking to the keyer"),
              lines.end())
        << doctor.out;
    EXPECT_EQ(lines.back(), "fail  keyer: JX Fail:comm open: " + device + " is busy: " + holds +
                                " has it open; close that program and try again");
}

// Run again as an ordinary user (pty_serial_as_user): root opens any device.
TEST_F(PortDiagnosis, AsUserAForbiddenDeviceSaysWhoMayOpenIt) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens a device of mode 000";
    serve();
    const std::string device = server->devicePath();
    ASSERT_EQ(::chmod(device.c_str(), 0), 0);
    const passwd* me = ::getpwuid(::getuid());
    const std::string explanation = "permission denied: " + device + " has mode 000 (owner " + me->pw_name + ", group " +
                                    groupOf(device) + "), which keeps you out: sudo chmod 660 " + device + " lets group " +
                                    groupOf(device) + " in until the device is made again";
    const Output test = run({"--port", device, "test"});
    EXPECT_EQ(test.code, 1);
    EXPECT_EQ(test.err, "jxtool: " + explanation + "\n");
    const Output doctor = run({"--port", device, "doctor"});
    EXPECT_EQ(doctor.code, 1);
    EXPECT_EQ(linesOf(doctor.out).at(1), "fail  access: " + explanation);
}

// keyer-sim holds its terminal's other end too: the far end, not a program in the way.
TEST_F(PortDiagnosis, DoctorPassesOnAHealthySimulatorPort) {
    KeyerSimProcess keyerSim;
    const std::string port = (tempDir / "keyer-port").string();
    const std::string device = keyerSim.start({"--link", port});
    const Output o = run({"--port", port, "doctor"});
    EXPECT_EQ(o.code, 0) << o.out;
    const auto lines = linesOf(o.out);
    ASSERT_GE(lines.size(), 4u) << o.out;
    EXPECT_EQ(lines[0], "ok    port: " + port + " (" + device + ") exists");
    EXPECT_EQ(lines[1], "ok    access: you may open " + device + " (group " + groupOf(device) + ")");
    EXPECT_EQ(lines[2], "ok    holders: only keyer-sim (PID " + std::to_string(keyerSim.pid) +
                            "), the other end of the pseudo-terminal, has it open");
    EXPECT_EQ(lines.back(), "ok    keyer: JX IC: PIKE, JX F/W revision 31.02");
}

TEST_F(PortDiagnosis, DoctorReadsTheSystemFromItsFiles) {
    fakeRoot();
    usbAdapter("ttyUSB0", "1a86", "7523");
    file(std::string(UsbBus) + "/usb1/1-2/1-2:1.0/ttyUSB0/latency_timer", "16\n");
    file("/proc/4321/comm", "ModemManager\n");
    link("/proc/4400/fd/3", "/dev/ttyUSB0");
    file("/proc/4400/comm", "minicom\n");
    file("/usr/lib/udev/rules.d/85-brltty.rules", "# Device: 1A86:7523\nENV{PRODUCT}==\"1a86/7523/*\", GOTO=\"run\"\n");
    const PortFacts port = examinePort("/dev/ttyUSB0");
    const auto lines = [&] {
        std::vector<std::string> text;
        for (const DoctorCheck& check : portChecks("/dev/ttyUSB0", port, examineSystem(), {})) text.push_back(doctorLine(check));
        text.push_back(doctorLine(latencyCheck(port, LowLatencyState::Refused)));
        return text;
    };
    std::vector<std::string> found = lines();
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found[0], "ok    port: /dev/ttyUSB0 exists");
    EXPECT_EQ(found[2], "fail  holders: minicom (PID 4400) has /dev/ttyUSB0 open: close it before talking to the keyer");
    EXPECT_TRUE(found[3].starts_with("warn  ModemManager: running (PID 4321): it opens new serial devices")) << found[3];
    EXPECT_TRUE(found[4].starts_with("fail  brltty: /usr/lib/udev/rules.d/85-brltty.rules claims")) << found[4];
    EXPECT_TRUE(found[5].starts_with("warn  latency: the driver refused low-latency mode and holds each reply up to 16 ms"));

    // A rule of the same name in /etc masks the packaged one.
    link("/etc/udev/rules.d/85-brltty.rules", "/dev/null");
    EXPECT_EQ(lines()[4], "ok    brltty: no udev rule of brltty claims CH340/CH341 adapters");
}

TEST_F(PortDiagnosis, PortsWaitPrintsThePortThatAppears) {
    int listings = 0;
    fakeRoot([&](const std::string&) {
        // The adapter is plugged in while the third list is read.
        if (++listings == 3) usbAdapter("ttyUSB0", "0403", "6001");
        return true;
    });
    tty("ttyS0", "/sys/devices/platform/serial8250");
    const Output o = run({"ports", "--wait", "5"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "com11  /dev/ttyUSB0  USB Serial\n");
    EXPECT_TRUE(o.err.starts_with("com1  /dev/ttyS0\nPlug the keyer's adapter in now")) << o.err;

    const Output none = run({"ports", "--wait", "1"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(none.err.ends_with("jxtool: no new port appeared in 1 s\n")) << none.err;
}

// The bytes of each direction, in order, from trace lines "host>keyer 1200: 00 04"
// or keyer-sim's log lines "0.100 host>keyer   1200: 00 04".
std::string wireBytes(const std::string& text, const std::string& direction) {
    std::string bytes;
    for (const std::string& line : linesOf(text))
        if (const std::size_t at = line.find(direction); at != std::string::npos)
            bytes += line.substr(line.find(':', at) + 1);
    return bytes;
}

TEST_F(PortDiagnosis, TheTraceOfATestHoldsTheBytesTheKeyerSaw) {
    KeyerSimProcess keyerSim;
    const std::string port = (tempDir / "keyer-port").string();
    const fs::path simLog = tempDir / "sim.log", trace = tempDir / "t.log";
    ASSERT_TRUE(keyerSim.start({"--link", port, "--log", simLog.string()}).starts_with("/dev/"));
    const Output o = run({"--trace", trace.string(), "--port", port, "test"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(keyerSim.stop(), 0);
    std::ostringstream traced, seen;
    traced << std::ifstream(trace).rdbuf();
    seen << std::ifstream(simLog).rdbuf();
    const auto lines = linesOf(traced.str());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_TRUE(lines[1].ends_with("  open " + port)) << lines[1];
    EXPECT_EQ(lines.back().substr(8), "  close");
    for (const char* direction : {"host>keyer", "keyer>host"}) {
        EXPECT_FALSE(wireBytes(seen.str(), direction).empty());
        EXPECT_EQ(wireBytes(traced.str(), direction), wireBytes(seen.str(), direction)) << direction;
    }
}

TEST_F(PortDiagnosis, ATraceThatCannotBeWrittenIsToldOnceAndTheCommandGoesOn) {
    serve();
    const std::string missing = (tempDir / "no" / "t.log").string();
    for (const auto& [path, why] : {std::pair<std::string, std::string>{"/dev/full", "a line could not be written; the trace stops here"},
                                    {missing, "cannot be created; going on without it"}}) {
        const Output o = run({"--trace", path, "--port", "7", "test"});
        EXPECT_EQ(o.code, 0);
        EXPECT_EQ(o.err, "jxtool: trace " + path + ": " + why + "\n");
    }
}

}  // namespace
