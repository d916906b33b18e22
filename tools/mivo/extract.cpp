// mivo extract: one product of a file, with everything below it, written as a file of its own.
#include "commands.h"
#include "json.h"
#include "printable.h"
#include "reading.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_split.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace mivo_tool {

namespace {

std::string productIdOf(stp_product_definition* pd) {
    stp_product_definition_formation* formation = pd ? pd->formation() : nullptr;
    stp_product* product = formation ? formation->of_product() : nullptr;
    return product && product->id() ? product->id() : "";
}

/// The product definitions whose product has the id `wanted`, in the design's order.
std::vector<stp_product_definition*> productsWithId(NuskDesign* design, const std::string& wanted) {
    std::vector<stp_product_definition*> found;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        auto* pd = nusk_cast(obj, nusktype_stp_product_definition);
        if (pd && productIdOf(pd) == wanted) found.push_back(pd);
    }
    return found;
}

/// "#N": the product definition of that instance number; otherwise the first whose product has that id. An id
/// that several have is told, with their numbers, so that the user can pick another.
stp_product_definition* findProduct(NuskDesign* design, const std::string& wanted) {
    if (wanted.size() > 1 && wanted[0] == '#') {
        char* end = nullptr;
        const unsigned long number = std::strtoul(wanted.c_str() + 1, &end, 10);
        if (*end || number > UINT32_MAX) return nullptr;
        return nusk_cast(design->findEntity(static_cast<uint32_t>(number)), nusktype_stp_product_definition);
    }
    const std::vector<stp_product_definition*> found = productsWithId(design, wanted);
    if (found.size() > 1) {
        std::string numbers;
        for (stp_product_definition* pd : found)
            numbers += (numbers.empty() ? "#" : ", #") + std::to_string(pd->entity_id());
        std::fprintf(stderr, "warning: %zu product definitions have the product id %s (%s); #%u is extracted, "
                     "--product #N picks another\n", found.size(), wanted.c_str(), numbers.c_str(),
                     found[0]->entity_id());
    }
    return found.empty() ? nullptr : found[0];
}

std::string productIdList(NuskDesign* design) {
    std::string out;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        auto* pd = nusk_cast(obj, nusktype_stp_product_definition);
        out += (out.empty() ? "" : ", ") + productIdOf(pd) + " (#" + std::to_string(obj->entity_id()) + ")";
    }
    return out.empty() ? "none" : out;
}

size_t totalOf(const MivoSplitExtract& e) {
    size_t total = 0;
    for (const auto& t : e.instances_per_type) total += t.second;
    return total;
}

void printJson(const MivoSplitExtract& e, const std::string& wanted) {
    std::string out = "{\n";
    Json::key(out, "product", true);
    Json::string(out, wanted);
    std::vector<std::string> ids;
    for (stp_product_definition* pd : e.products) ids.push_back(productIdOf(pd));
    Json::key(out, "product_ids");
    Json::stringList(out, ids);
    Json::key(out, "instances");
    out += std::to_string(totalOf(e));
    Json::key(out, "trimmed_aggregates");
    out += std::to_string(e.trimmed_aggregates);
    Json::key(out, "instances_per_type");
    out += "{";
    bool first = true;
    for (const auto& t : e.instances_per_type) {
        out += first ? "\n    " : ",\n    ";
        first = false;
        Json::string(out, t.first);
        out += ": " + std::to_string(t.second);
    }
    out += first ? "}" : "\n  }";
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

void printText(const MivoSplitExtract& e, const std::string& wanted, const std::string& file) {
    std::printf("product %s: %zu products, %zu instances written to %s\n", wanted.c_str(), e.products.size(),
                totalOf(e), file.c_str());
    std::printf("products:");
    for (stp_product_definition* pd : e.products) std::printf(" %s", printable(productIdOf(pd)).c_str());
    std::printf("\nlists trimmed to what the file holds: %zu\n", e.trimmed_aggregates);
    for (const auto& t : e.instances_per_type) std::printf("  %-60s %8zu\n", t.first.c_str(), t.second);
}

}  // namespace

int runExtract(const FileCommand& command) {
    NuskReadResult r = readFile(command.file);
    printMessages(r, command.verbose);
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) return kFailed;
    stp_product_definition* pd = findProduct(design.get(), command.product);
    if (!pd) {
        std::fprintf(stderr, "mivo: no product %s in %s; its products: %s\n", command.product.c_str(),
                     command.file.c_str(), printable(productIdList(design.get())).c_str());
        return kFailed;
    }
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    mivo_tag_asms(design.get());
    MivoSplitExtract extract = mivo_split_extract_product(design.get(), pd);
    std::unique_ptr<NuskDesign> part(extract.design);
    if (!part) {
        std::fprintf(stderr, "mivo: product %s could not be extracted\n", command.product.c_str());
        return kFailed;
    }
    const NuskWriteResult w = writeDesignReplacing(part.get(), command.out);
    // The source is made whole again: the temporaries of the trim are restored there.
    mivo_split_return_extract(part.get(), design.get());
    if (!w.ok) {
        std::fprintf(stderr, "mivo: %s\n", w.error.c_str());
        return kFailed;
    }
    warnOfWhatWasNotWritten(w, "the extract");
    if (command.json)
        printJson(extract, command.product);
    else
        printText(extract, command.product, command.out);
    return exitFor(r.status);
}

}  // namespace mivo_tool
