#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "core/settings/message_codec.h"

namespace {

// The character code as a printed table: one row per high
// nibble, one column per low nibble.
constexpr std::array<std::string_view, 6> PrintedTable{
    "1C 1A 52 01 C8 01 01 5E 2D 6D 1F 2A 73 61 6A 29",  // 0x20
    "3F 3E 3C 38 30 20 21 23 27 2F 2D 1A 2A 31 68 4C",  // 0x30
    "56 06 11 15 09 02 14 0B 10 04 1E 0D 12 07 05 0F",  // 0x40
    "16 1B 0A 08 03 0C 18 0E 19 1D 13 22 29 2D 01 01",  // 0x50
    "01 06 11 15 09 02 14 0B 10 04 1E 0D 12 07 05 0F",  // 0x60
    "16 1B 0A 08 03 0C 18 0E 19 1D 13 01 2C 01 01 01",  // 0x70
};

TEST(MorseTable, EveryEntryMatchesThePrintedTable) {
    for (std::size_t row = 0; row < PrintedTable.size(); ++row) {
        std::istringstream in{std::string(PrintedTable[row])};
        for (std::size_t column = 0; column < 16; ++column) {
            unsigned expected = 0;
            ASSERT_TRUE(in >> std::hex >> expected);
            const std::size_t character = 0x20 + row * 16 + column;
            EXPECT_EQ(morseTable[character - 0x20], expected) << "character 0x" << std::hex << character;
        }
    }
}

// Builds a code byte from dots and dashes: elements from bit 0 up, then the marker.
std::uint8_t codeOf(std::string_view elements) {
    unsigned code = 1u << elements.size();
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (elements[i] == '-') code |= 1u << i;
    return static_cast<std::uint8_t>(code);
}

TEST(MorseTable, LettersAndDigitsAreTheirMorseCharacters) {
    constexpr std::array<std::string_view, 26> letters{
        ".-",   "-...", "-.-.", "-..", ".",   "..-.", "--.",  "....", "..",  ".---", "-.-",  ".-..", "--",
        "-.",   "---",  ".--.", "--.-", ".-.", "...", "-",    "..-",  "...-", ".--", "-..-", "-.--", "--.."};
    constexpr std::array<std::string_view, 10> digits{"-----", ".----", "..---", "...--", "....-",
                                                      ".....", "-....", "--...", "---..", "----."};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        EXPECT_EQ(charToCode(static_cast<unsigned char>('A' + i)), codeOf(letters[i])) << char('A' + i);
        EXPECT_EQ(charToCode(static_cast<unsigned char>('a' + i)), codeOf(letters[i])) << char('a' + i);
    }
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(charToCode(static_cast<unsigned char>('0' + i)), codeOf(digits[i])) << char('0' + i);
    EXPECT_EQ(charToCode('E'), 0x02);
    EXPECT_EQ(charToCode('T'), 0x03);
    EXPECT_EQ(charToCode(' '), 0x1C);
}

TEST(MorseTable, CharactersWithoutCode) {
    for (unsigned char c : std::string_view("#%&^_`{}~\x7F")) EXPECT_EQ(charToCode(c), NoCode) << int(c);
    for (unsigned c : {0u, 9u, 10u, 13u, 0x1Fu, 0x80u, 0xC8u, 0xFFu})
        EXPECT_EQ(charToCode(static_cast<unsigned char>(c)), NoCode) << c;
}

TEST(CodeToChar, GivesTheFirstCharacterOfASharedCode) {
    struct Case {
        std::uint8_t code;
        char character;
    };
    for (const Case c : {Case{0x1A, '!'}, Case{0x2D, '('}, Case{0x2A, '+'}, Case{0x29, '/'}, Case{0x06, 'A'},
                         Case{0x1C, ' '}, Case{0x3F, '0'}, Case{0xC8, '$'}, Case{0x01, '#'}, Case{0x00, 0},
                         Case{0x48, 0}, Case{0xFF, 0}})
        EXPECT_EQ(codeToChar(c.code), c.character) << std::hex << int(c.code);
}

class Codec : public ::testing::Test {
protected:
    // messageText with guard bytes either side, to see any write outside it.
    std::array<std::uint8_t, MessageTextSize + 32> buffer{};
    MessageText text{buffer.data() + 16, MessageTextSize};

    void SetUp() override { buffer.fill(0xEE); }
    void expectGuardsUntouched() {
        for (std::size_t i = 0; i < 16; ++i) {
            EXPECT_EQ(buffer[i], 0xEE) << i;
            EXPECT_EQ(buffer[16 + MessageTextSize + i], 0xEE) << i;
        }
    }
};

TEST_F(Codec, PacksCqAndTestBackToBack) {
    EXPECT_EQ(encodeMessage(text, "CQ", 0), 2u);
    EXPECT_EQ(encodeMessage(text, "TEST", 2), 6u);
    const std::array<std::uint8_t, 6> expected{0x15, 0x9B, 0x03, 0x02, 0x08, 0x83};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(text[i], expected[i]) << i;
    EXPECT_EQ(text[6], 0xEE);
    EXPECT_EQ(decodeMessage(text, 15), "CQ");
    EXPECT_EQ(decodeMessage(text, 17), "TEST");
}

TEST_F(Codec, EmptyTextStoresNothing) {
    EXPECT_EQ(encodeMessage(text, "", 7), 0u);
    EXPECT_EQ(text[7], 0xEE);
}

TEST_F(Codec, OneCharacterIsOneMarkedByte) {
    EXPECT_EQ(encodeMessage(text, "K", 0), 1u);
    EXPECT_EQ(text[0], 0x8D);
    EXPECT_EQ(text[1], 0xEE);
}

TEST_F(Codec, LineBreakBecomesTwoSpaces) {
    EXPECT_EQ(encodeMessage(text, "A\r\nB", 0), 4u);
    EXPECT_EQ(text[0], 0x06);
    EXPECT_EQ(text[1], 0x1C);
    EXPECT_EQ(text[2], 0x1C);
    EXPECT_EQ(text[3], 0x91);
    EXPECT_EQ(decodeMessage(text, 15), "A  B");
}

TEST_F(Codec, DollarEndsTheMessageWhenReadBack) {
    EXPECT_EQ(encodeMessage(text, "QRL$", 0), 4u);
    EXPECT_EQ(text[3], 0xC8);
    EXPECT_EQ(decodeMessage(text, 15), "QRL");
    encodeMessage(text, "$AB", 0);
    EXPECT_EQ(text[0], 0xC8);
    EXPECT_EQ(decodeMessage(text, 15), "");
}

TEST_F(Codec, SharedCodesComeBackAsTheirFirstCharacter) {
    encodeMessage(text, ";:\\<a", 0);
    EXPECT_EQ(text[0], 0x1A);
    EXPECT_EQ(decodeMessage(text, 15), "!(/+A");
}

TEST_F(Codec, CharactersWithoutTableEntryAreDropped) {
    EXPECT_EQ(encodeMessage(text, "\x80" "A\tB\xFF\x01", 0), 2u);
    EXPECT_EQ(text[0], 0x06);
    EXPECT_EQ(text[1], 0x91);
    EXPECT_EQ(text[2], 0xEE);
    // A text with nothing to send stores nothing at all.
    EXPECT_EQ(encodeMessage(text, "\x90\x91", 5), 0u);
    EXPECT_EQ(text[5], 0xEE);
    expectGuardsUntouched();
}

TEST_F(Codec, NeverWritesPastTheEndOfMessageText) {
    const std::string long300(300, 'E');
    EXPECT_EQ(encodeMessage(text, long300, 0), MessageTextSize);
    for (std::size_t i = 0; i + 1 < MessageTextSize; ++i) EXPECT_EQ(text[i], 0x02) << i;
    EXPECT_EQ(text[MessageTextSize - 1], 0x82) << "the cut message still ends with its end mark";
    expectGuardsUntouched();

    // Starting positions at and beyond the end store nothing.
    for (std::size_t position = MessageTextSize; position < 256; ++position)
        EXPECT_EQ(encodeMessage(text, "ABC", position), 0u) << position;
    EXPECT_EQ(encodeMessage(text, "ABC", 239), 241u);
    EXPECT_EQ(text[239], 0x06);
    EXPECT_EQ(text[240], 0x91);
    expectGuardsUntouched();
}

TEST_F(Codec, DecodingStaysInsideMessageTextForEveryPointer) {
    // No end mark anywhere: every message runs to the end of messageText.
    for (auto& b : text) b = 0x06;
    for (unsigned p = 0; p < 256; ++p) {
        const std::string decoded = decodeMessage(text, static_cast<std::uint8_t>(p));
        const std::size_t expected = p < 15 ? 0 : MessageTextSize - (p - 15);
        EXPECT_EQ(decoded, std::string(expected, 'A')) << p;
        EXPECT_LE(decoded.size(), MessageTextSize);
    }
    // The guard bytes would decode as characters if the decoder ran beyond the area.
    for (auto& b : buffer) b = 0x02;
    for (auto& b : text) b = 0x06;
    EXPECT_EQ(decodeMessage(text, 255), "A");
    EXPECT_EQ(decodeMessage(text, 1), "");
    EXPECT_EQ(decodeMessage(text, 14), "");
}

TEST_F(Codec, ByteWithoutCharacterCutsTheText) {
    text[0] = 0x06;
    text[1] = 0x48;  // matches no entry
    text[2] = 0x86;
    EXPECT_EQ(decodeMessage(text, 15), "A");
    EXPECT_EQ(decodeMessage(text, 0), "");
}

TEST(MessageBytesLeft, CountsDownFrom240) {
    EXPECT_EQ(messageBytesLeft(0), 240);
    EXPECT_EQ(messageBytesLeft(240), 0);
    EXPECT_EQ(messageBytesLeft(241), -1);
}

}  // namespace
