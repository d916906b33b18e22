// Plain-text tables for the commands' reports.
#pragma once

#include <string>
#include <vector>

namespace mivo_tool {

/// Prints rows of cells (the first row is the heading), each column as wide as its longest cell; columns marked
/// in `rightAligned` (numbers) are aligned to the right, and the last column is not padded.
void printTable(const std::vector<std::vector<std::string>>& cells, const std::vector<bool>& rightAligned);

/// A number as the tables and JSON show it: the shortest text that reads back as the same double; "null" for
/// infinities and NaN, which JSON cannot hold.
std::string numberText(double value);

/// The kind of quantity a NuskMeasureType code stands for ("length", "plane angle"; "unknown" outside 0-21).
const char* measureTypeName(int type);

}  // namespace mivo_tool
