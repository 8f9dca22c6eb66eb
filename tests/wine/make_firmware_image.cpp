// Writes a firmware image file (Intel HEX) for the Wine tests' uploads:
//   make_firmware_image OUT RAW_VERSION RAW_CODE
// with the identity word's two raw bytes given in hex (20 36: PIKE 32.04).
#include <cstdio>
#include <cstdlib>

#include "tests/firmware/hex_writer.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_firmware_image OUT RAW_VERSION RAW_CODE\n");
        return 2;
    }
    const auto version = static_cast<std::uint8_t>(std::strtoul(argv[2], nullptr, 16));
    const auto code = static_cast<std::uint8_t>(std::strtoul(argv[3], nullptr, 16));
    hexw::writeText(argv[1], hexw::fileOf(hexw::imageBytes(version, code)));
    return 0;
}
