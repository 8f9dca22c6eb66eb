// The message memory is packed before every keyer write and settings save and
// unpacked after every read; the editor's filter recounts all fourteen edits
// on each typed character.  Full memory (241 characters) is the worst case.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "core/settings/keyer_settings.h"
#include "core/settings/message_codec.h"

namespace {

std::array<std::string, 14> fullMemoryTexts() {
    std::array<std::string, 14> texts;
    std::size_t total = 0;
    for (std::size_t slot = 0; slot < texts.size(); ++slot) {
        const std::size_t length = slot < 13 ? 17 : 241 - total;
        texts[slot] = std::string(length, static_cast<char>('A' + slot));
        total += length;
    }
    return texts;
}

void BM_PackFullMessageMemory(benchmark::State& state) {
    const auto texts = fullMemoryTexts();
    std::array<std::uint8_t, 241> area{};
    for (auto _ : state) {
        std::size_t position = 0;
        for (const auto& text : texts) {
            const std::size_t next = encodeMessage(area, text, position);
            if (next != 0) position = next;
        }
        benchmark::DoNotOptimize(area.data());
    }
}
BENCHMARK(BM_PackFullMessageMemory);

void BM_UnpackFullMessageMemory(benchmark::State& state) {
    const auto texts = fullMemoryTexts();
    std::array<std::uint8_t, 241> area{};
    std::array<std::uint8_t, 14> pointers{};
    std::size_t position = 0;
    for (std::size_t slot = 0; slot < texts.size(); ++slot) {
        const std::size_t next = encodeMessage(area, texts[slot], position);
        pointers[slot] = static_cast<std::uint8_t>(position + 15);
        position = next;
    }
    for (auto _ : state) {
        for (std::uint8_t pointer : pointers) {
            std::string text = decodeMessage(area, pointer);
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(BM_UnpackFullMessageMemory);

}  // namespace
