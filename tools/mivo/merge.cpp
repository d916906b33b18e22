// mivo merge: a file with its duplicate units and contexts merged, written to another file.
#include "commands.h"
#include "json.h"
#include "reading.h"

#include "mivo_contexts.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <string>

namespace mivo_tool {

namespace {

struct MergeCounts {
    unsigned units = 0, apContexts = 0, productContexts = 0, repContexts = 0;
    size_t before = 0, after = 0;  // entity instances of the design
};

MergeCounts mergeAll(NuskDesign* design) {
    MergeCounts m;
    m.before = design->entityCount();
    mivo_tag_units(design);
    m.units = mivo_merge_units(design);
    m.apContexts = mivo_merge_ap_contexts(design);
    m.productContexts = mivo_merge_product_contexts(design);
    m.repContexts = mivo_merge_rep_contexts(design);
    nusk_update_object_references(design);
    m.after = design->entityCount();
    return m;
}

void printJson(const MergeCounts& m) {
    std::string out = "{\n";
    const std::pair<const char*, size_t> fields[] = {
        {"units", m.units},         {"ap_contexts", m.apContexts},    {"product_contexts", m.productContexts},
        {"rep_contexts", m.repContexts}, {"instances_before", m.before}, {"instances_after", m.after}};
    for (const auto& f : fields) {
        Json::key(out, f.first, f.first == fields[0].first);
        out += std::to_string(f.second);
    }
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

void printText(const MergeCounts& m, const std::string& out) {
    std::printf("replaced:\n");
    std::printf("  units                    %8u\n", m.units);
    std::printf("  application contexts     %8u\n", m.apContexts);
    std::printf("  product contexts         %8u\n", m.productContexts);
    std::printf("  representation contexts  %8u\n", m.repContexts);
    std::printf("instances: %zu before, %zu after; written to %s\n", m.before, m.after, out.c_str());
}

}  // namespace

int runMerge(const FileCommand& command) {
    MergeCounts counts;
    return rewriteDesign(
        command, [&](NuskDesign* design) { counts = mergeAll(design); },
        [&] {
            if (command.json)
                printJson(counts);
            else
                printText(counts, command.out);
        });
}

}  // namespace mivo_tool
