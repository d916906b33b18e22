// A small hand-made schema for the object store's tests: entities with supertypes and a constraint, a
// derived redeclaration, selects (one nested in another), defined types, an enumeration and aggregates.
#pragma once

#include "nusk/store.h"

struct TestSchema {
    NuskSchema* schema;
    // entities
    NuskDomain *item, *point, *dims, *unit, *lengthUnit, *timeUnit, *siUnit, *measure, *group, *blob;
    // attributes
    NuskAttribute *itemName, *pointCoords, *pointWeight, *dimsLength, *unitDims, *siPrefix, *siKind;
    NuskAttribute *measureValue, *measureUnit, *groupMembers, *groupUnits, *blobData, *blobPayload;
    // other types
    NuskDomain *prefix, *lengthMeasure, *countMeasure, *label, *unitSelect, *measureValueSelect, *anything;
    NuskDomain *bits, *payloadSelect;

    /// The schema, built once per process.
    static const TestSchema& get();
};

/// Collects what the store reports, for assertions.
class CapturingReporter : public NuskReporter {
public:
    void report(NuskSeverity severity, const char* message) override {
        (severity == NuskSeverity::error ? errors : warnings).push_back(message);
    }
    std::vector<std::string> errors, warnings;
};
