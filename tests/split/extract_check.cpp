// Checking an extract against its source.
#include "extract_check.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"
#include "nusk/report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace split_test {

namespace {

/// Keeps what the store reports (the tagging passes warn about the odd record of real files) off the output.
class KeptMessages : public NuskReporter {
public:
    KeptMessages() : scope_(this) {}
    void report(NuskSeverity severity, const char* message) override {
        if (severity == NuskSeverity::error) errors.emplace_back(message);
    }
    std::vector<std::string> errors;

private:
    NuskScopedReporter scope_;
};

struct TreeRow {
    unsigned depth;
    uint32_t product;
    NuskXform world;
};

/// Reads and tags a design; a read with more errors than `allowedErrors` is a problem.
std::unique_ptr<NuskDesign> readTagged(const std::string& text, std::vector<std::string>& problems, const char* what,
                                       size_t allowedErrors, size_t* errors = nullptr) {
    NuskReadResult r = nusk_read_step_text(text.data(), text.size());
    if (errors) *errors = r.errorCount;
    if (r.status == NuskReadStatus::unreadable || r.errorCount > allowedErrors)
        problems.push_back(std::string(what) + " reads with " + std::to_string(r.errorCount) + " errors" +
                           (r.messages.empty() ? "" : ", first: " + r.messages.front().text));
    std::unique_ptr<NuskDesign> design(r.design);
    if (design) {
        mivo_tag_units(design.get());
        mivo_tag_props(design.get());
        mivo_tag_asms(design.get());
    }
    return design;
}

std::vector<TreeRow> treeOf(NuskDesign* design, uint32_t productId) {
    std::vector<TreeRow> rows;
    auto* pd = nusk_cast(design->findEntity(productId), nusktype_stp_product_definition);
    for (const MivoAsmTreeNode& n : mivo_get_product_tree(pd, nuskunit_mm))
        rows.push_back({n.depth, n.product ? n.product->entity_id() : 0, n.world});
    return rows;
}

std::string writeText(NuskDesign* design, size_t* dangling = nullptr) {
    std::string text;
    const NuskWriteResult w = nusk_write_step_text(design, text);
    if (dangling) *dangling = w.danglingCount;
    return text;
}

void compareTrees(const std::vector<TreeRow>& want, const std::vector<TreeRow>& got, ExtractReport& report) {
    if (want.size() != got.size()) {
        report.problems.push_back("product tree of " + std::to_string(got.size()) + " nodes, the source's has " +
                                  std::to_string(want.size()));
        return;
    }
    for (size_t i = 0; i < want.size(); ++i) {
        const std::string node = "tree node " + std::to_string(i);
        if (want[i].depth != got[i].depth || want[i].product != got[i].product) {
            report.problems.push_back(node + ": product #" + std::to_string(got[i].product) + " at depth " +
                                      std::to_string(got[i].depth) + ", the source has #" +
                                      std::to_string(want[i].product) + " at depth " + std::to_string(want[i].depth));
            continue;
        }
        for (int k = 0; k < 16; ++k) {
            const double a = want[i].world[k], b = got[i].world[k];
            if (std::fabs(a - b) > 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)})) {
                report.problems.push_back(node + ": placement differs in element " + std::to_string(k));
                break;
            }
        }
    }
    report.treeNodes = want.size();
}

/// Every product definition of the extract belongs to the subtree.
void checkProducts(NuskDesign* extract, const std::vector<TreeRow>& want, uint32_t productId, ExtractReport& report) {
    std::set<uint32_t> subtree;
    for (const TreeRow& r : want) subtree.insert(r.product);
    for (NuskObject* pd : nusk_instances_of(extract, nusktype_stp_product_definition))
        if (!subtree.count(pd->entity_id()))
            report.problems.push_back("product definition #" + std::to_string(pd->entity_id()) +
                                      " is no part of the subtree");
    // Its parents stay behind: no usage of the extract places it.
    for (NuskObject* u : nusk_instances_of(extract, nusktype_stp_next_assembly_usage_occurrence)) {
        auto* usage = nusk_cast(u, nusktype_stp_next_assembly_usage_occurrence);
        stp_product_definition* child = mivo_get_related_pdef(usage);
        if (child && child->entity_id() == productId)
            report.problems.push_back("usage #" + std::to_string(u->entity_id()) + " places the extracted product");
    }
}

}  // namespace

ExtractReport checkExtract(const std::string& sourceText, uint32_t productId) {
    ExtractReport report;
    KeptMessages messages;
    // A source read with errors (records kept as read) may pass them on, but the extract adds none.
    size_t sourceErrors = 0;
    std::unique_ptr<NuskDesign> source = readTagged(sourceText, report.problems, "the source", SIZE_MAX, &sourceErrors);
    if (!source) return report;
    const std::string before = writeText(source.get());
    const std::vector<TreeRow> want = treeOf(source.get(), productId);
    auto* pd = nusk_cast(source->findEntity(productId), nusktype_stp_product_definition);
    messages.errors.clear();
    MivoSplitExtract extract = mivo_split_extract_product(source.get(), pd);
    for (const std::string& e : messages.errors) report.problems.push_back("the extract reported: " + e);
    std::unique_ptr<NuskDesign> owned(extract.design);
    if (!owned) {
        report.problems.push_back("no extract");
        return report;
    }
    report.trimmed = extract.trimmed_aggregates;
    size_t dangling = 0;
    report.extractText = writeText(owned.get(), &dangling);
    if (dangling) report.problems.push_back(std::to_string(dangling) + " references to objects the extract lacks");
    std::unique_ptr<NuskDesign> back = readTagged(report.extractText, report.problems, "the extract", sourceErrors);
    if (back) {
        compareTrees(want, treeOf(back.get(), productId), report);
        checkProducts(back.get(), want, productId, report);
    }
    mivo_split_return_extract(owned.get(), source.get());
    if (writeText(source.get()) != before) report.problems.push_back("the source given back writes differently");
    return report;
}

std::vector<uint32_t> productDefinitionIds(const std::string& stepText) {
    std::vector<uint32_t> ids;
    NuskReadResult r = nusk_read_step_text(stepText.data(), stepText.size());
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) return ids;
    for (NuskObject* pd : nusk_instances_of(design.get(), nusktype_stp_product_definition))
        ids.push_back(pd->entity_id());
    return ids;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

}  // namespace split_test
