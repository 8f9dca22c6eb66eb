// jxtool's show --json and import: a whole record to JSON text and back, the
// messages filled to the last of their 241 characters.
#include <benchmark/benchmark.h>

#include <bit>
#include <string>

#include "core/settings/keyer_settings.h"
#include "core/settings/message_memory.h"
#include "core/settings/record_json.h"

namespace {

KeyerSettings fullRecord() {
    auto record = factorySettings();
    MessageTexts texts;
    for (std::size_t slot = 0; slot < texts.size(); ++slot)
        texts[slot] = std::string(slot < 13 ? 17 : 241 - 13 * 17, static_cast<char>('A' + slot));
    storeMessageTexts(record, texts);
    return record;
}

void BM_RecordToJson(benchmark::State& state) {
    const KeyerSettings record = fullRecord();
    for (auto _ : state) benchmark::DoNotOptimize(recordToJson(record));
}
BENCHMARK(BM_RecordToJson);

void BM_RecordFromJson(benchmark::State& state) {
    const std::string json = recordToJson(fullRecord());
    KeyerSettings record{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(recordFromJson(json, record));
        benchmark::DoNotOptimize(&record);
    }
}
BENCHMARK(BM_RecordFromJson);

}  // namespace
