// The keyer's message memory code: one byte per character, holding the Morse
// elements from the least significant bit up (1 dah, 0 dit) and one marker bit
// above the last element.  Bit 7 of a message's last byte is its end mark.
//
// Layout of the message area (bytes 32-287 of the record, offsets below are
// from its start): byte 0 messageEnd, bytes 1-14 the start pointers of the
// fourteen slots, bytes 15-255 messageText.  A pointer p designates area byte
// p, so the first byte of messageText has pointer 15 and 0 means an empty slot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::size_t MessageSlotCount = 14;
inline constexpr std::size_t MessageEndOffset = 0;
inline constexpr std::size_t MessagePointersOffset = 1;
inline constexpr std::size_t MessageTextOffset = 15;  // also the pointer of messageText's first byte
inline constexpr std::size_t MessageTextSize = 241;   // room for 241 code bytes, one per character

inline constexpr std::uint8_t NoCode = 0x01;   // a marker and no elements: the character cannot be sent
inline constexpr std::uint8_t EndMark = 0x80;  // set on the last byte of every message

using MessageText = std::span<std::uint8_t, MessageTextSize>;
using ConstMessageText = std::span<const std::uint8_t, MessageTextSize>;

// Code bytes of the characters 0x20 to 0x7F.  Lower-case letters share the
// capitals' codes; "$" (0xC8) is the one code that carries bit 7.
inline constexpr std::array<std::uint8_t, 96> morseTable{
    // 0x20: space ! " # $ % & ' ( ) * + , - . /
    0x1C, 0x1A, 0x52, 0x01, 0xC8, 0x01, 0x01, 0x5E, 0x2D, 0x6D, 0x1F, 0x2A, 0x73, 0x61, 0x6A, 0x29,
    // 0x30: 0-9 : ; < = > ?
    0x3F, 0x3E, 0x3C, 0x38, 0x30, 0x20, 0x21, 0x23, 0x27, 0x2F, 0x2D, 0x1A, 0x2A, 0x31, 0x68, 0x4C,
    // 0x40: @ A-O
    0x56, 0x06, 0x11, 0x15, 0x09, 0x02, 0x14, 0x0B, 0x10, 0x04, 0x1E, 0x0D, 0x12, 0x07, 0x05, 0x0F,
    // 0x50: P-Z [ \ ] ^ _
    0x16, 0x1B, 0x0A, 0x08, 0x03, 0x0C, 0x18, 0x0E, 0x19, 0x1D, 0x13, 0x22, 0x29, 0x2D, 0x01, 0x01,
    // 0x60: ` a-o
    0x01, 0x06, 0x11, 0x15, 0x09, 0x02, 0x14, 0x0B, 0x10, 0x04, 0x1E, 0x0D, 0x12, 0x07, 0x05, 0x0F,
    // 0x70: p-z { | } ~ DEL
    0x16, 0x1B, 0x0A, 0x08, 0x03, 0x0C, 0x18, 0x0E, 0x19, 0x1D, 0x13, 0x01, 0x2C, 0x01, 0x01, 0x01,
};

// The code byte of a character, or NoCode for one that the keyer cannot send
// (including every character outside 0x20-0x7F; carriage return and line feed
// are not mapped here, the encoder turns them into spaces first).
constexpr std::uint8_t charToCode(unsigned char character) {
    if (character < 0x20 || character > 0x7F) return NoCode;
    return morseTable[character - 0x20u];
}

// The character of the first table entry equal to code, or 0 when none is.
// Shared codes therefore come back as the first of their characters.
char codeToChar(std::uint8_t code);

// Packs text into messageText from position on and marks its last byte.
// Line breaks become spaces; characters that have no table entry (outside
// 0x20-0x7F) are dropped; nothing is written at or beyond the end of
// messageText, so a text that does not fit is cut there.  Returns the position
// after the stored bytes, or 0 when nothing was stored.
std::size_t encodeMessage(MessageText messageText, std::string_view text, std::size_t position);

// The text of the message at pointer.  Pointer 0 is an empty slot, and so are
// 1-14, which designate the pointer table rather than text.  Decoding stops at
// the end mark, at a byte that matches no character, or at the end of
// messageText, so the text never exceeds 241 characters.
std::string decodeMessage(ConstMessageText messageText, std::uint8_t pointer);

// "Msg Bytes Left" shows 240 minus the characters in use: 0 at 240, and -1
// when all 241 bytes are taken.
constexpr int messageBytesLeft(int bytesUsed) { return 240 - bytesUsed; }
