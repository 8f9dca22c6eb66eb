// The program icon, one picture for every program: a blue badge with the
// Morse letter K (dah dit dah) in white between two amber bars.  It is drawn
// here at any size; the Linux program shows the pixels and the Windows build
// writes them into its .ico (icon 8001).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// size x size pixels, rows from the top, 4 bytes each: red, green, blue, alpha.
std::vector<std::uint8_t> drawProgramIcon(int size);

// The sizes the Windows .ico holds.
inline constexpr int ProgramIconSizes[] = {16, 24, 32, 48, 64, 128};

// An icon file with one 32-bit picture (and its AND mask) per size.
std::vector<std::uint8_t> programIconFile(std::span<const int> sizes);
