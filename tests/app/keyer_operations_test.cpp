#include "dialogs/keyer_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include "core/link/link_check.h"
#include "core/link/transport.h"
#include "core/settings/keyer_settings.h"
#include "dialogs/keyer_session.h"
#include "dialogs/message_editor.h"
#include "dialogs/panel_load.h"
#include "dialogs/settings_record.h"
#include "dialogs/startup.h"
#include "platform/headless/headless.h"
#include "resources/control_ids.h"
#include "sim/keyer_simulator.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

using Bytes = std::vector<std::uint8_t>;

class KeyerOperations : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        comPortNumber = 3;
        keyer.identity().potValue = 17;
        keyer.identity().pushButtons = 3;
        keyer.identity().supplyReading = 52;
        w = openMainWindow();
    }
    void attach() { headless::attachKeyer(3, keyer); }
    bool sent(const Bytes& chunk) const {
        const auto chunks = keyer.hostChunks();
        return std::find(chunks.begin(), chunks.end(), chunk) != chunks.end();
    }
    // Ticks of the main window's 250 ms timer.
    void ticks(int count) { headless::advanceClock(250 * count); }
    // The keyer gets the defaults with other weights and two messages; the
    // program keeps the plain defaults and empty message edits.
    void giveKeyerARecord() {
        resetToDefaults(keyerSettings);
        keyerSettings.user1.weight = 61;
        keyerSettings.user2.weight = 39;
        w->type(MessageEdit1, "CQ CQ");
        w->type(Callsign1Edit, "N0CALL");
        storeMessages(w);
        std::copy(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(), keyer.record().begin());
        resetToDefaults(keyerSettings);
        std::ranges::fill(keyerSettings.messageArea, 0);
        loadMessages(w);
        loadPanel(w, activeUserSet);
        ASSERT_EQ(w->text(MessageEdit1), "");
    }
    // The record history's entries, oldest first, as their bytes.
    std::vector<Bytes> history() const {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::exists(tempDir / "history"))
            for (const auto& e : std::filesystem::directory_iterator(tempDir / "history")) files.push_back(e.path());
        std::ranges::sort(files);
        std::vector<Bytes> entries;
        for (const auto& f : files) entries.push_back(readWholeFile(f));
        return entries;
    }
    KeyerSimulator keyer;
    Window w = nullptr;
};

TEST_F(KeyerOperations, TestOfAPikeShowsEverything) {
    attach();
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_EQ(w->text(IcLabel), "JX IC: PIKE");
    EXPECT_EQ(w->text(InterfaceStatus), "JX F/W revision 31.02");
    EXPECT_EQ(w->text(PotValueReading), "PotValue: 17");
    EXPECT_EQ(w->text(PbReading), "PB:3");
    EXPECT_EQ(w->text(SupplyVoltageReading), "5.04 Volts");
    for (int id : {ReadButton, WriteButton, RttyButton, FwUpdateButton, TestButton}) EXPECT_TRUE(w->enabled(id)) << id;
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x04, 0x55},
                                                      {0x00, 0x09},
                                                      {0x00, 0x17},
                                                      {0x00, 0x18},
                                                      {0x00, 0x06},
                                                      {0x00, 0x05},
                                                      {0x00, 0x15}}));
    EXPECT_FALSE(operationBusy);
    EXPECT_EQ(statusCountdown, 12);
}

TEST_F(KeyerOperations, Firmware30AllowsOnlyTheFirmwareUpdate) {
    keyer.identity().firmwareMajor = 30;
    keyer.identity().firmwareMinorByte = 7;
    keyer.identity().icType = 1;
    attach();
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_TRUE(w->enabled(FwUpdateButton));
    for (int id : {ReadButton, WriteButton, RttyButton}) EXPECT_FALSE(w->enabled(id)) << id;
}

TEST_F(KeyerOperations, Firmware30_03SendsNoVariantQuery) {
    keyer.identity().firmwareMajor = 30;
    keyer.identity().firmwareMinorByte = 3;
    attach();
    w->click(TestButton);
    EXPECT_FALSE(sent({0x00, 0x18}));
    EXPECT_EQ(w->text(IcLabel), "JX IC: IBEX");
    EXPECT_EQ(w->text(InterfaceStatus), "JX F/W ver 30.03");
    EXPECT_EQ(w->text(PbReading), "PB:3");
}

TEST_F(KeyerOperations, ALynxShowsNoPushButtonReading) {
    keyer.identity().icType = 4;
    keyer.identity().firmwareMinorByte = 151;
    attach();
    w->click(TestButton);
    EXPECT_EQ(w->text(IcLabel), "JX IC: LYNX");
    EXPECT_EQ(w->text(PbReading), "");
    EXPECT_EQ(w->text(PotValueReading), "PotValue: 17");
    EXPECT_EQ(w->text(SupplyVoltageReading), "5.04 Volts");
    EXPECT_FALSE(sent({0x00, 0x05}));
}

TEST_F(KeyerOperations, ASilentKeyerFailsAndTheStatusClearsTwelveTicksLater) {
    keyer.setSilent(true);
    attach();
    for (int id : {PotValueReading, PbReading, SupplyVoltageReading}) setControlText(w, id, "old");
    const std::int64_t before = headless::nowMs();
    w->click(TestButton);
    EXPECT_EQ(headless::nowMs() - before, 4100);  // the pause before the purge and one unanswered read
    EXPECT_EQ(w->text(OperationStatus), ">JX ERR");
    EXPECT_EQ(w->text(InterfaceStatus), "JX Fail:no response");
    for (int id : {PotValueReading, PbReading, SupplyVoltageReading}) EXPECT_EQ(w->text(id), "") << id;
    EXPECT_FALSE(w->enabled(ReadButton));
    // The tick missed while the window was held arrives at once, as the first.
    headless::advanceClock(0);
    ticks(10);
    EXPECT_EQ(w->text(OperationStatus), ">JX ERR");
    ticks(1);
    EXPECT_EQ(w->text(OperationStatus), "");
    EXPECT_EQ(statusCountdown, 0);
}

TEST_F(KeyerOperations, NoPortAtAllFailsAtOnce) {
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX ERR");
    EXPECT_EQ(w->text(InterfaceStatus), "JX Fail:comm open");
    EXPECT_FALSE(keyerLink.portOpen);
}

TEST_F(KeyerOperations, ABootloaderOnlyKeyerIsBad) {
    keyer.identity().firmwarePresent = false;
    keyer = KeyerSimulator(keyer.identity());
    attach();
    w->click(TestButton);
    EXPECT_EQ(w->text(OperationStatus), ">JX BAD");
    EXPECT_EQ(w->text(InterfaceStatus), "JX Fail:No O/S");
    EXPECT_EQ(icType, 5);
    for (int id : {PotValueReading, PbReading, SupplyVoltageReading}) EXPECT_EQ(w->text(id), "") << id;
    EXPECT_EQ(keyer.hostChunks().size(), 1u);
}

TEST_F(KeyerOperations, AMissingSupplyReadingShowsZeroVolts) {
    keyer.setReplyLength(0x15, 0);
    keyer.setReplyLength(0x06, 0);
    attach();
    w->click(TestButton);
    EXPECT_EQ(w->text(SupplyVoltageReading), "0.00 Volts");
    EXPECT_EQ(w->text(PotValueReading), "PotValue: 0");
    EXPECT_EQ(w->text(PbReading), "PB:3");
}

TEST_F(KeyerOperations, EveryOperationStartsFromAFreshConnection) {
    attach();
    w->click(TestButton);
    ASSERT_TRUE(keyerLink.portOpen);
    ASSERT_TRUE(setBaudRate(keyerLink, 9600));  // as a firmware upload leaves it
    w->click(TestButton);
    EXPECT_EQ(headless::serialOpenNames().size(), 2u);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    EXPECT_EQ(keyer.hostBaud(), 1200u);
    EXPECT_TRUE(keyerLink.portOpen);
}

TEST_F(KeyerOperations, ReadFillsTheRecordThePanelAndTheMessages) {
    attach();
    giveKeyerARecord();
    w->click(TestButton);
    keyer.clearWireLog();
    w->click(ReadButton);
    EXPECT_EQ(keyer.hostChunks(), (std::vector<Bytes>{{0x00, 0x04, 0x55},
                                                      {0x00, 0x09},
                                                      {0x00, 0x17},
                                                      {0x00, 0x18},
                                                      {0x00, 0x0C},
                                                      {0x00, 0x1A}}));
    EXPECT_TRUE(std::equal(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(), keyer.record().begin()));
    EXPECT_EQ(w->text(OperationStatus), ">Done");
    EXPECT_EQ(w->text(WeightEdit), "61");
    EXPECT_EQ(w->text(MessageEdit1), "CQ CQ");
    EXPECT_EQ(w->text(Callsign1Edit), "N0CALL");
    EXPECT_TRUE(w->enabled(ReadButton));
}

TEST_F(KeyerOperations, ReadAndWriteKeepTheirRecordsWithoutAWord) {
    attach();
    giveKeyerARecord();
    w->click(TestButton);
    w->click(ReadButton);
    const Bytes read(keyer.record().begin(), keyer.record().end());
    w->setText(WeightEdit, "55");
    w->click(WriteButton);
    ASSERT_EQ(w->text(OperationStatus), "Done");
    EXPECT_EQ(history(), (std::vector<Bytes>{read, Bytes(keyer.record().begin(), keyer.record().end())}));

    // A history that cannot be written changes nothing the operator sees.
    headless::failFileWrites(true);
    w->setText(WeightEdit, "56");
    w->click(WriteButton);
    EXPECT_EQ(w->text(OperationStatus), "Done");
    EXPECT_EQ(keyer.record()[3], 56);
    EXPECT_TRUE(headless::messageBoxes().empty());
    EXPECT_EQ(history().size(), 2u);
}

TEST_F(KeyerOperations, ReadWithUser2OnShowLoadsUser2AndKeepsTheRadioButtons) {
    attach();
    giveKeyerARecord();
    keyer.record()[14] |= spacingBits::user2Active;
    w->click(TestButton);
    w->click(User2Radio);
    w->click(ReadButton);
    EXPECT_EQ(w->text(WeightEdit), "39");
    EXPECT_TRUE(w->checked(User2Radio));
    EXPECT_EQ(activeUserSet, UserSet::User2);
}

TEST_F(KeyerOperations, ReadOfABootloaderOnlyKeyerFails) {
    attach();
    w->click(TestButton);
    keyer.enterBootloader();  // it answers the echo test, not the dump
    const auto recordBefore = keyerSettings;
    w->click(ReadButton);
    EXPECT_EQ(w->text(OperationStatus), ">Read Fail");
    EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);
}

// Every control but the status line: text, check state, list selection.
std::map<int, std::tuple<std::string, bool, int>> panelState(Window w) {
    std::map<int, std::tuple<std::string, bool, int>> state;
    for (const auto& [id, c] : w->controls)
        if (id != OperationStatus) state[id] = {c.text, c.checked, c.selection};
    return state;
}

TEST_F(KeyerOperations, AReadCutShortChangesNothingAndSaysSo) {
    struct Case {
        const char* what;
        std::function<void(KeyerSimulator&)> fault;
        bool extensionAsked;
    };
    const Case cases[] = {
        {"dump falls silent", [](KeyerSimulator& k) { k.setReplyLength(0x0C, 100); }, false},
        {"dump hangs up", [](KeyerSimulator& k) { k.setHangUpInReply(0x0C, 100); }, false},
        {"extension block falls silent", [](KeyerSimulator& k) { k.setReplyLength(0x1A, 5); }, true},
        {"extension block hangs up", [](KeyerSimulator& k) { k.setHangUpInReply(0x1A, 11); }, true},
    };
    attach();
    giveKeyerARecord();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        keyer.clearFaults();
        w->click(TestButton);
        c.fault(keyer);
        keyer.clearWireLog();
        const auto recordBefore = keyerSettings;
        const auto panelBefore = panelState(w);
        w->click(ReadButton);
        EXPECT_EQ(w->text(OperationStatus), ">Read Fail");
        EXPECT_EQ(std::memcmp(&keyerSettings, &recordBefore, sizeof recordBefore), 0);
        EXPECT_EQ(panelState(w), panelBefore);
        EXPECT_EQ(sent({0x00, 0x1A}), c.extensionAsked);
        EXPECT_TRUE(history().empty());
    }
    // The same keyer, whole again: the record, panel and messages arrive.
    keyer.clearFaults();
    w->click(TestButton);
    w->click(ReadButton);
    EXPECT_EQ(w->text(OperationStatus), ">Done");
    EXPECT_EQ(w->text(MessageEdit1), "CQ CQ");
}

TEST_F(KeyerOperations, AWriteNotAllSentSaysSo) {
    struct Case {
        const char* what;
        std::function<void()> fault;
        bool imageSent;
    };
    const Case cases[] = {
        {"line dead before the writes", [&] { keyer.setHangUpInReply(0x18, 1); }, false},
        {"hang-up in the extension block", [&] { keyer.setHangUpInBlock(0x1B, 6); }, false},
        {"hang-up in the image", [&] { keyer.setHangUpInBlock(0x0D, 100); }, true},
        {"writes never confirmed",
         [] { headless::setSerialPortFaults(3, {.stallWrites = true}); }, false},
        {"output never leaves the line",
         [] { headless::setSerialPortFaults(3, {.outputNeverDrains = true}); }, true},
    };
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        keyer.clearFaults();
        headless::setSerialPortFaults(3, {});
        w->click(TestButton);
        ASSERT_EQ(w->text(OperationStatus), ">JX OK");
        c.fault();
        keyer.clearWireLog();
        w->click(WriteButton);
        EXPECT_EQ(w->text(OperationStatus), "Write Fail");
        EXPECT_EQ(headless::sleeps().back(), 3000);  // after the same settling wait
        EXPECT_EQ(sent({0x00, 0x0D}), c.imageSent);
        EXPECT_TRUE(history().empty()) << "only a whole Write is kept";
    }
}

TEST_F(KeyerOperations, WriteWaitsUntilTheImageHasLeftTheLine) {
    // A device that queues writes and sends them at 1200 baud: the image
    // needs 2.4 s on the line after its first byte, then the keyer 3 s.
    headless::setSerialPortFaults(3, {.lineTimeOutput = true});
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    w->click(TestButton);
    keyer.setClock([] { return headless::nowMs(); });
    w->click(WriteButton);
    std::int64_t imageQueuedAt = -1;
    for (const WireChunk& c : keyer.wireLog())
        if (c.bytes.size() == 288) imageQueuedAt = c.timeMs;
    ASSERT_GE(imageQueuedAt, 0);
    EXPECT_EQ(w->text(OperationStatus), "Done");
    EXPECT_GE(headless::nowMs() - imageQueuedAt, 2400 + 3000);
}

TEST_F(KeyerOperations, AWriteToALineThatNeverDrainsEndsWithinItsWaits) {
    headless::setSerialPortFaults(3, {.outputNeverDrains = true});
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    w->click(TestButton);
    const std::int64_t start = headless::nowMs();
    w->click(WriteButton);
    // The pause before the purge, the drain's bound for the link check's 9
    // bytes and the Write's 2 + 12 + 2 + 288, and the settling wait.
    EXPECT_EQ(headless::nowMs() - start, 100 + drainWaitMs(9 + 14 + 290, 1200) + 3000);
    EXPECT_EQ(w->text(OperationStatus), "Write Fail");
}

TEST_F(KeyerOperations, WriteSendsTheExtensionBlockThenTheImageThenWaits) {
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    w->click(TestButton);
    w->type(MessageEdit1, "TEST");
    keyer.clearWireLog();
    std::string statusDuringTransfer;
    keyer.setClock([&] {
        statusDuringTransfer = w->text(OperationStatus);
        return headless::nowMs();
    });
    w->click(WriteButton);

    const auto chunks = keyer.hostChunks();
    ASSERT_EQ(chunks.size(), 8u);
    EXPECT_EQ(chunks[4], (Bytes{0x00, 0x1B}));
    EXPECT_EQ(chunks[5], Bytes(recordBytes(keyerSettings).last<ExtensionBlockSize>().begin(), recordBytes(keyerSettings).last<ExtensionBlockSize>().end()));
    EXPECT_EQ(chunks[6], (Bytes{0x00, 0x0D}));
    EXPECT_EQ(chunks[7], Bytes(recordBytes(keyerSettings).first<MemoryImageSize>().begin(), recordBytes(keyerSettings).first<MemoryImageSize>().end()));
    EXPECT_EQ(chunks[6].size() + chunks[7].size(), 290u);
    EXPECT_TRUE(std::equal(recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end(), keyer.record().begin()));
    EXPECT_EQ(statusDuringTransfer, "Writing");
    EXPECT_EQ(headless::sleeps(), (std::vector<int>{100, 100, 3000}));
    EXPECT_EQ(w->text(OperationStatus), "Done");
    // The typed message went out in the record.
    EXPECT_NE(keyer.record()[MessageAreaOffset + 1], 0);
}

TEST_F(KeyerOperations, WriteWaitsThreeSecondsBeforeDone) {
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    std::int64_t imageSentAt = -1;
    keyer.setClock([&] { return headless::nowMs(); });
    w->click(WriteButton);  // disabled until a test: nothing happens
    EXPECT_TRUE(keyer.wireLog().empty());
    w->click(TestButton);
    w->click(WriteButton);
    for (const WireChunk& c : keyer.wireLog())
        if (c.bytes.size() == 288) imageSentAt = c.timeMs;
    ASSERT_GE(imageSentAt, 0);
    EXPECT_EQ(headless::nowMs() - imageSentAt, 3000);
    EXPECT_EQ(w->text(OperationStatus), "Done");
}

TEST_F(KeyerOperations, WriteWithAnInvalidPanelChecksTheLinkAndSendsNothingElse) {
    attach();
    resetToDefaults(keyerSettings);
    loadPanel(w, activeUserSet);
    w->click(TestButton);
    ticks(12);
    setControlText(w, OperationStatus, "as it was");
    w->setText(WeightEdit, "999");
    keyer.clearWireLog();
    const auto recordBefore = keyer.record();
    w->click(WriteButton);
    EXPECT_EQ(keyer.hostChunks(),
              (std::vector<Bytes>{{0x00, 0x04, 0x55}, {0x00, 0x09}, {0x00, 0x17}, {0x00, 0x18}}));
    EXPECT_EQ(keyer.record(), recordBefore);
    EXPECT_EQ(w->text(OperationStatus), "as it was");
    EXPECT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::serialOpenNames().size(), 2u);  // reopened all the same
}

TEST_F(KeyerOperations, AnOperationUnderWayRunsOnlyTheButtonRules) {
    attach();
    operationBusy = true;
    readKeyer(w);
    writeKeyer(w);
    testKeyer(w);
    EXPECT_TRUE(keyer.wireLog().empty());
    EXPECT_FALSE(keyerLink.portOpen);
    EXPECT_EQ(statusCountdown, 0);
    EXPECT_TRUE(w->enabled(TestButton));
    EXPECT_TRUE(operationBusy);
}

TEST_F(KeyerOperations, ANewOperationRestartsTheCountdown) {
    attach();
    w->click(TestButton);
    ticks(10);
    w->click(TestButton);
    EXPECT_EQ(statusCountdown, 12);
    ticks(11);
    EXPECT_EQ(w->text(OperationStatus), ">JX OK");
    ticks(1);
    EXPECT_EQ(w->text(OperationStatus), "");
}

TEST_F(KeyerOperations, TimerShowsTheFreeMessageBytes) {
    ticks(1);
    EXPECT_EQ(w->text(MsgBytesLeft), "Msg Bytes Left: 240");
    w->type(MessageEdit1, "CQ");
    ticks(1);
    EXPECT_EQ(w->text(MsgBytesLeft), "Msg Bytes Left: " + std::to_string(240 - messageBytesUsed(w)));
    EXPECT_LT(messageBytesUsed(w), 240);
    EXPECT_GT(messageBytesUsed(w), 0);
}

}  // namespace
