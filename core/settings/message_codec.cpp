#include "core/settings/message_codec.h"

char codeToChar(std::uint8_t code) {
    for (std::size_t i = 0; i < morseTable.size(); ++i) {
        if (morseTable[i] == code) return static_cast<char>(0x20 + i);
    }
    return 0;
}

std::size_t encodeMessage(MessageText messageText, std::string_view text, std::size_t position) {
    std::size_t next = position;
    for (char raw : text) {
        if (next >= messageText.size()) break;  // the area is full: the rest of the text is cut
        unsigned char character = static_cast<unsigned char>(raw);
        if (character == '\r' || character == '\n') character = ' ';
        // A character with no table entry has nothing to send; it is dropped, never looked up outside the table.
        if (character < 0x20 || character > 0x7F) continue;
        messageText[next++] = charToCode(character);
    }
    if (next == position) return 0;
    messageText[next - 1] |= EndMark;
    return next;
}

std::string decodeMessage(ConstMessageText messageText, std::uint8_t pointer) {
    std::string text;
    if (pointer < MessageTextOffset) return text;
    for (std::size_t offset = pointer - MessageTextOffset; offset < messageText.size(); ++offset) {
        const std::uint8_t code = messageText[offset];
        const char character = codeToChar(static_cast<std::uint8_t>(code & ~EndMark));
        if (character == 0) break;  // a byte that matches no character ends the shown text
        text.push_back(character);
        if (code & EndMark) break;
    }
    return text;
}
