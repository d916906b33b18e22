// Checking an extract against the design it came from: the extract of a product, written and read back, has no
// reference to anything it lacks, holds no product outside the subtree, and has the product tree of the source
// below that product with the same placements; given back, the source writes as it did before.
#pragma once

#include "mivo_split.h"

#include <cstdint>
#include <string>
#include <vector>

namespace split_test {

/// What checking one extract found.
struct ExtractReport {
    std::vector<std::string> problems;  // empty when the extract is sound
    std::string extractText;            // the extract as written
    size_t treeNodes = 0;               // nodes of the product tree compared
    size_t trimmed = 0;                 // aggregates the extract trimmed
};

/// Reads `sourceText`, extracts the product definition numbered `productId`, and checks the extract.
ExtractReport checkExtract(const std::string& sourceText, uint32_t productId);

/// Instance numbers of every product_definition of a STEP text.
std::vector<uint32_t> productDefinitionIds(const std::string& stepText);

/// The lines one after another, each ended by a newline: problems as a failure message shows them.
std::string joined(const std::vector<std::string>& lines);

/// The text of a file, empty when it cannot be read.
std::string fileText(const std::string& path);

}  // namespace split_test
