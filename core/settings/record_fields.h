// A whole settings record as named fields: what jxtool shows, compares and
// sets.  Every name, label, bound and message comes from the tables the
// panel, the RTTY dialog and the message editor use.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings/keyer_settings.h"

struct RecordField {
    std::string name;   // "user1.weight", "user2.rtty.baud", "msg3", "userSet"
    std::string label;  // as the window shows it: "Weight", "Msg 3"
    std::string value;  // as `setRecordFields` takes it back
};

// In a fixed order: the selections, each user set's panel and RTTY fields,
// then the fourteen messages.
std::vector<RecordField> describeRecord(const KeyerSettings& record);

// The extension block as hex bytes, "xx xx ..." (shown, never set by name).
std::string extensionBlockHex(const KeyerSettings& record);

// How record b differs from record a, in the words jxtool prints: one line
// per field, `user1.weight: "62" -> "60"`, then the offsets of differing
// bytes that no field names (changed alone, they change no field's value),
// or, when no field differs at all, every differing offset.  Empty when the
// 300 bytes are equal.
std::vector<std::string> recordDifferences(const KeyerSettings& a, const KeyerSettings& b);

struct FieldAssignment {
    std::string name;
    std::string value;
};

struct SetFieldsResult {
    bool ok = false;
    std::string message;  // the first refusal: a panel field's own capture message, or what was wrong
};

// Applies every assignment, or none: on any refusal the record is unchanged.
// A user set whose number fields are assigned goes through the panel's
// capture whole (its order, bounds and messages), with the assigned values
// in place of the ones the panel would show.
SetFieldsResult setRecordFields(KeyerSettings& record, std::span<const FieldAssignment> assignments);

// Both user sets as Write would check them: the first capture message, or empty.
std::string_view checkRecordForWrite(const KeyerSettings& record);
