// The simulated keyer's bootloader on its own: sync, line speed, record
// frames, program memory, injected faults, restart and identity.
#include <gtest/gtest.h>

#include <ostream>

#include <vector>

#include "sim/bootloader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::Bootloader;
using sim::FrameFault;

Bytes frameFor(std::uint8_t command, std::uint16_t wordAddress, const std::array<std::uint16_t, 8>& words) {
    Bytes f{command, static_cast<std::uint8_t>(wordAddress >> 8), static_cast<std::uint8_t>(wordAddress & 0xFF)};
    for (std::uint16_t w : words) {
        f.push_back(static_cast<std::uint8_t>(w & 0xFF));
        f.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    unsigned sum = 0;
    for (std::uint8_t b : f) sum += b;
    f.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    return f;
}

constexpr std::array<std::uint16_t, 8> SomeWords{0x0101, 0x0202, 0x0303, 0x1234, 0x2FED, 0x0000, 0x3FFF, 0x0A0B};

class BootloaderTest : public ::testing::Test {
protected:
    Bytes send(const Bytes& bytes, std::uint32_t baud) { return boot.receive(bytes, baud); }
    // Started, synchronised and at 9600 baud, as the host leaves it before the first frame.
    void readyForFrames() {
        boot.start();
        ASSERT_EQ(send({0x00, 0x04, 0x55}, 1200), Bytes{0xAA});
        ASSERT_TRUE(send({0x35}, 1200).empty());
        ASSERT_EQ(boot.lineSpeed(), 9600u);
    }
    Bootloader boot;
};

TEST_F(BootloaderTest, SilentUntilStarted) {
    EXPECT_FALSE(boot.running());
    EXPECT_TRUE(send({0x00, 0x04, 0x55}, 1200).empty());
}

TEST_F(BootloaderTest, AnswersTheSyncRequestWith0xAA) {
    boot.start();
    EXPECT_TRUE(boot.running());
    EXPECT_EQ(boot.lineSpeed(), 1200u);
    EXPECT_EQ(send({0x00, 0x04, 0x55}, 1200), Bytes{0xAA});
    EXPECT_EQ(send({0x00, 0x04, 0x55}, 1200), Bytes{0xAA}) << "as often as asked";
    EXPECT_TRUE(send({0x00, 0x09}, 1200).empty()) << "firmware commands mean nothing here";
}

TEST_F(BootloaderTest, SyncRequestSplitOverWrites) {
    boot.start();
    EXPECT_TRUE(send({0x00}, 1200).empty());
    EXPECT_TRUE(send({0x04}, 1200).empty());
    EXPECT_EQ(send({0x55}, 1200), Bytes{0xAA});
}

TEST_F(BootloaderTest, HandOverCommandFollowedBySyncIsAnsweredOnce) {
    boot.start();
    EXPECT_EQ(send({0x00, 0x10, 0x9B, 0x00, 0x04, 0x55}, 1200), Bytes{0xAA});
}

TEST_F(BootloaderTest, SpeedUpOnlyAfterSync) {
    boot.start();
    send({0x35}, 1200);
    EXPECT_EQ(boot.lineSpeed(), 1200u);
    send({0x00, 0x04, 0x55, 0x35}, 1200);
    EXPECT_EQ(boot.lineSpeed(), 9600u);
}

TEST_F(BootloaderTest, BytesAtTheWrongSpeedAreLost) {
    boot.start();
    EXPECT_TRUE(send({0x00, 0x04, 0x55}, 9600).empty());
    readyForFrames();
    EXPECT_TRUE(send(frameFor(0x1B, 0x0020, SomeWords), 1200).empty());
    EXPECT_EQ(boot.word(0x0020), 0x3FFF);
}

TEST_F(BootloaderTest, StoresAnAcceptedFrameLowByteFirst) {
    readyForFrames();
    EXPECT_EQ(send(frameFor(0x1B, 0x0020, SomeWords), 9600), Bytes{0x3C});
    for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(boot.word(0x0020 + k), SomeWords[k]) << k;
    EXPECT_EQ(boot.word(0x001F), 0x3FFF);
    EXPECT_EQ(boot.word(0x0028), 0x3FFF);
    ASSERT_EQ(boot.frames().size(), 1u);
    EXPECT_EQ(boot.frames()[0].command, 0x1B);
    EXPECT_EQ(boot.frames()[0].wordAddress, 0x0020);
    EXPECT_EQ(boot.frames()[0].reply, 0x3C);
}

TEST_F(BootloaderTest, FrameSplitOverWrites) {
    readyForFrames();
    const Bytes f = frameFor(0x1B, 0x0100, SomeWords);
    EXPECT_TRUE(send(Bytes(f.begin(), f.begin() + 7), 9600).empty());
    EXPECT_EQ(send(Bytes(f.begin() + 7, f.end()), 9600), Bytes{0x3C});
    EXPECT_EQ(boot.word(0x0103), 0x1234);
}

TEST_F(BootloaderTest, BadSumIsRefusedWith0x81AndNotStored) {
    readyForFrames();
    Bytes f = frameFor(0x1B, 0x0020, SomeWords);
    f[19] = static_cast<std::uint8_t>(f[19] + 1);
    EXPECT_EQ(send(f, 9600), Bytes{0x81});
    EXPECT_EQ(boot.word(0x0020), 0x3FFF);
    EXPECT_EQ(send(frameFor(0x1B, 0x0020, SomeWords), 9600), Bytes{0x3C}) << "the next frame is taken";
}

TEST_F(BootloaderTest, UnknownStartOfFrameIsRefusedWith0x80) {
    readyForFrames();
    EXPECT_EQ(send({0x00}, 9600), Bytes{0x80});
    EXPECT_EQ(send(frameFor(0x2E, 0x0018, SomeWords), 9600), Bytes{0x3C});
}

TEST_F(BootloaderTest, FrameBeyondTheFlashFailsItsVerify) {
    readyForFrames();
    EXPECT_EQ(send(frameFor(0x1B, 0x1FF9, SomeWords), 9600), Bytes{0x82});
    EXPECT_EQ(send(frameFor(0x1B, 0x1FF8, SomeWords), 9600), Bytes{0x3C});
    EXPECT_EQ(boot.word(0x1FFF), 0x0A0B);
}

class BootloaderInjectedReply : public BootloaderTest, public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(BootloaderInjectedReply, ReplacesTheAnswerOfThatFrameOnly) {
    readyForFrames();
    boot.injectFrameFault(2, FrameFault::replyWith(GetParam()));
    EXPECT_EQ(send(frameFor(0x1B, 0x0000, SomeWords), 9600), Bytes{0x3C});
    EXPECT_EQ(send(frameFor(0x1B, 0x0008, SomeWords), 9600), Bytes{0x3C});
    EXPECT_EQ(send(frameFor(0x1B, 0x0010, SomeWords), 9600), Bytes{GetParam()});
    EXPECT_EQ(boot.word(0x0010), 0x3FFF) << "a refused frame is not stored";
    EXPECT_EQ(send(frameFor(0x1B, 0x0010, SomeWords), 9600), Bytes{0x3C});
}

INSTANTIATE_TEST_SUITE_P(Replies, BootloaderInjectedReply,
                         ::testing::Values(std::uint8_t{0x80}, std::uint8_t{0x81}, std::uint8_t{0x82},
                                           std::uint8_t{0x89}, std::uint8_t{0x00}));

TEST_F(BootloaderTest, InjectedSilence) {
    readyForFrames();
    boot.injectFrameFault(0, FrameFault::silence());
    EXPECT_TRUE(send(frameFor(0x1B, 0x0020, SomeWords), 9600).empty());
    EXPECT_EQ(boot.word(0x0020), 0x3FFF);
    EXPECT_FALSE(boot.frames()[0].reply.has_value());
    EXPECT_EQ(send(frameFor(0x1B, 0x0020, SomeWords), 9600), Bytes{0x3C});
}

TEST_F(BootloaderTest, InjectedDisconnect) {
    readyForFrames();
    boot.injectFrameFault(1, FrameFault::disconnect());
    EXPECT_EQ(send(frameFor(0x1B, 0x0020, SomeWords), 9600), Bytes{0x3C});
    EXPECT_FALSE(boot.disconnected());
    EXPECT_TRUE(send(frameFor(0x1B, 0x0028, SomeWords), 9600).empty());
    EXPECT_TRUE(boot.disconnected());
    EXPECT_TRUE(send(frameFor(0x1B, 0x0030, SomeWords), 9600).empty());
    EXPECT_TRUE(send({0x5A}, 9600).empty());
    EXPECT_TRUE(boot.running()) << "a keyer off the line does not restart";
}

struct StepFault {
    const char* name;
    FrameFault fault;
    Bytes answer;       // to the sync request
    bool disconnected;  // off the line
};

class BootloaderSyncAndRestartFault : public BootloaderTest, public ::testing::WithParamInterface<StepFault> {};

TEST_P(BootloaderSyncAndRestartFault, ReplacesTheSyncOnceAndStopsTheRestart) {
    const StepFault& f = GetParam();
    boot.start();
    boot.injectSyncFault(f.fault);
    EXPECT_EQ(send({0x00, 0x04, 0x55}, 1200), f.answer);
    EXPECT_EQ(boot.disconnected(), f.disconnected);
    if (f.disconnected) return;
    send({0x35}, 1200);
    EXPECT_EQ(boot.lineSpeed(), 1200u) << "not synchronised: no speed-up";

    readyForFrames();  // the fault was used up
    send(frameFor(0x2E, 0x0000, SomeWords), 9600);
    boot.injectRestartFault(f.fault);
    send({0x5A}, 9600);
    EXPECT_EQ(boot.restarts(), 0);
    EXPECT_TRUE(boot.running());
    EXPECT_EQ(boot.lineSpeed(), 9600u);
}

INSTANTIATE_TEST_SUITE_P(Faults, BootloaderSyncAndRestartFault,
                         ::testing::Values(StepFault{"Reply", FrameFault::replyWith(0x55), Bytes{0x55}, false},
                                           StepFault{"Silence", FrameFault::silence(), Bytes{}, false},
                                           StepFault{"Disconnect", FrameFault::disconnect(), Bytes{}, true}),
                         [](const ::testing::TestParamInfo<StepFault>& i) { return i.param.name; });

TEST_F(BootloaderTest, FramesAreNumberedFromEachStart) {
    readyForFrames();
    boot.injectFrameFault(0, FrameFault::replyWith(0x89));
    readyForFrames();  // started again before any frame
    EXPECT_EQ(send(frameFor(0x1B, 0x0020, SomeWords), 9600), Bytes{0x89});
}

TEST_F(BootloaderTest, FirmwareIsIncompleteFromTheFirstRecordToTheLast) {
    EXPECT_TRUE(boot.firmwareValid());
    readyForFrames();
    send(frameFor(0x1B, 0x0020, SomeWords), 9600);
    EXPECT_FALSE(boot.firmwareValid());
    EXPECT_FALSE(boot.programmed());
    send(frameFor(0x2E, 0x0018, SomeWords), 9600);
    EXPECT_TRUE(boot.firmwareValid());
    EXPECT_TRUE(boot.programmed());
}

TEST_F(BootloaderTest, RestartIntoCompleteFirmware) {
    readyForFrames();
    send(frameFor(0x2E, 0x0000, SomeWords), 9600);
    EXPECT_TRUE(send({0x5A}, 9600).empty());
    EXPECT_FALSE(boot.running());
    EXPECT_EQ(boot.lineSpeed(), 1200u);
    EXPECT_EQ(boot.restarts(), 1);
}

TEST_F(BootloaderTest, RestartWithIncompleteFirmwareStaysInTheBootloader) {
    readyForFrames();
    send(frameFor(0x1B, 0x0020, SomeWords), 9600);
    send({0x5A}, 9600);
    EXPECT_TRUE(boot.running());
    EXPECT_EQ(boot.lineSpeed(), 1200u);
    EXPECT_EQ(send({0x00, 0x04, 0x55}, 1200), Bytes{0xAA});
}

TEST_F(BootloaderTest, PowerCycle) {
    readyForFrames();
    send(frameFor(0x1B, 0x0020, SomeWords), 9600);
    boot.powerCycle();
    EXPECT_TRUE(boot.running()) << "no complete firmware: the bootloader runs";
    EXPECT_EQ(boot.lineSpeed(), 1200u);

    Bootloader fresh;
    fresh.powerCycle();
    EXPECT_FALSE(fresh.running());
    Bootloader empty(false);
    empty.powerCycle();
    EXPECT_TRUE(empty.running());
}

struct IdentityCase {
    std::uint8_t low;
    std::uint8_t high;
    std::uint8_t major;
    std::uint8_t minorByte;
    std::uint8_t icType;
};

void PrintTo(const IdentityCase& c, std::ostream* os) {
    *os << std::hex << "word " << int(c.high) << " " << int(c.low);
}

class BootloaderIdentity : public BootloaderTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(BootloaderIdentity, FromProgramWordThree) {
    const IdentityCase& c = GetParam();
    boot.setWord(3, static_cast<std::uint16_t>(c.low | (c.high << 8)));
    const sim::FirmwareIdentity id = boot.identity();
    EXPECT_EQ(id.major, c.major);
    EXPECT_EQ(id.minorByte, c.minorByte);
    EXPECT_EQ(id.icType, c.icType);
}

INSTANTIATE_TEST_SUITE_P(Words, BootloaderIdentity,
                         ::testing::Values(IdentityCase{0x1F, 0x35, 31, 53, 2}, IdentityCase{0x99, 0x1F, 31, 153, 4},
                                           IdentityCase{0x35, 0x1F, 53, 31, 1}, IdentityCase{0x1F, 0x30, 31, 50, 2},
                                           IdentityCase{0x1F, 0x6E, 31, 110, 3},
                                           IdentityCase{0x1F, 0xC8, 31, 200, 0}));

TEST_F(BootloaderTest, AWholeUploadLandsInProgramMemory) {
    readyForFrames();
    auto wordsOf = [](int record) {
        std::array<std::uint16_t, 8> w{};
        for (int k = 0; k < 8; ++k) w[k] = static_cast<std::uint16_t>((record * 8 + k) * 7 & 0x3FFF);
        return w;
    };
    for (int r = 4; r <= 955; ++r)
        ASSERT_EQ(send(frameFor(0x1B, static_cast<std::uint16_t>(r * 8), wordsOf(r)), 9600), Bytes{0x3C});
    for (int r = 0; r < 4; ++r)
        ASSERT_EQ(send(frameFor(r == 3 ? 0x2E : 0x1B, static_cast<std::uint16_t>(r * 8), wordsOf(r)), 9600),
                  Bytes{0x3C});
    send({0x5A}, 9600);
    EXPECT_FALSE(boot.running());
    for (int r = 0; r <= 955; ++r)
        for (int k = 0; k < 8; ++k) ASSERT_EQ(boot.word(static_cast<std::size_t>(r * 8 + k)), wordsOf(r)[k]);
    EXPECT_EQ(boot.word(956 * 8), 0x3FFF);
    EXPECT_EQ(boot.frames().size(), 956u);
}

}  // namespace
