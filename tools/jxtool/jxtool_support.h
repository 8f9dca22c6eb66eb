// What jxtool's commands share: exit codes, how they print and fail, how a
// settings file argument is loaded, progress, and the history's warning.
#pragma once

#include <string>
#include <string_view>

#include "core/link/record_history.h"
#include "core/settings/keyer_settings.h"

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

int usageError(const std::string& why);
// "jxtool: why" on standard error; returns ExitFailed.
int failed(std::string_view why);
void printLine(std::string_view text);

// A settings file as the commands take it: its bytes over a factory-fresh
// record, so a short file keeps the defaults beyond its end.  Prints why not.
bool loadSettingsArgument(const std::string& path, KeyerSettings& record);
// ... one to send to the keyer: refused, with nothing sent, when Write would refuse it.
bool loadRecordToWrite(const std::string& path, KeyerSettings& record);

// One progress figure: a redrawn bar on a terminal, else a line every ten percent.
void showProgress(int percent, bool onTerminal, int& lastShown);

// Keeps a record read from or sent to the keyer in the history; when it
// cannot, one warning line on standard error, and the command goes on.
void keepRecordInHistory(const KeyerSettings& record, HistoryKind kind, const KeyerIdentity& keyer);
