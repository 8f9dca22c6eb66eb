#include <gtest/gtest.h>

#include <vector>

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "platform/headless/headless.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Transport : public ProgramTest {
protected:
    KeyerSimulator keyer;
    KeyerLink link;
    void setFaults(int port, void (*change)(headless::SerialPortFaults&)) {
        headless::SerialPortFaults f;
        change(f);
        headless::setSerialPortFaults(port, f);
    }
};

TEST_F(Transport, DeviceNamesUseTheDeviceNamespaceFromTen) {
    EXPECT_EQ(portDeviceName(1), "COM1");
    EXPECT_EQ(portDeviceName(9), "COM9");
    EXPECT_EQ(portDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(portDeviceName(50), "\\\\.\\COM50");
    headless::attachKeyer(9, keyer);
    headless::attachKeyer(10, keyer);
    EXPECT_EQ(openPort(link, portDeviceName(9)).code, PortOpened);
    closePort(link);
    EXPECT_EQ(openPort(link, portDeviceName(10)).code, PortOpened);
    EXPECT_EQ(headless::serialOpenNames(), (std::vector<std::string>{"COM9", "\\\\.\\COM10"}));
}

TEST_F(Transport, OpenAppliesTheKeyerLineAndTimeOuts) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    EXPECT_TRUE(link.portOpen);
    const SerialLineSettings s = *headless::serialLineSettings(3);
    EXPECT_EQ(s.baudRate, 1200u);
    EXPECT_EQ(s.byteSize, 8);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.stopBits, 0);
    EXPECT_TRUE(s.dtrEnable);
    EXPECT_FALSE(s.rtsEnable);
    EXPECT_FALSE(s.dsrSensitivity);
    EXPECT_FALSE(s.outX);
    EXPECT_FALSE(s.inX);
    EXPECT_FALSE(s.discardNull);
    const SerialTimeouts t = *headless::serialTimeouts(3);
    EXPECT_EQ(t.readIntervalMs, 0u);
    EXPECT_EQ(t.readTotalMultiplierMs, 0u);
    EXPECT_EQ(t.readTotalConstantMs, 4500u);
    EXPECT_EQ(t.writeTotalMultiplierMs, 0u);
    EXPECT_EQ(t.writeTotalConstantMs, 0u);
    EXPECT_EQ(headless::sleeps(), std::vector<int>{100});
    EXPECT_EQ(keyer.hostBaud(), 1200u);
}

TEST_F(Transport, BytesReceivedBeforeThePurgeNeverReachAReply) {
    headless::attachKeyer(3, keyer);
    keyer.setConnectNoise({0x13, 0xAA});
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_TRUE(writeBytes(link, echo));
    std::array<std::uint8_t, 1> reply{};
    EXPECT_TRUE(readBytes(link, reply));
    EXPECT_EQ(reply[0], 0x55);
}

struct OpenFailureCase {
    const char* name;
    void (*fault)(headless::SerialPortFaults&);
    int code;
    OpenFailure reason;
    bool leftOpen;
    std::vector<int> sleeps;  // the pause comes after the settings, before the purge
};

class OpenFailures : public Transport, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(OpenFailures, ReturnTheirCode) {
    headless::attachKeyer(4, keyer);
    setFaults(4, GetParam().fault);
    const PortOpenOutcome outcome = openPort(link, portDeviceName(4));
    EXPECT_EQ(outcome.code, GetParam().code);
    EXPECT_EQ(outcome.reason, GetParam().reason);
    EXPECT_EQ(link.portOpen, GetParam().leftOpen);
    EXPECT_EQ(headless::serialPortHeld(4), GetParam().leftOpen);
    EXPECT_EQ(headless::sleeps(), GetParam().sleeps);
    closePort(link);
    EXPECT_FALSE(link.portOpen);
    EXPECT_FALSE(headless::serialPortHeld(4));
}

INSTANTIATE_TEST_SUITE_P(
    Port, OpenFailures,
    ::testing::Values(
        OpenFailureCase{"Busy", [](headless::SerialPortFaults& f) { f.openStatus = SerialOpenStatus::Busy; }, -4,
                        OpenFailure::Busy, false, {}},
        OpenFailureCase{"Denied", [](headless::SerialPortFaults& f) { f.openStatus = SerialOpenStatus::AccessDenied; },
                        -4, OpenFailure::AccessDenied, false, {}},
        OpenFailureCase{"Faulty", [](headless::SerialPortFaults& f) { f.openStatus = SerialOpenStatus::DeviceFault; },
                        -4, OpenFailure::DeviceFailed, false, {}},
        OpenFailureCase{"GetState", [](headless::SerialPortFaults& f) { f.failGetSettings = true; }, -5,
                        OpenFailure::NotSerialDevice, true, {}},
        OpenFailureCase{"SetState", [](headless::SerialPortFaults& f) { f.failSetSettings = true; }, -6,
                        OpenFailure::SettingsRefused, true, {}},
        OpenFailureCase{"Purge", [](headless::SerialPortFaults& f) { f.failPurge = true; }, -10,
                        OpenFailure::DeviceFailed, true, {100}},
        OpenFailureCase{"TimeoutsIgnored", [](headless::SerialPortFaults& f) { f.failSetTimeouts = true; }, 0,
                        OpenFailure::None, true, {100}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Transport, APortThatDoesNotExistFailsToOpen) {
    const PortOpenOutcome outcome = openPort(link, portDeviceName(7));
    EXPECT_EQ(outcome.code, PortOpenFailed);
    EXPECT_EQ(outcome.reason, OpenFailure::NotFound);
    EXPECT_FALSE(link.portOpen);
}

TEST_F(Transport, APortHeldElsewhereFailsAndStaysClosed) {
    headless::attachKeyer(3, keyer);
    SerialDevice* other = nullptr;
    ASSERT_EQ(serialOpen("COM3", &other), SerialOpenStatus::Opened);
    const LinkCheck check = checkLink(link, portDeviceName(3));
    EXPECT_EQ(check.status, "JX Fail:comm open");
    EXPECT_EQ(check.openFailure, OpenFailure::Busy);
    EXPECT_FALSE(link.portOpen);
    serialClose(other);
}

TEST_F(Transport, ASilentKeyerEndsAReadAfterTheFourSecondWait) {
    headless::attachKeyer(3, keyer);
    keyer.setSilent(true);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    const std::int64_t before = headless::nowMs();
    std::array<std::uint8_t, 1> b{};
    EXPECT_FALSE(readBytes(link, b));
    EXPECT_EQ(headless::nowMs() - before, 4000);
}

TEST_F(Transport, AShortReplyIsFalse) {
    headless::attachKeyer(3, keyer);
    keyer.setReplyLength(0x1A, 11);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    const Bytes ask{0x00, 0x1A};
    writeBytes(link, ask);
    std::array<std::uint8_t, 12> b{};
    EXPECT_FALSE(readBytes(link, b));
}

TEST_F(Transport, AWriteThatOutlastsItsWaitIsFalseButNotCutShort) {
    headless::attachKeyer(3, keyer);
    setFaults(3, [](headless::SerialPortFaults& f) { f.stallWrites = true; });
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    Bytes image(288, 0x5A);
    const std::int64_t before = headless::nowMs();
    EXPECT_FALSE(writeBytes(link, image));
    EXPECT_EQ(headless::nowMs() - before, 2000);  // the write's wait
    EXPECT_EQ(keyer.bytesFromHost().size(), 288u);
}

TEST_F(Transport, DrainIsBoundedByTheLineTimeOfWhatWasWritten) {
    EXPECT_EQ(drainWaitMs(288, 1200), 2400 + DrainMarginMs);
    EXPECT_EQ(drainWaitMs(1, 1200), 9 + DrainMarginMs);  // 8.33 ms, rounded up
    EXPECT_EQ(drainWaitMs(288, 9600), 300 + DrainMarginMs);
    headless::attachKeyer(3, keyer);
    setFaults(3, [](headless::SerialPortFaults& f) { f.lineTimeOutput = true; });
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    const Bytes image(288, 0x5A);
    const std::int64_t before = headless::nowMs();
    EXPECT_TRUE(writeBytes(link, image));
    EXPECT_TRUE(drainOutput(link));
    EXPECT_EQ(headless::nowMs() - before, 2400);
    setFaults(3, [](headless::SerialPortFaults& f) { f.outputNeverDrains = true; });
    EXPECT_TRUE(writeBytes(link, image));
    EXPECT_FALSE(drainOutput(link));
    EXPECT_EQ(headless::nowMs() - before, 2400 + drainWaitMs(288, 1200));
}

TEST_F(Transport, TransfersWithoutAPortFail) {
    const Bytes b{1};
    std::array<std::uint8_t, 1> r{};
    EXPECT_FALSE(writeBytes(link, b));
    EXPECT_FALSE(readBytes(link, r));
    EXPECT_FALSE(setBaudRate(link, 9600));
    EXPECT_FALSE(drainOutput(link));
}

TEST_F(Transport, ClosingAClosedPortIsHarmless) {
    closePort(link);
    closePort(link);
    EXPECT_FALSE(link.portOpen);
}

TEST_F(Transport, SpeedChangeKeepsEveryOtherSetting) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    EXPECT_TRUE(setBaudRate(link, 9600));
    SerialLineSettings s = *headless::serialLineSettings(3);
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_TRUE(s.dtrEnable);
    EXPECT_FALSE(s.rtsEnable);
    EXPECT_EQ(s.byteSize, 8);
    EXPECT_EQ(keyer.hostBaud(), 9600u);
    setFaults(3, [](headless::SerialPortFaults& f) { f.refusedBaud = 1200; });
    EXPECT_FALSE(setBaudRate(link, 1200));
}

TEST_F(Transport, ReopeningTalksAt1200AgainAfterAFasterSpeed) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    ASSERT_TRUE(setBaudRate(link, 9600));
    closePort(link);
    ASSERT_EQ(openPort(link, portDeviceName(3)).code, PortOpened);
    const Bytes echo{0x00, 0x04, 0x55};
    writeBytes(link, echo);
    std::array<std::uint8_t, 1> r{};
    ASSERT_TRUE(readBytes(link, r));
    EXPECT_EQ(r[0], 0x55);
    EXPECT_EQ(keyer.wireLog().back().baud, 1200u);
}

}  // namespace
