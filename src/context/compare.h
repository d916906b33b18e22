// The comparisons the context merges are built from: texts, integers, entity types, units and uncertainty
// measures. Each order here is total and consistent (a strict weak ordering when used as "less than 0"), so that
// the merges can sort with the standard library; equality within a tolerance is a separate test, never used to
// sort.
#pragma once

#include "nusk/units.h"

#include <cstdint>
#include <string>
#include <vector>

class NuskDomain;
class NuskObject;
class stp_unit;

namespace mivo_contexts {

/// -1, 0 or 1 as a is below, equal to or above b; never by subtraction, which overflows.
template <class T>
int threeWay(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

/// Texts ignoring case: an unset text before any text, two unset texts equal.
int textOrder(const char* a, const char* b);

/// Entity types by their names, byte by byte; two distinct domains of one name by their index.
int typeOrder(const NuskDomain* a, const NuskDomain* b);

/// Two objects by identity: instance number, then address (for objects without one).
int identityOrder(const NuskObject* a, const NuskObject* b);

/// What a unit is compared by: its code, and for an untagged unit (code 0) its full name, copied (the name may
/// live in a buffer that the next naming call overwrites), then what defines it: a name alone does not say what
/// a unit is (a YARD of 914.4 mm and one of 900 mm), nor does "unknown derived unit".
struct UnitKey {
    int code = 0;
    std::string name;
    std::string definition;
};

UnitKey unitKey(stp_unit* unit);
int unitOrder(const UnitKey& a, const UnitKey& b);
/// The keys of a unit set (a null or empty set gives none), sorted by unitOrder.
std::vector<UnitKey> sortedUnitKeys(NuskObject* set);
/// Unit sets: sizes first, then element by element in sorted order.
int unitListOrder(const std::vector<UnitKey>& a, const std::vector<UnitKey>& b);

/// The number of a measure with unit converted into `unit` (nuskunit_unknown and nuskunit_as_is keep it as
/// stored); the null real when the measure holds no number (unset, descriptive, not a number) or the two units
/// have no conversion.
double measureValueIn(NuskObject* measure, NuskUnit unit);

/// What an uncertainty measure is sorted and compared by.
struct UncertaintyKey {
    NuskObject* measure = nullptr;
    NuskMeasureType type = nuskmeasure_unknown;  // of its unit; 0 when untagged
    NuskUnit unit = nuskunit_unknown;
    /// Sorting needs one scale for values in different units: the value in the lowest unit code convertible
    /// with the measure's unit. `scaled` is false when there is no such value (no number, untagged unit).
    bool scaled = false;
    NuskUnit scale = nuskunit_unknown;
    double value = 0.0;
};

UncertaintyKey uncertaintyKey(NuskObject* measure);
/// Kinds of quantity first; then measures with a value before those without, by scale unit, larger values
/// first; those without a value by identity. Equal (0) only for equal values on one scale, or the same object.
int uncertaintyOrder(const UncertaintyKey& a, const UncertaintyKey& b);
/// Equal within a relative tolerance: the kinds agree and b's number, converted into a's unit, is within
/// a's number times `tolerance` of it. Without numbers to compare, only an object equals itself.
bool sameUncertainty(const UncertaintyKey& a, const UncertaintyKey& b, double tolerance);
/// The keys of an uncertainty set (a null or empty set gives none), sorted by uncertaintyOrder.
std::vector<UncertaintyKey> sortedUncertaintyKeys(NuskObject* set);
int uncertaintyListOrder(const std::vector<UncertaintyKey>& a, const std::vector<UncertaintyKey>& b);
bool sameUncertainties(const std::vector<UncertaintyKey>& a, const std::vector<UncertaintyKey>& b, double tolerance);

}  // namespace mivo_contexts
