#include "test_schema.h"

namespace {

TestSchema build() {
    TestSchema t{};
    auto* s = new NuskSchema("store_test_schema");
    s->setClassPrefix("tst_");
    t.schema = s;
    NuskDomain* real = NuskSchema::realDomain();

    t.prefix = s->addEnumeration("prefix", {"kilo", "milli", "micro"});
    t.lengthMeasure = s->addDefinedType("length_measure", real);
    t.countMeasure = s->addDefinedType("count_measure", NuskSchema::integerDomain());
    t.label = s->addDefinedType("label", NuskSchema::stringDomain());

    t.item = s->addEntity("item", {});
    t.itemName = s->addAttribute(t.item, "name", t.label);
    t.point = s->addEntity("point", {t.item});
    t.pointCoords = s->addAttribute(t.point, "coords", NuskSchema::aggregateOf(NuskAggregateKind::list, t.lengthMeasure));
    t.pointWeight = s->addAttribute(t.point, "weight", real, true);

    t.dims = s->addEntity("dims", {});
    t.dimsLength = s->addAttribute(t.dims, "length", real);
    t.unit = s->addEntity("unit", {});
    t.unitDims = s->addAttribute(t.unit, "dims", t.dims);
    t.lengthUnit = s->addEntity("length_unit", {t.unit});
    t.timeUnit = s->addEntity("time_unit", {t.unit});
    t.siUnit = s->addEntity("si_unit", {t.unit});
    t.siPrefix = s->addAttribute(t.siUnit, "prefix", t.prefix, true);
    t.siKind = s->addAttribute(t.siUnit, "kind", NuskSchema::stringDomain());
    s->redeclareDerived(t.siUnit, t.unitDims);
    NuskSupertypeExpr oneof{NuskSupertypeExpr::Op::oneof, nullptr,
                            {{NuskSupertypeExpr::Op::entity, t.lengthUnit, {}},
                             {NuskSupertypeExpr::Op::entity, t.timeUnit, {}}}};
    s->setSupertypeConstraint(t.unit, NuskSupertypeExpr{NuskSupertypeExpr::Op::andor, nullptr,
                                                        {oneof, {NuskSupertypeExpr::Op::entity, t.siUnit, {}}}});

    t.unitSelect = s->addSelect("unit_select", {t.unit});
    t.measureValueSelect = s->addSelect("measure_value", {t.lengthMeasure, t.countMeasure, t.label});
    t.anything = s->addSelect("anything", {t.unitSelect, t.point, t.prefix});

    t.measure = s->addEntity("measure", {});
    t.measureValue = s->addAttribute(t.measure, "value_component", t.measureValueSelect);
    t.measureUnit = s->addAttribute(t.measure, "unit_component", t.unitSelect, true);

    t.group = s->addEntity("group", {t.item});
    t.groupMembers = s->addAttribute(t.group, "members", NuskSchema::aggregateOf(NuskAggregateKind::set, t.item));
    t.groupUnits = s->addAttribute(t.group, "units", NuskSchema::aggregateOf(NuskAggregateKind::list, t.unitSelect));

    t.bits = s->addDefinedType("bits", NuskSchema::binaryDomain());
    t.payloadSelect = s->addSelect("payload", {t.bits, t.label});
    t.blob = s->addEntity("blob", {});
    t.blobData = s->addAttribute(t.blob, "data", NuskSchema::binaryDomain());
    t.blobPayload = s->addAttribute(t.blob, "payload", t.payloadSelect, true);
    s->seal();
    return t;
}

}  // namespace

const TestSchema& TestSchema::get() {
    static TestSchema schema = build();
    return schema;
}
