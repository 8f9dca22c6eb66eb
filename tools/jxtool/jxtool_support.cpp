#include "tools/jxtool/jxtool_support.h"

#include <cstdio>

#include "core/settings/record_fields.h"
#include "core/settings/settings_file.h"

int usageError(const std::string& why) {
    std::fprintf(stderr, "jxtool: %s\nTry 'jxtool --help'.\n", why.c_str());
    return ExitUsage;
}

int failed(std::string_view why) {
    std::fprintf(stderr, "jxtool: %.*s\n", static_cast<int>(why.size()), why.data());
    return ExitFailed;
}

void printLine(std::string_view text) { std::printf("%.*s\n", static_cast<int>(text.size()), text.data()); }

bool loadSettingsArgument(const std::string& path, KeyerSettings& record) {
    record = factorySettings();
    const SettingsFileResult result = loadSettingsFrom(path, record);
    if (!result.ok) {
        failed(path + ": " + std::string(result.message));
        return false;
    }
    if (result.bytesRead == 0) {
        failed(path + ": the file is empty");
        return false;
    }
    return true;
}

bool loadRecordToWrite(const std::string& path, KeyerSettings& record) {
    if (!loadSettingsArgument(path, record)) return false;
    if (const std::string_view refusal = checkRecordForWrite(record); !refusal.empty()) {
        failed(std::string(refusal) + " (nothing was sent)");
        return false;
    }
    return true;
}

void showProgress(int percent, bool onTerminal, int& lastShown) {
    if (onTerminal) {
        constexpr int Width = 40;
        const int filled = percent * Width / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(Width - filled), ' ').c_str(), percent);
        std::fflush(stderr);
    } else if (percent / 10 > lastShown / 10) {
        std::fprintf(stderr, "progress %d%%\n", percent);
    }
    lastShown = percent;
}

void keepRecordInHistory(const KeyerSettings& record, HistoryKind kind, const KeyerIdentity& keyer) {
    const HistoryKeepResult kept = keepInHistory(record, kind, keyer);
    if (!kept.inHistory()) failed("warning: the record was not kept in the history: " + kept.problem());
}
