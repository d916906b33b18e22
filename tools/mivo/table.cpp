// Plain-text tables for the commands that list entities.
#include "table.h"

#include <algorithm>
#include <cstdio>

namespace mivo_tool {

void printColumns(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& rightAligned) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    for (const auto& row : rows) {
        std::string text;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(c + 1 < row.size() ? widths[c] - row[c].size() : 0, ' ');
            const bool right = c < rightAligned.size() && rightAligned[c];
            text += c ? "  " : "";
            text += right ? pad + row[c] : row[c] + pad;
        }
        std::printf("%s\n", text.c_str());
    }
}

}  // namespace mivo_tool
