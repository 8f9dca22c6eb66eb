// The keyer's RTTY mode options: two registers of each user set's extension
// block, as the RTTY dialog shows them and scripts name them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// rttyReg1 bits.
namespace rttyBits1 {
inline constexpr std::uint8_t rttyEnable = 0x80;
inline constexpr std::uint8_t rttyDiddle = 0x40;
inline constexpr std::uint8_t fskMap = 0x20;
inline constexpr std::uint8_t autoCrLf = 0x10;
inline constexpr std::uint8_t rttyReverse = 0x04;
inline constexpr std::uint8_t rttyBaudMask = 0x03;  // 0 45.45, 1 50, 2 75, 3 100
}  // namespace rttyBits1

// rttyReg2 bits.
namespace rttyBits2 {
inline constexpr std::uint8_t stopBitsCode = 0x08;  // 0 two stop bits, 1 one and a half
inline constexpr std::uint8_t diddleLetters = 0x04;  // 0 diddle with blanks, 1 with letters
inline constexpr std::uint8_t usos = 0x01;           // unshift on space
}  // namespace rttyBits2

// What the dialog shows, in the order it shows it, with the labels it puts
// beside each; the names are the ones scripts use.
// Check boxes: bits of rttyReg1.
struct RttyFlag {
    std::string_view name;
    std::string_view label;
    std::uint8_t bit;
};
inline constexpr std::array<RttyFlag, 5> rttyFlags{{
    {"enable", "RTTY Enable", rttyBits1::rttyEnable},
    {"diddle", "Diddle", rttyBits1::rttyDiddle},
    {"fskMap", "FSK Map", rttyBits1::fskMap},
    {"autoCrLf", "AutoCRLF", rttyBits1::autoCrLf},
    {"reverse", "Reverse", rttyBits1::rttyReverse},
}};
// The baud list: its selection index is the two low bits of rttyReg1.
inline constexpr std::string_view RttyBaudLabel = "Baud Rate";
inline constexpr std::array<std::string_view, 4> rttyBaudRates{"45.45", "50", "75", "100"};
// Two-entry lists: each is one bit of rttyReg2 (entry 1 sets it).
struct RttyChoice {
    std::string_view name;
    std::string_view label;
    std::uint8_t bit;
    std::array<std::string_view, 2> entries;
};
inline constexpr std::array<RttyChoice, 3> rttyChoices{{
    {"stopBits", "Stop Bits", rttyBits2::stopBitsCode, {"2.0", "1.5"}},
    {"diddleIs", "Diddle is", rttyBits2::diddleLetters, {"Blank", "Ltrs"}},
    {"usos", "USOS", rttyBits2::usos, {"Off", "On"}},
}};
