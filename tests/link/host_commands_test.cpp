#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "core/link/host_commands.h"
#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"
#include "platform/headless/headless.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class HostCommands : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        keyer.identity().potValue = 17;
        keyer.identity().pushButtons = 255;
        keyer.identity().supplyReading = 52;
        std::iota(keyer.record().begin(), keyer.record().end(), std::uint8_t{100});
        headless::attachKeyer(2, keyer);
        ASSERT_EQ(openPort(link, portDeviceName(2)).code, PortOpened);
        keyer.clearWireLog();
    }
    void fillRecord(std::uint8_t value) { std::ranges::fill(recordBytes(record), value); }
    KeyerSimulator keyer;
    KeyerSettings record{};
    KeyerLink link;
};

struct QueryCase {
    const char* name;
    std::uint8_t (*query)(KeyerLink&);
    std::uint8_t code;
    std::uint8_t expected;
};

class OneByteQueries : public HostCommands, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(OneByteQueries, SendTwoBytesAndReturnTheReply) {
    EXPECT_EQ(GetParam().query(link), GetParam().expected);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, GetParam().code}}));
}

TEST_P(OneByteQueries, GiveZeroAfterTheWaitWhenNoReplyComes) {
    keyer.setSilent(true);
    const std::int64_t before = headless::nowMs();
    EXPECT_EQ(GetParam().query(link), 0);
    EXPECT_EQ(headless::nowMs() - before, 4000);
}

INSTANTIATE_TEST_SUITE_P(Keyer, OneByteQueries,
                         ::testing::Values(QueryCase{"PushButtons", readPushButtons, 0x05, 255},
                                           QueryCase{"PotValue", readPotValue, 0x06, 17},
                                           QueryCase{"SupplyVoltage", readSupplyVoltage, 0x15, 52},
                                           QueryCase{"IcType", readIcType, 0x18, 2}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(HostCommands, EchoTestSendsOneWriteOfThreeBytes) {
    std::uint8_t reply = 0;
    EXPECT_TRUE(echoTest(link, reply));
    EXPECT_EQ(reply, 0x55);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x04, 0x55}}));
}

TEST_F(HostCommands, EchoTestWithoutReplyLeavesTheByte) {
    keyer.setSilent(true);
    std::uint8_t reply = 0x77;
    EXPECT_FALSE(echoTest(link, reply));
    EXPECT_EQ(reply, 0x77);
}

TEST_F(HostCommands, VersionQueriesKeepThePreviousValueWithoutReply) {
    std::uint8_t major = 0, minor = 0;
    EXPECT_TRUE(readFirmwareMajor(link, major));
    EXPECT_TRUE(readFirmwareMinor(link, minor));
    EXPECT_EQ(major, 31);
    EXPECT_EQ(minor, 52);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x09}, {0x00, 0x17}}));
    keyer.setSilent(true);
    EXPECT_FALSE(readFirmwareMajor(link, major));
    EXPECT_EQ(major, 31);
}

TEST_F(HostCommands, DumpImageFillsTheMemoryImage) {
    fillRecord(0);
    EXPECT_TRUE(dumpImage(link, record));
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x0C}}));
    EXPECT_TRUE(std::equal(recordBytes(record).first<MemoryImageSize>().begin(), recordBytes(record).first<MemoryImageSize>().end(), keyer.record().begin()));
    for (std::uint8_t b : recordBytes(record).last<ExtensionBlockSize>()) EXPECT_EQ(b, 0);  // the extension block is not touched
}

TEST_F(HostCommands, AShortDumpKeepsTheBytesThatDidNotArrive) {
    fillRecord(0xEE);
    keyer.setReplyLength(0x0C, 200);
    EXPECT_FALSE(dumpImage(link, record));
    for (std::size_t k = 0; k < 200; ++k) EXPECT_EQ(recordBytes(record).first<MemoryImageSize>()[k], keyer.record()[k]) << k;
    for (std::size_t k = 200; k < 288; ++k) EXPECT_EQ(recordBytes(record).first<MemoryImageSize>()[k], 0xEE) << k;
}

TEST_F(HostCommands, LoadImageSends290BytesInTwoWrites) {
    std::iota(recordBytes(record).first<MemoryImageSize>().begin(), recordBytes(record).first<MemoryImageSize>().end(), std::uint8_t{3});
    EXPECT_TRUE(loadImage(link, record));
    const auto chunks = keyer.hostChunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0], (Bytes{0x00, 0x0D}));
    EXPECT_EQ(chunks[1], Bytes(recordBytes(record).first<MemoryImageSize>().begin(), recordBytes(record).first<MemoryImageSize>().end()));
    EXPECT_TRUE(std::equal(recordBytes(record).first<MemoryImageSize>().begin(), recordBytes(record).first<MemoryImageSize>().end(), keyer.record().begin()));
}

TEST_F(HostCommands, ReadExtensionBlockReplacesAllTwelveBytes) {
    fillRecord(0);
    EXPECT_TRUE(readExtensionBlock(link, record));
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x1A}}));
    EXPECT_TRUE(std::equal(recordBytes(record).last<ExtensionBlockSize>().begin(), recordBytes(record).last<ExtensionBlockSize>().end(), keyer.record().begin() + 288));
    for (std::uint8_t b : recordBytes(record).first<MemoryImageSize>()) EXPECT_EQ(b, 0);
}

TEST_F(HostCommands, AShortExtensionReadKeepsTheMissingBytes) {
    fillRecord(0xEE);
    keyer.setReplyLength(0x1A, 11);
    EXPECT_FALSE(readExtensionBlock(link, record));
    for (std::size_t k = 0; k < 11; ++k) EXPECT_EQ(recordBytes(record).last<ExtensionBlockSize>()[k], keyer.record()[288 + k]) << k;
    EXPECT_EQ(recordBytes(record).last<ExtensionBlockSize>()[11], 0xEE);
}

TEST_F(HostCommands, AMissingExtensionReplyLeavesTheBlockAsItWas) {
    fillRecord(0xEE);
    keyer.setSilent(true);
    EXPECT_FALSE(readExtensionBlock(link, record));
    for (std::uint8_t b : recordBytes(record).last<ExtensionBlockSize>()) EXPECT_EQ(b, 0xEE);  // never the command bytes 00 1A
}

TEST_F(HostCommands, WriteExtensionBlockSendsTheCommandThenTwelveBytes) {
    std::iota(recordBytes(record).last<ExtensionBlockSize>().begin(), recordBytes(record).last<ExtensionBlockSize>().end(), std::uint8_t{40});
    EXPECT_TRUE(writeExtensionBlock(link, record));
    const auto chunks = keyer.hostChunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0], (Bytes{0x00, 0x1B}));
    EXPECT_EQ(chunks[1], Bytes(recordBytes(record).last<ExtensionBlockSize>().begin(), recordBytes(record).last<ExtensionBlockSize>().end()));
    EXPECT_TRUE(std::equal(recordBytes(record).last<ExtensionBlockSize>().begin(), recordBytes(record).last<ExtensionBlockSize>().end(), keyer.record().begin() + 288));
}

TEST_F(HostCommands, StartFirmwareUpdateHandsOverToTheBootloader) {
    EXPECT_TRUE(startFirmwareUpdate(link));
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x10, 0x9B}}));
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
}

std::string volts(std::uint8_t reading) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", supplyVolts(reading));
    return text;
}

TEST(SupplyVolts, FromTheReading) {
    EXPECT_EQ(volts(52), "5.04");
    EXPECT_EQ(volts(50), "5.24");
    EXPECT_EQ(volts(255), "1.03");
    EXPECT_EQ(volts(1), "262.14");
    EXPECT_EQ(volts(0), "0.00");  // never a division by zero
}

}  // namespace
