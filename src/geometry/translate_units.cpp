// Moving a representation into a context in other units, with its lengths and plane angles converted.
#include "mivo_contexts.h"
#include "mivo_geometry.h"

#include "unit_translation.h"

#include "nusk/ap242/all.h"

#include <cmath>

namespace mivo_geometry {

namespace {

const char* unitName(NuskUnit unit) {
    const char* name = unit != nuskunit_unknown ? nusk_get_unit_name(unit) : nullptr;
    return name ? name : "no unit";
}

/// The factor from one unit into another; false (with a warning naming the representation) when the math
/// library has none, which it says with the null real or 0.
bool factorOf(NuskUnit from, NuskUnit to, const char* kind, const NuskObject* rep, double& factor) {
    factor = nusk_get_unit_conversion_factor(from, to);
    if (factor != NUSK_NULL_REAL && factor != 0.0 && std::isfinite(factor)) return true;
    NUSK.warning("mivo_translate_geometry_units: representation #%lu: no conversion of %s from %s into %s; "
                 "nothing converted and its context kept\n",
                 static_cast<unsigned long>(rep->entity_id()), kind, unitName(from), unitName(to));
    return false;
}

/// The number of aggregate levels of an attribute's values, through defined types over aggregates.
unsigned aggregateDepth(const NuskAttribute* att) {
    unsigned depth = 0;
    const NuskDomain* d = att->valueDomain();
    for (int guard = 0; d && guard < 64; ++guard) {
        while (d && d->kind() == NuskDomainKind::defined_type && ++guard < 64) d = d->underlying();
        if (!d || !d->typeIsAggregate()) break;
        ++depth;
        d = d->underlying();
    }
    return depth;
}

}  // namespace

bool factorsBetween(const NuskUnit from[2], const NuskUnit to[2], const NuskObject* rep, Factors& out) {
    out = Factors{};
    out.length = from[0] != to[0];
    out.angle = from[1] != to[1];
    if (!out.length && !out.angle) return false;
    // Both pairs that differ must convert: half a conversion would leave the representation in no one context.
    if (out.length && !factorOf(from[0], to[0], "lengths", rep, out.lengthFactor)) return false;
    if (out.angle && !factorOf(from[1], to[1], "plane angles", rep, out.angleFactor)) return false;
    return true;
}

// ---- the slots to convert ----

namespace {

const NuskAttribute* attributeOf(NuskSchema* schema, const char* entity, const char* attribute) {
    const NuskDomain* d = schema ? schema->findDomain(entity) : nullptr;
    return d ? d->findTypeAttribute(attribute) : nullptr;
}

}  // namespace

MeasureSlots::MeasureSlots(NuskSchema* schema)
    : lengthMeasure_(schema ? schema->findDomain("length_measure") : nullptr),
      angleMeasure_(schema ? schema->findDomain("plane_angle_measure") : nullptr),
      tessellatedCoordinates_(attributeOf(schema, "coordinates_list", "position_coords")) {}

const std::vector<MeasureSlots::Slot>& MeasureSlots::of(const NuskDomain* d) {
    if (d == lastDomain_) return *lastSlots_;
    auto found = slots_.find(d);
    if (found == slots_.end()) found = slots_.emplace(d, describe(d)).first;
    lastDomain_ = d;
    lastSlots_ = &found->second;
    return found->second;
}

std::vector<MeasureSlots::Slot> MeasureSlots::describe(const NuskDomain* d) const {
    std::vector<Slot> slots;
    const std::vector<NuskAttribute*>& atts = d->slotAttributes();
    for (size_t i = 0; i < atts.size(); ++i) {
        if (d->slotIsDerived(static_cast<unsigned>(i))) continue;
        const unsigned depth = aggregateDepth(atts[i]);
        if (atts[i] == tessellatedCoordinates_ && depth > 0) {
            slots.push_back({static_cast<int>(i), static_cast<uint8_t>(depth), length});
            continue;
        }
        // The declared type: aggregate domains hold REAL where the schema says length_measure.
        const NuskDomain* type = depth ? atts[i]->declaredElementDomain() : atts[i]->valueDomain();
        if (!type || type->kind() != NuskDomainKind::defined_type || type->primitive() != NuskPrimitive::real) continue;
        if (type->typeIsa(lengthMeasure_))
            slots.push_back({static_cast<int>(i), static_cast<uint8_t>(depth), length});
        else if (type->typeIsa(angleMeasure_))
            slots.push_back({static_cast<int>(i), static_cast<uint8_t>(depth), angle});
    }
    return slots;
}

// ---- converting ----

UnitTranslation::UnitTranslation(NuskDesign* design)
    : slots_(design->schemaOf()),
      walk_(WalkRules{/*enterRepresentations=*/false, /*enterAnnotations=*/true}),
      visited_(design) {}

unsigned UnitTranslation::convert(const NuskObject* rep, const std::vector<NuskObject*>& roots, const Factors& factors) {
    unsigned converted = 0;
    const unsigned outOfRangeBefore = outOfRange_;
    firstOutOfRange_ = 0;
    walk_.walk(roots, visited_, [&](NuskObject* obj) {
        if (convertObject(obj, factors)) ++converted;
    });
    if (outOfRange_ != outOfRangeBefore)
        NUSK.warning("mivo_translate_geometry_units: representation #%lu: %u values out of range once converted "
                     "(the first in #%lu): they are infinite, which a file cannot hold, and are written as $\n",
                     static_cast<unsigned long>(rep->entity_id()), outOfRange_ - outOfRangeBefore,
                     static_cast<unsigned long>(firstOutOfRange_));
    return converted;
}

double UnitTranslation::scaled(double value, double factor, const NuskObject* owner) {
    const double result = value * factor;
    if (std::isfinite(value) && !std::isfinite(result)) {
        ++outOfRange_;
        if (!firstOutOfRange_) firstOutOfRange_ = owner->entity_id();
    }
    return result;
}

namespace {

/// Whether a curve's parameter is a plane angle: a circle's or an ellipse's, and so that of a curve trimmed
/// from or offset to one. Other curves have parameters without a unit (a line's scales with its direction).
bool parameterIsAngle(NuskObject* curve) {
    for (int guard = 0; curve && guard < 16; ++guard) {
        if (curve->isa(nusktype_stp_circle) || curve->isa(nusktype_stp_ellipse)) return true;
        if (!curve->isa(nusktype_stp_trimmed_curve) && !curve->isa(nusktype_stp_offset_curve_3d) &&
            !curve->isa(nusktype_stp_offset_curve_2d))
            return false;
        curve = curve->getObject("basis_curve");
    }
    return false;
}

}  // namespace

bool UnitTranslation::convertParameters(NuskObject* obj, double factor) {
    bool any = false;
    if (obj->isa(nusktype_stp_trimmed_curve) && parameterIsAngle(obj->getObject("basis_curve"))) {
        for (const char* trim : {"trim_1", "trim_2"}) {
            auto* set = dynamic_cast<NuskAggregate*>(obj->getObject(trim));
            if (!set || !set->holdsObjects() || !convertedAggregates_.insert(set)) continue;
            for (unsigned i = 0; i < set->size(); ++i) {
                auto* value = dynamic_cast<stp_trimming_select*>(set->getObject(i));
                if (!value || !value->is_parameter_value()) continue;
                value->_parameter_value(scaled(value->_parameter_value(), factor, obj));
                any = true;
            }
        }
    } else if (obj->isa(nusktype_stp_swept_disk_solid) && parameterIsAngle(obj->getObject("directrix"))) {
        for (const char* param : {"start_param", "end_param"}) {
            const double v = obj->getDouble(param);
            if (v == NUSK_NULL_REAL) continue;
            obj->putDouble(scaled(v, factor, obj), param);
            any = true;
        }
    }
    if (any) obj->modified();
    return any;
}

bool UnitTranslation::convertObject(NuskObject* obj, const Factors& factors) {
    bool any = factors.angle && convertParameters(obj, factors.angleFactor);
    bool inAggregate = false;
    for (const MeasureSlots::Slot& s : slots_.of(obj->domain())) {
        if (s.kind == MeasureSlots::length ? !factors.length : !factors.angle) continue;
        const double factor = s.kind == MeasureSlots::length ? factors.lengthFactor : factors.angleFactor;
        if (s.depth == 0) {
            const double v = obj->getDouble(s.index);
            if (v == NUSK_NULL_REAL) continue;  // unset stays unset
            obj->putDouble(scaled(v, factor, obj), s.index);
            any = true;
        } else if (convertAggregate(obj->getObject(s.index), s.depth, factor, obj)) {
            any = inAggregate = true;
        }
    }
    // A changed aggregate changes its owner too: a record kept from the file must not be written back instead.
    if (inAggregate) obj->modified();
    return any;
}

/// Converts the reals of an aggregate `depth` levels deep. An aggregate shared by several objects is converted
/// once. The depth comes from the schema, so the recursion is as shallow as its nesting.
bool UnitTranslation::convertAggregate(NuskObject* obj, unsigned depth, double factor, const NuskObject* owner) {
    if (!obj || !obj->domain()->typeIsAggregate() || !convertedAggregates_.insert(obj)) return false;
    auto* a = static_cast<NuskAggregate*>(obj);
    bool any = false;
    if (depth > 1) {
        if (!a->holdsObjects()) return false;  // plain values where the schema nests lists: nothing to scale
        for (unsigned i = 0; i < a->size(); ++i) any = convertAggregate(a->getObject(i), depth - 1, factor, owner) || any;
        return any;
    }
    if (a->elementDomain()->primitive() != NuskPrimitive::real) return false;
    for (unsigned i = 0; i < a->size(); ++i) {
        const double v = a->getDouble(i);
        if (v == NUSK_NULL_REAL) continue;
        a->putDouble(scaled(v, factor, owner), i);
        any = true;
    }
    return any;
}

std::vector<NuskObject*> itemsOf(NuskObject* rep) {
    std::vector<NuskObject*> roots;
    if (auto* items = dynamic_cast<NuskAggregate*>(rep->getObject("items")); items && items->holdsObjects()) {
        roots.reserve(items->size());
        for (unsigned i = 0; i < items->size(); ++i) roots.push_back(items->getObject(i));
    }
    return roots;
}

void switchContext(NuskObject* rep, NuskObject* ctx) {
    NuskObject* previous = rep->getObject("context_of_items");
    rep->modified();
    rep->putObject(ctx, "context_of_items");
    if (nusk_refcount(rep->design())) {
        nusk_refcount_inc(ctx);
        nusk_refcount_dec(previous);  // left in the design, as the caller may still use it
    }
}

}  // namespace mivo_geometry

unsigned mivo_translate_geometry_units(stp_representation* rep, stp_representation_context* ctx) {
    using namespace mivo_geometry;
    if (!rep || !ctx) return 0;
    const NuskUnit from[2] = {mivo_get_context_length_unit(rep), mivo_get_context_angle_unit(rep)};
    const NuskUnit to[2] = {mivo_get_context_length_unit(ctx), mivo_get_context_angle_unit(ctx)};
    Factors factors;
    if (!factorsBetween(from, to, rep, factors)) return 0;
    const unsigned converted = UnitTranslation(rep->design()).convert(rep, itemsOf(rep), factors);
    switchContext(rep, ctx);
    return converted;
}
