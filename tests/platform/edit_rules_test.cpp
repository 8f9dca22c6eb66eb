// The edits' own rules, which the headless and FLTK backends share.
#include <gtest/gtest.h>

#include "platform/edit_rules.h"

namespace {

constexpr EditStyle Message{true, true, false};
constexpr EditStyle Plain{false, false, false};
constexpr EditStyle Digits{false, false, true};
constexpr TextEncoding Bytes = TextEncoding::CodePage;
constexpr TextEncoding Utf8 = TextEncoding::Utf8;

struct TypedCase {
    const char* name;
    EditStyle style;
    unsigned character;
    std::size_t lengthLeft;
    std::size_t limit;
    TextEncoding encoding;
    TypedOutcome outcome;
    const char* text;
};

TEST(EditRules, TypedCharacters) {
    const TypedCase cases[] = {
        {"lower case becomes capital", Message, 'q', 0, 100, Bytes, TypedOutcome::Insert, "Q"},
        {"plain edit keeps case", Plain, 'q', 0, 100, Bytes, TypedOutcome::Insert, "q"},
        {"enter breaks the line", Message, 13, 0, 100, Bytes, TypedOutcome::Insert, "\r\n"},
        {"ctrl+enter breaks the line", Message, 10, 0, 100, Utf8, TypedOutcome::Insert, "\r\n"},
        {"line break needs two", Message, 13, 99, 100, Bytes, TypedOutcome::Refuse, ""},
        {"line break fits exactly", Message, 13, 98, 100, Bytes, TypedOutcome::Insert, "\r\n"},
        {"one-line edit has no breaks", Plain, 13, 0, 100, Bytes, TypedOutcome::Refuse, ""},
        {"backspace erases", Message, 8, 5, 100, Bytes, TypedOutcome::EraseBack, ""},
        {"backspace at the limit erases", Digits, 8, 3, 3, Bytes, TypedOutcome::EraseBack, ""},
        {"ctrl+v is the edit's", Message, 22, 5, 100, Bytes, TypedOutcome::EditCommand, ""},
        {"tab is not inserted", Message, 9, 0, 100, Bytes, TypedOutcome::EditCommand, ""},
        {"0x7F is a character", Plain, 0x7F, 0, 100, Bytes, TypedOutcome::Insert, "\x7F"},
        {"0x7F is no digit", Digits, 0x7F, 0, 100, Bytes, TypedOutcome::Refuse, ""},
        {"0x7F counts against the limit", Message, 0x7F, 3, 3, Utf8, TypedOutcome::Refuse, ""},
        {"at the limit", Plain, '5', 3, 3, Bytes, TypedOutcome::Refuse, ""},
        {"below the limit", Plain, '5', 2, 3, Bytes, TypedOutcome::Insert, "5"},
        {"limit zero", Plain, '5', 0, 0, Bytes, TypedOutcome::Refuse, ""},
        {"digit in digits only", Digits, '7', 0, 100, Bytes, TypedOutcome::Insert, "7"},
        {"letter in digits only", Digits, 'a', 0, 100, Bytes, TypedOutcome::Refuse, ""},
        {"accented letter, one byte", Message, 0xE9, 99, 100, Bytes, TypedOutcome::Insert, "\xE9"},
        {"accented letter in UTF-8", Message, 0xE9, 0, 100, Utf8, TypedOutcome::Insert, "\xC3\xA9"},
        {"UTF-8 takes two bytes", Message, 0xE9, 99, 100, Utf8, TypedOutcome::Refuse, ""},
    };
    for (const TypedCase& c : cases) {
        const TypedResult result = typedCharacter(c.style, c.character, c.lengthLeft, c.limit, c.encoding);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.text, c.text) << c.name;
    }
}

struct InsertCase {
    EditStyle style;
    const char* text;
    std::size_t lengthLeft;
    std::size_t limit;
    const char* inserted;
};

TEST(EditRules, InsertedText) {
    const InsertCase cases[] = {
        {Message, "cq\r\nde", 0, 100, "CQ\r\nDE"},
        {Message, "cq\nde\r", 0, 100, "CQ\r\nDE"},  // a lone LF breaks the line, a lone CR goes
        {Plain, "cq\r\n", 0, 100, "cq\r\n"},       // a one-line edit keeps what it is given
        {Message, "ab\r\ncd", 0, 3, "AB"},          // a line break whole or not at all
        {Message, "ab\r\ncd", 0, 4, "AB\r\n"},
        {Message, "abc", 9, 10, "A"},
        {Message, "abc", 10, 10, ""},
        {Digits, "12a", 0, 10, "12a"},  // an insert is not checked for digits
    };
    for (const InsertCase& c : cases)
        EXPECT_EQ(insertionText(c.style, c.text, c.lengthLeft, c.limit, TextEncoding::CodePage), c.inserted) << c.text;
    EXPECT_EQ(insertionText(Message, "\xC3\xA9\xC3\xA9", 0, 3, TextEncoding::Utf8), "\xC3\xA9");
    // The program's own text is not held to the limit.
    EXPECT_EQ(settableText(Message, std::string(40000, 'a'), TextEncoding::CodePage), std::string(40000, 'A'));
}

TEST(EditRules, Utf8RoundTripsAndKeepsStrayBytes) {
    const std::vector<unsigned> points{'A', 0xE9, 0x20AC, 0x1F600};
    std::string text;
    for (unsigned p : points) text += encodeUtf8(p);
    EXPECT_EQ(text, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeUtf8(text), points);
    // A byte that starts no valid sequence stands for itself.
    EXPECT_EQ(decodeUtf8("\xE9x"), (std::vector<unsigned>{0xE9, 'x'}));
    EXPECT_EQ(decodeUtf8("\xC3"), (std::vector<unsigned>{0xC3}));
}

}  // namespace
