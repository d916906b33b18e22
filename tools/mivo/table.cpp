// Plain-text tables, numbers and kind names shared by the commands.
#include "table.h"

#include "printable.h"

#include "nusk/units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mivo_tool {

void printTable(const std::vector<std::vector<std::string>>& rawCells, const std::vector<bool>& rightAligned) {
    std::vector<std::vector<std::string>> cells;
    for (const auto& line : rawCells) {
        cells.emplace_back();
        for (const std::string& cell : line) cells.back().push_back(printable(cell));
    }
    std::vector<size_t> widths;
    for (const auto& line : cells) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
    }
    for (const auto& line : cells) {
        std::string text;
        for (size_t c = 0; c < line.size(); ++c) {
            const std::string pad(c + 1 < line.size() ? widths[c] - line[c].size() : 0, ' ');
            const bool right = c < rightAligned.size() && rightAligned[c];
            text += c ? "  " : "";
            text += right ? pad + line[c] : line[c] + pad;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        std::printf("%s\n", text.c_str());
    }
}

std::string numberText(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    int precision = 1;
    for (; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, value);
        if (std::strtod(buf, nullptr) == value) break;
    }
    // Whole numbers and ordinary magnitudes read better without an exponent: -10, not -1e+01. %g drops the
    // exponent once the precision covers the integer digits, and more digits of a value that already reads back
    // exactly add nothing but those.
    const double magnitude = std::fabs(value);
    while (std::strchr(buf, 'e') && magnitude >= 1e-4 && magnitude < 1e15 && precision < 17)
        std::snprintf(buf, sizeof buf, "%.*g", ++precision, value);
    return buf;
}

const char* measureTypeName(int type) {
    static const char* const kNames[NUSK_MEASURE_TYPE_COUNT] = {
        "unknown",    "reserved",    "plane angle", "reserved", "spin rate", "area",     "count",
        "force",      "length",      "reserved",    "parameter", "power",    "pressure", "ratio",
        "revolution", "solid angle", "feed rate",   "reserved",  "time",     "tooth",    "torque",
        "volume"};
    return type >= 0 && type < NUSK_MEASURE_TYPE_COUNT ? kNames[type] : "unknown";
}

}  // namespace mivo_tool
