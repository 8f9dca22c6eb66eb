// Firmware update work that runs on the operator's machine: reading a full
// image file, and building the 956 record frames of one upload.  At 9600
// baud the frames alone need about 20 s on the wire; the program's share of
// an upload should stay a small fraction of that.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/full_image_file.h"
#include "core/firmware/hex_file.h"
#include "core/firmware/upload_worker.h"

namespace {

void BM_LoadFullFirmwareFile(benchmark::State& state) {
    const std::string path = writeFullImageFile(std::filesystem::temp_directory_path() / "keyer-bench-full-image.hex");
    auto image = std::make_unique<FirmwareImage>();
    const ProgressSink progress = [](int) {};
    for (auto _ : state) {
        const int count = loadFirmwareFile(*image, progress, path);
        if (count != 1024) state.SkipWithError("the image file did not load");
        benchmark::DoNotOptimize(image->data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadFullFirmwareFile)->Unit(benchmark::kMillisecond);

void BM_BuildAllUploadFrames(benchmark::State& state) {
    auto image = std::make_unique<FirmwareImage>();
    blankImage(*image);
    for (auto _ : state) {
        for (int i = FirstMainPassRecord; i <= LastSentRecord; ++i) {
            RecordFrame frame = buildRecordFrame(WriteRecordCommand, (*image)[static_cast<std::size_t>(i)]);
            benchmark::DoNotOptimize(frame);
        }
    }
}
BENCHMARK(BM_BuildAllUploadFrames)->Unit(benchmark::kMicrosecond);

void BM_VerboseLogLines(benchmark::State& state) {
    auto image = std::make_unique<FirmwareImage>();
    blankImage(*image);
    for (auto _ : state) {
        for (int i = FirstMainPassRecord; i <= LastSentRecord; ++i) {
            std::string line = recordLogLine((*image)[static_cast<std::size_t>(i)], RecordAccepted);
            benchmark::DoNotOptimize(line);
        }
    }
}
BENCHMARK(BM_VerboseLogLines)->Unit(benchmark::kMicrosecond);

}  // namespace
