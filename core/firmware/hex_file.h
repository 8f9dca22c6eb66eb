// Firmware image files: Intel HEX text (offered to the operator as "bin"
// files), read line by line into a FirmwareImage.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "core/firmware/firmware_image.h"

// One parsed line.  The data area holds up to 255 bytes, the most a line's
// two-digit count can announce.
struct HexLine {
    std::uint16_t address = 0;  // byte address AAAA
    std::uint8_t count = 0;     // LL
    std::uint8_t type = 0;      // TT
    std::array<std::uint8_t, 255> data{};
};

enum HexRecordType : std::uint8_t {
    HexData = 0x00,
    HexEndOfFile = 0x01,
    HexExtendedSegmentAddress = 0x02,
    HexExtendedLinearAddress = 0x04,
};

// Parses one line without its line end.  On success fills line and returns
// true; on failure returns false and leaves line as it was.
bool parseHexLine(std::string_view text, HexLine& line);

// Results of loadFirmwareFile below zero; zero or more is the count of data
// lines that put data into the image.  Data lines at word addresses 0x2000
// and above (ID locations, configuration word, EEPROM data) are skipped and
// not counted.
enum FirmwareFileResult : int {
    FileNoPath = -1,
    FileOpenFailed = -2,
    FileEndedEarly = -3,       // end of file or a read error before the end-of-file line
    FileBadLine = -4,          // a line failed parseHexLine, or an address record without its bytes
    FileBadRecordType = -5,    // a record type other than 00, 01, 02, 04
    FileDataOutsideImage = -6, // a line that starts below word 0x2000 and runs past 0x1FFF, or more than one record's 16 bytes on a line
};

// Told the loader's position as it reads (0 to 100 fills the progress bar;
// larger values show as full).
using ProgressSink = std::function<void(int position)>;

// Blanks the image, then reads the file at path into it.
int loadFirmwareFile(FirmwareImage& image, const ProgressSink& progress, const std::string& path);
// The same from a stream already open for reading in text mode; the caller
// closes it.  The image is blanked first.
int loadFirmwareStream(FirmwareImage& image, const ProgressSink& progress, std::FILE* stream);
