// Plain-text tables for the commands that list entities.
#pragma once

#include <string>
#include <vector>

namespace mivo_tool {

/// Prints the rows (the first one the headings) as columns, each as wide as its longest cell and two spaces
/// apart; columns marked in `rightAligned` (numbers) are aligned to the right. The last column is not padded.
void printColumns(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& rightAligned);

}  // namespace mivo_tool
