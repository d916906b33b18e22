// What the peer STEP reader makes of a file's geometric tolerances, as plain data: each tolerance's kind, its
// magnitude and its datum labels in precedence order. No peer type appears in this header.
#pragma once

#include <string>
#include <vector>

namespace peer {

struct ToleranceDescription {
    std::string kind;                 // the STEP entity name of the kind ("position_tolerance"); "" when none
    double magnitude = 0;             // as the peer reports it
    std::vector<std::string> datums;  // labels in precedence order; a common datum's labels joined with "-"
};

struct GdtDescription {
    bool ok = false;
    std::string error;
    std::vector<ToleranceDescription> tolerances;
};

/// Reads a STEP file with the peer, its semantic GD&T included, and lists its geometric tolerances.
GdtDescription describeTolerances(const std::string& path);

}  // namespace peer
