// Merging duplicate application context elements: product, product definition and product concept contexts
// and their subtypes.
#include "mivo_contexts.h"

#include "compare.h"

#include "nusk/ap242/all.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

using namespace mivo_contexts;

namespace {

/// The texts an element is compared by, in this order, when its type has them.
const char* const kComparedTexts[] = {"discipline_type", "life_cycle_stage", "market_segment_type"};
constexpr size_t kTextCount = sizeof kComparedTexts / sizeof kComparedTexts[0];

struct Element {
    NuskObject* obj;
    const char* texts[kTextCount];  // null when unset or when the type lacks the attribute
    bool carriesMore;               // equal only to itself: see carriesMoreThanItIsComparedBy
};

/// True when the type has an attribute beyond the name, the frame of reference and the compared texts: the
/// items of an instance usage context assignment, the language of a language-dependent exchange context, the
/// identification context of an identification-dependent one. Merging two such elements would give one of them
/// the other's value of it, so each is equal only to itself.
bool carriesMoreThanItIsComparedBy(const NuskDomain* type) {
    for (const NuskAttribute* att : type->slotAttributes()) {
        const char* name = att->name();
        const bool ignored = !std::strcmp(name, "name") || !std::strcmp(name, "frame_of_reference");
        const bool compared = std::any_of(std::begin(kComparedTexts), std::end(kComparedTexts),
                                          [name](const char* text) { return !std::strcmp(name, text); });
        if (!ignored && !compared) return true;
    }
    return false;
}

Element elementOf(NuskObject* obj) {
    Element e{obj, {}, carriesMoreThanItIsComparedBy(obj->domain())};
    for (size_t i = 0; i < kTextCount; ++i)
        if (NuskAttribute* att = obj->domain()->findTypeAttribute(kComparedTexts[i])) e.texts[i] = obj->getString(att);
    return e;
}

/// 0 when the two elements are duplicates; otherwise their order.
int compareElements(const Element& a, const Element& b) {
    if (int c = typeOrder(a.obj->domain(), b.obj->domain())) return c;
    for (size_t i = 0; i < kTextCount; ++i)
        if (int c = textOrder(a.texts[i], b.texts[i])) return c;
    return a.carriesMore ? identityOrder(a.obj, b.obj) : 0;
}

}  // namespace

unsigned mivo_merge_product_contexts(NuskDesign* design) {
    if (!design) return 0;
    std::vector<Element> elements;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_application_context_element);
    while (NuskObject* obj = cursor.next()) elements.push_back(elementOf(obj));
    if (elements.size() < 2) return 0;
    // Duplicates by ascending instance number, so that the lowest of each group survives.
    std::sort(elements.begin(), elements.end(), [](const Element& a, const Element& b) {
        const int c = compareElements(a, b);
        return c ? c < 0 : identityOrder(a.obj, b.obj) < 0;
    });
    unsigned replaced = 0;
    const Element* survivor = &elements.front();
    for (size_t i = 1; i < elements.size(); ++i) {
        if (compareElements(elements[i], *survivor) != 0) {
            survivor = &elements[i];
            continue;
        }
        nusk_register_substitute(elements[i].obj, survivor->obj);
        nusk_move_to_trash(elements[i].obj);
        ++replaced;
    }
    return replaced;
}
