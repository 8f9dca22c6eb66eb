// Files: the program's own path, where its files are kept, reading a file
// into a buffer, replacing a file whole, listing a folder, removing a file,
// and a file written line by line.  Small on purpose: the logic never holds
// a file open, except the line file a wire trace writes into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Full path of the program's own executable file.
std::string programPath();

// Where this system keeps the program's configuration file, its folder
// created as needed; empty when the file belongs beside the program under
// the program's own name (Windows, the tests).
std::string configFileLocation();

// Where this system keeps the history of records read from and sent to a
// keyer, created as needed: on Linux history/ in the XDG data folder of the
// programs, on Windows `history` beside the program.  Empty when no folder
// is known.
std::string historyFolder();

// The names of the entries of a folder (no paths, in no order); false when
// the folder cannot be read.
bool listFolder(std::string_view folder, std::vector<std::string>& names);

// Removes a file; false when it could not be removed.
bool removeFile(std::string_view path);

enum class FileReadStatus {
    Ok,          // bytesRead bytes were read (fewer than asked when the file is shorter)
    NotOpened,   // missing, locked or no access
    ReadFailed,  // opened, but the read reported an error (bytesRead may be partial)
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::NotOpened;
    std::size_t bytesRead = 0;
};

// Reads up to dest.size() bytes from the start of an existing file, sharing
// read access with others.  Bytes beyond dest.size() are not read.
FileReadResult readFileStart(std::string_view path, std::span<std::uint8_t> dest);

enum class FileWriteStatus {
    Ok,            // the file now holds exactly the bytes given
    CannotCreate,  // nothing could be created in the file's place
    WriteFailed,   // writing or flushing failed; the previous file is untouched
};

// Replaces the file with the bytes given, safely: the bytes go to a new file
// beside it, are flushed to the disk, and only then take the old file's
// place.  A failure at any step leaves any previous file byte for byte.
FileWriteStatus replaceFile(std::string_view path, std::span<const std::uint8_t> bytes);

// A text file written a line at a time (a wire trace): each line goes to the
// system as it is written, so the lines before a crash are kept.
// openLineFile creates the file or empties it; null when it cannot.
struct LineFile;
LineFile* openLineFile(std::string_view path);
// Writes the line and a line end; false when they were not all written.
bool writeFileLine(LineFile* file, std::string_view line);
void closeLineFile(LineFile* file);
