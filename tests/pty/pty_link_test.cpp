#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/keyer_operations.h"
#include "dialogs/message_editor.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "platform/serial.h"
#include "resources/control_ids.h"
#include "tests/pty/pty_fixture.h"

using namespace mainwin;

namespace {

using Bytes = std::vector<std::uint8_t>;

class PtyLink : public PtyKeyerTest {
protected:
    void SetUp() override {
        PtyKeyerTest::SetUp();
        comPortNumber = Port;
        keyer.identity().potValue = 9;
        keyer.identity().pushButtons = 1;
        w = openMainWindow();
    }
    Window w = nullptr;
};

TEST_F(PtyLink, TestIdentifiesTheKeyer) {
    serve();
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(IcLabel), "JX IC: PIKE");
    EXPECT_EQ(w->text(InterfaceStatus), "JX F/W revision 31.02");
    EXPECT_EQ(w->text(PotValueReading), "PotValue: 9");
    EXPECT_EQ(w->text(PbReading), "PB:1");
    EXPECT_EQ(w->text(SupplyVoltageReading), "5.04 Volts");
}

TEST_F(PtyLink, AFullReadAndWrite) {
    std::iota(keyer.record().begin(), keyer.record().end(), std::uint8_t{1});
    resetToDefaults(keyerSettings);
    std::ranges::fill(keyerSettings.messageArea, 0);
    std::copy(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(), keyer.record().begin());
    keyer.record()[3] = 62;  // User 1's weight
    serve();
    w->click(TestButton);
    w->click(ReadButton);
    EXPECT_EQ(w->text(OperationStatus), ">Done");
    EXPECT_TRUE(std::equal(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(),
                           onKeyer([](KeyerSimulator& k) { return k.record(); }).begin()));
    EXPECT_EQ(w->text(WeightEdit), "62");

    w->setText(WeightEdit, "55");
    w->type(MessageEdit1, "CQ");
    const std::size_t before = server->bytesFromHost();
    w->click(WriteButton);
    EXPECT_EQ(w->text(OperationStatus), "Done");
    // The link check (9 bytes), then 2 + 12 and 2 + 288.
    ASSERT_TRUE(server->waitForBytesFromHost(before + 9 + 14 + 290, 5000));
    const auto written = onKeyer([](KeyerSimulator& k) { return k.record(); });
    EXPECT_EQ(written[3], 55);
    EXPECT_TRUE(std::equal(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(), written.begin()));
}

TEST_F(PtyLink, AReadCutShortBySilenceOrAHangUpChangesNothing) {
    std::iota(keyer.record().begin(), keyer.record().end(), std::uint8_t{1});
    serve();
    w->click(TestButton);
    ASSERT_EQ(w->text(OperationStatus), ">JX OK");
    const auto recordBefore = keyerSettings;
    const std::string weightBefore = w->text(WeightEdit);

    server->withKeyer([](KeyerSimulator& k) { k.setReplyLength(0x1A, 5); });  // falls silent
    w->click(ReadButton);
    EXPECT_EQ(w->text(OperationStatus), ">Read Fail");
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);

    server->withKeyer([](KeyerSimulator& k) { k.setHangUpInReply(0x0C, 100); });
    w->click(ReadButton);
    EXPECT_EQ(w->text(OperationStatus), ">Read Fail");
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);
    EXPECT_EQ(w->text(WeightEdit), weightBefore);
}

TEST_F(PtyLink, AWriteToALineThatHungUpFails) {
    serve();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    w->click(TestButton);
    ASSERT_EQ(w->text(OperationStatus), ">JX OK");
    const auto recordBefore = onKeyer([](KeyerSimulator& k) { return k.record(); });
    // The line goes right after the last reply of the Write's link check.
    server->withKeyer([](KeyerSimulator& k) { k.setHangUpInReply(0x18, 1); });
    w->click(WriteButton);
    EXPECT_EQ(w->text(OperationStatus), "Write Fail");
    EXPECT_EQ(onKeyer([](KeyerSimulator& k) { return k.record(); }), recordBefore);
}

TEST_F(PtyLink, APortHeldByAnotherOpenFailsToOpen) {
    serve();
    SerialDevice* other = nullptr;
    ASSERT_EQ(serialOpen("COM7", &other), SerialOpenStatus::Opened);
    w->click(TestButton);
    EXPECT_EQ(w->text(InterfaceStatus), "JX Fail:comm open");
    EXPECT_EQ(w->text(OperationStatus), ">JX ERR");
    EXPECT_FALSE(keyerLink.portOpen);
    serialClose(other);
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
}

TEST_F(PtyLink, BytesReceivedBeforeThePurgeNeverReachAReply) {
    serve();
    // Would read as an echo mismatch, and then as a wrong version, if kept.
    const Bytes noise{0x13, 0x1D, 0x99, 0xAA};
    server->sendNoise(noise);
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(InterfaceStatus), "JX F/W revision 31.02");
}

TEST_F(PtyLink, ASecondOperationReopensAt1200) {
    serve();
    w->click(TestButton);
    ASSERT_TRUE(keyerLink.portOpen);
    ASSERT_TRUE(setBaudRate(keyerLink, 9600));  // where a firmware upload leaves it
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_EQ(onKeyer([](KeyerSimulator& k) { return k.wireLog().back().baud; }), 1200u);
}

TEST_F(PtyLink, AtTheWrongSpeedTheKeyerDoesNotUnderstand) {
    serve();
    ASSERT_EQ(openPort(link, portDeviceName(Port)).code, PortOpened);
    ASSERT_TRUE(setBaudRate(link, 9600));
    const Bytes ask{0x00, 0x04, 0x55};
    writeBytes(link, ask);
    ASSERT_TRUE(server->waitForBytesFromHost(3, 2000));
    EXPECT_EQ(onKeyer([](KeyerSimulator& k) { return k.commands().size(); }), 0u);
}

}  // namespace
