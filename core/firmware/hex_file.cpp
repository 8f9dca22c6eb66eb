#include "core/firmware/hex_file.h"

#include <algorithm>
#include <memory>


namespace {

// Fixed columns of a line: ':' LL AAAA TT, the data, then CC.
constexpr std::size_t CountColumn = 1;
constexpr std::size_t AddressColumn = 3;
constexpr std::size_t TypeColumn = 7;
constexpr std::size_t DataColumn = 9;
constexpr std::size_t ShortestLine = 11;  // a line without data bytes

// The longest line one read takes; the rest of a longer line is read as the
// next line (and fails to parse).
constexpr std::size_t LineBufferChars = 1000;  // 999 characters and the terminator

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at pos.  Every character of the field
// must be a digit: a field with a stray character is a broken line, never a
// shorter number.
bool readHexField(std::string_view text, std::size_t pos, std::size_t digits, unsigned& value) {
    if (pos + digits > text.size()) return false;
    value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const int d = hexDigit(text[pos + k]);
        if (d < 0) return false;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return true;
}

void report(const ProgressSink& progress, int position) {
    if (progress) progress(position);
}

// Whether the bytes of a data line that starts at word (below the image's
// end) reach beyond word 0x1FFF.  An odd byte address starts in the high
// byte of its word.
bool lineRunsPastTheImage(unsigned word, const HexLine& line) {
    const unsigned bytesLeft = 2u * (ImageWordCount - word);
    return (line.address & 1u) + line.count > bytesLeft;
}

// The body of a load into an image that is already blank.
int readHexStream(FirmwareImage& image, const ProgressSink& progress, std::FILE* stream) {
    // Type 04 lines move later data by 0x8000 words when their second byte is odd.
    std::uint16_t extendedWordOffset = 0;
    int dataLines = 0;
    int lastRecord = 0;
    std::array<char, LineBufferChars> buffer{};
    HexLine line;

    for (;;) {
        if (std::feof(stream) || std::ferror(stream)) return FileEndedEarly;
        report(progress, lastRecord);

        if (!std::fgets(buffer.data(), static_cast<int>(buffer.size()), stream)) buffer[0] = '\0';
        std::string_view text(buffer.data());
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);

        // An empty text fails here too, so a blank line anywhere fails the load.
        if (!parseHexLine(text, line)) return FileBadLine;

        switch (line.type) {
            case HexData: {
                const unsigned word = (line.address / 2u + extendedWordOffset) & 0xFFFFu;
                // More than one record's worth on a line cannot be placed.
                if (line.count > ImageRecordDataBytes) return FileDataOutsideImage;
                // Words from 0x2000 up are the chip's ID locations (0x2000-0x2003),
                // configuration word (0x2007) and EEPROM data (0x2100 on), which
                // the tool chains write into every image file.  The bootloader
                // programs none of them, so such lines are skipped: they put
                // nothing in the image and are not counted as data lines.
                if (word >= ImageWordCount) break;
                // A line that starts in program memory but runs past its end
                // fails the whole load rather than leaving an image that looks
                // good but lacks part of the file.
                if (lineRunsPastTheImage(word, line)) return FileDataOutsideImage;
                const std::size_t r = word / WordsPerRecord;
                // The line's data fills its record from the first word on, and the
                // record takes the line's own word address, wherever that falls.
                image[r][0] = static_cast<std::uint8_t>(word >> 8);
                image[r][1] = static_cast<std::uint8_t>(word & 0xFF);
                std::copy_n(line.data.begin(), line.count, image[r].begin() + 2);
                ++dataLines;
                report(progress, dataLines / 4);
                lastRecord = static_cast<int>(r);
                break;
            }
            case HexExtendedLinearAddress:
                // Only the second byte counts: bit 0 of the upper address half is
                // word address bit 15.
                if (line.count < 2) return FileBadLine;
                extendedWordOffset = static_cast<std::uint16_t>((line.data[1] * 32768u) & 0xFFFFu);
                break;
            case HexExtendedSegmentAddress:
                break;
            case HexEndOfFile:
                return dataLines;
            default:
                return FileBadRecordType;
        }
    }
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool parseHexLine(std::string_view text, HexLine& line) {
    if (text.size() < ShortestLine || text[0] != ':') return false;

    unsigned count = 0;
    if (!readHexField(text, CountColumn, 2, count)) return false;
    if (text.size() < 2 * count + ShortestLine) return false;

    unsigned address = 0;
    unsigned type = 0;
    if (!readHexField(text, AddressColumn, 4, address)) return false;
    if (!readHexField(text, TypeColumn, 2, type)) return false;

    unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
    std::array<std::uint8_t, 255> data{};
    std::size_t pos = DataColumn;
    for (unsigned k = 0; k < count; ++k, pos += 2) {
        unsigned byte = 0;
        if (!readHexField(text, pos, 2, byte)) return false;
        data[k] = static_cast<std::uint8_t>(byte);
        sum += byte;
    }

    unsigned checksum = 0;
    if (!readHexField(text, pos, 2, checksum)) return false;
    if (((sum + checksum) & 0xFF) != 0) return false;

    line.address = static_cast<std::uint16_t>(address);
    line.count = static_cast<std::uint8_t>(count);
    line.type = static_cast<std::uint8_t>(type);
    line.data = data;
    return true;
}

int loadFirmwareFile(FirmwareImage& image, const ProgressSink& progress, const std::string& path) {
    blankImage(image);
    if (path.empty()) return FileNoPath;
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(path.c_str(), "r"));
    if (!stream) return FileOpenFailed;
    return readHexStream(image, progress, stream.get());
}

int loadFirmwareStream(FirmwareImage& image, const ProgressSink& progress, std::FILE* stream) {
    blankImage(image);
    return readHexStream(image, progress, stream);
}
