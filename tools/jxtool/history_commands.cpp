#include "tools/jxtool/history_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/link/record_history.h"
#include "platform/files.h"
#include "tools/jxtool/jxtool_support.h"

int commandHistory(const Options&, const std::vector<std::string>& args) {
    const bool asJson = args.size() == 1;
    if (asJson && args[0] != "--json") return usageError("history takes only --json");
    const std::string folder = historyFolder();
    if (folder.empty()) return failed("no folder for the record history is known");
    const std::vector<HistoryEntry> entries = listHistory();
    if (asJson) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const HistoryEntry& e : entries)
            list.push_back({{"path", e.path},
                            {"what", historyKindName(e.kind)},
                            {"when", historyTimeText(e.timeMs)},
                            {"variant", e.variant},
                            {"firmware", e.firmware}});
        printLine(list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        return ExitOk;
    }
    for (const HistoryEntry& e : entries)
        std::printf("%s\t%.*s\t%s\t%s\t%s\n", e.path.c_str(), static_cast<int>(historyKindName(e.kind).size()),
                    historyKindName(e.kind).data(), historyTimeText(e.timeMs).c_str(), e.variant.c_str(),
                    e.firmware.c_str());
    if (entries.empty()) std::fprintf(stderr, "jxtool: no records kept yet in %s\n", folder.c_str());
    return ExitOk;
}
