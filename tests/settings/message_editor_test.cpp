#include "dialogs/message_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/message_codec.h"
#include "dialogs/panel_fields.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"
#include "tests/support/test_support.h"

using namespace mainwin;

namespace {

constexpr std::size_t MessageEndByte = 32;
constexpr std::size_t FirstPointerByte = 33;
constexpr std::size_t FirstTextByte = 47;

class MessageEditorTest : public ProgramTest {
protected:
    std::uint8_t pointer(std::size_t slot) { return recordBytes(keyerSettings)[FirstPointerByte + slot - 1]; }
    std::vector<std::uint8_t> record() { return {recordBytes(keyerSettings).begin(), recordBytes(keyerSettings).end()}; }
    // Fills edits with typed text, through the message filter.
    void fillTo(Window w, std::size_t characters) {
        for (int edit : messageSlotEdits()) {
            const std::size_t used = static_cast<std::size_t>(messageBytesUsed(w));
            if (used >= characters) break;
            w->type(edit, std::string(std::min<std::size_t>(characters - used, 40), 'E'));
        }
    }
};

TEST_F(MessageEditorTest, CqAndTestPackIntoTheArea) {
    Window w = openMainWindow();
    w->type(MessageEdit1, "CQ");
    w->type(MessageEdit1 + 1, "test");
    EXPECT_EQ(w->text(MessageEdit1 + 1), "TEST");
    storeMessages(w);
    const std::array<std::uint8_t, 6> expected{0x15, 0x9B, 0x03, 0x02, 0x08, 0x83};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), recordBytes(keyerSettings).begin() + FirstTextByte));
    EXPECT_EQ(pointer(1), 15);
    EXPECT_EQ(pointer(2), 17);
    for (std::size_t slot = 3; slot <= 14; ++slot) EXPECT_EQ(pointer(slot), 0) << slot;
    EXPECT_EQ(recordBytes(keyerSettings)[MessageEndByte], 21);
    // Nothing was cut: the edits keep the operator's text.
    EXPECT_EQ(w->text(MessageEdit1), "CQ");
}

TEST_F(MessageEditorTest, EmptySlotsTakeNoRoom) {
    Window w = openMainWindow();
    w->type(MessageEdit1 + 2, "K");
    storeMessages(w);
    EXPECT_EQ(pointer(1), 0);
    EXPECT_EQ(pointer(2), 0);
    EXPECT_EQ(pointer(3), 15);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte], 0x8D);
    EXPECT_EQ(recordBytes(keyerSettings)[MessageEndByte], 16);
}

TEST_F(MessageEditorTest, AllFourteenSlotsAreStoredInSlotOrderWhicheverBankIsShown) {
    Window w = openMainWindow();
    w->click(MessageBank2Radio);
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot)
        w->paste(messageSlotEdits()[slot], std::string(1, static_cast<char>('A' + slot)));
    w->click(MessageBank1Radio);
    EXPECT_EQ(w->text(MessageEdit7), "G") << "the hidden bank keeps its text";
    storeMessages(w);
    for (std::size_t slot = 1; slot <= 14; ++slot) {
        EXPECT_EQ(pointer(slot), 14 + slot) << slot;
        EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + slot - 1],
                  charToCode(static_cast<unsigned char>('A' + slot - 1)) | 0x80);
    }
    EXPECT_EQ(recordBytes(keyerSettings)[MessageEndByte], 29);
}

TEST_F(MessageEditorTest, LoadShowsTheStoredTextsAndEmptiesZeroPointers) {
    Window w = openMainWindow();
    for (int edit : messageSlotEdits()) w->paste(edit, "OLD");
    auto bytes = recordBytes(keyerSettings);
    const std::array<std::uint8_t, 6> packed{0x15, 0x9B, 0x03, 0x02, 0x08, 0x83};
    std::copy(packed.begin(), packed.end(), bytes.begin() + FirstTextByte);
    bytes[FirstPointerByte + 6] = 15;   // slot 7
    bytes[FirstPointerByte + 13] = 17;  // slot 14, the User 2 callsign
    loadMessages(w);
    for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) {
        const std::string expected = slot == 6 ? "CQ" : slot == 13 ? "TEST" : "";
        EXPECT_EQ(w->text(messageSlotEdits()[slot]), expected) << slot;
    }
}

TEST_F(MessageEditorTest, SemicolonComesBackAsExclamationMark) {
    Window w = openMainWindow();
    w->type(MessageEdit1, ";");
    w->type(MessageEdit1 + 1, ":");
    storeMessages(w);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte], 0x9A);
    loadMessages(w);
    EXPECT_EQ(w->text(MessageEdit1), "!");
    EXPECT_EQ(w->text(MessageEdit1 + 1), "(");
}

TEST_F(MessageEditorTest, DollarEndsTheMessageBeforeIt) {
    Window w = openMainWindow();
    w->type(MessageEdit1, "5NN$");
    storeMessages(w);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 3], 0xC8);
    loadMessages(w);
    EXPECT_EQ(w->text(MessageEdit1), "5NN");
}

TEST_F(MessageEditorTest, LineBreakIsStoredAsTwoSpaces) {
    Window w = openMainWindow();
    w->type(MessageEdit1, "A\rB");
    EXPECT_EQ(w->text(MessageEdit1), "A\r\nB");
    EXPECT_EQ(messageBytesUsed(w), 4);
    storeMessages(w);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 1], 0x1C);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 2], 0x1C);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 3], 0x91);
    EXPECT_EQ(w->text(MessageEdit1), "A\r\nB") << "a line break is not a cut: the edit keeps it";
}

TEST_F(MessageEditorTest, FilterRefusesCharactersWithoutCode) {
    Window w = openMainWindow();
    w->type(MessageEdit1,
            "#%&^_`{}~\x7F"
            "a");
    EXPECT_EQ(w->text(MessageEdit1), "A");
    w->type(Callsign1Edit, "dl1#xy");
    EXPECT_EQ(w->text(Callsign1Edit), "DL1XY");
    // Above 0x7F there is no code either.
    w->type(MessageEdit1, "\xC4\x80\xFF");
    EXPECT_EQ(w->text(MessageEdit1), "A");
}

TEST_F(MessageEditorTest, At241CharactersOnlyBackspaceGetsThrough) {
    Window w = openMainWindow();
    fillTo(w, 240);
    ASSERT_EQ(messageBytesUsed(w), 240);
    EXPECT_EQ(messageBytesLeft(messageBytesUsed(w)), 0);
    w->type(Callsign1Edit, "K");
    EXPECT_EQ(messageBytesUsed(w), 241);
    EXPECT_EQ(messageBytesLeft(messageBytesUsed(w)), -1);
    for (int edit : messageSlotEdits()) w->type(edit, "A \r");
    w->type(MessageEdit1, "\x01");  // not even a control character
    EXPECT_EQ(messageBytesUsed(w), 241);
    w->type(MessageEdit1, "\b");
    EXPECT_EQ(messageBytesUsed(w), 240);
    w->type(MessageEdit1, "T");
    EXPECT_EQ(messageBytesUsed(w), 241);
    storeMessages(w);
    EXPECT_EQ(recordBytes(keyerSettings)[MessageEndByte], 0) << "241 bytes in use wrap round to 0";
    EXPECT_EQ(recordBytes(keyerSettings)[287] & 0x80, 0x80);
}

TEST_F(MessageEditorTest, LineBreakIsRefusedWhenOnlyOneByteIsLeft) {
    Window w = openMainWindow();
    fillTo(w, 240);
    w->type(MessageEdit1, "\r");
    EXPECT_EQ(messageBytesUsed(w), 240);
    w->type(MessageEdit1, "\b\r");
    EXPECT_EQ(messageBytesUsed(w), 241) << "with two bytes left a line break fits";
}

TEST_F(MessageEditorTest, PastedTextBeyondTheAreaIsCutAndTheEditsShowWhatWasStored) {
    Window w = openMainWindow();
    auto bytes = recordBytes(keyerSettings);
    for (std::size_t i = 0; i < RecordSize; ++i) bytes[i] = static_cast<std::uint8_t>(0x5A ^ i);
    const std::vector<std::uint8_t> before = record();
    w->paste(MessageEdit1, std::string(300, 'E'));
    w->paste(MessageEdit1 + 1, "CQ");
    storeMessages(w);

    const std::vector<std::uint8_t> after = record();
    for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(after[i], before[i]) << i;
    for (std::size_t i = 288; i < RecordSize; ++i) EXPECT_EQ(after[i], before[i]) << i;
    for (std::size_t i = FirstTextByte; i < 287; ++i) EXPECT_EQ(after[i], 0x02) << i;
    EXPECT_EQ(after[287], 0x82);
    EXPECT_EQ(pointer(1), 15);
    for (std::size_t slot = 2; slot <= 14; ++slot) EXPECT_EQ(pointer(slot), 0) << slot;
    EXPECT_EQ(after[MessageEndByte], 0);
    EXPECT_EQ(w->text(MessageEdit1), std::string(241, 'E'));
    EXPECT_EQ(w->text(MessageEdit1 + 1), "") << "the message that found no room is no longer shown";
}

TEST_F(MessageEditorTest, AMessageThatOnlyPartlyFitsIsCutAtTheLastByte) {
    Window w = openMainWindow();
    w->paste(MessageEdit1, std::string(200, 'T'));
    w->paste(MessageEdit7, std::string(60, 'E'));
    const std::vector<std::uint8_t> before = record();
    storeMessages(w);
    EXPECT_EQ(pointer(7), 215);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 199], 0x83);
    EXPECT_EQ(recordBytes(keyerSettings)[286], 0x02);
    EXPECT_EQ(recordBytes(keyerSettings)[287], 0x82);
    EXPECT_TRUE(std::equal(before.begin() + 288, before.end(), recordBytes(keyerSettings).begin() + 288));
    EXPECT_EQ(w->text(MessageEdit7), std::string(41, 'E'));
}

TEST_F(MessageEditorTest, PastedCharactersWithoutCodeAreDroppedAndTheEditShowsIt) {
    Window w = openMainWindow();
    w->paste(MessageEdit1,
             "A\x80\x01"
             "B");
    storeMessages(w);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte], 0x06);
    EXPECT_EQ(recordBytes(keyerSettings)[FirstTextByte + 1], 0x91);
    EXPECT_EQ(recordBytes(keyerSettings)[MessageEndByte], 17);
    EXPECT_EQ(w->text(MessageEdit1), "AB");
}

TEST_F(MessageEditorTest, MessagesWithoutEndMarkOrWithLowPointersLoadWithinTheArea) {
    Window w = openMainWindow();
    auto bytes = recordBytes(keyerSettings);
    // No end mark anywhere in messageText, and the bytes after it would read as text.
    for (std::size_t i = FirstTextByte; i < RecordSize; ++i) bytes[i] = 0x06;
    const std::vector<std::uint8_t> before = record();
    for (unsigned first = 0; first < 256; first += 14) {
        for (std::size_t slot = 0; slot < MessageSlotCount; ++slot)
            bytes[FirstPointerByte + slot] = static_cast<std::uint8_t>((first + slot) & 0xFF);
        loadMessages(w);
        for (std::size_t slot = 0; slot < MessageSlotCount; ++slot) {
            const unsigned p = (first + slot) & 0xFF;
            const std::size_t expected = p < 15 ? 0 : 241 - (p - 15);
            EXPECT_EQ(w->text(messageSlotEdits()[slot]), std::string(expected, 'A')) << "pointer " << p;
        }
    }
    for (std::size_t i = FirstTextByte; i < RecordSize; ++i) EXPECT_EQ(recordBytes(keyerSettings)[i], before[i]) << i;
}

}  // namespace
