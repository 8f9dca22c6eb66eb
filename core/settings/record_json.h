// A settings record as a flat JSON object: every named field of
// describeRecord as a string, beside the 300 bytes as hex, so that reading
// it back gives the same record byte for byte and an edited field changes
// just what the same assignment would.
#pragma once

#include <string>
#include <string_view>

#include "core/settings/keyer_settings.h"

std::string recordToJson(const KeyerSettings& record);

struct JsonImportResult {
    bool ok = false;
    std::string message;  // what was wrong, with its place in the text
};
// Builds the record from "record" (or, without it, a factory-fresh one) and
// then every field whose value differs from what that record shows.  On
// failure `record` is unchanged.
JsonImportResult recordFromJson(std::string_view json, KeyerSettings& record);
