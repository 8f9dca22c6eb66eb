// The link's wire trace on the virtual clock: every line's time, event and bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "core/link/wire_trace.h"
#include "platform/headless/headless.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

namespace {

using Lines = std::vector<std::string>;

class WireTraceTest : public ProgramTest {
protected:
    KeyerSimulator keyer;
    KeyerLink link;
    Lines lines;
    int reports = 0;
    bool writerFails = false;
    WireTrace trace{[this](std::string_view line) {
                        if (writerFails) return false;
                        lines.emplace_back(line);
                        return true;
                    },
                    [this](std::string_view) { ++reports; }};
    void SetUp() override {
        ProgramTest::SetUp();
        headless::attachKeyer(3, keyer);
        link.trace = &trace;
    }
};

TEST_F(WireTraceTest, ALinkCheckIsTracedEventByEventWithItsBytes) {
    ASSERT_GE(checkLink(link, "COM3").code, 0);
    closePort(link);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
              (Lines{"       0  open COM3", "       0  line 1200 8N1, DTR on, RTS off", "     100  purge",
                     "     100  host>keyer 1200: 00 04 55", "     100  keyer>host 1200: 55"}));
    EXPECT_EQ(lines.back(), "     100  close");
}

TEST_F(WireTraceTest, TimeOutsSpeedsAndDrainsAreEvents) {
    ASSERT_EQ(openPort(link, "COM3").code, PortOpened);
    keyer.setSilent(true);
    std::uint8_t reply[2] = {};
    EXPECT_FALSE(readBytes(link, reply));
    EXPECT_TRUE(setBaudRate(link, 9600));
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(writeBytes(link, bytes));
    EXPECT_TRUE(drainOutput(link));
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
              (Lines{"    4100  time-out: read 0 of 2 bytes in 4000 ms", "    4100  speed 9600",
                     "    4100  host>keyer 9600: 01 02 03", "    4100  drain: 3 bytes left the line"}));
    closePort(link);
    EXPECT_EQ(openPort(link, "COM4").reason, OpenFailure::NotFound);
    EXPECT_EQ(lines.back(), "    4100  open COM4 failed: not found");
}

TEST_F(WireTraceTest, ALostLineIsReportedOnceAndTheLinkGoesOn) {
    writerFails = true;
    EXPECT_EQ(checkLink(link, "COM3").status, "JX F/W revision 31.02");
    closePort(link);
    EXPECT_EQ(reports, 1);
    writerFails = false;
    EXPECT_TRUE(openPort(link, "COM3").code == PortOpened);
    EXPECT_TRUE(lines.empty()) << "a trace with a gap would lie about the wire";
}

}  // namespace
