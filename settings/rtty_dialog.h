// The "RTTY Mode Setup" dialog (template 1005): the two RTTY option bytes of
// the user set on show, edited in the record only; they reach the keyer with
// the next Write and a settings file with the next save.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/dialog.h"
#include "resources/control_ids.h"

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

// What the dialog shows, in the order it shows it; the names are the ones
// scripts use.
// Check boxes: bits of rttyReg1.
struct RttyFlag {
    std::string_view name;
    int controlId;
    std::uint8_t bit;
};
inline constexpr std::array<RttyFlag, 5> rttyFlags{{
    {"enable", rtty::EnableCheck, rttyBits1::rttyEnable},
    {"diddle", rtty::DiddleCheck, rttyBits1::rttyDiddle},
    {"fskMap", rtty::FskMapCheck, rttyBits1::fskMap},
    {"autoCrLf", rtty::AutoCrLfCheck, rttyBits1::autoCrLf},
    {"reverse", rtty::ReverseCheck, rttyBits1::rttyReverse},
}};
// The baud list: its selection index is the two low bits of rttyReg1.
inline constexpr std::array<std::string_view, 4> rttyBaudRates{"45.45", "50", "75", "100"};
// Two-entry lists: each is one bit of rttyReg2 (entry 1 sets it).
struct RttyChoice {
    std::string_view name;
    int controlId;
    int labelId;
    std::uint8_t bit;
    std::array<std::string_view, 2> entries;
};
inline constexpr std::array<RttyChoice, 3> rttyChoices{{
    {"stopBits", rtty::StopBitsList, rtty::StopBitsLabel, rttyBits2::stopBitsCode, {"2.0", "1.5"}},
    {"diddleIs", rtty::DiddleIsList, rtty::DiddleIsLabel, rttyBits2::diddleLetters, {"Blank", "Ltrs"}},
    {"usos", rtty::UsosList, rtty::UsosLabel, rttyBits2::usos, {"Off", "On"}},
}};

// Ends with 1 after "Ok", "Cancel" or Enter, 0 after the close box.
bool rttyDialogProc(Window dialog, const DialogMessage& message);
