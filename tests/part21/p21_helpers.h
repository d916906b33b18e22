// Helpers of the Part 21 tests: reading text with the AP242 schema, and comparing two designs instance by
// instance.
#pragma once

#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <memory>
#include <string>

/// Part 21 text around a data section, declaring AP242 edition 1 (so that misfits are errors).
std::string p21File(const std::string& data, const std::string& schema =
                                                 "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }");

/// Reads text; the result owns its design.
struct Read {
    NuskReadResult result;
    std::unique_ptr<NuskDesign> design;
    NuskObject* operator[](uint32_t id) const { return design ? design->findEntity(id) : nullptr; }
    bool hasMessage(const std::string& part) const;
};
Read readText(const std::string& text);
std::string writeText(NuskDesign* design);

/// Empty when the two designs hold the same instances (numbers, types, values, references by number, records
/// kept as read); otherwise a description of the first difference.
std::string compareDesigns(NuskDesign* a, NuskDesign* b);

/// Writes `text` to a file named `name` in the tests' temporary folder; returns its path.
std::string writeTempFile(const std::string& name, const std::string& text);

/// The folder of real STEP files, or empty when it is absent.
std::string dataDirectory();
