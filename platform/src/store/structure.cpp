// Entity instances: slot access for generated classes, and records kept raw.
#include "nusk/structure.h"

#include "design_impl.h"
#include "store_access.h"

#include "nusk/units.h"

NuskSlot* NuskStructure::slotFor(const NuskAttribute* att) const {
    NuskSlot* slots = entitySlots();
    if (!slots) return nullptr;
    int i = domain()->slotOf(att);
    return i < 0 ? nullptr : slots + i;
}

const char* NuskStructure::stringSlot(const NuskAttribute* att) const {
    NuskSlot* s = slotFor(att);
    return s ? s->s : nullptr;
}

int NuskStructure::setStringSlot(const NuskAttribute* att, const char* text) {
    return nusk_update_prim(this, att, text);
}

NuskObject* NuskStructure::objectSlot(const NuskAttribute* att) const {
    NuskSlot* s = slotFor(att);
    return s ? s->o : nullptr;
}

int NuskStructure::setObjectSlot(const NuskAttribute* att, NuskObject* value) { return putObject(value, att); }

double NuskStructure::realSlot(const NuskAttribute* att) const {
    NuskSlot* s = slotFor(att);
    return s ? s->d : NUSK_NULL_REAL;
}

int NuskStructure::setRealSlot(const NuskAttribute* att, double value) { return putDouble(value, att); }

int NuskStructure::integerSlot(const NuskAttribute* att) const {
    NuskSlot* s = slotFor(att);
    return s ? nusk_detail::narrowInteger(s->i) : NUSK_NULL_INTEGER;
}

int NuskStructure::setIntegerSlot(const NuskAttribute* att, int value) { return putInteger(value, att); }

void NuskRawRecord::assign(std::string typeName, std::string text, std::vector<NuskObject*> refs) {
    typeName_ = std::move(typeName);
    text_ = std::move(text);
    refs_ = std::move(refs);
    if (design()) design()->impl().referencesChanged();
}
