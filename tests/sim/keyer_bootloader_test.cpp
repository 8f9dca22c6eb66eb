// The bootloader model behind the simulated keyer: hand-over, line speed as
// the host sees it, restart into the programmed firmware, power cycles.
#include <gtest/gtest.h>

#include <vector>

#include "sim/keyer_bootloader.h"
#include "sim/keyer_simulator.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frameFor(std::uint8_t command, std::uint16_t wordAddress, std::uint16_t identityWord = 0x3FFF) {
    Bytes f{command, static_cast<std::uint8_t>(wordAddress >> 8), static_cast<std::uint8_t>(wordAddress & 0xFF)};
    for (int k = 0; k < 8; ++k) {
        const std::uint16_t w = k == 3 ? identityWord : 0x3FFF;
        f.push_back(static_cast<std::uint8_t>(w & 0xFF));
        f.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    unsigned sum = 0;
    for (std::uint8_t b : f) sum += b;
    f.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    return f;
}

class KeyerBootloader : public ::testing::Test {
protected:
    Bytes ask(const Bytes& bytes) {
        keyer.receive(bytes);
        return keyer.takeAllOutput();
    }
    // Hand-over, sync and speed-up, as the upload worker does them.
    void enterAndSpeedUp() {
        EXPECT_EQ(ask({0x00, 0x10, 0x9B, 0x00, 0x04, 0x55}), Bytes{0xAA});
        EXPECT_EQ(ask({0x35}), Bytes{});
        keyer.setHostBaud(9600);
    }
    KeyerSimulator keyer;
    std::shared_ptr<sim::Bootloader> boot = sim::attachBootloader(keyer);
};

TEST_F(KeyerBootloader, HandOverSyncAndSpeedUp) {
    EXPECT_EQ(ask({0x00, 0x04, 0x55}), Bytes{0x55}) << "the firmware echoes";
    enterAndSpeedUp();
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
    EXPECT_EQ(keyer.keyerBaud(), 9600u);
    EXPECT_EQ(ask(frameFor(0x1B, 0x0020)), Bytes{0x3C});
}

TEST_F(KeyerBootloader, HostLeftAt1200GetsGarbledAnswers) {
    enterAndSpeedUp();
    keyer.setHostBaud(1200);
    const Bytes answer = ask(frameFor(0x1B, 0x0020));
    EXPECT_NE(answer, Bytes{0x3C});
    EXPECT_EQ(boot->word(0x0020), 0x3FFF);
}

TEST_F(KeyerBootloader, RestartIntoTheProgrammedFirmware) {
    enterAndSpeedUp();
    ASSERT_EQ(ask(frameFor(0x1B, 0x0020)), Bytes{0x3C});
    ASSERT_EQ(ask(frameFor(0x2E, 0x0000, 0x3620)), Bytes{0x3C});  // word 3: 0x20, 0x36
    EXPECT_EQ(ask({0x5A}), Bytes{});
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Firmware);
    EXPECT_EQ(keyer.keyerBaud(), 1200u);
    keyer.setHostBaud(1200);
    EXPECT_EQ(ask({0x00, 0x09}), Bytes{32});
    EXPECT_EQ(ask({0x00, 0x17}), Bytes{54});
    EXPECT_EQ(ask({0x00, 0x18}), Bytes{2});
}

TEST_F(KeyerBootloader, IncompleteFirmwareKeepsTheBootloader) {
    enterAndSpeedUp();
    ASSERT_EQ(ask(frameFor(0x1B, 0x0020)), Bytes{0x3C});
    EXPECT_EQ(ask({0x5A}), Bytes{});
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
    EXPECT_FALSE(keyer.identity().firmwarePresent);
    keyer.setHostBaud(1200);
    EXPECT_EQ(keyer.keyerBaud(), 1200u);
    EXPECT_EQ(ask({0x00, 0x04, 0x55}), Bytes{0xAA});
}

TEST_F(KeyerBootloader, PowerCycleAfterABrokenUpload) {
    enterAndSpeedUp();
    ASSERT_EQ(ask(frameFor(0x1B, 0x0020)), Bytes{0x3C});
    sim::powerCycle(keyer, *boot);
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Bootloader);
    EXPECT_EQ(keyer.keyerBaud(), 1200u);
    keyer.setHostBaud(1200);
    EXPECT_EQ(ask({0x00, 0x04, 0x55}), Bytes{0xAA});
}

TEST_F(KeyerBootloader, PowerCycleWithCompleteFirmware) {
    sim::powerCycle(keyer, *boot);
    EXPECT_EQ(keyer.mode(), KeyerSimulator::Mode::Firmware);
    EXPECT_EQ(ask({0x00, 0x04, 0x55}), Bytes{0x55});
}

TEST_F(KeyerBootloader, DisconnectTakesTheKeyerOffTheLine) {
    boot->injectFrameFault(0, sim::FrameFault::disconnect());
    enterAndSpeedUp();
    EXPECT_EQ(ask(frameFor(0x1B, 0x0020)), Bytes{});
    EXPECT_FALSE(keyer.connected());
    EXPECT_TRUE(keyer.hungUpByFault()) << "a line server hangs its line up";
}

TEST(KeyerWithoutFirmware, StartsInItsBootloader) {
    SimulatedIdentity identity;
    identity.firmwarePresent = false;
    KeyerSimulator keyer(identity);
    const auto boot = sim::attachBootloader(keyer);
    keyer.receive(Bytes{0x00, 0x04, 0x55});
    EXPECT_EQ(keyer.takeAllOutput(), Bytes{0xAA});
    EXPECT_FALSE(boot->firmwareValid());
}

}  // namespace
