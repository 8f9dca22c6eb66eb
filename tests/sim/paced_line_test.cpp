// The virtual keyer's line: bytes take their line time both ways, a reply
// leaves once its command has crossed, and nothing arrives early or twice.
#include <gtest/gtest.h>

#include <vector>

#include "sim/paced_line.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
std::int64_t lineUs(std::size_t bytes, std::uint32_t baud = 1200) { return KeyerSimulator::lineTimeUs(bytes, baud); }

TEST(PacedLine, AReplyLeavesWhenItsCommandHasCrossedAndTakesItsLineTime) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.hostWrite(Bytes{0x00, 0x0C}, 0);  // the memory dump: 288 bytes back
    EXPECT_EQ(line.hostOutputDoneUs(), lineUs(2));
    EXPECT_EQ(line.arrived(lineUs(2) - 1), 0u);  // the command is still crossing
    EXPECT_EQ(line.nextArrivalUs(0), line.hostOutputDoneUs());
    EXPECT_EQ(line.arrived(line.hostOutputDoneUs()), 0u);  // delivered; the first byte is on its way
    const std::int64_t last = line.arrivalOf(288);
    EXPECT_EQ(last - line.hostOutputDoneUs(), 288 * lineUs(1));
    EXPECT_EQ(line.arrivalOf(289), -1);
    EXPECT_EQ(line.arrived(last - 1), 287u);
    EXPECT_EQ(line.arrived(last), 288u);
    std::vector<std::uint8_t> dump(300);
    EXPECT_EQ(line.take(dump, last), 288u);
    EXPECT_EQ(line.arrived(last + 1'000'000), 0u);
}

TEST(PacedLine, WritesQueueBehindEachOtherAndTheEchoComesBack) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.hostWrite(Bytes{0x00}, 0);
    line.hostWrite(Bytes{0x04, 0x55}, 0);  // behind the first byte on the line
    EXPECT_EQ(line.hostOutputDoneUs(), lineUs(1) + lineUs(2));
    EXPECT_EQ(line.arrived(line.hostOutputDoneUs()), 0u);
    EXPECT_EQ(line.arrivalOf(1), line.hostOutputDoneUs() + lineUs(1));
    Bytes echo(1);
    EXPECT_EQ(line.take(echo, line.arrivalOf(1)), 1u);
    EXPECT_EQ(echo[0], 0x55);
}

TEST(PacedLine, APurgeDropsWhatArrivedAndKeepsWhatIsStillCrossing) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.hostWrite(Bytes{0x00, 0x0C}, 0);
    line.arrived(line.hostOutputDoneUs());
    const std::int64_t tenth = line.arrivalOf(10);
    line.dropArrived(tenth);
    EXPECT_EQ(line.arrived(tenth), 0u);
    EXPECT_EQ(line.arrived(line.arrivalOf(278)), 278u);
}

TEST(PacedLine, WithoutPacingEverythingArrivesAtOnce) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.setPacing(false);
    line.hostWrite(Bytes{0x00, 0x0C}, 500);
    EXPECT_EQ(line.hostOutputDoneUs(), 500);
    EXPECT_EQ(line.arrived(500), 288u);
}

TEST(PacedLine, BytesAtAnotherSpeedReachTheKeyerGarbled) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.setHostBaud(9600, 0);
    line.hostWrite(Bytes{0x00, 0x04, 0x55}, 0);
    line.setHostBaud(1200, 1);  // the bytes on the line keep the speed they left with
    const std::int64_t done = line.hostOutputDoneUs();
    EXPECT_EQ(line.arrived(done + 1'000'000), 0u);  // the keyer heard noise, not its echo test
    EXPECT_EQ(keyer.commands().size(), 0u);
}

}  // namespace

namespace {

TEST(PacedLine, ClosingThePortStillDeliversWhatHadCrossedAndDropsTheRest) {
    KeyerSimulator keyer;
    PacedKeyerLine line(keyer);
    line.hostWrite(Bytes{0x00, 0x04, 0x55}, 0);
    line.clear(line.hostOutputDoneUs());  // the echo test had crossed: the keyer acted on it
    EXPECT_EQ(keyer.commands(), std::vector<std::uint8_t>{0x04});
    EXPECT_EQ(line.arrived(1'000'000), 0u);  // its answer went with the line
    line.hostWrite(Bytes{0x00, 0x04, 0x55}, 2'000'000);
    line.clear(2'000'000);  // still crossing: lost
    EXPECT_EQ(keyer.commands().size(), 1u);
}

}  // namespace
