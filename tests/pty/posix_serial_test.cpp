#include "platform/posix/posix_serial.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <vector>

#include "core/link/port_listing.h"
#include "core/link/transport.h"
#include "platform/serial.h"
#include "tests/pty/pty_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class PosixSerial : public PtyKeyerTest {
protected:
    void TearDown() override {
        if (device) serialClose(device);
        setOutputQueueQuery({});
        PtyKeyerTest::TearDown();
    }
    SerialDevice* device = nullptr;
};

TEST(ComNames, ParseBothForms) {
    EXPECT_EQ(comNumberFromDeviceName("COM1"), 1);
    EXPECT_EQ(comNumberFromDeviceName("com9"), 9);
    EXPECT_EQ(comNumberFromDeviceName("\\\\.\\COM10"), 10);
    EXPECT_EQ(comNumberFromDeviceName("\\\\.\\COM50"), 50);
    EXPECT_EQ(comNumberFromDeviceName("COM"), 0);
    EXPECT_EQ(comNumberFromDeviceName("COM-3"), 0);
    EXPECT_EQ(comNumberFromDeviceName("LPT1"), 0);
    EXPECT_EQ(comNumberFromDeviceName("COM1x"), 0);
}

TEST_F(PosixSerial, TheMappingRuleReachesEveryKindOfPort) {
    struct Case {
        int port;
        const char* device;
    };
    for (const Case& c : {Case{1, "/dev/ttyS0"}, Case{10, "/dev/ttyS9"}, Case{11, "/dev/ttyUSB0"},
                          Case{30, "/dev/ttyUSB19"}, Case{31, "/dev/ttyACM0"}, Case{50, "/dev/ttyACM19"},
                          Case{51, ""}, Case{0, ""}, Case{-2, ""}})
        EXPECT_EQ(devicePathForPort(c.port), c.device) << c.port;
}

TEST_F(PosixSerial, TheOverrideFolderComesFirst) {
    EXPECT_EQ(portOverrideFolder(), (tempDir / "keyer-tools" / "ports").string());
    std::filesystem::create_symlink("/dev/null", portsDir / "com11");
    std::filesystem::create_symlink("/dev/null", portsDir / "com60");
    EXPECT_EQ(devicePathForPort(11), (portsDir / "com11").string());
    EXPECT_EQ(devicePathForPort(60), (portsDir / "com60").string());
    EXPECT_EQ(devicePathForPort(12), "/dev/ttyUSB1");
    // Without XDG_CONFIG_HOME the folder is under the home directory.
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(portOverrideFolder(), std::string(home) + "/.config/keyer-tools/ports");
    }
}

TEST_F(PosixSerial, ADeviceThatIsNoTerminalIsNoSerialPort) {
    const PortOpenOutcome outcome = openPort(link, "/dev/null");
    EXPECT_EQ(outcome.code, PortGetStateFailed);
    EXPECT_EQ(outcome.reason, OpenFailure::NotSerialDevice);
    closePort(link);
}

TEST_F(PosixSerial, OpensTheTerminalRawAt1200WithTheKeyerLine) {
    serve();
    // Held open from before, as no one may open it after the program (root
    // aside); through it the terminal starts as another program might leave
    // it: hardware flow control, parity, a cooked line.  A pseudo-terminal
    // keeps all of these.
    const int fd = ::open(server->devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE | CLOCAL | CREAD)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= IXON | IXOFF | ICRNL;
    t.c_oflag |= OPOST;
    cfsetospeed(&t, B9600);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ASSERT_NE(t.c_cflag & CRTSCTS, 0u);

    ASSERT_EQ(openPort(link, portDeviceName(Port)).code, PortOpened);
    // The terminal as the program left it.
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&t), B1200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << "hardware flow control would stall the line";
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    // Without CLOCAL an adapter's carrier line can hang the port up; without CREAD nothing is received.
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(PosixSerial, EchoesAcrossTheTerminal) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    const Bytes echo{0x00, 0x04, 0x55};
    EXPECT_EQ(serialWrite(device, echo, 2000), 3u);
    std::array<std::uint8_t, 1> reply{};
    EXPECT_EQ(serialRead(device, reply, 4000), 1u);
    EXPECT_EQ(reply[0], 0x55);
}

TEST_F(PosixSerial, ASecondOpenIsBusyUntilTheFirstCloses) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    SerialDevice* second = nullptr;
    EXPECT_EQ(serialOpen("COM7", &second), SerialOpenStatus::Busy);
    EXPECT_EQ(second, nullptr);
    // The probe lists a busy port all the same (root's probe even opens it).
    EXPECT_TRUE(portExists(serialProbe("COM7")));
    serialClose(device);
    device = nullptr;
    EXPECT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
}

TEST_F(PosixSerial, AbsentPortsAreNotFound) {
    EXPECT_EQ(serialOpen("COM49", &device), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe("COM49"), SerialOpenStatus::NotFound);
    EXPECT_EQ(serialProbe("LPT1"), SerialOpenStatus::NotFound);
    std::filesystem::create_symlink("/nonexistent/device", portsDir / "com8");
    EXPECT_EQ(serialProbe("COM8"), SerialOpenStatus::NotFound);
}

TEST_F(PosixSerial, AShortReadEndsAtItsWaitWithTheBytesThatCame) {
    serve();
    server->withKeyer([](KeyerSimulator& k) { k.setReplyLength(0x1A, 5); });
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    SerialLineSettings s;
    ASSERT_TRUE(serialGetSettings(device, s));
    s.baudRate = 1200;
    ASSERT_TRUE(serialSetSettings(device, s));
    const Bytes ask{0x00, 0x1A};
    serialWrite(device, ask, 2000);
    std::array<std::uint8_t, 12> reply{};
    reply.fill(0xEE);
    EXPECT_EQ(serialRead(device, reply, 150), 5u);
    EXPECT_EQ(reply[5], 0xEE);
}

TEST_F(PosixSerial, TheReadTimeOutEndsAReadBeforeALongerWait) {
    serve();
    server->withKeyer([](KeyerSimulator& k) { k.setSilent(true); });
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    SerialTimeouts t;
    t.readTotalConstantMs = 30;
    serialSetTimeouts(device, t);
    const auto start = std::chrono::steady_clock::now();
    std::array<std::uint8_t, 1> b{};
    EXPECT_EQ(serialRead(device, b, 60'000), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // no hang
}

TEST_F(PosixSerial, PurgeDropsWhatArrivedBefore) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    const Bytes noise{0x13, 0x37};
    server->sendNoise(noise);
    ::usleep(20'000);
    EXPECT_TRUE(serialPurgeReceive(device));
    std::array<std::uint8_t, 1> b{};
    EXPECT_EQ(serialRead(device, b, 50), 0u);
}

TEST_F(PosixSerial, AHungUpLineEndsTransfersAtOnce) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    server->hangUp();
    const auto start = std::chrono::steady_clock::now();
    std::array<std::uint8_t, 1> b{};
    EXPECT_EQ(serialRead(device, b, 60'000), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(PosixSerial, DrainEndsAtOnceOnATerminalAndFailsOnAHungUpLine) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    const Bytes image(288, 0x5A);
    ASSERT_EQ(serialWrite(device, image, 2000), 288u);
    // A pseudo-terminal passes bytes on as they are written: nothing queued.
    EXPECT_TRUE(serialDrain(device, 60'000));
    server->hangUp();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(serialDrain(device, 60'000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // no hang
}

// A pseudo-terminal's output queue empties as soon as the keyer's end reads:
// here the drain is told what a slow or stopped line's queue would hold.
TEST_F(PosixSerial, DrainWaitsForTheQueueAndFailsAtItsDeadlineWhileBytesRemain) {
    serve();
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    int queries = 0;
    setOutputQueueQuery([&](int, int& queued) {
        queued = ++queries < 4 ? 32 : 0;
        return 0;
    });
    EXPECT_TRUE(serialDrain(device, 60'000));
    EXPECT_EQ(queries, 4);

    queries = 0;
    setOutputQueueQuery([&](int, int& queued) {
        queued = 32;
        ++queries;
        return 0;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(serialDrain(device, 100));
    // The drain's clock counts whole milliseconds.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(99)) << "gave up early";
    EXPECT_GT(queries, 1);
    setOutputQueueQuery({});
    EXPECT_TRUE(serialDrain(device, 100));
}

TEST_F(PosixSerial, SpeedChangeReachesTheKeyer) {
    serve();
    ASSERT_EQ(openPort(link, portDeviceName(Port)).code, PortOpened);
    ASSERT_TRUE(setBaudRate(link, 9600));
    const Bytes echo{0x00, 0x04, 0x55};
    writeBytes(link, echo);
    ASSERT_TRUE(server->waitForBytesFromHost(3, 2000));
    EXPECT_EQ(onKeyer([](KeyerSimulator& k) { return k.hostBaud(); }), 9600u);
    EXPECT_FALSE(setBaudRate(link, 12345));  // a speed the line cannot run
}

}  // namespace
