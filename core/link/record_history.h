// The record history: every record read from a keyer and every record sent
// to one is kept, without being asked, as a settings file of its 300 bytes
// in the history folder (platform/files.h).  Names sort by time and say
// what happened to which keyer:
//
//   20240501-123456-789-read-PIKE-31.02.eep
//
// (UTC; read, write, before-update or after-update; the variant and the
// firmware version as the link check found them).  A record equal to the
// newest entry, when that entry names the same variant and firmware, is not
// kept again; the newest HistoryEntriesKept entries are kept and older ones
// removed only once a newer one is on disk.  Keeping an entry never stops
// an operation: its outcome says what happened and the caller decides what
// to tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/link_check.h"
#include "core/settings/keyer_settings.h"

enum class HistoryKind { Read, Write, BeforeUpdate, AfterUpdate };
// "read", "write", "before-update", "after-update"
std::string_view historyKindName(HistoryKind kind);

inline constexpr std::size_t HistoryEntriesKept = 1000;

struct HistoryEntry {
    std::string path;  // the folder and the name
    std::string name;
    std::int64_t timeMs = 0;  // from the name: milliseconds since 1970 UTC
    HistoryKind kind = HistoryKind::Read;
    std::string variant;   // "PIKE" (variantName)
    std::string firmware;  // "31.02" (firmwareVersionText)
};

// An entry's file name, and what a file name says (nothing when it is not
// an entry's; `path` is left empty).
std::string historyEntryName(std::int64_t timeMs, HistoryKind kind, const KeyerIdentity& keyer);
std::optional<HistoryEntry> parseHistoryEntryName(std::string_view name);
// "2024-05-01 12:34:56.789 UTC"
std::string historyTimeText(std::int64_t timeMs);

enum class HistoryOutcome {
    Kept,          // `path` is the new entry
    SameAsNewest,  // `path` is the newest entry, which holds this record already
    NoFolder,      // no history folder is known
    NotWritten,    // the entry could not be written: the folder is read-only, full, ...
};
struct HistoryKeepResult {
    HistoryOutcome outcome = HistoryOutcome::NotWritten;
    std::string path;
    bool inHistory() const { return outcome == HistoryOutcome::Kept || outcome == HistoryOutcome::SameAsNewest; }
    // One line saying why the record is not in the history, when it is not.
    std::string problem() const;
};

// Keeps one record read from (Read, BeforeUpdate, AfterUpdate) or sent to
// (Write) the keyer the link check identified.  At most one file is written.
HistoryKeepResult keepInHistory(const KeyerSettings& record, HistoryKind kind, const KeyerIdentity& keyer);

// Every entry of the history folder, newest first (other files there are
// left out); empty when there is no folder or it cannot be read.
std::vector<HistoryEntry> listHistory();
