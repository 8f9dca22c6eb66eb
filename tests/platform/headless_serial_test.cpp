#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/serial.h"
#include "platform/threads.h"
#include "sim/keyer_simulator.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class HeadlessSerial : public ::testing::Test {
protected:
    void SetUp() override { headless::reset(); }
    void TearDown() override {
        if (device) serialClose(device);
        headless::reset();
    }
    SerialDevice* device = nullptr;
    KeyerSimulator keyer;
};

TEST_F(HeadlessSerial, OpensAttachedPortsByEitherName) {
    headless::attachKeyer(3, keyer);
    headless::attachKeyer(12, keyer);
    EXPECT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    serialClose(device);
    EXPECT_EQ(serialOpen("\\\\.\\COM12", &device), SerialOpenStatus::Opened);
    serialClose(device);
    device = nullptr;
    EXPECT_EQ(serialOpen("COM4", &device), SerialOpenStatus::NotFound);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(headless::serialOpenNames(), (std::vector<std::string>{"COM3", "\\\\.\\COM12", "COM4"}));
}

TEST_F(HeadlessSerial, ASecondOpenFindsThePortBusy) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    EXPECT_TRUE(headless::serialPortHeld(3));
    SerialDevice* second = nullptr;
    EXPECT_EQ(serialOpen("COM3", &second), SerialOpenStatus::Busy);
    EXPECT_EQ(headless::serialPortStatus("COM3"), SerialOpenStatus::Busy);
    serialClose(device);
    device = nullptr;
    EXPECT_FALSE(headless::serialPortHeld(3));
    EXPECT_EQ(headless::serialPortStatus("COM3"), SerialOpenStatus::Opened);
}

TEST_F(HeadlessSerial, InjectedOpenFailure) {
    headless::addSerialPort(5);
    headless::SerialPortFaults faults;
    faults.openStatus = SerialOpenStatus::AccessDenied;
    headless::setSerialPortFaults(5, faults);
    EXPECT_EQ(serialOpen("COM5", &device), SerialOpenStatus::AccessDenied);
    EXPECT_EQ(headless::serialPortStatus("COM5"), SerialOpenStatus::AccessDenied);
}

TEST_F(HeadlessSerial, WritesReachTheKeyerAndRepliesComeBack) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, echo, 2000), 3u);
    std::array<std::uint8_t, 1> reply{};
    EXPECT_EQ(serialRead(device, reply, 4000), 1u);
    EXPECT_EQ(reply[0], 0x55);
    EXPECT_EQ(headless::nowMs(), 0);  // nothing waited
}

TEST_F(HeadlessSerial, AShortReadWaitsOnTheVirtualClockOnly) {
    headless::attachKeyer(3, keyer);
    keyer.setReplyLength(0x1A, 5);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    const Bytes ask{0x00, 0x1A};
    serialWrite(device, ask, 2000);
    std::array<std::uint8_t, 12> reply{};
    reply.fill(0xEE);
    EXPECT_EQ(serialRead(device, reply, 4000), 5u);
    EXPECT_EQ(headless::nowMs(), 4000);
    for (std::size_t k = 5; k < 12; ++k) EXPECT_EQ(reply[k], 0xEE) << "untouched " << k;

    // The port's total time-out ends a read before a longer wait does.
    SerialTimeouts t;
    t.readTotalConstantMs = 300;
    t.readTotalMultiplierMs = 10;
    serialSetTimeouts(device, t);
    std::array<std::uint8_t, 2> two{};
    EXPECT_EQ(serialRead(device, two, 4000), 0u);
    EXPECT_EQ(headless::nowMs(), 4320);
}

TEST_F(HeadlessSerial, AWorkerThreadDoesNotMoveTheClock) {
    headless::attachKeyer(3, keyer);
    keyer.setSilent(true);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    std::size_t got = 99;
    std::thread worker([&] {
        std::array<std::uint8_t, 1> b{};
        got = serialRead(device, b, 4000);
    });
    worker.join();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(headless::nowMs(), 0);
}

TEST_F(HeadlessSerial, TransfersFromTwoThreadsStayWhole) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    auto hammer = [&] {
        for (int k = 0; k < 500; ++k) {
            const Bytes b{0x00, 0x1B, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
            serialWrite(device, b, 2000);
        }
    };
    std::thread a(hammer), b(hammer);
    a.join();
    b.join();
    EXPECT_EQ(keyer.commands().size(), 1000u);
    EXPECT_EQ(keyer.hostChunks().size(), 1000u);
}

TEST_F(HeadlessSerial, SettingsReachTheKeyerAndPurgeDropsItsBytes) {
    headless::attachKeyer(3, keyer);
    keyer.setConnectNoise({0x13});
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    SerialLineSettings s;
    ASSERT_TRUE(serialGetSettings(device, s));
    EXPECT_EQ(s.baudRate, 9600u);  // what a fresh port reports
    s.baudRate = 1200;
    s.dtrEnable = true;
    ASSERT_TRUE(serialSetSettings(device, s));
    EXPECT_EQ(keyer.hostBaud(), 1200u);
    EXPECT_EQ(keyer.pendingOutput(), 1u);  // DTR woke the keyer up
    EXPECT_TRUE(serialPurgeReceive(device));
    EXPECT_EQ(keyer.pendingOutput(), 0u);
    EXPECT_EQ(headless::serialLineSettings(3)->baudRate, 1200u);
}

TEST_F(HeadlessSerial, FaultsOfTheDevice) {
    headless::attachKeyer(3, keyer);
    headless::SerialPortFaults faults;
    faults.failGetSettings = true;
    faults.failPurge = true;
    faults.refusedBaud = 9600;
    faults.stallWrites = true;
    headless::setSerialPortFaults(3, faults);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    SerialLineSettings s;
    EXPECT_FALSE(serialGetSettings(device, s));
    EXPECT_FALSE(serialPurgeReceive(device));
    s.baudRate = 9600;
    EXPECT_FALSE(serialSetSettings(device, s));
    s.baudRate = 1200;
    EXPECT_TRUE(serialSetSettings(device, s));
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, echo, 2000), 0u);
    EXPECT_EQ(headless::nowMs(), 2000);
    EXPECT_EQ(keyer.bytesFromHost(), echo);  // the stalled write still went out
}

TEST_F(HeadlessSerial, AGoneKeyerFailsTransfersAtOnce) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    keyer.disconnect();
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, echo, 2000), 0u);
    std::array<std::uint8_t, 1> b{};
    EXPECT_EQ(serialRead(device, b, 4000), 0u);
}

TEST_F(HeadlessSerial, DrainWaitsForTheLineTimeOfWhatIsQueued) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    const Bytes image(288, 0x5A);
    EXPECT_EQ(serialWrite(device, image, 2000), 288u);
    EXPECT_TRUE(serialDrain(device, 1));  // a device without line time: gone at once
    EXPECT_EQ(headless::nowMs(), 0);

    headless::setSerialPortFaults(3, {.lineTimeOutput = true});
    SerialLineSettings s;
    s.baudRate = 1200;
    ASSERT_TRUE(serialSetSettings(device, s));
    EXPECT_EQ(serialWrite(device, image, 2000), 288u);  // queued at once
    EXPECT_EQ(headless::nowMs(), 0);
    EXPECT_FALSE(serialDrain(device, 1000));  // 2400 ms on the line
    EXPECT_EQ(headless::nowMs(), 1000);
    EXPECT_TRUE(serialDrain(device, 5000));
    EXPECT_EQ(headless::nowMs(), 2400);

    headless::setSerialPortFaults(3, {.outputNeverDrains = true});
    EXPECT_FALSE(serialDrain(device, 700));
    EXPECT_EQ(headless::nowMs(), 3100);
    keyer.disconnect();
    EXPECT_FALSE(serialDrain(device, 700));
    EXPECT_EQ(headless::nowMs(), 3100);  // a gone device fails at once
}

TEST_F(HeadlessSerial, BytesSentBeforeTheCableWentStillArrive) {
    headless::attachKeyer(3, keyer);
    keyer.setHangUpInReply(0x0C, 100);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    const Bytes dump{0x00, 0x0C};
    EXPECT_EQ(serialWrite(device, dump, 2000), 2u);
    std::array<std::uint8_t, 288> b{};
    EXPECT_EQ(serialRead(device, b, 4000), 100u);
    EXPECT_EQ(headless::nowMs(), 0);  // no wait for bytes that cannot come
    EXPECT_EQ(serialWrite(device, dump, 2000), 0u);
}

TEST_F(HeadlessSerial, AnEmptyPortTakesWritesAndNeverAnswers) {
    headless::addSerialPort(2);
    ASSERT_EQ(serialOpen("COM2", &device), SerialOpenStatus::Opened);
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, echo, 2000), 3u);
    std::array<std::uint8_t, 1> b{};
    EXPECT_EQ(serialRead(device, b, 4000), 0u);
}

TEST_F(HeadlessSerial, TheProbeFindsAttachedPortsUnlessToldOtherwise) {
    headless::attachKeyer(5, keyer);
    EXPECT_EQ(serialProbe("COM5"), SerialOpenStatus::Opened);
    ASSERT_EQ(serialOpen("COM5", &device), SerialOpenStatus::Opened);
    EXPECT_EQ(serialProbe("COM5"), SerialOpenStatus::Busy);  // still listed
    EXPECT_EQ(serialProbe("COM6"), SerialOpenStatus::NotFound);
    headless::setPortProbe(5, SerialOpenStatus::DeviceFault);
    EXPECT_EQ(serialProbe("COM5"), SerialOpenStatus::DeviceFault);
}

TEST_F(HeadlessSerial, ResetForgetsPortsButLeavesOpenDevicesSafe) {
    headless::attachKeyer(3, keyer);
    ASSERT_EQ(serialOpen("COM3", &device), SerialOpenStatus::Opened);
    headless::reset();
    EXPECT_EQ(headless::serialPortStatus("COM3"), SerialOpenStatus::NotFound);
    const Bytes echo{0x00, 0x04, 0x55};
    serialWrite(device, echo, 2000);  // reaches no keyer any more
    EXPECT_TRUE(keyer.wireLog().empty());
    headless::removeSerialPort(3);
}

}  // namespace
