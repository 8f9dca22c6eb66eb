// The "RTTY Mode Setup" dialog (template 1005): the two RTTY option bytes of
// the user set on show, edited in the record only; they reach the keyer with
// the next Write and a settings file with the next save.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

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

// Ends with 1 after "Ok", "Cancel" or Enter, 0 after the close box.
bool rttyDialogProc(Window dialog, const DialogMessage& message);
