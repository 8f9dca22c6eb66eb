#include "core/link/record_history.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace {

struct KindName {
    HistoryKind kind;
    std::string_view name;
};
// Longest first, so that a name is matched whole.
constexpr std::array<KindName, 4> kindNames{{
    {HistoryKind::BeforeUpdate, "before-update"},
    {HistoryKind::AfterUpdate, "after-update"},
    {HistoryKind::Write, "write"},
    {HistoryKind::Read, "read"},
}};

constexpr std::string_view EntryExtension = ".eep";

struct CalendarTime {
    int year, month, day, hour, minute, second, millisecond;
};

CalendarTime calendarOf(std::int64_t timeMs) {
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{timeMs}};
    const sys_days date = floor<days>(time);
    const year_month_day ymd{date};
    const hh_mm_ss<milliseconds> clock{time - date};
    return {int(ymd.year()),
            int(unsigned(ymd.month())),
            int(unsigned(ymd.day())),
            int(clock.hours().count()),
            int(clock.minutes().count()),
            int(clock.seconds().count()),
            int(clock.subseconds().count())};
}

// The digits of text[from, from + count), or -1 when any is not a digit.
int digitsAt(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool sameRecordIn(const std::string& path, const KeyerSettings& record) {
    std::array<std::uint8_t, RecordSize + 1> bytes{};
    const FileReadResult read = readFileStart(path, bytes);
    const auto wanted = recordBytes(record);
    return read.status == FileReadStatus::Ok && read.bytesRead == RecordSize &&
           std::equal(wanted.begin(), wanted.end(), bytes.begin());
}

// The entries in the folder, oldest first.
std::vector<HistoryEntry> entriesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::vector<HistoryEntry> entries;
    if (folder.empty() || !listFolder(folder, names)) return entries;
    for (const std::string& name : names) {
        std::optional<HistoryEntry> entry = parseHistoryEntryName(name);
        if (!entry) continue;
        entry->path = pathInFolder(folder, name);
        entries.push_back(std::move(*entry));
    }
    // The time comes first in every name, so names sort by time.
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& x, const HistoryEntry& y) { return x.name < y.name; });
    return entries;
}

}  // namespace

std::string_view historyKindName(HistoryKind kind) {
    for (const KindName& k : kindNames)
        if (k.kind == kind) return k.name;
    return {};
}

std::string historyEntryName(std::int64_t timeMs, HistoryKind kind, const KeyerIdentity& keyer) {
    const CalendarTime t = calendarOf(timeMs);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d-%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return std::string(stamp) + "-" + std::string(historyKindName(kind)) + "-" +
           std::string(variantName(keyer.variant)) + "-" + firmwareVersionText(keyer) + std::string(EntryExtension);
}

std::optional<HistoryEntry> parseHistoryEntryName(std::string_view name) {
    // "YYYYMMDD-HHMMSS-mmm-", then the kind, the variant and the firmware.
    constexpr std::size_t StampLength = 20;
    if (name.size() <= StampLength + EntryExtension.size() || !name.ends_with(EntryExtension)) return std::nullopt;
    if (name[8] != '-' || name[15] != '-' || name[19] != '-') return std::nullopt;
    const int date = digitsAt(name, 0, 8), clock = digitsAt(name, 9, 6), ms = digitsAt(name, 16, 3);
    if (date < 0 || clock < 0 || ms < 0) return std::nullopt;
    const int month = date / 100 % 100, day = date % 100, hour = clock / 10000, minute = clock / 100 % 100,
              second = clock % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return std::nullopt;

    HistoryEntry entry;
    entry.name = name;
    const std::chrono::sys_days midnight{std::chrono::year{date / 10000} / month / day};
    const auto time = midnight + std::chrono::hours{hour} + std::chrono::minutes{minute} +
                      std::chrono::seconds{second} + std::chrono::milliseconds{ms};
    entry.timeMs = time.time_since_epoch().count();
    std::string_view rest = name.substr(StampLength, name.size() - StampLength - EntryExtension.size());
    const auto kind = std::find_if(kindNames.begin(), kindNames.end(), [&](const KindName& k) {
        return rest.starts_with(k.name) && rest.size() > k.name.size() && rest[k.name.size()] == '-';
    });
    if (kind == kindNames.end()) return std::nullopt;
    entry.kind = kind->kind;
    rest.remove_prefix(kind->name.size() + 1);
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size()) return std::nullopt;
    entry.variant = rest.substr(0, dash);
    entry.firmware = rest.substr(dash + 1);
    return entry;
}

std::string historyTimeText(std::int64_t timeMs) {
    const CalendarTime t = calendarOf(timeMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d UTC", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return text;
}

std::string HistoryKeepResult::problem() const {
    switch (outcome) {
        case HistoryOutcome::NoFolder: return "no folder for it is known";
        case HistoryOutcome::NotWritten: return "could not write " + path;
        default: return {};
    }
}

HistoryKeepResult keepInHistory(const KeyerSettings& record, HistoryKind kind, const KeyerIdentity& keyer) {
    HistoryKeepResult result;
    const std::string folder = historyFolder();
    if (folder.empty()) {
        result.outcome = HistoryOutcome::NoFolder;
        return result;
    }
    std::vector<HistoryEntry> entries = entriesIn(folder);
    std::int64_t timeMs = wallClockMs();
    if (!entries.empty()) {
        const HistoryEntry& newest = entries.back();
        if (newest.variant == variantName(keyer.variant) && newest.firmware == firmwareVersionText(keyer) &&
            sameRecordIn(newest.path, record)) {
            result.outcome = HistoryOutcome::SameAsNewest;
            result.path = newest.path;
            return result;
        }
        // Two entries in one millisecond, or a clock set back: the new entry
        // still sorts after every other, so the newest stay the newest.
        timeMs = std::max(timeMs, newest.timeMs + 1);
    }
    result.path = pathInFolder(folder, historyEntryName(timeMs, kind, keyer));
    if (replaceFile(result.path, recordBytes(record)) != FileWriteStatus::Ok) {
        result.outcome = HistoryOutcome::NotWritten;
        return result;
    }
    result.outcome = HistoryOutcome::Kept;
    // Only now that the new entry is on disk may the oldest go.
    const std::size_t total = entries.size() + 1;
    for (std::size_t i = 0; i + HistoryEntriesKept < total; ++i) removeFile(entries[i].path);
    return result;
}

std::vector<HistoryEntry> listHistory() {
    std::vector<HistoryEntry> entries = entriesIn(historyFolder());
    std::reverse(entries.begin(), entries.end());
    return entries;
}
