// Feeds a settings file of any length and content through what the program
// does with one: the load, the panel of each user set and the message edits
// of a main window, the message decoder at every pointer, the record by
// name and Write's checks, and the record through JSON and back.  What must
// hold: only the file's first 300 bytes reach the record and the rest stays,
// no message is longer than the message text, and JSON gives back the very
// bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/settings/keyer_settings.h"
#include "core/settings/message_codec.h"
#include "core/settings/message_memory.h"
#include "core/settings/record_fields.h"
#include "core/settings/record_json.h"
#include "core/settings/settings_file.h"
#include "dialogs/main_window.h"
#include "dialogs/message_editor.h"
#include "dialogs/panel_load.h"
#include "dialogs/program_state.h"
#include "dialogs/settings_record.h"
#include "platform/headless/headless.h"
#include "resources/control_ids.h"

namespace {

// One file per fuzzing process, rewritten for every input.
const std::string& scratchPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/settings-file-fuzz-" + std::to_string(getpid()) + ".eep";
    }();
    return path;
}

Window mainWindow() {
    static Window window = [] {
        headless::reset();
        resetProgramState();
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return headless::openDialog(nullptr, dlg::MainWindow, mainWindowProc);
    }();
    return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Window window = mainWindow();

    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return 0;

    KeyerSettings record{};
    std::memset(&record, 0xA5, sizeof record);
    const SettingsFileResult load = loadSettingsFrom(scratchPath(), record);
    if (!load.ok) __builtin_trap();
    const std::size_t count = std::min(size, RecordSize);
    if (load.bytesRead != count) __builtin_trap();
    const auto bytes = recordBytes(record);
    if (count && std::memcmp(bytes.data(), data, count) != 0) __builtin_trap();
    if (std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(count), bytes.end(),
                    [](std::uint8_t b) { return b != 0xA5; }))
        __builtin_trap();

    // What the window shows of it.
    keyerSettings = record;
    loadPanel(window, UserSet::User1);
    loadPanel(window, UserSet::User2);
    loadMessages(window);
    if (std::memcmp(&keyerSettings, &record, sizeof record) != 0) __builtin_trap();  // showing changes nothing

    const ConstMessageText text(record.messageArea.data() + MessageTextOffset, MessageTextSize);
    for (unsigned pointer = 0; pointer < 256; ++pointer)
        if (decodeMessage(text, static_cast<std::uint8_t>(pointer)).size() > MessageTextSize) __builtin_trap();
    for (const std::string& message : messageTexts(record))
        if (message.size() > MessageTextSize) __builtin_trap();

    if (describeRecord(record).empty()) __builtin_trap();
    (void)checkRecordForWrite(record);

    KeyerSettings back{};
    const JsonImportResult imported = recordFromJson(recordToJson(record), back);
    if (!imported.ok || std::memcmp(&back, &record, sizeof record) != 0) __builtin_trap();
    return 0;
}
