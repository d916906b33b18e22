// mivo info: what reading a file finds.
#include "commands.h"
#include "json.h"
#include "printable.h"
#include "reading.h"
#include "type_names.h"

#include "nusk/part21.h"
#include "nusk/store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>

namespace mivo_tool {

namespace {

std::vector<std::pair<std::string, size_t>> typeCounts(NuskDesign* design) {
    // Counted by domain first, so that each type's name is made once rather than once per instance.
    std::unordered_map<const NuskDomain*, size_t> byDomain;
    std::map<std::string, size_t> counts;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* obj = cursor.next()) {
        if (keptAsRead(obj->domain()))
            ++counts[typeKey(obj)];
        else
            ++byDomain[obj->domain()];
    }
    for (const auto& [domain, count] : byDomain) counts[typeKeyOf(domain)] += count;
    std::vector<std::pair<std::string, size_t>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return sorted;
}

void printText(const std::string& path, const NuskReadResult& r, double seconds) {
    std::printf("file:               %s\n", path.c_str());
    if (r.design) {
        const NuskFileHeader& h = r.design->header();
        std::string description;
        for (const std::string& d : h.description) description += (description.empty() ? "" : " / ") + d;
        std::printf("description:        %s\n", printable(description).c_str());
        std::printf("originating system: %s\n", printable(h.originatingSystem).c_str());
        for (const std::string& s : h.schemas) std::printf("schema:             %s\n", printable(s).c_str());
    }
    std::printf("status:             %s\n", statusText(r.status));
    std::printf("instances:          %zu (%zu kept as read)\n", r.instanceCount, r.rawCount);
    std::printf("read time:          %.3f s (%.1f MB/s)\n", seconds, seconds > 0 ? r.bytes / seconds / 1e6 : 0.0);
    if (r.design) {
        auto counts = typeCounts(r.design);
        std::printf("types:              %zu (the 20 most common)\n", counts.size());
        for (size_t i = 0; i < counts.size() && i < 20; ++i)
            std::printf("  %8zu  %s\n", counts[i].second, counts[i].first.c_str());
    }
    // The messages themselves went to standard error.
    std::printf("errors:             %zu\n", r.errorCount);
    std::printf("warnings:           %zu\n", r.warningCount);
}

void printJson(const std::string& path, const NuskReadResult& r, double seconds) {
    std::string out = "{\n";
    Json::key(out, "file", true);
    Json::string(out, path);
    Json::key(out, "schema");
    Json::stringList(out, r.design ? r.design->header().schemas : std::vector<std::string>{});
    Json::key(out, "status");
    Json::string(out, statusText(r.status));
    Json::key(out, "instances");
    out += std::to_string(r.instanceCount);
    Json::key(out, "types");
    out += '{';
    if (r.design) {
        auto counts = typeCounts(r.design);
        for (size_t i = 0; i < counts.size(); ++i) {
            out += i ? ", " : "";
            Json::string(out, counts[i].first);
            out += ": " + std::to_string(counts[i].second);
        }
    }
    out += '}';
    Json::key(out, "errors");
    Json::stringList(out, messageTexts(r, NuskSeverity::error));
    Json::key(out, "error_count");
    out += std::to_string(r.errorCount);
    Json::key(out, "warnings");
    Json::stringList(out, messageTexts(r, NuskSeverity::warning));
    Json::key(out, "warning_count");
    out += std::to_string(r.warningCount);
    Json::key(out, "read_seconds");
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", seconds);
    out += buf;
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

}  // namespace

int runInfo(const FileCommand& command, const std::string& shownAs) {
    const auto start = std::chrono::steady_clock::now();
    NuskReadResult r = readFile(command.file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printMessages(r, command.verbose);
    const std::string& name = shownAs.empty() ? command.file : shownAs;
    if (command.json)
        printJson(name, r, seconds);
    else
        printText(name, r, seconds);
    keepUntilExit(r.design);
    return exitFor(r.status);
}

}  // namespace mivo_tool
