// jxtool's set and import input: the bytes split into lines, each a
// NAME=VALUE assignment, through setRecordFields; and the bytes as JSON text
// through recordFromJson.  What must hold: a refusal leaves the record byte
// for byte, an accepted set made twice changes nothing more, and an accepted
// import reads back from its own JSON as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/settings/keyer_settings.h"
#include "core/settings/record_fields.h"
#include "core/settings/record_json.h"

namespace {

bool same(const KeyerSettings& a, const KeyerSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const KeyerSettings start = factorySettings();

    // As the command line would hand them over: up to the first '=' the name.
    std::vector<FieldAssignment> assignments;
    for (std::size_t from = 0; from < input.size();) {
        std::size_t end = input.find('\n', from);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view line = input.substr(from, end - from);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            assignments.push_back({std::string(line), {}});
        else
            assignments.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
        from = end + 1;
    }
    KeyerSettings record = start;
    const SetFieldsResult set = setRecordFields(record, assignments);
    if (!set.ok && !same(record, start)) __builtin_trap();
    if (!set.ok && set.message.empty()) __builtin_trap();
    if (set.ok) {
        KeyerSettings again = record;
        if (!setRecordFields(again, assignments).ok || !same(again, record)) __builtin_trap();
    }

    KeyerSettings imported = start;
    const JsonImportResult json = recordFromJson(input, imported);
    if (!json.ok && !same(imported, start)) __builtin_trap();
    if (!json.ok && json.message.empty()) __builtin_trap();
    if (json.ok) {
        KeyerSettings back{};
        if (!recordFromJson(recordToJson(imported), back).ok || !same(back, imported)) __builtin_trap();
    }
    return 0;
}
