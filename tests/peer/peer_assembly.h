// What the peer STEP reader (OpenCASCADE's document reader) makes of a file's assembly, as plain data that two
// reads can be compared by: the tree of product occurrences with each one's shape, its counts of faces, edges
// and vertices, its placement relative to the root and the box of its vertices, all in millimetres.
//
// The tests use it to check that a file our library rewrote still describes the same assembly to a reader that
// shares no code with ours: a unit or context mixed up by a rewrite shows as placements or boxes scaled by
// 1000 (or 25.4), a lost or doubled usage as a changed tree. No peer type appears in this header.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace peer {

/// One occurrence of a product in the tree, as the peer sees it.
struct AssemblyNode {
    int depth = 0;          // 0 for a root (a free shape of the file)
    std::string name;       // name of the product (the peer's label of the shape), empty when it gives none
    std::string instance;   // name of the usage that places it (empty for a root)
    std::string path;       // the instance (or, for a root, product) names from the root down, joined by '/'
    std::string kind;       // the peer's type of the shape: COMPOUND, SOLID, SHELL, ...
    bool assembly = false;  // the peer sees components below it (the nodes that follow, one level deeper)
    int faces = 0;          // distinct faces, edges and vertices in the shape, each placed occurrence counted
    int edges = 0;
    int vertices = 0;
    /// Placement of the node in the root's frame: the rotation part row by row (r11 r12 r13 r21 ... r33), then
    /// the translation (tx ty tz) in millimetres. The identity for a root.
    std::array<double, 12> placement{};
    /// Box of the vertices in the node's own frame (xmin ymin zmin xmax ymax zmax), in millimetres; only when
    /// the shape has vertices.
    bool hasBox = false;
    std::array<double, 6> box{};
};

/// A file's assembly as the peer read it.
struct AssemblyDescription {
    bool ok = false;
    std::string error;                // when not ok: why the peer could not read or transfer the file
    std::vector<AssemblyNode> nodes;  // depth first, components in the peer's order
};

/// Reads a STEP file with the peer and describes its assembly. Lengths are converted to millimetres whatever
/// unit each representation context declares; the peer is asked for millimetres explicitly, and a read whose
/// document ends in another unit is reported as an error. The peer's own messages are silenced, but for
/// failures, which go to standard error.
AssemblyDescription describeAssembly(const std::string& path);

/// How close two reads must be. Rotation entries are compared within `rotation` (relative to the larger
/// magnitude, at least 1); translations and boxes within `lengthAbsolute` mm plus `lengthRelative` of the larger
/// magnitude.
struct Tolerance {
    double rotation = 1e-9;
    double lengthAbsolute = 1e-6;
    double lengthRelative = 1e-9;
};

/// The differences between two descriptions, one readable line each, naming the node by its path; empty when
/// they describe the same assembly. At most `maxLines` lines are listed, the last one counting the rest.
std::vector<std::string> compareAssemblies(const AssemblyDescription& expected, const AssemblyDescription& actual,
                                           const Tolerance& tolerance = {}, size_t maxLines = 40);

/// Lines as one text, each ended by a newline; empty for no lines.
std::string joinLines(const std::vector<std::string>& lines);

/// The description as text, one node a line (indented by depth), for messages of failed tests.
std::string toText(const AssemblyDescription& description);

}  // namespace peer
