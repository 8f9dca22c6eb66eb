// Why a port did not open, and doctor's verdicts, composed from given facts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/open_failure_text.h"
#include "core/link/port_doctor.h"
#include "platform/headless/headless.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

namespace {

PortFacts at(std::string path) {
    PortFacts f;
    f.devicePath = std::move(path);
    return f;
}

PortFacts device(std::string path, unsigned mode = 0660, std::string group = "dialout", bool inGroup = true,
                 bool inLogin = true) {
    PortFacts f;
    f.devicePath = std::move(path);
    f.exists = f.accessChecked = f.holdersChecked = f.holdersComplete = true;
    f.mode = mode;
    f.owner = "root";
    f.group = std::move(group);
    f.inGroup = inGroup;
    f.inGroupThisLogin = inLogin;
    return f;
}

PortFacts held(std::vector<PortHolder> holders) {
    PortFacts f = device("/dev/ttyUSB0");
    f.holders = std::move(holders);
    return f;
}

PortFacts heldOnWindows() {
    PortFacts f;
    f.exists = f.holdersChecked = f.heldUnnamed = true;
    return f;
}

const std::vector<ListedPort> twoPorts{{1, "com1  /dev/ttyS0  serial", {}},
                                       {12, "com12  /dev/ttyUSB1  FT232R USB UART  (no permission: add yourself to the dialout group)", {}}};

struct Case {
    const char* name;
    const char* deviceName;
    OpenFailure failure;
    PortFacts facts;
    std::vector<ListedPort> ports;
    const char* text;
};

const Case cases[] = {
    {"MissingNamesThePortsThere", "COM11", OpenFailure::NotFound, at("/dev/ttyUSB0"), twoPorts,
     "COM11 (/dev/ttyUSB0) does not exist; the ports here: com1 /dev/ttyS0, com12 /dev/ttyUSB1"},
    {"MissingWithNoPortAtAll", "\\\\.\\COM12", OpenFailure::NotFound, {}, {},
     "COM12 does not exist, nor does any other serial port: is the adapter plugged in?"},
    {"NotInTheGroup", "COM11", OpenFailure::AccessDenied, device("/dev/ttyUSB0", 0660, "dialout", false, false), {},
     "permission denied: /dev/ttyUSB0 is open to group dialout, which you are not in: sudo usermod -aG dialout $USER, "
     "then log out and in again"},
    {"InTheGroupButNotThisLogin", "COM11", OpenFailure::AccessDenied, device("/dev/ttyUSB0", 0660, "dialout", true, false), {},
     "permission denied: you are in group dialout, but this login is not yet: log out and in again (or start a shell "
     "with: newgrp dialout)"},
    {"AModeThatKeepsEveryoneOut", "/dev/pts/3", OpenFailure::AccessDenied, device("/dev/pts/3", 0, "tty", false, false), {},
     "permission denied: /dev/pts/3 has mode 000 (owner root, group tty), which keeps you out: sudo chmod 660 /dev/pts/3 "
     "lets group tty in until the device is made again"},
    {"DeniedOnWindowsIsInUse", "COM3", OpenFailure::AccessDenied, heldOnWindows(), {},
     "COM3 is in use by another program: close that program and try again"},
    {"BusyNamesTheHolderButNotTheFarEnd", "COM11", OpenFailure::Busy, held({{812, "minicom", false}, {90, "keyer-sim", true}}), {},
     "COM11 (/dev/ttyUSB0) is busy: minicom (PID 812) has it open; close that program and try again"},
    {"BusyByTwo", "/dev/ttyUSB0", OpenFailure::Busy, held({{812, "minicom", false}, {900, "cat", false}}), {},
     "/dev/ttyUSB0 is busy: minicom (PID 812), cat (PID 900) have it open; close those programs and try again"},
    {"BusyByWhoKnows", "COM11", OpenFailure::Busy, held({}), {},
     "COM11 (/dev/ttyUSB0) is busy: another program has it open; close that program and try again"},
    {"NotASerialPort", "/dev/null", OpenFailure::NotSerialDevice, at("/dev/null"), twoPorts,
     "/dev/null is not a serial port (it has no line settings); the ports here: com1 /dev/ttyS0, com12 /dev/ttyUSB1"},
    {"SettingsRefused", "COM11", OpenFailure::SettingsRefused, at("/dev/ttyUSB0"), {},
     "COM11 (/dev/ttyUSB0) refused the keyer's line settings (1200 baud 8N1): its driver cannot set them; try another adapter"},
    {"DeviceFailed", "COM3", OpenFailure::DeviceFailed, {}, {},
     "COM3 failed as it was set up (its driver reported a fault or did not answer): unplug the adapter, plug it in again "
     "and retry"},
};

class OpenFailureText : public ::testing::TestWithParam<Case> {};

TEST_P(OpenFailureText, SaysTheCauseAndTheRemedyInOneLine) {
    const Case& c = GetParam();
    EXPECT_EQ(composeOpenFailure(c.deviceName, c.failure, c.facts, c.ports), c.text);
}

INSTANTIATE_TEST_SUITE_P(Failures, OpenFailureText, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(DoctorVerdicts, BrlttyRulesClaimCh34xOnlyByTheirRuleLines) {
    EXPECT_TRUE(rulesClaimDevice("ENV{PRODUCT}==\"1a86/7523/*\", ENV{BRLTTY_BRAILLE_DRIVER}=\"bm\"", 0x1a86, 0x7523));
    EXPECT_TRUE(rulesClaimDevice("x\n  ATTRS{idVendor}==\"1A86\", ATTRS{idProduct}==\"5523\", RUN+=\"b\"", 0x1a86, 0x5523));
    EXPECT_FALSE(rulesClaimDevice("# ENV{PRODUCT}==\"1a86/7523/*\"", 0x1a86, 0x7523));
    EXPECT_FALSE(rulesClaimDevice("ENV{PRODUCT}==\"1a86/7522/*\"", 0x1a86, 0x7523));
    EXPECT_FALSE(rulesClaimDevice("ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"7522\" # 7523", 0x1a86, 0x7523));
}

TEST(DoctorVerdicts, BrlttyFailsOnlyForAnAdapterItTakes) {
    SystemFacts system;
    system.servicesChecked = true;
    const auto brltty = [&](const PortFacts& port) { return doctorLine(portChecks("COM11", port, system, {}).back()); };
    PortFacts ch340 = device("/dev/ttyUSB0");
    ch340.usbVendor = 0x1a86;
    ch340.usbProduct = 0x7523;
    EXPECT_EQ(brltty(ch340), "ok    brltty: no udev rule of brltty claims CH340/CH341 adapters");

    system.brlttyRules = {{"/usr/lib/udev/rules.d/85-brltty.rules", "ENV{PRODUCT}==\"1a86/7523/*\", GOTO=\"run\"\n"}};
    EXPECT_EQ(brltty(ch340), "fail  brltty: /usr/lib/udev/rules.d/85-brltty.rules claims CH340/CH341 adapters like this one "
                             "and takes them away: sudo apt remove brltty if you use no braille display, else mask the "
                             "rule: sudo ln -s /dev/null /etc/udev/rules.d/85-brltty.rules");
    EXPECT_EQ(brltty(device("/dev/ttyUSB0")),
              "ok    brltty: /usr/lib/udev/rules.d/85-brltty.rules claims CH340/CH341 adapters, but the port is none");
    // The port brltty took is gone, and the adapter is still plugged in.
    system.usbDevices = {0x1a867523};
    EXPECT_EQ(brltty(at("/dev/ttyUSB0")).substr(0, 12), "fail  brltty");
}

TEST(DoctorVerdicts, LatencyFromTheModeAndTheTimer) {
    PortFacts port = device("/dev/ttyUSB0");
    port.latencyTimerMs = 16;
    EXPECT_EQ(doctorLine(latencyCheck(port, LowLatencyState::Refused)),
              "warn  latency: the driver refused low-latency mode and holds each reply up to 16 ms; echo 1 | sudo tee "
              "/sys/class/tty/ttyUSB0/device/latency_timer");
    port.latencyTimerMs = 1;
    EXPECT_EQ(doctorLine(latencyCheck(port, LowLatencyState::Refused)), "ok    latency: low-latency mode refused, but the latency timer is 1 ms");
    port.latencyTimerMs = -1;
    EXPECT_EQ(doctorLine(latencyCheck(port, LowLatencyState::NotSupported)), "ok    latency: the device has no latency timer");
}

class Doctor : public ProgramTest {
protected:
    std::vector<std::string> verdicts(std::string_view deviceName) {
        KeyerLink link;
        std::vector<std::string> lines;
        for (const DoctorCheck& check : checkPortHealth(link, deviceName))
            lines.push_back(doctorLine(check).substr(0, 6) + check.text.substr(0, check.text.find(':')));
        EXPECT_FALSE(link.portOpen);
        return lines;
    }
    KeyerSimulator keyer;
};

TEST_F(Doctor, ChecksWhatTheSystemHasFactsForWithTheKeyerLast) {
    headless::attachKeyer(3, keyer);
    EXPECT_EQ(verdicts("COM3"), (std::vector<std::string>{"ok    port", "ok    keyer"}));

    PortFacts port = device("/dev/ttyUSB0");
    port.mayOpen = true;
    port.latencyTimerMs = 16;
    headless::setPortFacts("COM3", port);
    SystemFacts system;
    system.servicesChecked = true;
    system.modemManagerIds = {812};
    headless::setSystemFacts(system);
    headless::setLastOpenLowLatency(LowLatencyState::Refused);
    EXPECT_EQ(verdicts("COM3"), (std::vector<std::string>{"ok    port", "ok    access", "ok    holders", "warn  ModemManager",
                                                          "ok    brltty", "warn  latency", "ok    keyer"}));
}

}  // namespace
