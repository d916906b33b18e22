// The header section: reading FILE_DESCRIPTION, FILE_NAME and FILE_SCHEMA into a design's header, and writing
// the header back.
#pragma once

#include "nusk/design.h"

#include <string>
#include <string_view>

class NuskSchema;

namespace nusk_p21 {

/// Reads one header statement into `header`. Statements other than the three it knows are kept whole. False
/// (and `problem` set) when a known statement cannot be read; true with `problem` set when it was read but has
/// the wrong number of parameters.
bool readHeaderStatement(std::string_view statement, NuskFileHeader& header, std::string& problem);

/// Appends ISO-10303-21; and the header section for a design with this header (its schema's name when it
/// declares none).
void writeHeader(const NuskFileHeader& header, const NuskSchema* schema, std::string& out);

}  // namespace nusk_p21
