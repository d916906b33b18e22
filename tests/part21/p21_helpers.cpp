#include "p21_helpers.h"

#include "nusk/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string p21File(const std::string& data, const std::string& schema) {
    return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('test'),'2;1');\nFILE_NAME('t.stp','2026-01-01T00:00:00',"
           "('me'),('us'),'pre','orig','auth');\nFILE_SCHEMA(('" +
           schema + "'));\nENDSEC;\nDATA;\n" + data + "\nENDSEC;\nEND-ISO-10303-21;\n";
}

Read readText(const std::string& text) {
    nusk_ap242_schema();
    Read r;
    r.result = nusk_read_step_text(text.data(), text.size());
    r.design.reset(r.result.design);
    return r;
}

bool Read::hasMessage(const std::string& part) const {
    for (const NuskReadMessage& m : result.messages)
        if (m.text.find(part) != std::string::npos) return true;
    return false;
}

std::string writeTempFile(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string writeText(NuskDesign* design) {
    std::string out;
    nusk_write_step_text(design, out);
    return out;
}

namespace {

std::string describe(const NuskObject* o) {
    if (!o) return "null";
    return std::string(o->domain()->name()) + (o->entity_id() ? " #" + std::to_string(o->entity_id()) : "");
}

std::string compareValues(const NuskSlot& a, const NuskSlot& b, const NuskDomain* type, int depth);

std::string compareObjects(const NuskObject* a, const NuskObject* b, int depth) {
    if (!a || !b) return a == b ? "" : "one is unset: " + describe(a) + " / " + describe(b);
    if (a->domain()->typeIsEntity() || b->domain()->typeIsEntity())
        return a->entity_id() == b->entity_id() && std::strcmp(a->domain()->name(), b->domain()->name()) == 0
                   ? ""
                   : "references differ: " + describe(a) + " / " + describe(b);
    if (depth > 32) return "";
    if (std::strcmp(a->domain()->name(), b->domain()->name()) != 0)
        return "types differ: " + describe(a) + " / " + describe(b);
    if (a->domain()->typeIsSelect()) {
        auto* ua = static_cast<const NuskUnion*>(a);
        auto* ub = static_cast<const NuskUnion*>(b);
        if ((ua->alternative() == nullptr) != (ub->alternative() == nullptr)) return "select emptiness differs";
        if (!ua->alternative()) return "";
        if (std::strcmp(ua->alternative()->name(), ub->alternative()->name()) != 0) return "select alternatives differ";
        return compareValues(ua->rawValue(), ub->rawValue(), ua->holdsObject() ? nullptr : ua->alternative(), depth + 1);
    }
    auto* ga = static_cast<const NuskAggregate*>(a);
    auto* gb = static_cast<const NuskAggregate*>(b);
    if (ga->size() != gb->size()) return "aggregate sizes differ";
    for (unsigned i = 0; i < ga->size(); ++i) {
        std::string d = compareValues(ga->slots()[i], gb->slots()[i], ga->holdsObjects() ? nullptr : ga->elementDomain(), depth + 1);
        if (!d.empty()) return "element " + std::to_string(i) + ": " + d;
    }
    return "";
}

std::string compareValues(const NuskSlot& a, const NuskSlot& b, const NuskDomain* type, int depth) {
    const NuskPrimitive p = type ? type->primitive() : NuskPrimitive::object;
    switch (p) {
    case NuskPrimitive::object: return compareObjects(a.o, b.o, depth);
    case NuskPrimitive::real:
        return std::memcmp(&a.d, &b.d, sizeof(double)) == 0 ? "" : "reals differ: " + std::to_string(a.d) + " / " + std::to_string(b.d);
    case NuskPrimitive::string:
    case NuskPrimitive::binary:
        if (!a.s || !b.s) return a.s == b.s ? "" : "a string is unset";
        return std::strcmp(a.s, b.s) == 0 ? "" : std::string("strings differ: '") + a.s + "' / '" + b.s + "'";
    default: return a.i == b.i ? "" : "values differ: " + std::to_string(a.i) + " / " + std::to_string(b.i);
    }
}

std::string compareRaw(const std::string& ta, const std::vector<NuskObject*>& ra, const std::string& tb,
                       const std::vector<NuskObject*>& rb) {
    if (ta != tb) return "kept records differ";
    if (ra.size() != rb.size()) return "kept records refer to different counts";
    for (size_t i = 0; i < ra.size(); ++i) {
        std::string d = compareObjects(ra[i], rb[i], 0);
        if (!d.empty()) return "kept record reference: " + d;
    }
    return "";
}

std::string compareInstances(NuskObject* a, NuskObject* b) {
    if (std::strcmp(a->domain()->name(), b->domain()->name()) != 0) return "types differ";
    auto* rawA = dynamic_cast<NuskRawRecord*>(a);
    auto* rawB = dynamic_cast<NuskRawRecord*>(b);
    if (rawA || rawB) {
        if (!rawA || !rawB) return "one is kept as read";
        return compareRaw(rawA->text(), rawA->references(), rawB->text(), rawB->references());
    }
    if (a->hasOriginalRecord() != b->hasOriginalRecord()) return "one keeps its record as read";
    const NuskDomain* d = a->domain();
    for (size_t i = 0; i < d->slotAttributes().size(); ++i) {
        std::string diff = compareValues(a->entitySlots()[i], b->entitySlots()[i], d->slotAttributes()[i]->valueDomain(), 0);
        if (!diff.empty()) return std::string(d->slotAttributes()[i]->name()) + ": " + diff;
    }
    return "";
}

}  // namespace

std::string compareDesigns(NuskDesign* a, NuskDesign* b) {
    if (!a || !b) return "a design is missing";
    if (a->entityCount() != b->entityCount())
        return "instance counts differ: " + std::to_string(a->entityCount()) + " / " + std::to_string(b->entityCount());
    NuskCursor cursor;
    cursor.traverse(a);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* x = cursor.next()) {
        NuskObject* y = b->findEntity(x->entity_id());
        if (!y) return "#" + std::to_string(x->entity_id()) + " is missing";
        std::string d = compareInstances(x, y);
        if (!d.empty()) return "#" + std::to_string(x->entity_id()) + " (" + x->domain()->name() + "): " + d;
    }
    return "";
}

std::string dataDirectory() {
    std::string dir = MIVO_DATA_DIR;
    return std::filesystem::is_directory(dir) ? dir : "";
}
