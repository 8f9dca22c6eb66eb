#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "dialogs/interface_test.h"
#include "dialogs/keyer_session.h"
#include "dialogs/startup.h"
#include "platform/headless/headless.h"
#include "resources/control_ids.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

using Bytes = std::vector<std::uint8_t>;

class InterfaceTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        comPortNumber = 3;
        window = openMainWindow();
    }
    void attach() { headless::attachKeyer(3, keyer); }
    void identity(std::uint8_t major, std::uint8_t minorByte, std::uint8_t ic) {
        keyer.identity().firmwareMajor = major;
        keyer.identity().firmwareMinorByte = minorByte;
        keyer.identity().icType = ic;
    }
    bool sent(const Bytes& command) const {
        const auto chunks = keyer.hostChunks();
        return std::find(chunks.begin(), chunks.end(), command) != chunks.end();
    }
    KeyerSimulator keyer;
    Window window = nullptr;
};

struct Identified {
    const char* name;
    std::uint8_t major, minorByte, ic;
    const char* label;
    const char* version;
    bool variantAsked;
};

class Identification : public InterfaceTest, public ::testing::WithParamInterface<Identified> {};

TEST_P(Identification, ShowsTheVariantAndVersion) {
    const Identified& c = GetParam();
    identity(c.major, c.minorByte, c.ic);
    attach();
    EXPECT_EQ(testInterface(window), c.major);
    EXPECT_EQ(window->text(IcLabel), c.label);
    EXPECT_EQ(window->text(InterfaceStatus), c.version);
    EXPECT_EQ(firmwareMajor, c.major);
    EXPECT_EQ(firmwareMinor, c.minorByte);
    EXPECT_EQ(sent({0x00, 0x18}), c.variantAsked);
    EXPECT_TRUE(keyerLink.portOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Keyer, Identification,
    ::testing::Values(Identified{"Ibex30_03", 30, 3, 7, "JX IC: IBEX", "JX F/W ver 30.03", false},
                      Identified{"Ibex30_00", 30, 0, 1, "JX IC: IBEX", "JX F/W ver 30.00", false},
                      Identified{"Ibex30_04Asks", 30, 4, 1, "JX IC: IBEX", "JX F/W ver 30.04", true},
                      Identified{"Ibex31", 31, 7, 1, "JX IC: IBEX", "JX F/W ver 31.07", true},
                      Identified{"Pike", 31, 52, 2, "JX IC: PIKE", "JX F/W revision 31.02", true},
                      Identified{"Tern", 32, 105, 3, "JX IC: TERN", "JX F/W revision 32.05", true},
                      Identified{"Lynx", 31, 151, 4, "JX IC: LYNX", "JX F/W revision 31.01", true},
                      Identified{"UnknownVariant", 31, 52, 9, "JX IC: unknown", "JX F/W ver 31.52", true},
                      Identified{"VariantByteZero", 31, 52, 0, "JX IC: unknown", "JX F/W ver 31.52", true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(InterfaceTest, ANewerFirmwareWithoutVariantReplyIsUnknown) {
    identity(31, 52, 2);
    keyer.setReplyLength(0x18, 0);
    attach();
    EXPECT_EQ(testInterface(window), 31);
    EXPECT_EQ(icType, 0);
    EXPECT_EQ(window->text(IcLabel), "JX IC: unknown");
    EXPECT_EQ(window->text(InterfaceStatus), "JX F/W ver 31.52");
}

TEST_F(InterfaceTest, TheSequenceOnTheWire) {
    attach();
    testInterface(window);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x04, 0x55}, {0x00, 0x09}, {0x00, 0x17}, {0x00, 0x18}}));
    EXPECT_EQ(icType, 2);
}

TEST_F(InterfaceTest, ShowsProgressWhileItTalks) {
    attach();
    std::string shownDuringEcho;
    keyer.setClock([&] {
        if (shownDuringEcho.empty()) shownDuringEcho = window->text(InterfaceStatus);
        return std::int64_t{0};
    });
    testInterface(window);
    EXPECT_EQ(shownDuringEcho, "Testing JX Interface    ");
}

struct Failure {
    const char* name;
    void (*setUp)(KeyerSimulator&, bool& attachIt);
    const char* text;
    int result;
};

class Failures : public InterfaceTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(Failures, ShowTheirReasonAndLeaveTheIdentity) {
    icType = 3;
    firmwareMajor = 33;
    firmwareMinor = 101;
    setControlText(window, IcLabel, "JX IC: TERN");
    bool attachIt = true;
    GetParam().setUp(keyer, attachIt);
    if (attachIt) attach();
    EXPECT_EQ(testInterface(window), GetParam().result);
    EXPECT_EQ(window->text(InterfaceStatus), GetParam().text);
    EXPECT_EQ(window->text(IcLabel), "JX IC: TERN");
    EXPECT_EQ(icType, GetParam().result == 5 ? 5 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Link, Failures,
    ::testing::Values(
        Failure{"NoPort", [](KeyerSimulator&, bool& a) { a = false; }, "JX Fail:comm open", -1},
        Failure{"Silent", [](KeyerSimulator& k, bool&) { k.setSilent(true); }, "JX Fail:no response", -1},
        Failure{"Bootloader", [](KeyerSimulator& k, bool&) { k.enterBootloader(); }, "JX Fail:No O/S", 5},
        Failure{"EchoMismatch", [](KeyerSimulator& k, bool&) { k.setQueryReply(0x04, 0x13); },
                "JX Fail:echo mismatch", -1},
        Failure{"TooOld", [](KeyerSimulator& k, bool&) { k.identity().firmwareMajor = 29; }, "Only supports DO3", -1}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(InterfaceTest, OpenFailureTexts) {
    EXPECT_STREQ(portOpenFailureText(-4), "JX Fail:comm open");
    EXPECT_STREQ(portOpenFailureText(-5), "JX Fail:get comm state");
    EXPECT_STREQ(portOpenFailureText(-6), "JX Fail:set comm state");
    EXPECT_STREQ(portOpenFailureText(-10), "JX Fail:comm purge");
    EXPECT_STREQ(portOpenFailureText(-7), "Comm Fail:unknown error");
    EXPECT_STREQ(portOpenFailureText(1), "Comm Fail:unknown error");
}

TEST_F(InterfaceTest, OpenFailuresOfAConfiguredPortLeaveItOpen) {
    attach();
    headless::SerialPortFaults f;
    f.failSetSettings = true;
    headless::setSerialPortFaults(3, f);
    EXPECT_EQ(testInterface(window), -1);
    EXPECT_EQ(window->text(InterfaceStatus), "JX Fail:set comm state");
    EXPECT_TRUE(keyerLink.portOpen);
}

TEST_F(InterfaceTest, APortHeldByAnotherProgram) {
    attach();
    SerialDevice* other = nullptr;
    ASSERT_EQ(serialOpen("COM3", &other), SerialOpenStatus::Opened);
    EXPECT_EQ(testInterface(window), -1);
    EXPECT_EQ(window->text(InterfaceStatus), "JX Fail:comm open");
    EXPECT_FALSE(keyerLink.portOpen);
    serialClose(other);
}

TEST_F(InterfaceTest, MissingVersionRepliesKeepTheLastValues) {
    attach();
    ASSERT_EQ(testInterface(window), 31);
    keyer.setReplyLength(0x09, 0);
    keyer.setReplyLength(0x17, 0);
    keyer.identity().icType = 4;
    EXPECT_EQ(testInterface(window), 31);
    EXPECT_EQ(firmwareMinor, 52);
    EXPECT_EQ(window->text(InterfaceStatus), "JX F/W revision 31.-98");  // 52 - 150, as signed numbers
}

TEST_F(InterfaceTest, ASecondTestOnAnOpenPortStartsWithTheEcho) {
    attach();
    testInterface(window);
    keyer.clearWireLog();
    headless::clearMessageBoxes();
    testInterface(window);
    EXPECT_EQ(headless::serialOpenNames().size(), 1u);
    EXPECT_EQ(keyer.hostChunks().front(), (Bytes{0x00, 0x04, 0x55}));
}

TEST_F(InterfaceTest, AWindowWithoutTheTextControlsShowsNothing) {
    attach();
    Window uploader = headless::openDialog(nullptr, dlg::FirmwareUploader, nullptr);
    EXPECT_EQ(testInterface(uploader), 31);
    EXPECT_EQ(icType, 2);
}

}  // namespace
