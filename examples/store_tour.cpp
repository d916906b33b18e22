// A short tour of the object store and the math library: a schema given as data, a design, instances,
// a select, an aggregate, a cursor, usedin, and a unit conversion.
#include "nusk/math.h"
#include "nusk/store.h"

#include <cstdio>

int main() {
    NuskSchema schema("tour");
    NuskDomain* lengthMeasure = schema.addDefinedType("length_measure", NuskSchema::realDomain());
    NuskDomain* point = schema.addEntity("cartesian_point", {});
    schema.addAttribute(point, "name", NuskSchema::stringDomain());
    schema.addAttribute(point, "coordinates", NuskSchema::aggregateOf(NuskAggregateKind::list, lengthMeasure));
    NuskDomain* line = schema.addEntity("line", {});
    schema.addAttribute(line, "pnt", point);
    NuskDomain* value = schema.addSelect("measure_value", {lengthMeasure});
    schema.seal();

    NuskDesign design("tour", &schema);
    NuskObject* p = design.pnewInstance(point);
    nusk_update_prim(p, "name", "origin");
    auto* coords = new (&design) ListOfDouble();
    for (double c : {25.4, 50.8, 0.0}) coords->add(c);
    p->putObject(coords, "coordinates");
    NuskObject* l = design.pnewInstance(line);
    l->putObject(p, "pnt");
    auto* v = static_cast<NuskUnion*>(design.pnewInstance(value));
    v->putReal(lengthMeasure, 25.4);

    std::printf("design \"%s\": %zu objects, %zu entity instances\n", design.name(), design.objectCount(),
                design.entityCount());
    NuskCursor cursor;
    cursor.traverse(&design);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* o = cursor.next()) std::printf("  #%u = %s\n", o->entity_id(), o->domain()->name());

    SetOfNuskObject* users = new (&design) SetOfNuskObject();
    p->usedin(nullptr, nullptr, users);
    std::printf("#%u is used by %u instance(s)\n", p->entity_id(), users->size());

    double x = coords->get(0);
    std::printf("x = %g %s = %g %s\n", x, nusk_get_unit_name(nuskunit_mm),
                nusk_get_measure_as_unit(x, nuskunit_mm, nuskunit_length_cb1), nusk_get_unit_name(nuskunit_length_cb1));
    std::printf("select holds %s(%g)\n", v->alternative()->name(), v->getDouble(0));
    return 0;
}
