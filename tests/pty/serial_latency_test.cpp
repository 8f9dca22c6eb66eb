#include "platform/posix/serial_latency.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#if defined(__linux__)
#include <sys/sysmacros.h>
#endif
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/serial.h"
#include "tests/pty/pty_fixture.h"

namespace {

struct ClassifyCase {
    bool read, accepted, readBack;
    LowLatency expected;
};
constexpr ClassifyCase classifyCases[] = {
    {false, false, false, LowLatency::NotSupported},
    {true, false, false, LowLatency::Refused},
    {true, true, false, LowLatency::Refused},  // accepted, yet the flag did not stay
    {true, true, true, LowLatency::On},
};

TEST(LowLatencyMode, OnlyAFlagReadBackCountsAsOn) {
    for (const ClassifyCase& c : classifyCases)
        EXPECT_EQ(classifyLowLatency(c.read, c.accepted, c.readBack), c.expected)
            << c.read << c.accepted << c.readBack;
}

TEST(LowLatencyMode, Texts) {
    EXPECT_EQ(lowLatencyText({LowLatency::On, 1}), "low latency: on (latency timer 1 ms)");
    EXPECT_EQ(lowLatencyText({LowLatency::Refused, 16}), "low latency: refused (latency timer 16 ms)");
    EXPECT_EQ(lowLatencyText({LowLatency::NotSupported, -1}), "low latency: not supported");
}

// A pseudo-terminal has no serial settings: the open must not claim the mode.
class LowLatencyOnPty : public PtyKeyerTest {};

TEST_F(LowLatencyOnPty, APseudoTerminalIsReportedNotSupported) {
    serve();
    noteLowLatency({LowLatency::On, 1});  // what a wrong report would leave standing
    SerialDevice* device = nullptr;
    ASSERT_EQ(serialOpen("COM7", &device), SerialOpenStatus::Opened);
    const LowLatencyReport report = lastLowLatency();
    serialClose(device);
    EXPECT_EQ(report.mode, LowLatency::NotSupported);
    EXPECT_EQ(report.latencyTimerMs, -1);
    EXPECT_EQ(lowLatencyText(report), "low latency: not supported");
}

TEST_F(LowLatencyOnPty, TheLatencyTimerIsReadFromTheDevicesSysfsFolder) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int fd = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    struct stat st{};
    ASSERT_EQ(::fstat(fd, &st), 0);
    const std::filesystem::path root = tempDir / "sys";
    EXPECT_EQ(latencyTimerMs(fd, root.string()), -1);  // no such file: no timer

    const std::filesystem::path device = root / "dev" / "char" /
                                         (std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev))) /
                                         "device";
    std::filesystem::create_directories(device);
    std::ofstream(device / "latency_timer") << "16\n";
    const LowLatencyReport report = requestLowLatencyMode(fd, root.string());
    ::close(fd);
    ::close(master);
    EXPECT_EQ(report.mode, LowLatency::NotSupported);
    EXPECT_EQ(report.latencyTimerMs, 16);
}

}  // namespace
