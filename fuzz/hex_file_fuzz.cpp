// Feeds arbitrary bytes to the firmware file loader, as one line and as a
// whole file, and checks what must hold for any input: no access outside the
// line or the image, a known result code, and every record of a loaded image
// still addressed inside itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/firmware/hex_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    HexLine line;
    if (parseHexLine(text, line) && line.count * 2u + 11u > size) __builtin_trap();

    if (size == 0) return 0;  // a memory stream needs at least one byte
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (!stream) return 0;
    static FirmwareImage image;
    const int result = loadFirmwareStream(image, nullptr, stream);
    std::fclose(stream);
    if (result < FileDataOutsideImage) __builtin_trap();
    for (std::size_t r = 0; r < ImageRecordCount; ++r)
        if (recordWordAddress(image[r]) / WordsPerRecord != r) __builtin_trap();
    return 0;
}
