// Converting the lengths and plane angles stored below a representation, shared by the translation of one
// representation and the conversion of a whole design.
#pragma once

#include "nested_walk.h"

#include "nusk/units.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace mivo_geometry {

/// The factors of one conversion; a kind whose flag is false is left as stored.
struct Factors {
    bool length = false;
    bool angle = false;
    double lengthFactor = 1.0;
    double angleFactor = 1.0;
};

/// The factors that take values in the units of `from` into those of `to` (length and plane angle). False
/// when the units are the same, or when a pair that differs has no factor: then `rep` is named in a warning.
bool factorsBetween(const NuskUnit from[2], const NuskUnit to[2], const NuskObject* rep, Factors& out);

/// The slots of a domain's instances that hold lengths and plane angles, by their declared type: a defined
/// type on length_measure or on plane_angle_measure, directly or as the elements of (nested) aggregates.
/// Selects, REAL and every other type are not converted, with one exception: the schema types the point
/// coordinates of tessellated geometry (coordinates_list.position_coords) as lists of REAL, yet they are
/// lengths in the context's unit just as a cartesian point's are, and are converted as lengths. Worked out
/// once per domain.
class MeasureSlots {
public:
    enum Kind : uint8_t { length, angle };
    struct Slot {
        int index;      // slot of the instances
        uint8_t depth;  // 0: the slot holds the value; n: n levels of aggregates
        Kind kind;
    };

    explicit MeasureSlots(NuskSchema* schema);
    const std::vector<Slot>& of(const NuskDomain* d);

private:
    std::vector<Slot> describe(const NuskDomain* d) const;

    NuskDomain* lengthMeasure_;
    NuskDomain* angleMeasure_;
    const NuskAttribute* tessellatedCoordinates_;
    std::unordered_map<const NuskDomain*, std::vector<Slot>> slots_;
    const NuskDomain* lastDomain_ = nullptr;
    const std::vector<Slot>* lastSlots_ = nullptr;
};

/// Converts the objects below representations of a design: each object at most once for as long as the
/// translation lasts, however many representations reach it.
class UnitTranslation {
public:
    explicit UnitTranslation(NuskDesign* design);

    /// Converts what the walk reaches from `roots` (the items of `rep`, and any other objects in its context):
    /// every entity instance, representation items and the entities between them, but not the contents of
    /// other representations. Returns how many objects had at least one value converted. A value that the
    /// factor takes beyond the range of a double becomes infinite, which no file can hold: a warning names `rep`
    /// and the first entity with such a value.
    unsigned convert(const NuskObject* rep, const std::vector<NuskObject*>& roots, const Factors& factors);

    /// The values taken out of range so far, by every conversion of this translation.
    unsigned outOfRange() const { return outOfRange_; }

private:
    bool convertObject(NuskObject* obj, const Factors& factors);
    /// The parameters that are plane angles although the schema types them REAL: the trims of a trimmed circle
    /// or ellipse, the start and end of a disk swept along one.
    bool convertParameters(NuskObject* obj, double factor);
    bool convertAggregate(NuskObject* aggregate, unsigned depth, double factor, const NuskObject* owner);
    /// `value` times `factor`, counting a finite value that becomes infinite.
    double scaled(double value, double factor, const NuskObject* owner);

    MeasureSlots slots_;
    NestedWalk walk_;
    VisitedEntities visited_;
    ObjectSet convertedAggregates_;  // an aggregate that entities made in code share is converted once
    unsigned outOfRange_ = 0;
    uint32_t firstOutOfRange_ = 0;  // the entity that holds the first value out of range of a conversion
};

/// The items of a representation, in order, as walk roots. Representations are read by attribute name, so that
/// a complex instance made as a class outside the representation classes is read all the same.
std::vector<NuskObject*> itemsOf(NuskObject* rep);

/// Makes `ctx` the context of `rep` (after its values were converted), counting the reference moved.
void switchContext(NuskObject* rep, NuskObject* ctx);

}  // namespace mivo_geometry
