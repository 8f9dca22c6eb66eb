#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "sim/keyer_simulator.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ask(KeyerSimulator& keyer, const Bytes& bytes) {
    keyer.receive(bytes);
    return keyer.takeAllOutput();
}

KeyerSimulator withPatternRecord(SimulatedIdentity identity = {}) {
    KeyerSimulator keyer(identity);
    std::iota(keyer.record().begin(), keyer.record().end(), std::uint8_t{7});
    return keyer;
}

struct QueryCase {
    const char* name;
    std::uint8_t code;
    std::uint8_t expected;
};

class OneByteQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(OneByteQuery, AnswersWithOneByte) {
    SimulatedIdentity id;
    id.firmwareMajor = 31;
    id.firmwareMinorByte = 52;
    id.icType = 2;
    id.potValue = 17;
    id.pushButtons = 255;
    id.supplyReading = 50;
    KeyerSimulator keyer(id);
    EXPECT_EQ(ask(keyer, {0x00, GetParam().code}), Bytes{GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Keyer, OneByteQuery,
                         ::testing::Values(QueryCase{"PushButtons", 0x05, 255}, QueryCase{"PotValue", 0x06, 17},
                                           QueryCase{"FirmwareMajor", 0x09, 31}, QueryCase{"Supply", 0x15, 50},
                                           QueryCase{"FirmwareMinor", 0x17, 52}, QueryCase{"IcType", 0x18, 2}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(KeyerSimulator, EchoesTheParameter) {
    KeyerSimulator keyer;
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0x55});
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x12}), Bytes{0x12});
}

TEST(KeyerSimulator, StartsAsAFactoryFreshKeyer) {
    // Both user sets and extension blocks as "Reset to Defaults" writes them,
    // and an empty message memory: its end pointer at the first text byte.
    const Bytes userSet{0x00, 0x0F, 0x4E, 0x32, 0x00, 0x00, 0x05, 0x1E, 0x00, 0x00, 0x00, 0x32, 0x32, 0x07, 0x00, 0x0F};
    Bytes image = userSet;
    image.insert(image.end(), userSet.begin(), userSet.end());
    image.push_back(0x0F);
    image.resize(288, 0x00);
    KeyerSimulator keyer;
    EXPECT_EQ(ask(keyer, {0x00, 0x0C}), image);
    EXPECT_EQ(ask(keyer, {0x00, 0x1A}), (Bytes{0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00}));
}

TEST(KeyerSimulator, DumpsTheImageAndTheExtensionBlock) {
    KeyerSimulator keyer = withPatternRecord();
    const Bytes image = ask(keyer, {0x00, 0x0C});
    ASSERT_EQ(image.size(), 288u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), keyer.record().begin()));
    const Bytes ext = ask(keyer, {0x00, 0x1A});
    ASSERT_EQ(ext.size(), 12u);
    EXPECT_TRUE(std::equal(ext.begin(), ext.end(), keyer.record().begin() + 288));
}

TEST(KeyerSimulator, TakesTheImageAndTheExtensionBlockWithoutReply) {
    KeyerSimulator keyer;
    Bytes load{0x00, 0x0D};
    for (int k = 0; k < 288; ++k) load.push_back(static_cast<std::uint8_t>(k * 3));
    EXPECT_TRUE(ask(keyer, load).empty());
    Bytes ext{0x00, 0x1B};
    for (int k = 0; k < 12; ++k) ext.push_back(static_cast<std::uint8_t>(200 + k));
    EXPECT_TRUE(ask(keyer, ext).empty());
    for (int k = 0; k < 288; ++k) EXPECT_EQ(keyer.record()[k], static_cast<std::uint8_t>(k * 3)) << k;
    for (int k = 0; k < 12; ++k) EXPECT_EQ(keyer.record()[288 + k], 200 + k) << k;
    EXPECT_EQ(keyer.commands(), (Bytes{0x0D, 0x1B}));
}

TEST(KeyerSimulator, AnyChunkingGivesTheSameAnswers) {
    Bytes session{0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17, 0x00, 0x0C, 0x00, 0x1B};
    for (int k = 0; k < 12; ++k) session.push_back(static_cast<std::uint8_t>(k));
    session.insert(session.end(), {0x00, 0x1A});

    KeyerSimulator whole = withPatternRecord();
    const Bytes expected = ask(whole, session);
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 64u}) {
        KeyerSimulator keyer = withPatternRecord();
        Bytes got;
        for (std::size_t at = 0; at < session.size(); at += chunk) {
            const std::size_t n = std::min(chunk, session.size() - at);
            keyer.receive(std::span(session).subspan(at, n));
            const Bytes out = keyer.takeAllOutput();
            got.insert(got.end(), out.begin(), out.end());
        }
        EXPECT_EQ(got, expected) << "chunks of " << chunk;
        EXPECT_EQ(keyer.record(), whole.record()) << "chunks of " << chunk;
    }
    EXPECT_EQ(expected.size(), 1u + 1 + 1 + 288 + 12);
}

TEST(KeyerSimulator, IgnoresBytesOutsideCommandsAndUnknownCodes) {
    KeyerSimulator keyer;
    EXPECT_TRUE(ask(keyer, {0x55, 0x13, 0x00, 0x7F, 0x09}).empty());
    // A repeated prefix still starts a command.
    EXPECT_EQ(ask(keyer, {0x00, 0x00, 0x09}), Bytes{31});
}

TEST(KeyerSimulator, OldFirmwareDoesNotKnowTheVariantQuery) {
    SimulatedIdentity id;
    id.firmwareMajor = 30;
    id.firmwareMinorByte = 3;
    KeyerSimulator old(id);
    EXPECT_TRUE(ask(old, {0x00, 0x18}).empty());
    id.firmwareMinorByte = 4;
    KeyerSimulator newer(id);
    EXPECT_EQ(ask(newer, {0x00, 0x18}).size(), 1u);
}

TEST(KeyerSimulator, HandsOverToTheBootloader) {
    KeyerSimulator keyer;
    EXPECT_TRUE(ask(keyer, {0x00, 0x10, 0x12}).empty());  // a wrong key changes nothing
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Firmware);
    EXPECT_TRUE(ask(keyer, {0x00, 0x10, 0x9B}).empty());
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0xAA});
    EXPECT_TRUE(ask(keyer, {0x00, 0x09}).empty());
    keyer.startFirmware();
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0x55});
}

TEST(KeyerSimulator, WithoutFirmwareOnlyTheBootloaderAnswers) {
    SimulatedIdentity id;
    id.firmwarePresent = false;
    KeyerSimulator keyer(id);
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0xAA});
    keyer.startFirmware();
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
}

TEST(KeyerSimulator, BootloaderHandlerTakesEveryByte) {
    KeyerSimulator keyer;
    Bytes seen;
    keyer.setBootloaderHandler([&](KeyerSimulator& k, std::uint8_t b) {
        seen.push_back(b);
        if (b == 0x35) k.setKeyerBaud(9600);
        if (b == 0x5A) k.startFirmware();
        k.send(static_cast<std::uint8_t>(b + 1));
    });
    keyer.receive(Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55});
    EXPECT_EQ(seen, (Bytes{0x00, 0x04, 0x55}));
    EXPECT_EQ(keyer.takeAllOutput(), (Bytes{0x01, 0x05, 0x56}));
    keyer.receive(Bytes{0x35});
    EXPECT_EQ(keyer.keyerBaud(), 9600u);
    keyer.setHostBaud(9600);
    keyer.receive(Bytes{0x5A});
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Firmware);
    EXPECT_EQ(keyer.keyerBaud(), 1200u);  // the firmware talks at its own speed again
}

TEST(KeyerSimulator, BytesAtAnotherSpeedAreGarbledBothWays) {
    KeyerSimulator keyer;
    keyer.setHostBaud(9600);
    EXPECT_TRUE(ask(keyer, {0x00, 0x04, 0x55}).empty());  // the keyer cannot read them
    keyer.setHostBaud(1200);
    keyer.setKeyerBaud(9600);
    keyer.send(0x55);
    EXPECT_EQ(keyer.takeAllOutput(), Bytes{KeyerSimulator::garbled(0x55)});
    EXPECT_NE(KeyerSimulator::garbled(0x55), 0x55);
    for (int b = 0; b < 256; ++b) EXPECT_GE(KeyerSimulator::garbled(static_cast<std::uint8_t>(b)), 0xF0);
}

TEST(KeyerSimulator, SilentKeyerSaysNothing) {
    KeyerSimulator keyer;
    keyer.setSilent(true);
    EXPECT_TRUE(ask(keyer, {0x00, 0x04, 0x55, 0x00, 0x0C}).empty());
    keyer.setSilent(false);
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0x55});
}

TEST(KeyerSimulator, ShortReplyAndChosenByte) {
    KeyerSimulator keyer = withPatternRecord();
    keyer.setReplyLength(0x1A, 11);
    keyer.setQueryReply(0x04, 0x13);
    keyer.setQueryReply(0x06, 99);
    EXPECT_EQ(ask(keyer, {0x00, 0x1A}).size(), 11u);
    EXPECT_EQ(ask(keyer, {0x00, 0x04, 0x55}), Bytes{0x13});
    EXPECT_EQ(ask(keyer, {0x00, 0x06}), Bytes{99});
    EXPECT_EQ(ask(keyer, {0x00, 0x0C}).size(), 288u);
    keyer.clearFaults();
    EXPECT_EQ(ask(keyer, {0x00, 0x1A}).size(), 12u);
}

TEST(KeyerSimulator, HangUpFaultsPullTheCableInTheMiddleOfATransfer) {
    KeyerSimulator reply;
    reply.setHangUpInReply(0x0C, 100);
    EXPECT_EQ(ask(reply, {0x00, 0x0C}).size(), 100u);
    EXPECT_FALSE(reply.connected());
    EXPECT_TRUE(reply.hungUpByFault());

    KeyerSimulator block;
    block.setHangUpInBlock(0x1B, 6);
    const auto recordBefore = block.record();
    Bytes write{0x00, 0x1B};
    write.resize(14, 0x77);
    EXPECT_TRUE(ask(block, write).empty());
    EXPECT_EQ(block.record(), recordBefore);  // a block cut short is never stored
    EXPECT_TRUE(block.hungUpByFault());
    block.clearFaults();
    EXPECT_FALSE(block.hungUpByFault());
    EXPECT_EQ(ask(block, {0x00, 0x1A}).size(), 12u);
}

TEST(KeyerSimulator, DisconnectedKeyerNeitherHearsNorSpeaks) {
    KeyerSimulator keyer;
    keyer.disconnect();
    EXPECT_TRUE(ask(keyer, {0x00, 0x0D, 1, 2, 3}).empty());
    EXPECT_FALSE(keyer.connected());
    EXPECT_TRUE(keyer.wireLog().empty());
}

TEST(KeyerSimulator, ConnectNoiseComesWhenTheHostConnects) {
    KeyerSimulator keyer;
    keyer.setConnectNoise({0x13, 0x37});
    EXPECT_EQ(keyer.pendingOutput(), 0u);
    keyer.hostConnected();
    EXPECT_EQ(keyer.takeAllOutput(), (Bytes{0x13, 0x37}));
}

TEST(KeyerSimulator, WireLogRecordsBothWaysWithTimeAndSpeed) {
    KeyerSimulator keyer;
    std::int64_t clock = 40;
    keyer.setClock([&] { return clock; });
    keyer.receive(Bytes{0x00, 0x04});
    clock = 55;
    keyer.receive(Bytes{0x55});
    ASSERT_EQ(keyer.wireLog().size(), 3u);
    EXPECT_EQ(keyer.wireLog()[0].direction, WireDirection::HostToKeyer);
    EXPECT_EQ(keyer.wireLog()[0].timeMs, 40);
    EXPECT_EQ(keyer.wireLog()[0].baud, 1200u);
    EXPECT_EQ(keyer.wireLog()[2].direction, WireDirection::KeyerToHost);
    EXPECT_EQ(keyer.wireLog()[2].timeMs, 55);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x04}, {0x55}}));
    EXPECT_EQ(keyer.bytesFromHost(), (Bytes{0x00, 0x04, 0x55}));
    EXPECT_EQ(keyer.bytesToHost(), Bytes{0x55});
}

TEST(KeyerSimulator, LineTimeIsTenBitsAByte) {
    EXPECT_EQ(KeyerSimulator::lineTimeUs(288, 1200), 2'400'000);
    EXPECT_EQ(KeyerSimulator::lineTimeUs(1, 9600), 1041);
    EXPECT_EQ(KeyerSimulator::lineTimeUs(5, 0), 0);
}

TEST(KeyerSimulator, TakeOutputInPieces) {
    KeyerSimulator keyer = withPatternRecord();
    keyer.receive(Bytes{0x00, 0x1A});
    std::array<std::uint8_t, 5> first{};
    EXPECT_EQ(keyer.takeOutput(first), 5u);
    EXPECT_EQ(first[0], keyer.record()[288]);
    EXPECT_EQ(keyer.pendingOutput(), 7u);
    keyer.discardOutput();
    EXPECT_EQ(keyer.pendingOutput(), 0u);
}

}  // namespace
