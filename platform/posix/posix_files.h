// Files on a POSIX system, shared by the Linux backends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

FileReadResult posixReadFileStart(std::string_view path, std::span<std::uint8_t> dest);
// How a descriptor is flushed to the disk (as fsync: 0 or -1).
using FlushToDisk = std::function<int(int fd)>;

// simulateWriteFailure: the write stops short, as a full disk would make it.
// flush: fsync when empty; tests pass their own to see what is flushed when.
FileWriteStatus posixReplaceFile(std::string_view path, std::span<const std::uint8_t> bytes,
                                 bool simulateWriteFailure = false, const FlushToDisk& flush = {});

bool posixListFolder(std::string_view folder, std::vector<std::string>& names);
bool posixRemoveFile(std::string_view path);
// Creates the folder and each missing folder above it, for the owner only
// (as the XDG base directories ask).  One that cannot be made is left to
// the write into it to report.
void posixCreateFolders(const std::string& folder);
