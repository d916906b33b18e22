// Files rewritten through our library, and what the peer says of them: the support of the tests that check a
// rewrite (a plain read and write, or a read, an edit such as merging units and contexts, and a write) against
// the peer reader.
//
// A test of an edit takes a few lines:
//
//     const std::string file = assemblyFile("as1.step");
//     if (file.empty()) GTEST_SKIP() << "as1.step not found under " << MIVO_DATA_DIR;
//     EXPECT_EQ(peerDifferencesAfterRewrite(file, [](NuskDesign* d) { /* tag, merge, update references */ }), "");
#pragma once

#include "peer_assembly.h"

#include <functional>
#include <string>

class NuskDesign;

/// An edit made to a design between its read and its write.
using DesignEdit = std::function<void(NuskDesign*)>;

/// Reads the STEP file `in` with our library (the AP242 schema), applies `edit` when one is given, and writes the
/// design to `out`. Empty when done; otherwise why not: the file was unreadable, the write failed, or the write
/// left references to objects outside the design (written as $, as an edit that deletes an object still
/// referred to would). Read errors alone do not stop it: what was read is written, as the library promises.
std::string rewriteThroughLibrary(const std::string& in, const std::string& out, const DesignEdit& edit = {});

/// Rewrites `in` through the library (with `edit`) into a scratch file, reads both with the peer and compares
/// them. Empty when the peer sees the same assembly in both; otherwise the differences, one a line, followed by
/// both descriptions.
std::string peerDifferencesAfterRewrite(const std::string& in, const DesignEdit& edit = {},
                                        const peer::Tolerance& tolerance = {});

/// The path of a file of the test data's assemblies folder, empty when it is absent.
std::string assemblyFile(const std::string& name);

/// A folder of its own under the system's temporary folder, removed with everything in it at the end of scope.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    /// A path in the folder.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};
