// Reading every real value of a design, and the real files of the test data folder, for the unit translation
// tests.
#pragma once

#include "../common/data_files.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace geometry_tests {

using mivo_test::dataFiles;

inline std::unique_ptr<NuskDesign> readDesign(const std::string& path) {
    nusk_ap242_schema();
    return std::unique_ptr<NuskDesign>(nusk_read_step(path.c_str()).design);
}

/// Where a real value sits: instance number, slot, and the element indices of up to two aggregate levels
/// (0 for levels the value is not in).
struct RealPlace {
    uint32_t id;
    uint32_t slot;
    uint32_t i, j;
    bool operator==(const RealPlace& o) const { return id == o.id && slot == o.slot && i == o.i && j == o.j; }
};

struct RealPlaceHash {
    size_t operator()(const RealPlace& p) const {
        return std::hash<uint64_t>()((uint64_t(p.id) << 32) ^ (uint64_t(p.slot) << 24) ^ (uint64_t(p.i) << 4) ^ p.j);
    }
};

using Reals = std::unordered_map<RealPlace, double, RealPlaceHash>;

/// Every real that the entity instances of the design hold, read through the store's generic access (not
/// through the library's idea of which are lengths), in plain slots and in aggregates up to two levels deep.
inline Reals realsOf(NuskDesign* design) {
    Reals reals;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* obj = cursor.next()) {
        const uint32_t id = obj->entity_id();
        const std::vector<NuskAttribute*>& atts = obj->domain()->slotAttributes();
        for (uint32_t s = 0; s < atts.size(); ++s) {
            const NuskDomain* type = atts[s]->valueDomain();
            if (type->primitive() == NuskPrimitive::real) {
                reals[{id, s, 0, 0}] = obj->getDouble(static_cast<int>(s));
                continue;
            }
            auto* outer = dynamic_cast<NuskAggregate*>(obj->getObject(static_cast<int>(s)));
            if (!outer) continue;
            for (uint32_t i = 0; i < outer->size(); ++i) {
                if (outer->elementDomain()->primitive() == NuskPrimitive::real) {
                    reals[{id, s, i + 1, 0}] = outer->getDouble(i);
                } else if (auto* inner = outer->holdsObjects() ? dynamic_cast<NuskAggregate*>(outer->getObject(i))
                                                               : nullptr) {
                    if (inner->elementDomain()->primitive() != NuskPrimitive::real) continue;
                    for (uint32_t j = 0; j < inner->size(); ++j) reals[{id, s, i + 1, j + 1}] = inner->getDouble(j);
                }
            }
        }
    }
    return reals;
}

/// True when b lies within `relative` of a (relative to the larger magnitude). Subnormal numbers, which some
/// files hold where they mean 0, carry too few digits for a relative comparison: below the smallest normal
/// double any difference is taken as none.
inline bool near(double a, double b, double relative) {
    if (a == b) return true;
    const double larger = std::max(std::abs(a), std::abs(b));
    return larger < 2.2250738585072014e-308 || std::abs(a - b) <= relative * larger;
}

}  // namespace geometry_tests
